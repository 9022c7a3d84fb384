#include "simhost/EmbeddedSimulator.h"

#include "sim/HostClock.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

constexpr int kTagIntervalMs = 3000;
// Never let a stalled client grow the pending bytes without bound.
constexpr size_t kMaxPending = 64 * 1024;

}  // namespace

EmbeddedSimulator::EmbeddedSimulator(QObject* parent) : QObject(parent), m_wake(new QTimer(this)) {
    m_wake->setSingleShot(true);
    connect(m_wake, &QTimer::timeout, this, &EmbeddedSimulator::Pump);
    // A small herd: an FDX-B tag with an event text and an HDX tag.
    m_reader.SetTransponders({{984, 123456789012ULL, 5, "Vaccinate"}, {276, 98765432101ULL, 1, ""}});
    m_reader.SetTagForm(SimulatedReader::TagForm::kChar16);
    m_reader.SetTagInterval(kTagIntervalMs);
    SetClockFromHost(m_reader);
}

EmbeddedSimulator::~EmbeddedSimulator() {
    m_wake->stop();
    delete m_readable;
    delete m_writable;
    m_pty.Close();
}

int EmbeddedSimulator::Start() {
    if (m_pty.Open() != 0) {
        return -1;
    }
    const int master = m_pty.MasterFd();
    m_readable = new QSocketNotifier(master, QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &EmbeddedSimulator::Pump);
    m_writable = new QSocketNotifier(master, QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &EmbeddedSimulator::Pump);
    m_clock.start();
    m_lastMs = 0;
    m_wakes = 0;
    ScheduleNextWake();
    return 0;
}

QString EmbeddedSimulator::DevicePath() const {
    return QString::fromStdString(m_pty.SlavePath());
}

void EmbeddedSimulator::Pump() {
    ++m_wakes;
    const qint64 now = m_clock.elapsed();
    m_reader.Advance(static_cast<int>(now - m_lastMs));
    m_lastMs = now;
    uint8_t buffer[1024];
    int n = 0;
    while ((n = m_pty.Read(buffer, sizeof buffer)) > 0) {
        m_reader.Receive(buffer, static_cast<size_t>(n));
    }
    const auto out = m_reader.TakeOutput();
    m_pending.insert(m_pending.end(), out.begin(), out.end());
    if (m_pending.size() > kMaxPending) {
        m_pending.erase(m_pending.begin(), m_pending.end() - static_cast<std::ptrdiff_t>(kMaxPending));
    }
    if (!m_pending.empty()) {
        const int written = m_pty.Write(m_pending.data(), m_pending.size());
        if (written > 0) {
            m_pending.erase(m_pending.begin(), m_pending.begin() + written);
        }
    }
    // Woken again when the line has room for the rest.
    m_writable->setEnabled(!m_pending.empty());
    ScheduleNextWake();
}

void EmbeddedSimulator::ScheduleNextWake() {
    // The reader's clock runs with ours, so its due time converts directly.
    const int64_t due = m_reader.NextOutputDue();
    if (due < 0) {
        m_wake->stop();
        return;
    }
    m_wake->start(static_cast<int>(std::clamp<int64_t>(due - m_reader.Now(), 0, INT_MAX - 1)) + 1);
}
