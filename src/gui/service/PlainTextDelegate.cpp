#include "gui/service/PlainTextDelegate.h"

#include <QPainter>

#include <algorithm>

void PlainTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group =
        (option.state & QStyle::State_Active) != 0 ? QPalette::Active : QPalette::Inactive;
    if (selected) {
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    } else if (const QVariant background = index.data(Qt::BackgroundRole); background.canConvert<QBrush>()) {
        painter->fillRect(option.rect, qvariant_cast<QBrush>(background));
    }
    QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) {
        return;
    }
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    const Qt::Alignment align =
        alignment.isValid() ? Qt::Alignment(alignment.toInt()) : (Qt::AlignLeft | Qt::AlignVCenter);
    // The style's text margin, so that a cell looks as it did.
    constexpr int kMargin = 4;
    const QRect rect = option.rect.adjusted(kMargin, 0, -kMargin, 0);
    // Measured only when it might not fit: a text no wider than its count of the widest glyph
    // certainly does. Too long, it is cut with an ellipsis, as the style does.
    if (static_cast<qsizetype>(option.fontMetrics.maxWidth()) * text.size() > rect.width()) {
        text = option.fontMetrics.elidedText(text, Qt::ElideRight, rect.width());
    }
    painter->setFont(option.font);
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(rect, static_cast<int>(align) | Qt::TextSingleLine, text);
}

QSize PlainTextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(std::max(size.width(), m_minimumWidth));
    return size;
}
