#pragma once

#include "core/config/ConfigPage.h"

// Page "LCD": the display contrast, sent at once on every click of the spin buttons.
class CPropPageLCD final : public CConfigPage {
public:
    static constexpr int kFieldMin = 0;
    static constexpr int kFieldMax = 7;
    static constexpr int kSendMax = 15;

    explicit CPropPageLCD(IMainWindow& mainWindow);

    int Contrast() const { return m_contrast; }
    void SetContrast(int contrast) { m_contrast = contrast; }

    void OnCreate() override;
    // This page takes no part in the whole configuration.
    void OnApply() override {}

    // A spin button was clicked; step is the proposed change of the field.
    void OnContrastSpin(int step);

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    int m_contrast = 0;
};
