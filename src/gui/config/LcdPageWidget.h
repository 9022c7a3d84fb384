#pragma once

#include "core/config/PropPageLCD.h"
#include "gui/config/ConfigPageWidget.h"

#include <QSpinBox>

// The window of the "LCD" page.
class LcdPageWidget final : public ConfigPageWidget {
public:
    explicit LcdPageWidget(CPropPageLCD& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    CPropPageLCD& m_lcd;
    QSpinBox* m_contrast = nullptr;
};
