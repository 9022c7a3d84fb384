#include "gui/config/LcdPageWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace {

// The spin buttons report every click to the page before the field changes, also at the ends
// of the field's range: the reader takes more contrast steps than the field shows.
class ContrastSpinBox final : public QSpinBox {
public:
    ContrastSpinBox(std::function<void(int)> onStep, QWidget* parent)
        : QSpinBox(parent), m_onStep(std::move(onStep)) {
        // Only the arrows send a contrast step; a typed number would show what the reader never got.
        lineEdit()->setReadOnly(true);
    }

    // Page Up/Down would step by ten; the reader's spin buttons only ever step by one.
    void stepBy(int steps) override { m_onStep(steps > 0 ? 1 : -1); }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    std::function<void(int)> m_onStep;
};

}  // namespace

LcdPageWidget::LcdPageWidget(CPropPageLCD& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_lcd(page) {
    auto* layout = new QVBoxLayout(Body());
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    row->addWidget(new QLabel(QStringLiteral("Contrast"), Body()));
    m_contrast = new ContrastSpinBox([this](int steps) { m_lcd.OnContrastSpin(steps); }, Body());
    m_contrast->setObjectName(QStringLiteral("lcdContrast"));
    m_contrast->setRange(CPropPageLCD::kFieldMin, CPropPageLCD::kFieldMax);
    // The style's hint leaves a single digit too little room beside the arrows at some scales.
    m_contrast->setMinimumWidth(m_contrast->sizeHint().width() +
                                m_contrast->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    row->addWidget(m_contrast);
    row->addStretch(1);
    layout->addStretch(1);

    connect(m_contrast, &QSpinBox::valueChanged, this, [this] { Store(); });
    UpdateControls();
}

void LcdPageWidget::ShowFields() {
    if (m_contrast->value() != m_lcd.Contrast()) {
        m_contrast->setValue(m_lcd.Contrast());
    }
}

void LcdPageWidget::StoreFields() {
    m_lcd.SetContrast(m_contrast->value());
}
