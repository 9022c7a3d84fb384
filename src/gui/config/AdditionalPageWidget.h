#pragma once

#include "core/config/Additional.h"
#include "gui/config/ConfigPageWidget.h"
#include "gui/config/StepEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

// The window of the "Additional" page.
class AdditionalPageWidget final : public ConfigPageWidget {
public:
    explicit AdditionalPageWidget(CAdditional& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    QLineEdit* Edit(const char* name, QWidget* parent);

    CAdditional& m_additional;
    QCheckBox* m_active = nullptr;
    QSlider* m_slider = nullptr;
    StepEdit* m_duration = nullptr;
    QCheckBox* m_advanced = nullptr;
    QWidget* m_advancedArea = nullptr;
    QLineEdit* m_reads = nullptr;
    QLineEdit* m_bursts = nullptr;
    QLineEdit* m_break = nullptr;
    QButtonGroup* m_power = nullptr;
    QLineEdit* m_switchOff = nullptr;
    QCheckBox* m_leds = nullptr;
    QCheckBox* m_beeper = nullptr;
    QComboBox* m_access = nullptr;
    QLineEdit* m_doubleReads = nullptr;
    StepEdit* m_sync = nullptr;
    QButtonGroup* m_display = nullptr;
    QCheckBox* m_extended = nullptr;
    QList<QWidget*> m_developerControls;
};
