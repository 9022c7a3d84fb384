#pragma once

#include "core/config/ConfigJobPage.h"

#include <array>

// Page "Optimization": one of four reception settings of the reader (configuration address
// 0x39), set and read back through the job engine.
class CPropPageOptimization final : public CConfigJobPage {
public:
    enum TimingChoice : int {
        kNoSetting = -1,
        kHighNoise = 0,
        kHighSpeed,
        kMedian,
        kVariableTiming,
        kSettingCount
    };
    static constexpr std::array<const char*, kSettingCount> kSettingCaptions = {
        "High noise setting", "High speed setting", "Median setting", "Variable timing setting"};

    explicit CPropPageOptimization(IMainWindow& mainWindow);

    // The checked radio button.
    int Setting() const { return m_setting; }
    void SetSetting(int setting) { m_setting = setting; }

    void OnCreate() override;
    int FillRecord(ConfigRecord& record) override;
    void ShowRecord(ConfigRecord record) override;

    void OnSet();
    void OnGet();

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    uint8_t SettingValue() const;
    void ShowSetting(uint8_t value);

    int m_setting = kHighNoise;
};
