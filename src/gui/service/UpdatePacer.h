#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

// Runs a view update once control returns to the event loop, however often it is asked for
// before. On a busy line that would still be every turn, a few hundred times a second, and
// painting a list, a table or a label that often costs more than the reading itself; so once
// updates keep coming close together, they are spaced to ten a second. A quiet line is shown at
// once.
//
// All pacers of the thread share one clock: the updates due at a moment run in one timer event,
// so what one read delivered to the fields, the status line, the history and the monitor costs
// one wake-up, not one per view.
class UpdatePacer final {
public:
    static constexpr int kBusyIntervalMs = 100;
    static constexpr int kQuickUpdatesBeforeSpacing = 3;

    // context: the object the update belongs to; the update never runs after it is gone.
    UpdatePacer(QObject* context, std::function<void()> update);
    ~UpdatePacer();
    UpdatePacer(const UpdatePacer&) = delete;
    UpdatePacer& operator=(const UpdatePacer&) = delete;

    void Request();
    // How long until the shared clock runs the pending updates: 0 on the next turn of the event
    // loop, -1 when nothing is pending anywhere.
    static int MsUntilNextUpdate();

private:
    friend class ViewClock;
    bool IsBusy() const;
    void Run();

    QPointer<QObject> m_context;
    std::function<void()> m_update;
    QElapsedTimer m_last;
    int m_quick = 0;
    bool m_pending = false;
};
