#include "gui/app/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

#include <QStyle>
#include <algorithm>

namespace {
// Wide enough for the short messages, so that a layout still gives the label room.
constexpr int kPreferredCharacters = 40;
}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::SetFullText(const QString& text) {
    if (text == this->text()) {
        return;
    }
    setText(text);
    // A text that fits needs no tooltip; one that may be cut carries all of it there.
    setToolTip(text.trimmed().isEmpty() ? QString() : text);
}

QSize ElidedLabel::sizeHint() const {
    const QSize hint = QLabel::sizeHint();
    const int width = fontMetrics().averageCharWidth() * kPreferredCharacters + 2 * frameWidth();
    return {std::min(hint.width(), width), hint.height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {2 * frameWidth(), QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}
