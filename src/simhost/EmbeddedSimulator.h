#pragma once

#include "sim/PtyTransport.h"
#include "sim/SimulatedReader.h"

#include <QElapsedTimer>
#include <QObject>

#include <vector>

class QSocketNotifier;
class QTimer;

// A simulated reader inside the tool, on a pseudo-terminal that the tool's serial port opens like
// any device: the whole road from port to window is the same as with hardware. It wakes only when
// the tool has written, when the line can take what it could not take before, and when the reader
// has something to send (the next tag report, a delayed answer), so an idle tool stays idle.
class EmbeddedSimulator final : public QObject {
    Q_OBJECT

public:
    explicit EmbeddedSimulator(QObject* parent = nullptr);
    ~EmbeddedSimulator() override;

    // 0, or -1 when no pseudo-terminal could be made.
    int Start();
    QString DevicePath() const;
    SimulatedReader& Reader() { return m_reader; }
    // How often it has woken since Start.
    int Wakes() const { return m_wakes; }

private:
    void Pump();
    void ScheduleNextWake();

    SimulatedReader m_reader;
    PtyTransport m_pty;
    QSocketNotifier* m_readable = nullptr;
    QSocketNotifier* m_writable = nullptr;
    QTimer* m_wake;
    QElapsedTimer m_clock;
    qint64 m_lastMs = 0;
    std::vector<uint8_t> m_pending;  // what the line did not take yet
    int m_wakes = 0;
};
