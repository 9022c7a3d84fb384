#pragma once

#include "core/service/LineList.h"
#include "gui/service/UpdatePacer.h"

#include <QString>

#include <functional>

class QListWidget;
class QListWidgetItem;

// Keeps a list widget in step with a LineList by touching only what changed: lines dropped at
// the front, the last line taken back and continued, new lines at the end.
class LineListView final {
public:
    using TextOf = std::function<QString(const LineList& lines, size_t index)>;
    // Hides or marks an item as it comes (a filter, a search); index into the LineList.
    using Decorate = std::function<void(QListWidgetItem* item, size_t index)>;

    LineListView(QListWidget* list, LineList& lines, TextOf textOf = {});

    void Sync();
    // One Sync when control returns to the event loop, however many batches arrive before it,
    // and no more than ten a second while the line stays busy.
    void ScheduleSync();
    void Rebuild();
    void SetDecorator(Decorate decorate) { m_decorate = std::move(decorate); }
    // Runs the decorator again over every item, after the filter or the search changed.
    void Redecorate();
    // Off while the user looks at an older line: new lines then leave the selection alone.
    void SetFollow(bool follow) { m_follow = follow; }

private:
    void Append(size_t index);

    QListWidget* m_list;
    LineList& m_lines;
    TextOf m_textOf;
    Decorate m_decorate;
    bool m_follow = true;
    size_t m_shownFirst = 0;
    UpdatePacer m_pacer;
};
