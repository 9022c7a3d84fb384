#include "gui/app/EmbeddedSimulator.h"

#include <QTimer>

namespace {

constexpr int kPumpMs = 10;
constexpr int kTagIntervalMs = 3000;
// Never let a stalled client grow the pending bytes without bound.
constexpr size_t kMaxPending = 64 * 1024;

}  // namespace

EmbeddedSimulator::EmbeddedSimulator(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
    connect(m_timer, &QTimer::timeout, this, &EmbeddedSimulator::Pump);
    // A small herd: an FDX-B tag with an event text and an HDX tag.
    m_reader.SetTransponders({{984, 123456789012ULL, 5, "Vaccinate"}, {276, 98765432101ULL, 1, ""}});
    m_reader.SetTagForm(SimulatedReader::TagForm::kChar16);
    m_reader.SetTagInterval(kTagIntervalMs);
}

EmbeddedSimulator::~EmbeddedSimulator() {
    m_timer->stop();
    m_pty.Close();
}

int EmbeddedSimulator::Start() {
    if (m_pty.Open() != 0) {
        return -1;
    }
    m_clock.start();
    m_lastMs = 0;
    m_timer->start(kPumpMs);
    return 0;
}

QString EmbeddedSimulator::DevicePath() const {
    return QString::fromStdString(m_pty.SlavePath());
}

void EmbeddedSimulator::Pump() {
    uint8_t buffer[1024];
    int n = 0;
    while ((n = m_pty.Read(buffer, sizeof buffer)) > 0) {
        m_reader.Receive(buffer, static_cast<size_t>(n));
    }
    const qint64 now = m_clock.elapsed();
    m_reader.Advance(static_cast<int>(now - m_lastMs));
    m_lastMs = now;
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
}
