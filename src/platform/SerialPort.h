#pragma once

#include "core/app/LinkPort.h"

#include <QLoggingCategory>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

// What the port writes, byte counts per write; off unless asked for (--verbose).
Q_DECLARE_LOGGING_CATEGORY(lcSerialPort)

// The tool's one connection to the reader: a serial device, 8N1, no flow control, DTR and RTS on.
// Received bytes reach the owner synchronously on the GUI thread, in order, at most 1000 a batch.
class CSerialPort final : public QObject, public ILinkPort {
    Q_OBJECT

public:
    static constexpr int kBatch = 1000;

    enum class OpenError { None, Missing, InUse, PermissionDenied, Other };

    using Receiver = std::function<void(const uint8_t* bytes, int count)>;
    using TextHandler = std::function<void(const std::string& text)>;
    using LostHandler = std::function<void()>;

    explicit CSerialPort(QObject* parent = nullptr);
    ~CSerialPort() override;

    int Open() override;
    // A pseudo-terminal is opened again only under a name made anew since the loss (a restarted
    // simulator's link): its old number may belong to another program's terminal by now.
    int Reopen() override;
    int Close() override;
    int IsOpen() const override { return m_open ? 1 : 0; }
    int Write(const uint8_t* bytes, int count) override;

    void SetPortNumber(int port) override { m_portNumber = port; }
    int GetPortNumber() const override { return m_portNumber; }
    // A device path (a pseudo-terminal, /dev/serial/by-id/...) that overrides the port number;
    // empty to go back to the port number.
    void SetDevicePath(const QString& path) { m_devicePath = path; }
    QString GetDevicePath() const { return m_devicePath; }
    QString EffectiveDevice() const;
    void SetBaudRate(uint32_t baud) override { m_baudRate = baud; }
    uint32_t GetBaudRate() const override { return m_baudRate; }
    std::string PortLabel() const override;
    std::string LastErrorText() const override { return m_openErrorText.toStdString(); }
    int SetDtr() override;
    int ClearDtr() override;

    void SetReceiver(Receiver receiver) { m_receiver = std::move(receiver); }
    // "COM Error <CE-%u>" texts of failed reads and writes.
    void SetErrorHandler(TextHandler handler) { m_errorHandler = std::move(handler); }
    // Called once when the device goes away while open; the port is closed by then, and already
    // when the error handler hears of the failure.
    void SetLostHandler(LostHandler handler) { m_lostHandler = std::move(handler); }

    // What the driver was asked about its receive latency when the port opened, for --verbose:
    // a USB adapter otherwise holds what it receives up to its latency timer (often 16 ms), which
    // every request-and-answer exchange waits for.
    const QString& LowLatencyNote() const { return m_lowLatencyNote; }

    OpenError LastOpenError() const { return m_openError; }
    // Why the last Open failed, in words a user can act on.
    QString LastOpenErrorText() const { return m_openErrorText; }

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void ReportComError(unsigned code);
    void RememberName(const QString& device);
    void RequestLowLatency();
    void RestoreLatency();

    QSerialPort* m_port;
    bool m_open = false;
    int m_portNumber = 1;
    QString m_devicePath;
    uint32_t m_baudRate = 9600;
    Receiver m_receiver;
    TextHandler m_errorHandler;
    LostHandler m_lostHandler;
    OpenError m_openError = OpenError::None;
    QString m_openErrorText;
    // What the device was opened by: whether it is a pseudo-terminal, and the name's own file
    // (the link, or the node itself).
    bool m_openedPty = false;
    uint64_t m_nameDevice = 0;
    uint64_t m_nameInode = 0;
    // We turned the driver's low latency on, and turn it off again on close.
    bool m_lowLatencySet = false;
    QString m_lowLatencyNote;
};
