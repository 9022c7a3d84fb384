#include "platform/SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A pseudo-terminal standing in for the reader: the port opens the slave by its path, the test
// plays the far end on the master.
class Pty final {
public:
    Pty() {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
            return;
        }
        for (const int fd : {m_master, m_slave}) {
            termios t{};
            ::tcgetattr(fd, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        char name[128] = {};
        ::ptsname_r(m_master, name, sizeof name);
        m_path = name;
    }
    ~Pty() {
        CloseMaster();
        if (m_slave >= 0) {
            ::close(m_slave);
        }
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return m_master >= 0 && !m_path.isEmpty(); }
    QString Path() const { return m_path; }

    void Send(const Bytes& bytes) {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return;
            }
            done += n > 0 ? static_cast<size_t>(n) : 0;
        }
    }

    Bytes Drain() {
        Bytes out;
        uint8_t buffer[512];
        for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;) {
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }

    // The far end goes away, as when the simulator ends or an adapter is unplugged.
    void CloseMaster() {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    int m_master = -1;
    int m_slave = -1;  // held open so the line stays up while the port opens and closes
    QString m_path;
};

bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ::usleep(1000);
    }
    return true;
}

void Pump(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

Bytes Pattern(size_t count) {
    Bytes out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    }
    return out;
}

int WriteOne(CSerialPort& port) {
    const uint8_t byte = 0x01;
    return port.Write(&byte, 1);
}

// Collects what the port hands to its owner.
struct Owner {
    std::vector<Bytes> batches;
    int lost = 0;
    std::vector<std::string> errors;

    void Attach(CSerialPort& port) {
        port.SetReceiver(
            [this](const uint8_t* bytes, int count) { batches.emplace_back(bytes, bytes + count); });
        port.SetLostHandler([this] { ++lost; });
        port.SetErrorHandler([this](const std::string& text) { errors.push_back(text); });
    }
    Bytes All() const {
        Bytes out;
        for (const auto& b : batches) {
            out.insert(out.end(), b.begin(), b.end());
        }
        return out;
    }
};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_pty.Ok()) {
            GTEST_SKIP() << "no pseudo-terminal available";
        }
        m_port.SetDevicePath(m_pty.Path());
        m_owner.Attach(m_port);
    }

    Pty m_pty;
    CSerialPort m_port;
    Owner m_owner;
};

}  // namespace

TEST_F(SerialPortTest, BurstArrivesInOrderInBatchesOfAtMost1000) {
    ASSERT_EQ(m_port.Open(), 1) << m_port.LastOpenErrorText().toStdString();
    EXPECT_EQ(m_port.IsOpen(), 1);
    const Bytes sent = Pattern(2500);
    m_pty.Send(sent);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.All().size() >= sent.size(); }));
    Pump(50);
    EXPECT_EQ(m_owner.All(), sent);
    EXPECT_GE(m_owner.batches.size(), 3u);
    for (const auto& batch : m_owner.batches) {
        EXPECT_GT(batch.size(), 0u);
        EXPECT_LE(batch.size(), static_cast<size_t>(CSerialPort::kBatch));
    }
    EXPECT_EQ(m_owner.lost, 0);
}

TEST_F(SerialPortTest, WritesReachTheFarEnd) {
    ASSERT_EQ(m_port.Open(), 1);
    const Bytes frame = {0x00, 0x00, 0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x10, 0x03, 0xEB, 0x03};
    const Bytes big = Pattern(3000);
    EXPECT_EQ(m_port.Write(frame.data(), static_cast<int>(frame.size())), 1);
    EXPECT_EQ(m_port.Write(big.data(), static_cast<int>(big.size())), 1);
    Bytes expected = frame;
    expected.insert(expected.end(), big.begin(), big.end());
    Bytes got;
    ASSERT_TRUE(PumpUntil([&] {
        const Bytes more = m_pty.Drain();
        got.insert(got.end(), more.begin(), more.end());
        return got.size() >= expected.size();
    }));
    EXPECT_EQ(got, expected);
}

TEST_F(SerialPortTest, NothingArrivesAfterClose) {
    ASSERT_EQ(m_port.Open(), 1);
    m_pty.Send({0x02, 0x01, 0xF0, 0x09, 0x38, 0x03});
    ASSERT_TRUE(PumpUntil([&] { return m_owner.All().size() == 6; }));
    EXPECT_EQ(m_port.Close(), 1);
    EXPECT_EQ(m_port.IsOpen(), 0);
    m_pty.Send(Pattern(100));
    Pump(300);
    EXPECT_EQ(m_owner.All().size(), 6u);
    EXPECT_EQ(WriteOne(m_port), 0);
    EXPECT_EQ(m_owner.lost, 0) << "a close by the owner is not a lost device";
}

TEST_F(SerialPortTest, OwnerClosingInsideABatchGetsNoMore) {
    // The main window disconnects while it handles received bytes.
    m_port.SetReceiver([this](const uint8_t* bytes, int count) {
        m_owner.batches.emplace_back(bytes, bytes + count);
        m_port.Close();
    });
    ASSERT_EQ(m_port.Open(), 1);
    m_pty.Send(Pattern(2500));
    ASSERT_TRUE(PumpUntil([&] { return !m_owner.batches.empty(); }));
    Pump(200);
    EXPECT_EQ(m_owner.batches.size(), 1u);
    EXPECT_EQ(m_port.IsOpen(), 0);
}

TEST_F(SerialPortTest, MissingDeviceFailsAndALaterGoodOpenWorks) {
    EXPECT_EQ(m_port.EffectiveDevice(), m_pty.Path()) << "a given path wins over the port number";
    m_port.SetDevicePath({});
    for (const int port : {0, 200}) {
        m_port.SetPortNumber(port);
        EXPECT_EQ(m_port.Open(), 0) << port;
        EXPECT_EQ(m_port.LastOpenError(), CSerialPort::OpenError::Missing) << port;
    }
    m_port.SetPortNumber(128);
    if (!QFileInfo::exists(QStringLiteral("/dev/rfcomm31"))) {
        EXPECT_EQ(m_port.Open(), 0);
        EXPECT_TRUE(m_port.LastOpenErrorText().contains(QStringLiteral("/dev/rfcomm31")));
    }
    m_port.SetPortNumber(33);
    EXPECT_EQ(m_port.GetPortNumber(), 33);
    EXPECT_EQ(m_port.EffectiveDevice(), QStringLiteral("/dev/ttyUSB0"));
    const QString missing = QStringLiteral("/dev/corvantelle-no-such-device");
    m_port.SetDevicePath(missing);
    EXPECT_EQ(m_port.Open(), 0);
    EXPECT_EQ(m_port.IsOpen(), 0);
    EXPECT_EQ(m_port.LastOpenError(), CSerialPort::OpenError::Missing);
    EXPECT_TRUE(m_port.LastOpenErrorText().contains(missing)) << m_port.LastOpenErrorText().toStdString();
    EXPECT_EQ(WriteOne(m_port), 0);

    m_port.SetDevicePath(m_pty.Path());
    EXPECT_EQ(m_port.Open(), 1);
    EXPECT_EQ(m_port.LastOpenError(), CSerialPort::OpenError::None);
    EXPECT_TRUE(m_port.LastOpenErrorText().isEmpty());
    m_pty.Send({0x41, 0x42});
    EXPECT_TRUE(PumpUntil([&] { return m_owner.All() == Bytes{0x41, 0x42}; }));
}

TEST_F(SerialPortTest, SecondOpenIsInUseAndOpenWhileOpenMovesToTheNewDevice) {
    ASSERT_EQ(m_port.Open(), 1);
    CSerialPort other;
    Owner otherOwner;
    otherOwner.Attach(other);
    other.SetDevicePath(m_pty.Path());
    EXPECT_EQ(other.Open(), 0);
    EXPECT_EQ(other.IsOpen(), 0);
    EXPECT_EQ(other.LastOpenError(), CSerialPort::OpenError::InUse);
    EXPECT_FALSE(other.LastOpenErrorText().isEmpty());
    // The first port is not disturbed by the failed attempt.
    m_pty.Send({0x10, 0x20, 0x30});
    ASSERT_TRUE(PumpUntil([&] { return m_owner.All().size() == 3; }));
    EXPECT_TRUE(otherOwner.batches.empty());

    Pty second;
    ASSERT_TRUE(second.Ok());
    m_port.SetDevicePath(second.Path());
    EXPECT_EQ(m_port.Open(), 1);
    EXPECT_EQ(m_port.IsOpen(), 1);
    EXPECT_EQ(m_port.LastOpenError(), CSerialPort::OpenError::None);
    m_pty.Send({0x01});
    second.Send({0x02});
    ASSERT_TRUE(PumpUntil([&] { return m_owner.All().size() > 3; }));
    Pump(100);
    EXPECT_EQ(m_owner.All(), (Bytes{0x10, 0x20, 0x30, 0x02}));
    EXPECT_EQ(other.Open(), 1) << "the first device is free again";
    m_port.Close();
    other.SetDevicePath(second.Path());
    EXPECT_EQ(other.Open(), 1) << "a closed port releases its device";
}

TEST_F(SerialPortTest, DtrOnAPseudoTerminalIsNotALostDevice) {
    m_port.SetBaudRate(115200);
    ASSERT_EQ(m_port.Open(), 1);
    EXPECT_EQ(m_port.ClearDtr(), 0);
    EXPECT_EQ(m_port.SetDtr(), 0);
    Pump(100);
    EXPECT_EQ(m_port.IsOpen(), 1);
    EXPECT_EQ(m_owner.lost, 0);
    m_pty.Send({0x55});
    EXPECT_TRUE(PumpUntil([&] { return m_owner.All() == Bytes{0x55}; }));
}

TEST_F(SerialPortTest, FarEndGoingAwayIsReportedOnceAndCloses) {
    ASSERT_EQ(m_port.Open(), 1);
    m_pty.CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return m_owner.lost > 0; })) << "the hang-up was never noticed";
    EXPECT_EQ(m_port.IsOpen(), 0);
    EXPECT_EQ(WriteOne(m_port), 0);
    Pump(300);
    EXPECT_EQ(m_owner.lost, 1);
    ASSERT_FALSE(m_owner.errors.empty());
    EXPECT_EQ(m_owner.errors.front().rfind("COM Error <CE-", 0), 0u) << m_owner.errors.front();
}

TEST_F(SerialPortTest, FarEndGoingAwayWhileWritingIsReportedOnce) {
    ASSERT_EQ(m_port.Open(), 1);
    const Bytes big = Pattern(20000);
    m_port.Write(big.data(), static_cast<int>(big.size()));
    m_pty.CloseMaster();
    for (int i = 0; i < 20 && m_port.IsOpen() == 1; ++i) {
        m_port.Write(big.data(), 100);
        Pump(10);
    }
    ASSERT_TRUE(PumpUntil([&] { return m_owner.lost > 0; }));
    Pump(200);
    EXPECT_EQ(m_owner.lost, 1);
    EXPECT_EQ(m_port.IsOpen(), 0);
    EXPECT_LT(m_owner.errors.size(), 5u) << "the error storm of a dead device must not reach the owner";
}
