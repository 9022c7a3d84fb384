#pragma once

#include "sim/PtyTransport.h"
#include "sim/SimulatedReader.h"

#include <QElapsedTimer>
#include <QObject>

#include <vector>

class QTimer;

// A simulated reader inside the tool, on a pseudo-terminal that the tool's serial port opens like
// any device: the whole road from port to window is the same as with hardware.
class EmbeddedSimulator final : public QObject {
    Q_OBJECT

public:
    explicit EmbeddedSimulator(QObject* parent = nullptr);
    ~EmbeddedSimulator() override;

    // 0, or -1 when no pseudo-terminal could be made.
    int Start();
    QString DevicePath() const;
    SimulatedReader& Reader() { return m_reader; }

private:
    void Pump();

    SimulatedReader m_reader;
    PtyTransport m_pty;
    QTimer* m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastMs = 0;
    std::vector<uint8_t> m_pending;  // what the line did not take yet
};
