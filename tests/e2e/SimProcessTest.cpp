#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/tags/TransponderId.h"
#include "platform/SerialPort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <vector>

namespace {

constexpr int kDeadlineMs = 5000;

bool WaitFor(const std::function<bool()>& done, int ms = kDeadlineMs) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

// corvantelle-sim as a child process; its device path is the first line it prints.
class SimProcess {
public:
    explicit SimProcess(const QStringList& arguments) {
        m_process.setProgram(QStringLiteral(CORVANTELLE_SIM_PATH));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
    }
    ~SimProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kDeadlineMs);
        }
    }

    QString DevicePath() {
        if (!m_process.waitForStarted(kDeadlineMs)) {
            return {};
        }
        WaitFor([this] { return m_process.canReadLine(); });
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    bool Terminate() {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        return m_process.waitForFinished(kDeadlineMs);
    }

    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
};

// Collects the good frames a port receives.
struct FrameSink {
    CFrameParser parser;
    std::vector<std::vector<uint8_t>> frames;

    void Attach(CSerialPort& port) {
        port.SetReceiver([this](const uint8_t* bytes, int count) {
            for (int i = 0; i < count; ++i) {
                if (parser.PutByte(bytes[i]) == CFrameParser::kGood) {
                    frames.push_back(parser.Frame());
                }
            }
        });
    }
};

}  // namespace

TEST(SimProcess, AnswersAVersionRequestOverThePtyAndEndsCleanly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("reader"));
    SimProcess sim({QStringLiteral("--link"), link});
    const QString device = sim.DevicePath();
    ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << device.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    CSerialPort port;
    port.SetDevicePath(link);
    FrameSink sink;
    sink.Attach(port);
    ASSERT_EQ(port.Open(), 1) << port.LastOpenErrorText().toStdString();

    CFrameParser codec;
    const uint8_t request[] = {Cmd::kVersion};
    const auto frame = codec.BuildFrame(request, 1);
    ASSERT_EQ(frame, (std::vector<uint8_t>{0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03}));
    ASSERT_EQ(port.Write(frame.data(), static_cast<int>(frame.size())), 1);
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));

    const auto& answer = sink.frames.front();
    ASSERT_GE(answer.size(), 6u);
    EXPECT_EQ(answer[0], 0x02);
    EXPECT_EQ(answer[1], 0x01);
    EXPECT_EQ(answer[3], CFrameParser::kAck);
    EXPECT_EQ(answer[4], Cmd::kVersion);
    const std::string version(answer.begin() + 5, answer.end() - 1);
    EXPECT_EQ(version.rfind("Corvantelle SIM ", 0), 0u) << version;

    // A client that closes and comes back finds the reader still there.
    port.Close();
    sink.frames.clear();
    ASSERT_EQ(port.Open(), 1) << port.LastOpenErrorText().toStdString();
    ASSERT_EQ(port.Write(frame.data(), static_cast<int>(frame.size())), 1);
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));
    EXPECT_EQ(sink.frames.front()[4], Cmd::kVersion);
    port.Close();

    ASSERT_TRUE(sim.Terminate());
    EXPECT_EQ(sim.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(SimProcess, ReportsTagsAtItsInterval) {
    SimProcess sim({QStringLiteral("--tag-interval"), QStringLiteral("100"), QStringLiteral("--tag"),
                    QStringLiteral("984:123456789012:fdx:Pen 4")});
    const QString device = sim.DevicePath();
    ASSERT_FALSE(device.isEmpty());

    CSerialPort port;
    port.SetDevicePath(device);
    FrameSink sink;
    sink.Attach(port);
    ASSERT_EQ(port.Open(), 1) << port.LastOpenErrorText().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !sink.frames.empty(); }));

    const auto& message = sink.frames.front();
    ASSERT_GE(message.size(), 4u);
    EXPECT_EQ(message[3], CFrameParser::kTagData);
    CTransponderId id;
    id.DecodeTagData(message);
    EXPECT_EQ(id.GetCountryCode(), "0984");
    EXPECT_EQ(id.GetNationalId(), "123456789012");
    EXPECT_EQ(id.GetTagType(), "FDX-B");
    EXPECT_EQ(id.GetEventText(), "Pen 4");
    port.Close();
    EXPECT_TRUE(sim.Terminate());
    EXPECT_EQ(sim.Process().exitCode(), 0);
}

TEST(SimProcess, RefusesBadOptions) {
    SimProcess sim({QStringLiteral("--tag-form"), QStringLiteral("bin7")});
    ASSERT_TRUE(sim.Process().waitForFinished(kDeadlineMs));
    EXPECT_EQ(sim.Process().exitCode(), 2);
    EXPECT_TRUE(sim.Process().readAllStandardOutput().isEmpty());
}
