#include "gui/service/LineListView.h"

#include <QListWidget>
#include <QTimer>

#include <algorithm>

LineListView::LineListView(QListWidget* list, LineList& lines, TextOf textOf)
    : m_list(list), m_lines(lines), m_textOf(std::move(textOf)), m_pacer(list, [this] { Sync(); }) {
    if (!m_textOf) {
        m_textOf = [](const LineList& l, size_t i) {
            const std::string& text = l.At(i);
            return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        };
    }
    Rebuild();
}

void LineListView::Rebuild() {
    m_list->clear();
    m_shownFirst = m_lines.FirstNumber();
    m_lines.MarkSeen();
    for (size_t i = 0; i < m_lines.Size(); ++i) {
        Append(i);
    }
    if (m_list->count() > 0 && m_follow) {
        // Current, not selected: the user's own selection for copying stays as it is.
        m_list->setCurrentRow(m_list->count() - 1, QItemSelectionModel::NoUpdate);
    }
}

void LineListView::Append(size_t index) {
    m_list->addItem(m_textOf(m_lines, index));
    if (m_decorate) {
        m_decorate(m_list->item(m_list->count() - 1), index);
    }
}

void LineListView::Redecorate() {
    Sync();
    if (!m_decorate) {
        return;
    }
    for (int row = 0; row < m_list->count(); ++row) {
        m_decorate(m_list->item(row), static_cast<size_t>(row));
    }
}

void LineListView::Sync() {
    const size_t shownEnd = m_shownFirst + static_cast<size_t>(m_list->count());
    // What changed at the end goes, and comes back below with its new text.
    const size_t keepEnd = std::clamp(m_lines.ChangedFrom(), m_shownFirst, shownEnd);
    if (keepEnd < shownEnd) {
        if (keepEnd == m_shownFirst) {
            m_list->clear();
        } else {
            for (size_t n = shownEnd; n > keepEnd; --n) {
                delete m_list->takeItem(m_list->count() - 1);
            }
        }
    }
    const size_t first = m_lines.FirstNumber();
    if (first > m_shownFirst) {
        const size_t drop = first - m_shownFirst;
        if (drop >= static_cast<size_t>(m_list->count())) {
            m_list->clear();
        } else {
            // One removal for the lot: item by item, the view hears of every row and shifts the
            // rest each time.
            m_list->model()->removeRows(0, static_cast<int>(drop));
        }
        m_shownFirst = first;
    }
    const size_t from = m_shownFirst + static_cast<size_t>(m_list->count());
    if (from < m_lines.EndNumber()) {
        // One insertion for every line of the update, decorated once they are in.
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(m_lines.EndNumber() - from));
        for (size_t n = from; n < m_lines.EndNumber(); ++n) {
            texts.push_back(m_textOf(m_lines, n - first));
        }
        const int firstRow = m_list->count();
        m_list->addItems(texts);
        if (m_decorate) {
            for (size_t n = from; n < m_lines.EndNumber(); ++n) {
                m_decorate(m_list->item(firstRow + static_cast<int>(n - from)), n - first);
            }
        }
    }
    m_lines.MarkSeen();
    if (m_list->count() > 0 && m_follow) {
        // Current, not selected: the user's own selection for copying stays as it is.
        m_list->setCurrentRow(m_list->count() - 1, QItemSelectionModel::NoUpdate);
        // The last line may be one a filter hides: the list still shows its end.
        m_list->scrollToBottom();
    }
}

void LineListView::ScheduleSync() {
    m_pacer.Request();
}
