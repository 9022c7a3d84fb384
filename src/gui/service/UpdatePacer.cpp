#include "gui/service/UpdatePacer.h"

#include <QTimer>

#include <algorithm>

UpdatePacer::UpdatePacer(QObject* context, std::function<void()> update)
    : m_context(context), m_update(std::move(update)) {}

void UpdatePacer::Request() {
    if (m_pending) {
        return;
    }
    m_pending = true;
    qint64 delay = 0;
    if (m_last.isValid() && m_quick >= kQuickUpdatesBeforeSpacing) {
        delay = std::max<qint64>(0, kBusyIntervalMs - m_last.elapsed());
    }
    QTimer::singleShot(static_cast<int>(delay), m_context, [this] { Run(); });
}

void UpdatePacer::Run() {
    m_pending = false;
    // Spaced updates still count as close together, or every spaced one would be followed by a
    // burst of immediate ones.
    const bool quick = m_last.isValid() && m_last.elapsed() < kBusyIntervalMs * 3 / 2;
    m_quick = quick ? m_quick + 1 : 0;
    m_last.restart();
    m_update();
}
