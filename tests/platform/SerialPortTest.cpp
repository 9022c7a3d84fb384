#include "platform/SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The port opens the slave by its path; the test plays the reader on the master.
struct Pty final {
    Pty() {
        termios raw{};
        ::cfmakeraw(&raw);
        ::cfsetspeed(&raw, B115200);
        if (::openpty(&master, &slave, nullptr, &raw, nullptr) == 0) {
            path = QString::fromLocal8Bit(::ptsname(master));
        }
    }
    ~Pty() {
        CloseMaster();
        ::close(slave);  // held open so the line stays up while the port opens and closes
    }
    void Send(const Bytes& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    void CloseMaster() {
        ::close(master);
        master = -1;
    }

    int master = -1;
    int slave = -1;
    QString path;
};

// Runs the event loop until done() holds, or without done() for the whole time.
bool WaitFor(int milliseconds, const std::function<bool()>& done = nullptr) {
    QElapsedTimer clock;
    clock.start();
    while (!(done && done())) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ::usleep(1000);
    }
    return true;
}

Bytes Pattern(size_t count) {
    Bytes out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    }
    return out;
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (m_pty.path.isEmpty()) {
            GTEST_SKIP() << "no pseudo-terminal available";
        }
        m_port.SetDevicePath(m_pty.path);
        m_port.SetReceiver([this](const uint8_t* b, int count) {
            m_owner.batches.push_back(size_t(count));
            m_owner.bytes.insert(m_owner.bytes.end(), b, b + count);
        });
        m_port.SetLostHandler([this] { ++m_owner.lost; });
        m_port.SetErrorHandler([this](const std::string& text) { m_owner.errors.push_back(text); });
    }

    Pty m_pty;
    struct {
        std::vector<size_t> batches;
        Bytes bytes;
        int lost = 0;
        std::vector<std::string> errors;
    } m_owner;
    CSerialPort m_port;  // goes first, its handlers write into m_owner
};

}  // namespace

TEST_F(SerialPortTest, BytesCrossBothWaysInOrderAndNothingAfterClose) {
    ASSERT_EQ(m_port.Open(), 1) << m_port.LastOpenErrorText().toStdString();
    // A pseudo-terminal has no latency timer: the request fails quietly and the port works.
    EXPECT_TRUE(m_port.LowLatencyNote().contains("not offered")) << m_port.LowLatencyNote().toStdString();
    const Bytes sent = Pattern(2500);
    m_pty.Send(sent);
    ASSERT_TRUE(WaitFor(5000, [&] { return m_owner.bytes.size() >= sent.size(); }));
    WaitFor(50);
    EXPECT_EQ(m_owner.bytes, sent);
    EXPECT_GE(m_owner.batches.size(), 3u);
    for (const size_t batch : m_owner.batches) {
        EXPECT_TRUE(batch > 0 && batch <= size_t(CSerialPort::kBatch)) << batch;
    }

    const Bytes expected = Pattern(3000);  // every byte value, control characters included
    EXPECT_EQ(m_port.Write(expected.data(), 12), 1);
    EXPECT_EQ(m_port.Write(expected.data() + 12, static_cast<int>(expected.size()) - 12), 1);
    ::fcntl(m_pty.master, F_SETFL, ::fcntl(m_pty.master, F_GETFL) | O_NONBLOCK);
    Bytes got;
    ASSERT_TRUE(WaitFor(5000, [&] {
        uint8_t buffer[512];
        for (ssize_t n; (n = ::read(m_pty.master, buffer, sizeof buffer)) > 0;) {
            got.insert(got.end(), buffer, buffer + n);
        }
        return got.size() >= expected.size();
    }));
    EXPECT_EQ(got, expected);

    EXPECT_EQ(m_port.Close(), 1);
    EXPECT_EQ(m_port.IsOpen(), 0);
    m_pty.Send(Pattern(100));
    WaitFor(300);
    EXPECT_EQ(m_owner.bytes.size(), sent.size());
    EXPECT_EQ(m_port.Write(Pattern(1).data(), 1), 0);
    EXPECT_EQ(m_owner.lost, 0) << "a close by the owner is not a lost device";
}

TEST_F(SerialPortTest, OwnerClosingInsideABatchGetsNoMore) {
    m_port.SetReceiver([this](const uint8_t*, int count) {
        m_owner.batches.push_back(size_t(count));
        m_port.Close();
    });
    ASSERT_EQ(m_port.Open(), 1);
    m_pty.Send(Pattern(2500));
    ASSERT_TRUE(WaitFor(5000, [&] { return !m_owner.batches.empty(); }));
    WaitFor(200);
    EXPECT_EQ(m_owner.batches.size(), 1u);
    EXPECT_EQ(m_port.IsOpen(), 0);
}

TEST_F(SerialPortTest, MissingAndInUseDevicesFailAndOpenWhileOpenMovesToTheNewDevice) {
    EXPECT_EQ(m_port.EffectiveDevice(), m_pty.path) << "a given path wins over the port number";
    m_port.SetDevicePath({});
    for (const int port : {0, 200}) {
        m_port.SetPortNumber(port);
        EXPECT_EQ(m_port.Open(), 0) << port;
        EXPECT_EQ(m_port.LastOpenError(), CSerialPort::OpenError::Missing) << port;
    }
    m_port.SetPortNumber(33);
    EXPECT_EQ(m_port.EffectiveDevice(), QStringLiteral("/dev/ttyUSB0"));
    const QString missing = QStringLiteral("/dev/corvantelle-no-such-device");
    m_port.SetDevicePath(missing);
    EXPECT_EQ(m_port.Open(), 0);
    EXPECT_EQ(m_port.LastOpenError(), CSerialPort::OpenError::Missing);
    EXPECT_TRUE(m_port.LastOpenErrorText().contains(missing)) << m_port.LastOpenErrorText().toStdString();
    EXPECT_EQ(m_port.Write(Pattern(1).data(), 1), 0);

    m_port.SetDevicePath(m_pty.path);
    ASSERT_EQ(m_port.Open(), 1);
    EXPECT_TRUE(m_port.LastOpenErrorText().isEmpty());
    CSerialPort other;
    other.SetDevicePath(m_pty.path);
    EXPECT_EQ(other.Open(), 0);
    EXPECT_EQ(other.LastOpenError(), CSerialPort::OpenError::InUse);
    EXPECT_FALSE(other.LastOpenErrorText().isEmpty());
    // The failed attempt does not disturb the first port.
    m_pty.Send({0x10, 0x20, 0x30});
    ASSERT_TRUE(WaitFor(5000, [&] { return m_owner.bytes.size() == 3; }));

    Pty second;
    ASSERT_FALSE(second.path.isEmpty());
    m_port.SetDevicePath(second.path);
    EXPECT_EQ(m_port.Open(), 1);
    EXPECT_EQ(m_port.LastOpenError(), CSerialPort::OpenError::None);
    m_pty.Send({0x01});
    second.Send({0x02});
    ASSERT_TRUE(WaitFor(5000, [&] { return m_owner.bytes.size() > 3; }));
    WaitFor(100);
    EXPECT_EQ(m_owner.bytes, (Bytes{0x10, 0x20, 0x30, 0x02}));
    EXPECT_EQ(other.Open(), 1) << "the first device is free again";
    m_port.Close();
    other.SetDevicePath(second.path);
    EXPECT_EQ(other.Open(), 1) << "a closed port releases its device";
}

// Written to while the far end goes away, as a reader pulled off mid-conversation.
TEST_F(SerialPortTest, FarEndGoingAwayIsReportedOnceAndCloses) {
    ASSERT_EQ(m_port.Open(), 1);
    const Bytes big = Pattern(20000);
    m_port.Write(big.data(), static_cast<int>(big.size()));
    m_pty.CloseMaster();
    for (int i = 0; i < 20 && m_port.IsOpen() == 1; ++i) {
        m_port.Write(big.data(), 100);
        WaitFor(10);
    }
    ASSERT_TRUE(WaitFor(5000, [&] { return m_owner.lost > 0; })) << "the hang-up was never noticed";
    EXPECT_EQ(m_port.IsOpen(), 0);
    EXPECT_EQ(m_port.Write(big.data(), 1), 0);
    WaitFor(300);
    EXPECT_EQ(m_owner.lost, 1);
    ASSERT_FALSE(m_owner.errors.empty());
    EXPECT_LT(m_owner.errors.size(), 5u) << "the error storm of a dead device must not reach the owner";
    EXPECT_EQ(m_owner.errors.front().rfind("COM Error <CE-", 0), 0u) << m_owner.errors.front();
}

// The number of a pseudo-terminal that went away goes to the next one made, perhaps a terminal
// window's: under its old name it is not opened again, under a name made anew it is.
TEST_F(SerialPortTest, PseudoTerminalIsReopenedOnlyUnderARenewedName) {
    QTemporaryDir dir;
    const QByteArray link = QFile::encodeName(dir.filePath("reader"));
    ASSERT_EQ(::symlink(m_pty.path.toLocal8Bit().constData(), link.constData()), 0);
    m_port.SetDevicePath(dir.filePath("reader"));
    ASSERT_EQ(m_port.Open(), 1);
    m_port.Close();
    EXPECT_EQ(m_port.Reopen(), 0);
    Pty next;
    ASSERT_EQ(::symlink(next.path.toLocal8Bit().constData(), (link + ".new").constData()), 0);
    ASSERT_EQ(::rename((link + ".new").constData(), link.constData()), 0);
    EXPECT_EQ(m_port.Reopen(), 1);
}
