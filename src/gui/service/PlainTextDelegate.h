#pragma once

#include <QStyledItemDelegate>

// Paints a cell as one line of text on its background, selection and alignment honoured, and
// nothing else. The style's own item painting lays every text out three times (its size, its
// elision, the drawing); on a busy line the history and the monitor show a screenful of new
// rows at every update, and that layout was most of what painting them cost.
class PlainTextDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // A list with uniform item sizes takes every row's width from the first one: this keeps the
    // rows at least this wide, so that a longer line is neither cut nor out of the scroll range.
    void SetMinimumWidth(int pixels) { m_minimumWidth = pixels; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_minimumWidth = 0;
};
