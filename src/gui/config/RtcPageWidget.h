#pragma once

#include "core/config/PropPageRTC.h"
#include "gui/config/ConfigPageWidget.h"

#include <QLineEdit>

#include <array>

// The window of the "RealTimeClock" page.
class RtcPageWidget final : public ConfigPageWidget {
public:
    explicit RtcPageWidget(CPropPageRTC& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    CPropPageRTC& m_rtc;
    std::array<QLineEdit*, CPropPageRTC::kFieldCount> m_fields{};
};
