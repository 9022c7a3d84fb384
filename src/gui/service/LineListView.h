#pragma once

#include "core/service/LineList.h"

#include <QString>

#include <functional>

class QListWidget;

// Keeps a list widget in step with a LineList by touching only what changed: lines dropped at
// the front, the last line taken back and continued, new lines at the end.
class LineListView final {
public:
    using TextOf = std::function<QString(const LineList& lines, size_t index)>;

    LineListView(QListWidget* list, LineList& lines, TextOf textOf = {});

    void Sync();
    // One Sync when control returns to the event loop, however many batches arrive before it:
    // a line at 115200 baud must not redraw the list per batch.
    void ScheduleSync();
    void Rebuild();

private:
    QListWidget* m_list;
    LineList& m_lines;
    TextOf m_textOf;
    size_t m_shownFirst = 0;
    bool m_syncPending = false;
};
