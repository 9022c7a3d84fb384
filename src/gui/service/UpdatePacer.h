#pragma once

#include <QElapsedTimer>

#include <functional>

class QObject;

// Runs a view update once control returns to the event loop, however often it is asked for
// before. On a busy line that is still every turn, a few hundred times a second, and painting a
// list or table that often costs more than a core; so once updates keep coming close together,
// they are spaced to ten a second. A quiet line is shown at once.
class UpdatePacer final {
public:
    static constexpr int kBusyIntervalMs = 100;
    static constexpr int kQuickUpdatesBeforeSpacing = 3;

    UpdatePacer(QObject* context, std::function<void()> update);

    void Request();

private:
    void Run();

    QObject* m_context;
    std::function<void()> m_update;
    QElapsedTimer m_last;
    int m_quick = 0;
    bool m_pending = false;
};
