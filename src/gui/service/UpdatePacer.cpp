#include "gui/service/UpdatePacer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <vector>

// The one timer behind every pacer of the GUI thread. A pacer that is due later joins an earlier
// frame, so views that are busy at the same time end up updated together.
class ViewClock final {
public:
    static ViewClock& Instance() {
        static ViewClock clock;
        return clock;
    }

    void Schedule(UpdatePacer* pacer) {
        m_pending.push_back(pacer);
        int delay = 0;
        if (pacer->IsBusy()) {
            delay =
                static_cast<int>(std::max<qint64>(0, UpdatePacer::kBusyIntervalMs - pacer->m_last.elapsed()));
        }
        QTimer* timer = Timer();
        if (!timer->isActive() || timer->remainingTime() > delay) {
            timer->start(delay);
        }
    }

    void Forget(UpdatePacer* pacer) {
        m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), pacer), m_pending.end());
        if (m_running != nullptr) {
            std::replace(m_running->begin(), m_running->end(), pacer, static_cast<UpdatePacer*>(nullptr));
        }
        if (m_pending.empty() && m_timer != nullptr) {
            m_timer->stop();
        }
    }

    int MsUntilNext() const {
        return m_timer != nullptr && m_timer->isActive() ? std::max(0, m_timer->remainingTime()) : -1;
    }

private:
    QTimer* Timer() {
        // Made with the application and gone with it, so a test program's next application gets
        // a timer of its own.
        if (m_timer == nullptr) {
            m_timer = new QTimer(QCoreApplication::instance());
            m_timer->setSingleShot(true);
            // A coarse timer may fire 5 % late: the newest tag is promised within 100 ms.
            m_timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { Fire(); });
        }
        return m_timer;
    }

    void Fire() {
        std::vector<UpdatePacer*> due;
        due.swap(m_pending);
        // An update may end another view (a window closing) or ask for itself again.
        m_running = &due;
        for (UpdatePacer* pacer : due) {
            if (pacer != nullptr) {
                pacer->Run();
            }
        }
        m_running = nullptr;
    }

    QPointer<QTimer> m_timer;
    std::vector<UpdatePacer*> m_pending;
    std::vector<UpdatePacer*>* m_running = nullptr;
};

UpdatePacer::UpdatePacer(QObject* context, std::function<void()> update)
    : m_context(context), m_update(std::move(update)) {}

UpdatePacer::~UpdatePacer() {
    if (m_pending) {
        ViewClock::Instance().Forget(this);
    }
}

bool UpdatePacer::IsBusy() const {
    return m_last.isValid() && m_quick >= kQuickUpdatesBeforeSpacing;
}

void UpdatePacer::Request() {
    if (m_pending) {
        return;
    }
    m_pending = true;
    ViewClock::Instance().Schedule(this);
}

int UpdatePacer::MsUntilNextUpdate() {
    return ViewClock::Instance().MsUntilNext();
}

void UpdatePacer::Run() {
    m_pending = false;
    // Spaced updates still count as close together, or every spaced one would be followed by a
    // burst of immediate ones.
    const bool quick = m_last.isValid() && m_last.elapsed() < kBusyIntervalMs * 3 / 2;
    m_quick = quick ? m_quick + 1 : 0;
    m_last.restart();
    if (m_context != nullptr) {
        m_update();
    }
}
