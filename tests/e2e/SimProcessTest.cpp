#include "e2e/E2eSupport.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kDeadlineMs = 5000;
const Bytes kVersionRequest{0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03};

// The good frames a freshly opened port receives in ms after sending the request (if any); with
// `first`, only the first one, as soon as it is there.
std::vector<Bytes> Frames(const QString& device, const Bytes& request, int ms, bool first) {
    CSerialPort port;
    CFrameParser parser;
    std::vector<Bytes> frames;
    port.SetDevicePath(device);
    port.SetReceiver([&](const uint8_t* bytes, int count) {
        for (int i = 0; i < count && !(first && !frames.empty()); ++i) {
            if (parser.PutByte(bytes[i]) == CFrameParser::kGood) {
                frames.push_back(parser.Frame());
            }
        }
    });
    EXPECT_EQ(port.Open(), 1) << port.LastOpenErrorText().toStdString();
    if (!request.empty()) {
        EXPECT_EQ(port.Write(request.data(), static_cast<int>(request.size())), 1);
    }
    WaitFor([&] { return first && !frames.empty(); }, ms);
    return frames;
}

Bytes FirstFrame(const QString& device, const Bytes& request) {
    const auto frames = Frames(device, request, kDeadlineMs, true);
    return frames.empty() ? Bytes{} : frames[0];
}

// A signal that should end the simulator cleanly, its link removed.
void ExpectCleanEndOn(int signal, SimProcess& sim, const QString& link) {
    ::kill(static_cast<pid_t>(sim.Process().processId()), signal);
    ASSERT_TRUE(sim.Process().waitForFinished(kDeadlineMs));
    EXPECT_EQ(sim.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink() || QFileInfo::exists(link));
}

}  // namespace

TEST(SimProcess, AnswersAgainAfterAReconnectAndEndsCleanlyRemovingItsLink) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("reader"));
    SimProcess sim({QStringLiteral("--link"), link});
    const QString device = sim.Device();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    for (int client = 0; client < 2; ++client) {
        const auto answer = FirstFrame(link, kVersionRequest);
        ASSERT_GE(answer.size(), 6u) << "client " << client;
        EXPECT_EQ(Bytes(answer.begin() + 1, answer.begin() + 5),
                  (Bytes{0x01, 0xF0, CFrameParser::kAck, Cmd::kVersion}));
        const std::string text(answer.begin() + 5, answer.end() - 1);
        EXPECT_EQ(text.rfind("Corvantelle SIM ", 0), 0u) << text;
    }
    ExpectCleanEndOn(SIGTERM, sim, link);
}

// Tags reported while nobody has the line open are gone, as a real reader's are; a second
// simulator leaves the first one's link alone; SIGHUP ends the first cleanly.
TEST(SimProcess, NoStaleTagsNoStolenLinkAndAHangUpRemovesTheLink) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("reader"));
    SimProcess sim({"--link", link, "--tag-interval", "20", "--tag", "276:4711:hdx"});
    const QString device = sim.Device();
    QTest::qWait(1000);  // some 50 reports with no one listening
    const auto frames = Frames(link, {}, 100, false);
    EXPECT_LE(std::count_if(frames.begin(), frames.end(), [](const Bytes& f) { return f[3] == 0x23; }), 8)
        << "reports from before the port was opened came through";

    SimProcess second({"--link", link});
    ASSERT_TRUE(second.Process().waitForFinished(kDeadlineMs));
    EXPECT_EQ(second.Process().exitCode(), 1);
    EXPECT_TRUE(second.Process().readAllStandardError().contains("another running simulator"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);
    ExpectCleanEndOn(SIGHUP, sim, link);
}

TEST(SimProcess, RefuseOptionAnswersWithANonAcknowledge) {
    SimProcess sim({QStringLiteral("--refuse"), QStringLiteral("0x09")});
    const QString device = sim.Device();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();
    EXPECT_EQ(FirstFrame(device, kVersionRequest), (Bytes{0x02, 0x01, 0xF0, 0x15, 0x09, 0x84}));
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
        QProcess& process = sim.Process();
        ASSERT_TRUE(process.waitForFinished(kDeadlineMs));
        const QString text = QString::fromLocal8Bit(process.readAllStandardError());
        const std::string what = row.arguments.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), 2) << what;
        EXPECT_TRUE(text.contains(QLatin1String(row.named))) << what << ": " << text.toStdString();
        EXPECT_EQ(text.count('\n'), 1) << what << ": " << text.toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << what;
    }
}
