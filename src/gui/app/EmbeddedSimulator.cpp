#include "gui/app/EmbeddedSimulator.h"

#include <QDir>
#include <QSocketNotifier>
#include <QTimer>

#include <stdlib.h>

#include <algorithm>
#include <climits>

namespace {

constexpr int kTagIntervalMs = 3000;
// Never let a stalled client grow the pending bytes without bound.
constexpr size_t kMaxPending = 64 * 1024;

// The master side of the transport's pseudo-terminal, to be told when the tool has written:
// the descriptor whose slave is the transport's device.
int MasterFor(const std::string& slavePath) {
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const int fd = entry.toInt(&ok);
        char name[PATH_MAX] = {};
        if (ok && ::ptsname_r(fd, name, sizeof name) == 0 && slavePath == name) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

EmbeddedSimulator::EmbeddedSimulator(QObject* parent) : QObject(parent), m_wake(new QTimer(this)) {
    m_wake->setSingleShot(true);
    connect(m_wake, &QTimer::timeout, this, &EmbeddedSimulator::Pump);
    // A small herd: an FDX-B tag with an event text and an HDX tag.
    m_reader.SetTransponders({{984, 123456789012ULL, 5, "Vaccinate"}, {276, 98765432101ULL, 1, ""}});
    m_reader.SetTagForm(SimulatedReader::TagForm::kChar16);
    m_reader.SetTagInterval(kTagIntervalMs);
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
    const int master = MasterFor(m_pty.SlavePath());
    if (master < 0) {
        m_pty.Close();
        return -1;
    }
    m_readable = new QSocketNotifier(master, QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &EmbeddedSimulator::Pump);
    m_writable = new QSocketNotifier(master, QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &EmbeddedSimulator::Pump);
    m_clock.start();
    m_lastMs = 0;
    m_wakes = 0;
    ScheduleNextWake(0);
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
        if (m_reader.GetFaults().delayMs > 0) {
            m_answersDue.push_back(now + m_reader.GetFaults().delayMs);
        }
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
    ScheduleNextWake(now);
}

void EmbeddedSimulator::ScheduleNextWake(qint64 now) {
    std::erase_if(m_answersDue, [now](qint64 due) { return due <= now; });
    qint64 next = -1;
    if (!m_answersDue.empty()) {
        next = *std::min_element(m_answersDue.begin(), m_answersDue.end());
    }
    // Reports fall due every interval, counted from the reader's start.
    if (const int interval = m_reader.GetTagInterval(); interval > 0) {
        const qint64 tag = now + interval - m_reader.Now() % interval;
        next = next < 0 ? tag : std::min(next, tag);
    }
    if (next < 0) {
        m_wake->stop();
        return;
    }
    m_wake->start(static_cast<int>(std::max<qint64>(next - now, 0)) + 1);
}
