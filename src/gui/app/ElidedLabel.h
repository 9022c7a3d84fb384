#pragma once

#include <QLabel>

// A one-line status text that never widens its window: a long message is drawn cut with an
// ellipsis at the label's width, and the whole of it is in the tooltip. text() keeps all of it.
class ElidedLabel final : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Sets the text and its tooltip; cheap when nothing changed.
    void SetFullText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
};
