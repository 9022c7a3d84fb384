#include "platform/SerialPort.h"

#include "core/link/PortDevice.h"
#include "core/util/Format.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

Q_LOGGING_CATEGORY(lcSerialPort, "corvantelle.serial", QtInfoMsg)

namespace {

// The device majors of the pseudo-terminal slaves (/dev/pts/N).
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

}  // namespace

CSerialPort::CSerialPort(QObject* parent) : QObject(parent), m_port(new QSerialPort(this)) {
    connect(m_port, &QSerialPort::readyRead, this, &CSerialPort::OnReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &CSerialPort::OnError);
}

CSerialPort::~CSerialPort() {
    if (m_open) {
        Close();
    }
}

QString CSerialPort::EffectiveDevice() const {
    if (!m_devicePath.isEmpty()) {
        return m_devicePath;
    }
    return QString::fromStdString(DeviceForPort(m_portNumber));
}

std::string CSerialPort::PortLabel() const {
    return m_devicePath.isEmpty() ? Format("COM%d", m_portNumber) : m_devicePath.toStdString();
}

int CSerialPort::Open() {
    // A second Open takes a changed port or baud rate into effect instead of failing while the
    // old device stays open behind the caller's back.
    if (m_open || m_port->isOpen()) {
        Close();
    }
    m_openError = OpenError::None;
    m_openErrorText.clear();
    const QString device = EffectiveDevice();
    if (device.isEmpty()) {
        m_openError = OpenError::Missing;
        m_openErrorText =
            m_portNumber < 1 ? QStringLiteral(
                                   "No serial port has been chosen yet. Choose the reader's port under "
                                   "Settings > Comport.")
                             : QStringLiteral("COM%1 is not a serial port of this system.").arg(m_portNumber);
        return 0;
    }
    m_port->setPortName(device);
    m_port->setBaudRate(static_cast<qint32>(m_baudRate));
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const auto error = m_port->error();
        const QByteArray path = QFileInfo(device).absoluteFilePath().toLocal8Bit();
        if (error == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(device)) {
            m_openError = OpenError::Missing;
            m_openErrorText = QStringLiteral(
                                  "The device %1 does not exist. Check that the reader or its adapter is "
                                  "plugged in, or choose another port.")
                                  .arg(device);
        } else if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
            m_openError = OpenError::PermissionDenied;
            m_openErrorText = QStringLiteral(
                                  "Permission denied for %1. Add your user to the group that owns the "
                                  "device (usually dialout), then log in again.")
                                  .arg(device);
        } else if (error == QSerialPort::PermissionError) {
            m_openError = OpenError::InUse;
            m_openErrorText =
                QStringLiteral("%1 is in use by another program. Close that program and connect again.")
                    .arg(device);
        } else {
            m_openError = OpenError::Other;
            m_openErrorText = QStringLiteral("%1 could not be opened: %2").arg(device, m_port->errorString());
        }
        m_port->clearError();
        return 0;
    }
    // DTR and RTS stay on; a pseudo-terminal refuses both, which is harmless.
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
    m_port->clear(QSerialPort::AllDirections);
    m_port->clearError();
    m_open = true;
    RememberName(device);
    RequestLowLatency();
    return 1;
}

void CSerialPort::RequestLowLatency() {
    m_lowLatencySet = false;
    const int fd = static_cast<int>(m_port->handle());
    serial_struct serial{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &serial) != 0) {
        // A pseudo-terminal, Bluetooth RFCOMM or a CDC-ACM device: no latency timer to speak of.
        m_lowLatencyNote = QStringLiteral("low latency: not offered by this device's driver");
    } else if ((serial.flags & ASYNC_LOW_LATENCY) != 0) {
        m_lowLatencyNote = QStringLiteral("low latency: already on");
    } else {
        serial.flags |= ASYNC_LOW_LATENCY;
        if (::ioctl(fd, TIOCSSERIAL, &serial) != 0) {
            m_lowLatencyNote = QStringLiteral("low latency: refused by the driver (%1)")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno)));
        } else {
            m_lowLatencySet = true;
            m_lowLatencyNote = QStringLiteral("low latency: set (ASYNC_LOW_LATENCY), put back on close");
        }
    }
    qCDebug(lcSerialPort).noquote() << m_port->portName() + QStringLiteral(": ") + m_lowLatencyNote;
}

void CSerialPort::RestoreLatency() {
    if (!m_lowLatencySet) {
        return;
    }
    const int fd = static_cast<int>(m_port->handle());
    serial_struct serial{};
    // Only our own flag goes back: whatever else changed meanwhile stays.
    if (fd >= 0 && ::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags &= ~ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
    m_lowLatencySet = false;
}

void CSerialPort::RememberName(const QString& device) {
    const QByteArray path = QFile::encodeName(device);
    struct stat name {};
    struct stat node {};
    const bool named = ::lstat(path.constData(), &name) == 0;
    m_openedPty = named && ::stat(path.constData(), &node) == 0 && S_ISCHR(node.st_mode) &&
                  major(node.st_rdev) >= kPtySlaveMajorFirst && major(node.st_rdev) <= kPtySlaveMajorLast;
    m_nameDevice = named ? name.st_dev : 0;
    m_nameInode = named ? name.st_ino : 0;
}

int CSerialPort::Reopen() {
    if (m_openedPty) {
        const QString device = EffectiveDevice();
        struct stat name {};
        if (::lstat(QFile::encodeName(device).constData(), &name) != 0 ||
            (name.st_dev == m_nameDevice && name.st_ino == m_nameInode)) {
            m_openError = OpenError::Missing;
            m_openErrorText = QStringLiteral("%1 has not come back.").arg(device);
            return 0;
        }
    }
    return Open();
}

int CSerialPort::Close() {
    m_open = false;
    if (m_port->isOpen()) {
        RestoreLatency();
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
    }
    m_port->clearError();
    return 1;
}

int CSerialPort::Write(const uint8_t* bytes, int count) {
    if (!m_open) {
        return 0;
    }
    const qint64 written = m_port->write(reinterpret_cast<const char*>(bytes), count);
    if (written < 0) {
        ReportComError(static_cast<unsigned>(m_port->error()));
        return 0;
    }
    if (written == count) {
        qCDebug(lcSerialPort).noquote() << Format("\n%ld bytes written", static_cast<long>(written)).c_str();
    } else {
        qCDebug(lcSerialPort).noquote()
            << Format("\nProbable Write Timeout: Total of %ld bytes sent", static_cast<long>(written))
                   .c_str();
    }
    return 1;
}

int CSerialPort::SetDtr() {
    if (m_open) {
        m_port->setDataTerminalReady(true);
    }
    return 0;
}

int CSerialPort::ClearDtr() {
    if (m_open) {
        m_port->setDataTerminalReady(false);
    }
    return 0;
}

void CSerialPort::OnReadyRead() {
    uint8_t buffer[kBatch];
    while (m_open) {
        const qint64 n = m_port->read(reinterpret_cast<char*>(buffer), kBatch);
        if (n <= 0) {
            break;
        }
        if (m_receiver) {
            m_receiver(buffer, static_cast<int>(n));
        }
    }
}

void CSerialPort::ReportComError(unsigned code) {
    if (m_errorHandler) {
        m_errorHandler(Format("COM Error <CE-%u>", code));
    }
}

void CSerialPort::OnError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::UnsupportedOperationError:  // DTR/RTS on a pseudo-terminal
        case QSerialPort::TimeoutError:
            return;
        default:
            break;
    }
    if (!m_open) {
        return;
    }
    // The device went away (unplugged adapter, ended simulator): close at once, before a write
    // to the dead device raises the same error thousands of times. Closed first, so that the
    // owner can tell the failure it hears of now from one on a working line: it is the loss
    // reported right after it, once.
    Close();
    ReportComError(static_cast<unsigned>(error));
    if (m_lostHandler) {
        m_lostHandler();
    }
}
