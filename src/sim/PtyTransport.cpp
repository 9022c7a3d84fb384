#include "sim/PtyTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <climits>

PtyTransport::~PtyTransport() {
    Close();
}

int PtyTransport::Open() {
    Close();
    int master = -1;
    int slave = -1;
    char name[PATH_MAX] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        return -1;
    }
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_master = master;
    m_slave = slave;
    m_slavePath = name;
    return 0;
}

void PtyTransport::Close() {
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    m_slavePath.clear();
}

void PtyTransport::ReleaseSlave() {
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

bool PtyTransport::HasClient() const {
    if (m_master < 0) {
        return false;
    }
    pollfd p{m_master, 0, 0};
    return ::poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP) == 0;
}

int PtyTransport::WaitMicros(int64_t timeoutUs) const {
    if (m_master < 0) {
        return -1;
    }
    pollfd p{m_master, POLLIN, 0};
    const timespec timeout{static_cast<time_t>(timeoutUs / 1000000),
                           static_cast<long>(timeoutUs % 1000000) * 1000};
    const int n = ::ppoll(&p, 1, &timeout, nullptr);
    if (n < 0) {
        return errno == EINTR ? 0 : -1;
    }
    if (n == 0) {
        return 0;
    }
    if ((p.revents & POLLIN) != 0) {
        return 1;
    }
    if ((p.revents & (POLLHUP | POLLERR)) != 0) {
        // No client has the device open (the slave released): wait instead of spinning.
        ::ppoll(nullptr, 0, &timeout, nullptr);
        return 0;
    }
    return 0;
}

int PtyTransport::Read(uint8_t* buffer, size_t size) const {
    if (m_master < 0) {
        return -1;
    }
    const ssize_t n = ::read(m_master, buffer, size);
    if (n < 0) {
        // EIO: no client at the moment; the next one can still come.
        return (errno == EAGAIN || errno == EINTR || errno == EIO) ? 0 : -1;
    }
    return static_cast<int>(n);
}

int PtyTransport::Write(const uint8_t* bytes, size_t count) const {
    if (m_master < 0) {
        return -1;
    }
    const ssize_t n = ::write(m_master, bytes, count);
    if (n < 0) {
        return (errno == EAGAIN || errno == EINTR || errno == EIO) ? 0 : -1;
    }
    return static_cast<int>(n);
}
