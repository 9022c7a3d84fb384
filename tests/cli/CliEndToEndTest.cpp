// The built program against corvantelle-sim as a process, over its pseudo-terminal.
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int kDeadlineMs = 20000;

struct Sim final {
    explicit Sim(const QStringList& arguments) {
        process.start(QStringLiteral(CORVANTELLE_SIM_PATH), arguments);
        if (process.waitForStarted(kDeadlineMs) && process.waitForReadyRead(kDeadlineMs)) {
            device = QString::fromUtf8(process.readLine()).trimmed();
        }
    }
    ~Sim() {
        process.kill();
        process.waitForFinished(kDeadlineMs);
    }
    QProcess process;
    QString device;
};

struct CliRun {
    int code = -1;
    QString out, err;
};

CliRun Cli(const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(CORVANTELLE_CLI_PATH), arguments);
    CliRun run;
    if (cli.waitForFinished(kDeadlineMs)) {
        run.code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    }
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

CliRun CliOn(const Sim& sim, QStringList arguments) {
    return Cli(QStringList{QStringLiteral("--port"), sim.device} + arguments);
}

TEST(CliEndToEnd, InfoPrintsVersionAndSerialNumber) {
    Sim sim({});
    const CliRun run = CliOn(sim, {"info"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Version: Corvantelle SIM")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\nSerial number: ")) << run.out.toStdString();
}

TEST(CliEndToEnd, ListenJsonCarriesTheSimulatorsTags) {
    Sim sim(
        {"--tag-interval", "50", "--tag", "276:98765432101:hdx", "--tag", "984:123456789012:fdx:Vaccinate"});
    const CliRun run = CliOn(sim, {"listen", "--json", "--count", "3"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const auto lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    // The simulator reports its herd in turn; the first report may have gone before the port opened.
    int fdx = 0;
    for (const QString& line : lines) {
        QJsonParseError error;
        const QJsonObject tag = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
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
}

TEST(CliEndToEnd, ConfigReadWriteChangedFileThenDiffEqual) {
    Sim sim({});
    QTemporaryDir dir;
    const CliRun read = CliOn(sim, {"config", "read"});
    ASSERT_EQ(read.code, 0) << read.err.toStdString();
    QString text = read.out;
    ASSERT_TRUE(text.contains("[Timeout]\r\n\t5000\r\n")) << text.toStdString();
    text.replace("[Timeout]\r\n\t5000\r\n", "[Timeout]\r\n\t3000\r\n");
    const QString path = dir.filePath("changed.cfg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toLatin1());
    file.close();

    const CliRun before = CliOn(sim, {"config", "diff", path});
    EXPECT_EQ(before.code, 1);
    EXPECT_EQ(before.out, "[Timeout] reader: 5000  file: 3000\n");
    const CliRun write = CliOn(sim, {"config", "write", path});
    EXPECT_EQ(write.code, 0) << write.err.toStdString();
    EXPECT_TRUE(write.err.contains("every value matches")) << write.err.toStdString();
    const CliRun after = CliOn(sim, {"config", "diff", path});
    EXPECT_EQ(after.code, 0) << after.out.toStdString();
    EXPECT_TRUE(after.out.isEmpty());
}

TEST(CliEndToEnd, RefusedWriteStepIsNamed) {
    Sim good({});
    QTemporaryDir dir;
    const QString path = dir.filePath("reader.cfg");
    ASSERT_EQ(CliOn(good, {"config", "read", "-o", path}).code, 0);
    Sim refusing({"--refuse", "0x60:0x13"});
    const CliRun run = CliOn(refusing, {"config", "write", path});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QRegularExpression("write step \\d+ of 20 .* was refused by the reader")))
        << run.err.toStdString();
}

TEST(CliEndToEnd, SendPrintsTheAnswerFrameAndClockIsRead) {
    Sim sim({});
    const CliRun send = CliOn(sim, {"send", "09"});
    EXPECT_EQ(send.code, 0) << send.err.toStdString();
    EXPECT_TRUE(send.out.startsWith("02 01 f0 06 09 ")) << send.out.toStdString();
    EXPECT_TRUE(send.out.trimmed().endsWith("acknowledged")) << send.out.toStdString();
    const CliRun clock = CliOn(sim, {"clock", "get"});
    EXPECT_EQ(clock.code, 0) << clock.err.toStdString();
    EXPECT_TRUE(clock.out.contains(QRegularExpression("^20\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d")))
        << clock.out.toStdString();
}

TEST(CliEndToEnd, FailuresEndWithTheirExitCodes) {
    const CliRun missing = Cli({"--port", "/dev/does-not-exist", "info"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_TRUE(missing.err.contains("/dev/does-not-exist does not exist")) << missing.err.toStdString();
    const CliRun usage = Cli({"--baud", "1200", "info"});
    EXPECT_EQ(usage.code, 2);
    EXPECT_TRUE(usage.err.contains("Usage: corvantelle-cli")) << usage.err.toStdString();
    EXPECT_TRUE(usage.out.isEmpty());
    Sim silent({"--drop", "100"});
    const CliRun noAnswer = CliOn(silent, {"send", "09"});
    EXPECT_EQ(noAnswer.code, 1);
    EXPECT_TRUE(noAnswer.err.contains("no answer from the reader")) << noAnswer.err.toStdString();
}

TEST(CliEndToEnd, MonitorLabelsFramesAndCtrlCEndsCleanly) {
    Sim sim({"--tag-interval", "100", "--tag", "276:98765432101:hdx"});
    QProcess cli;
    cli.start(QStringLiteral(CORVANTELLE_CLI_PATH), {"--port", sim.device, "monitor"});
    ASSERT_TRUE(cli.waitForStarted(kDeadlineMs));
    QByteArray out;
    while (!out.contains("\n02 ") && cli.waitForReadyRead(kDeadlineMs)) {
        out += cli.readAllStandardOutput();
    }
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(kDeadlineMs));
    EXPECT_EQ(cli.exitCode(), 0);
    out += cli.readAllStandardOutput();
    // A tag data message: its own line from the frame start, labelled at its end.
    EXPECT_TRUE(QString::fromUtf8(out).contains(QRegularExpression("(^|\\n)02 01 f0 23 [0-9a-f ]+ tag data")))
        << out.toStdString() << cli.readAllStandardError().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
