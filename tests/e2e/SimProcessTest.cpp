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
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Strings = std::vector<std::string>;

constexpr int kDeadlineMs = 5000;

// corvantelle-sim as a child process; its device path is the first line it prints.
class SimProcess final {
public:
    explicit SimProcess(const QStringList& arguments) {
        m_process.start(QStringLiteral(CORVANTELLE_SIM_PATH), arguments);
    }
    ~SimProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kDeadlineMs);
        }
    }

    QString DevicePath() {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(kDeadlineMs)) {
        }
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    // Stops it as a service manager would; true when it then ends cleanly with 0.
    bool Terminate() {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        return m_process.waitForFinished(kDeadlineMs) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }
    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
};

// The first good frame a freshly opened port receives, after sending request; empty if none.
Bytes FirstFrame(const QString& device, const Bytes& request = {}) {
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
    if (!request.empty()) {
        EXPECT_EQ(port.Write(request.data(), static_cast<int>(request.size())), 1);
    }
    QDeadlineTimer deadline(kDeadlineMs);
    while (first.empty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return first;
}

}  // namespace

TEST(SimProcess, AnswersOverThePtyLinkAgainAfterAReconnectAndEndsCleanly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("reader"));
    SimProcess sim({QStringLiteral("--link"), link});
    const QString device = sim.DevicePath();
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
    ASSERT_TRUE(sim.Terminate());
    EXPECT_FALSE(QFileInfo(link).isSymLink() || QFileInfo::exists(link));
}

TEST(SimProcess, ReportsTagsAtItsInterval) {
    SimProcess sim({QStringLiteral("--tag-interval"), QStringLiteral("100"), QStringLiteral("--tag"),
                    QStringLiteral("984:123456789012:fdx:Pen 4")});
    const auto message = FirstFrame(sim.DevicePath());
    ASSERT_GE(message.size(), 4u);
    EXPECT_EQ(message[3], CFrameParser::kTagData);
    CTransponderId id;
    id.DecodeTagData(message);
    EXPECT_EQ((Strings{id.GetCountryCode(), id.GetNationalId(), id.GetTagType(), id.GetEventText()}),
              (Strings{"0984", "123456789012", "FDX-B", "Pen 4"}));
    EXPECT_TRUE(sim.Terminate());
}

TEST(SimProcess, RefusesBadOptions) {
    SimProcess sim({QStringLiteral("--tag-form"), QStringLiteral("bin7")});
    ASSERT_TRUE(sim.Process().waitForFinished(kDeadlineMs));
    EXPECT_EQ(sim.Process().exitCode(), 2);
    EXPECT_TRUE(sim.Process().readAllStandardOutput().isEmpty());
}
