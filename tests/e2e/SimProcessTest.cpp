#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "platform/SerialPort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kDeadlineMs = 5000;

struct SimProcess final {
    explicit SimProcess(const QStringList& arguments) {
        process.start(QStringLiteral(CORVANTELLE_SIM_PATH), arguments);
    }
    ~SimProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kDeadlineMs);
        }
    }
    QProcess process;
};

// The first good frame a freshly opened port receives after sending the request; empty if none.
Bytes FirstFrame(const QString& device, const Bytes& request) {
    CSerialPort port;
    CFrameParser parser;
    Bytes first;
    port.SetDevicePath(device);
    port.SetReceiver([&](const uint8_t* bytes, int count) {
        for (int i = 0; i < count && first.empty(); ++i) {
            if (parser.PutByte(bytes[i]) == CFrameParser::kGood) {
                first = parser.Frame();
            }
        }
    });
    EXPECT_EQ(port.Open(), 1) << port.LastOpenErrorText().toStdString();
    EXPECT_EQ(port.Write(request.data(), static_cast<int>(request.size())), 1);
    QDeadlineTimer deadline(kDeadlineMs);
    while (first.empty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return first;
}

}  // namespace

TEST(SimProcess, AnswersAgainAfterAReconnectAndEndsCleanlyRemovingItsLink) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("reader"));
    SimProcess sim({QStringLiteral("--link"), link});
    while (!sim.process.canReadLine() && sim.process.waitForReadyRead(kDeadlineMs)) {
    }
    const QString device = QString::fromLocal8Bit(sim.process.readLine()).trimmed();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    const Bytes version{0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03};
    for (int client = 0; client < 2; ++client) {
        const auto answer = FirstFrame(link, version);
        ASSERT_GE(answer.size(), 6u) << "client " << client;
        EXPECT_EQ(Bytes(answer.begin() + 1, answer.begin() + 5),
                  (Bytes{0x01, 0xF0, CFrameParser::kAck, Cmd::kVersion}));
        const std::string text(answer.begin() + 5, answer.end() - 1);
        EXPECT_EQ(text.rfind("Corvantelle SIM ", 0), 0u) << text;
    }
    ::kill(static_cast<pid_t>(sim.process.processId()), SIGTERM);
    ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(sim.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink() || QFileInfo::exists(link));
}

// Tags reported while nobody has the line open are gone, as a real reader's are; a second
// simulator leaves the first one's link alone; SIGHUP ends the first cleanly.
TEST(SimProcess, NoStaleTagsNoStolenLinkAndAHangUpRemovesTheLink) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("reader"));
    SimProcess sim({"--link", link, "--tag-interval", "20", "--tag", "276:4711:hdx"});
    while (!sim.process.canReadLine() && sim.process.waitForReadyRead(kDeadlineMs)) {
    }
    const QString device = QString::fromLocal8Bit(sim.process.readLine()).trimmed();
    QTest::qWait(1000);  // some 50 reports with no one listening
    CSerialPort port;
    CFrameParser parser;
    int tags = 0;
    port.SetDevicePath(link);
    port.SetReceiver([&](const uint8_t* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            tags += parser.PutByte(bytes[i]) == CFrameParser::kGood && parser.Frame()[3] == 0x23 ? 1 : 0;
        }
    });
    ASSERT_EQ(port.Open(), 1);
    QTest::qWait(100);
    port.Close();
    EXPECT_LE(tags, 8) << "reports from before the port was opened came through";

    SimProcess second({"--link", link});
    ASSERT_TRUE(second.process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(second.process.exitCode(), 1);
    EXPECT_TRUE(second.process.readAllStandardError().contains("another running simulator"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    ::kill(static_cast<pid_t>(sim.process.processId()), SIGHUP);
    ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
    EXPECT_EQ(sim.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimProcess, RefuseOptionAnswersWithANonAcknowledge) {
    SimProcess sim({QStringLiteral("--refuse"), QStringLiteral("0x09")});
    while (!sim.process.canReadLine() && sim.process.waitForReadyRead(kDeadlineMs)) {
    }
    const QString device = QString::fromLocal8Bit(sim.process.readLine()).trimmed();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();
    const Bytes version{0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03};
    EXPECT_EQ(FirstFrame(device, version), (Bytes{0x02, 0x01, 0xF0, 0x15, 0x09, 0x84}));
}

// Every value is checked whole: a number that overflows or carries anything after it is no
// smaller number.
TEST(SimProcess, RefusesBadOptionsNamingTheOption) {
    const struct {
        QStringList arguments;
        const char* named;
    } rows[] = {
        {{"--tag-form", "bin7"}, "--tag-form"},
        {{"--node", "0x100000005"}, "--node"},
        {{"--node", "0x10"}, "--node"},
        {{"--node", "-1"}, "--node"},
        {{"--node", "5x"}, "--node"},
        {{"--node"}, "--node"},
        {{"--drop", "101"}, "--drop"},
        {{"--corrupt", "99999999999999999999"}, "--corrupt"},
        {{"--seed", "4294967296"}, "--seed"},
        {{"--delay", "0x"}, "--delay"},
        {{"--tag", "1024:5"}, "--tag"},
        {{"--tag", "984:274877906944"}, "--tag"},
        {{"--tag", "984:5:cat"}, "--tag"},
        {{"--refuse", "256"}, "--refuse"},
        {{"--refuse", "0x28:1"}, "--refuse"},
        {{"--refuse", "0x60:0x100"}, "--refuse"},
        {{"--refuse-percent", "101"}, "--refuse-percent"},
        {{"--latency-timer", "256"}, "--latency-timer"},
        {{"--frobnicate"}, "--frobnicate"},
    };
    for (const auto& row : rows) {
        SimProcess sim(row.arguments);
        ASSERT_TRUE(sim.process.waitForFinished(kDeadlineMs));
        const QString text = QString::fromLocal8Bit(sim.process.readAllStandardError());
        const QString what = row.arguments.join(' ');
        EXPECT_EQ(sim.process.exitCode(), 2) << what.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(row.named))) << text.toStdString();
        EXPECT_EQ(text.count('\n'), 1) << text.toStdString();
        EXPECT_TRUE(sim.process.readAllStandardOutput().isEmpty()) << what.toStdString();
    }
}
