// The built program against corvantelle-sim as a process, over its pseudo-terminal.
#include "cli/CliSupport.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

namespace {

// The simulator's preloaded dataset k, a marker at every 10th: "k,group,0276,000000001xxx,FDX-B"
// for CSV, "0276,000000001xxx,FDX-B" or "Group n" for text; the time stamp left off.
QStringList PreloadedRows(int count, bool csv) {
    QStringList rows;
    int group = 1;
    for (int k = 1; k <= count; ++k) {
        if (k % 10 == 0) {
            ++group;
            if (!csv) {
                rows << QStringLiteral("Group %1").arg(group);
            }
            continue;
        }
        const QString id = QStringLiteral("0276,%1,FDX-B").arg(1000 + k, 12, 10, QLatin1Char('0'));
        rows << (csv ? QStringLiteral("%1,%2,").arg(k).arg(group) + id : id);
    }
    return rows;
}

QStringList FileLines(const QString& path, const char* separator = "\n") {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(file.readAll()).split(separator, Qt::SkipEmptyParts)
               : QStringList{};
}

// Lines without their ",dd:mm:07,hh:mm:ss" stamp, which must be the simulator's start time on all.
QStringList WithoutStamps(const QStringList& lines) {
    static const QRegularExpression stamp(QStringLiteral(",\\d\\d:\\d\\d:07,\\d\\d:\\d\\d:\\d\\d$"));
    QStringList out;
    QString first;
    for (const QString& line : lines) {
        const auto match = stamp.match(line);
        if (match.hasMatch()) {
            EXPECT_TRUE(first.isEmpty() || first == match.captured()) << line;
            first = match.captured();
        }
        out << QString(line).remove(stamp);
    }
    return out;
}

// Tags as listen prints them, in every output format, and as monitor labels their frames; Ctrl-C
// ends monitor cleanly.
TEST(CliEndToEnd, ListenAndMonitorShowTheSimulatorsTags) {
    Sim sim(
        {"--tag-interval", "50", "--tag", "276:98765432101:hdx", "--tag", "984:123456789012:fdx:Vaccinate"});
    const CliRun run = CliOn(sim, {"listen", "--json", "--count", "3"});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << run.out;
    // The simulator reports its herd in turn; the first report may have gone before the port opened.
    int fdx = 0;
    for (const QString& line : lines) {
        QJsonParseError error;
        const QJsonObject tag = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        EXPECT_FALSE(tag.value("time").toString().isEmpty());
        const QString id = tag.value("national_id").toString();
        if (id == "123456789012") {
            ++fdx;
            EXPECT_EQ(tag.value("type").toString(), "FDX-B");
            EXPECT_EQ(tag.value("event").toString(), "Vaccinate");
        } else {
            EXPECT_EQ(id, "098765432101");
            EXPECT_EQ(tag.value("type").toString(), "HDX");
            EXPECT_EQ(tag.value("country_name").toString(), "Germany");
        }
    }
    EXPECT_GE(fdx, 1);

    QProcess cli;
    cli.start(QStringLiteral(CORVANTELLE_CLI_PATH), {"--port", sim.device, "monitor"});
    ASSERT_TRUE(cli.waitForStarted(kDeadlineMs));
    QByteArray out;
    while (!out.contains("\n02 ") && cli.waitForReadyRead(kDeadlineMs)) {
        out += cli.readAllStandardOutput();
    }
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(kDeadlineMs));
    EXPECT_EQ(cli.exitCode(), 130);
    out += cli.readAllStandardOutput();
    // A tag data message: its own line from the frame start, labelled at its end.
    EXPECT_TRUE(QString::fromUtf8(out).contains(QRegularExpression("(^|\\n)02 01 f0 23 [0-9a-f ]+ tag data")))
        << out.toStdString() << cli.readAllStandardError().toStdString();

    // The same animal in every output format of the reader gives the same numbers.
    const QJsonValue null(QJsonValue::Null);
    const struct {
        const char* form;
        QJsonValue country, type;
    } rows[] = {{"char16", 984, "H4002"}, {"char10", null, "H4002"}, {"bin8", 984, "H4002"},
                {"bin5", null, "H4002"},  {"bin13", 984, "H4002"},   {"line", 984, null}};
    const QRegularExpression time("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d$");
    for (const auto& row : rows) {
        Sim formed({"--tag-interval", "50", "--tag-form", row.form, "--tag", "984:123456789012:h4002"});
        const CliRun run = CliOn(formed, {"listen", "--json", "--count", "1"});
        const QJsonObject tag = QJsonDocument::fromJson(run.out.toUtf8()).object();
        EXPECT_EQ(tag.value("country_number"), row.country) << row.form << run.out;
        EXPECT_EQ(tag.value("national_number"), "123456789012") << row.form;
        EXPECT_EQ(tag.value("type_name"), row.type) << row.form;
        EXPECT_TRUE(time.match(tag.value("time").toString()).hasMatch()) << run.out;
    }
}

// Write and diff take and refuse the same files, and refuse them before anything is sent: the
// reader's configuration stays as it was. A changed file is told apart; a refused step is named.
TEST(CliEndToEnd, ConfigFilesAreComparedWrittenOrRefusedBeforeAnythingIsSent) {
    Sim sim({});
    QTemporaryDir dir;
    const CliRun before = CliOn(sim, {"config", "read"});
    ASSERT_EQ(before.code, 0) << before.err;
    ASSERT_TRUE(before.out.contains("[Timeout]\r\n\t5000\r\n")) << before.out;
    const auto fileOf = [&](const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return dir.filePath(name);
    };
    const QString partial = fileOf("partial.cfg", "[Timeout]\r\n\t3000\r\n");
    // clang-format off
    const struct { QString path; QStringList options; QString err; } rows[] = {
        {fileOf("garbage.cfg", "[Timeout]\r\n\tabc\r\n"), {"--allow-defaults"}, "[Timeout] abc"},
        {fileOf("comma.cfg", before.out.toLatin1().replace("\t0.00", "\t9,99")), {}, "[Wireless sync level] 9,99"},
        {partial, {}, "--allow-defaults"},
        {"/dev/zero", {"--allow-defaults"}, "larger than a configuration file"},
    };
    // clang-format on
    for (const auto& row : rows) {
        for (const char* command : {"write", "diff"}) {
            const CliRun run =
                CliOn(sim, QStringList{"config", command} + row.options + QStringList{row.path});
            EXPECT_EQ(run.code, 1) << command << " " << row.path;
            EXPECT_TRUE(run.err.contains(row.err)) << command << ": " << run.err;
        }
    }
    EXPECT_EQ(CliOn(sim, {"config", "read"}).out, before.out);

    const QString changed = fileOf(
        "changed.cfg", before.out.toLatin1().replace("[Timeout]\r\n\t5000\r\n", "[Timeout]\r\n\t3000\r\n"));
    const CliRun differs = CliOn(sim, {"config", "diff", changed});
    EXPECT_EQ(differs.code, 1);
    EXPECT_EQ(differs.out, "[Timeout] reader: 5000  file: 3000\n");
    EXPECT_EQ(CliOn(sim, {"config", "write", "--allow-defaults", partial}).code, 0);

    Sim refusing({"--refuse", "0x60:0x13"});
    const CliRun refused = CliOn(refusing, {"config", "write", changed});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(
        refused.err.contains(QRegularExpression("write step \\d+ of 20 .* was refused by the reader")))
        << refused.err;
}

// A Bluetooth link answering a quarter-second late, and a reader reporting tags while it is
// configured: the same configuration as on a quiet line, and a copy that keeps every setting.
TEST(CliEndToEnd, SlowAndBusyLinesGiveTheReadersExactConfiguration) {
    constexpr int kSlowMs = 90000;
    const QStringList slow{"--delay", "250", "--jitter", "100", "--one-at-a-time"};
    const QStringList busy{"--tag-interval", "100", "--tag", "276:1045:hdx"};
    // Values no reader starts with: sync level 100 (1.96 V), start character K, display 1.
    const QStringList settings[] = {
        {"60", "21", "64"}, {"28", "3E", "4B"}, {"60", "1F", "01"}, {"28", "34", "25"}};
    Sim quiet({});
    Sim source(slow);
    for (const auto& request : settings) {
        ASSERT_EQ(CliOn(quiet, QStringList{"send"} + request).code, 0);
        ASSERT_EQ(CliOn(source, QStringList{"send"} + request, kSlowMs).code, 0);
    }
    const CliRun reference = CliOn(quiet, {"config", "read"});
    ASSERT_EQ(reference.code, 0) << reference.err;
    ASSERT_TRUE(reference.out.contains("[Wireless sync level]\r\n\t1.96\r\n")) << reference.out;
    ASSERT_TRUE(reference.out.contains("[Timeout]\r\n\t3700\r\n"));
    const CliRun slowRead = CliOn(source, {"config", "read"}, kSlowMs);
    EXPECT_EQ(slowRead.code, 0) << slowRead.err;
    EXPECT_EQ(slowRead.out, reference.out);
    const CliRun info = CliOn(source, {"info"}, kSlowMs);
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_TRUE(info.out.contains(QRegularExpression("\nRound trip \\d+ ms"))) << info.out;

    // Copied onto a reader that streams tags and has a start character and display of its own.
    QTemporaryDir dir;
    const QString path = dir.filePath("source.cfg");
    ASSERT_EQ(CliOn(source, {"config", "read", "-o", path}, kSlowMs).code, 0);
    Sim target(busy);
    ASSERT_EQ(CliOn(target, {"send", "28", "3E", "51"}).code, 0);
    ASSERT_EQ(CliOn(target, {"send", "60", "1F", "02"}).code, 0);
    const CliRun write = CliOn(target, {"config", "write", path}, kSlowMs);
    EXPECT_EQ(write.code, 0) << write.err;
    EXPECT_TRUE(write.err.contains("every value matches")) << write.err;
    const CliRun diff = CliOn(target, {"config", "diff", path}, kSlowMs);
    EXPECT_EQ(diff.code, 0) << diff.out << diff.err;
    EXPECT_TRUE(diff.out.isEmpty());
    // What the file does not hold stays the target's own.
    EXPECT_TRUE(CliOn(target, {"send", "29", "3E"}).out.contains(QRegularExpression("^02 01 f0 06 29 51 ")));
    const CliRun block = CliOn(target, {"send", "60", "14"});
    const QStringList bytes = block.out.split(' ');
    ASSERT_GT(bytes.size(), 25) << block.out;
    EXPECT_EQ(bytes[14], "64");  // the sync level came along
    EXPECT_EQ(bytes[25], "02");  // the display choice did not
}

// 250 records as the reader holds them, each once and in order with the time stamp the simulator
// started with, as CSV at the dialog's pace; then as much as was read when Ctrl-C stops a download.
TEST(CliEndToEnd, DatasetsDownloadCsvHoldsExactlyThePreloadedRecordsAndCtrlCKeepsWhatWasRead) {
    Sim paced({"--datasets", "250", "--group-every", "10"});
    QTemporaryDir dir;
    const QString path = dir.filePath("herd.csv");
    // The dialog's own pace, a request a tick: 25 s.
    const CliRun csv = CliOn(paced, {"datasets", "download", "--csv", "-o", path}, 60000);
    ASSERT_EQ(csv.code, 0) << csv.err;
    EXPECT_TRUE(csv.err.contains("250 datasets read, saved to " + path)) << csv.err;
    QStringList lines = FileLines(path);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.takeFirst(), "number,group,country_code,national_id,tag_type,date,time");
    EXPECT_EQ(WithoutStamps(lines), PreloadedRows(250, true));

    QProcess cli;
    cli.start(QStringLiteral(CORVANTELLE_CLI_PATH),
              {"--port", paced.device, "datasets", "download", "-o", dir.filePath("day")});
    ASSERT_TRUE(cli.waitForStarted(kDeadlineMs));
    QThread::msleep(1500);
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(kDeadlineMs));
    EXPECT_EQ(cli.exitCode(), 130);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    const auto stopped = QRegularExpression("stopped after (\\d+) of 250 datasets").match(err);
    ASSERT_TRUE(stopped.hasMatch()) << err;
    // Only the temporary file, which the message names, holds it: "day.txt" would look complete.
    EXPECT_FALSE(QFile::exists(dir.filePath("day.txt")));
    const QRegularExpression keptAt("what was read is in (\\S+day\\.txt\\.\\w+\\.part)",
                                    QRegularExpression::CaseInsensitiveOption);
    const auto kept = keptAt.match(err);
    ASSERT_TRUE(kept.hasMatch()) << err;
    EXPECT_EQ(err.count(keptAt), 1) << err;
    // The two header lines, "Group 1", then a line for every dataset read before the stop.
    EXPECT_GT(stopped.captured(1).toInt(), 0);
    EXPECT_EQ(FileLines(kept.captured(1), "\r\n").size(), 3 + stopped.captured(1).toInt()) << err;
}

TEST(CliEndToEnd, DatasetsFastDownloadWithLostAnswersHasEachRecordOnceInOrder) {
    Sim sim({"--datasets", "250", "--group-every", "10", "--drop", "10", "--seed", "7"});
    const CliRun run = CliOn(sim, {"datasets", "download", "--fast"}, 60000);
    ASSERT_EQ(run.code, 0) << run.err;
    QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 3) << run.out;
    EXPECT_EQ(lines.takeFirst(), "Corvantelle Datasets");
    EXPECT_TRUE(lines.takeFirst().contains(QRegularExpression("^Date: \\d\\d:\\d\\d:20\\d\\d$")));
    EXPECT_EQ(lines.takeFirst(), "Group 1");
    EXPECT_EQ(WithoutStamps(lines), PreloadedRows(250, false));
}

// One reader, reached by a relative link or by its device path, as a script runs commands on it in
// a folder of its own: what each prints, where files land, and the exit codes; a failure prints
// nothing on standard output.
TEST(CliEndToEnd, CommandsPrintWhatAScriptReads) {
    Sim sim({"--datasets", "12", "--group-every", "10", "--refuse", "0x60:0x1a"});
    Sim silent({"--drop", "100"});
    Sim refusing({"--refuse", "0x0A"});
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(sim.device, dir.filePath("r1")));
    const QString none = "\\A\\z";  // an empty standard output
    const struct {
        QStringList args;  // after "--port r1" for a reader's command that names no reader
        int code;
        QString out;  // a pattern in standard output
        QString err;  // a part of standard error
    } rows[] = {
        {{"info"}, 0, "^Version: Corvantelle SIM[\\s\\S]*\nSerial number: ", ""},
        {{"send", "09"}, 0, "^02 01 f0 06 09 [\\s\\S]*acknowledged\\s*$", ""},
        {{"send", "53"}, 0, "  get clock acknowledged\n", ""},
        {{"--port=" + sim.device, "send", "60", "1a"}, 1, "get output format refused", ""},
        {{"clock", "get"}, 0, "^20\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d", ""},
        {{"--simulate", "clock", "get"}, 0, "^" + QDate::currentDate().toString("yyyy-MM-dd "), ""},
        {{"config", "diff", "missing.cfg"}, 1, "", "corvantelle-cli: missing.cfg: "},
        {{"config", "read", "-o", "-"}, 0, "\\[Timeout\\]", ""},
        {{"config", "read", "-o", "out.txt"}, 0, "", "saved to out.txt\n"},
        {{"datasets", "download", "-o", "my.txt.backup"}, 0, "", "saved to my.txt.backup\n"},
        {{"datasets", "count"}, 0, "^12\n", ""},
        {{"datasets", "get", "11"}, 0, "^0276,000000001011,FDX-B,", ""},
        {{"datasets", "get", "10"}, 0, "^group marker\n", ""},
        {{"datasets", "get", "13"}, 1, "", "Dataset number out of range, datasets stored: 12"},
        {{"datasets", "get", "4096"}, 2, "", "from 1 to 4095"},
        {{"datasets", "clear"}, 2, "", "confirm with --yes"},
        {{"datasets", "count"}, 0, "^12\n", ""},
        {{"datasets", "clear", "--yes"}, 0, "", "all datasets in the reader cleared"},
        {{"datasets", "count"}, 0, "^0\n", ""},
        {{"--port", "/dev/does-not-exist", "info"}, 3, none, "/dev/does-not-exist does not exist"},
        {{"--baud", "1200", "info"}, 2, none, "Usage: corvantelle-cli"},
        {{"follow", "--socket", "/nonexistent/feed"},
         3,
         none,
         "no tool is running a tag feed at /nonexistent/feed"},
        {{"--port=" + silent.device, "send", "09"}, 1, none, "no answer from the reader"},
        {{"--port=" + refusing.device, "info"}, 1, none, "read step 6 of 7 (Get snr request) was refused"},
    };
    for (const auto& row : rows) {
        const bool own = row.args[0].startsWith('-') || row.args[0] == "follow";
        const QStringList args = own ? row.args : QStringList{"--port", "r1"} + row.args;
        const CliRun run = Cli(args, kDeadlineMs, dir.path());
        const QString name = args.join(' ');
        EXPECT_EQ(run.code, row.code) << name << ": " << run.err;
        EXPECT_TRUE(run.out.contains(QRegularExpression(row.out))) << name << ": " << run.out;
        EXPECT_TRUE(run.err.contains(row.err)) << name << ": " << run.err;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"my.txt.backup", "out.txt", "r1"}));
}

// Data and progress on one terminal, as a person sees them: each line of data whole, the bar
// with its time estimate only in between.
TEST(CliEndToEnd, ProgressNeverSharesATerminalLineWithData) {
    Sim sim({"--datasets", "30"});
    const QByteArray device = sim.device.toLocal8Bit();
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(CORVANTELLE_CLI_PATH, "corvantelle-cli", "--port", device.constData(), "datasets", "download",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string raw;
    char buffer[4096];
    for (ssize_t n = 0; (n = ::read(terminal, buffer, sizeof buffer)) > 0;) {
        raw.append(buffer, static_cast<size_t>(n));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(terminal);
    EXPECT_EQ(WEXITSTATUS(status), 0) << raw;
    EXPECT_NE(raw.find(" left"), std::string::npos) << raw;
    QStringList shown;
    std::string line;
    size_t column = 0;
    for (const char c : raw + "\n") {
        if (c == '\n') {
            shown << QString::fromStdString(line).remove(QRegularExpression("\\s+$"));
            line.clear();
            column = 0;
        } else if (c == '\r') {
            column = 0;
        } else {
            line.resize(std::max(line.size(), column + 1), ' ');
            line[column++] = c;
        }
    }
    const QStringList data = shown.filter("0276,");
    EXPECT_EQ(data.size(), 30) << raw;
    for (const QString& text : data) {
        EXPECT_TRUE(text.startsWith("0276,")) << text;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
