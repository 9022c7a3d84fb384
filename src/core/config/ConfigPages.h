#pragma once

#include "core/app/ConfigHooks.h"
#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/config/Additional.h"
#include "core/config/ConfigPage.h"
#include "core/config/ProPageEvent.h"
#include "core/config/PropPageBluetooth.h"
#include "core/config/PropPageLCD.h"
#include "core/config/PropPageOptimization.h"
#include "core/config/PropPageOutputFormat.h"
#include "core/config/PropPageRTC.h"
#include "core/config/PropPageReader.h"

#include <array>

// The eight page objects of the configuration sheet, in the sheet's order. They live as long as
// the main window; only their windows come and go with the sheet.
class CConfigPages final : public IConfigPages {
public:
    static constexpr int kCount = 8;
    enum Index : int {
        kReader = 0,
        kBluetooth = 1,
        kEvents = 2,
        kRealTimeClock = 3,
        kLcd = 4,
        kAdditional = 5,
        kOptimization = 6,
        kOutputFormat = 7
    };

    CConfigPages(IMainWindow& mainWindow, IPrompt& prompt);

    // index 0 to 7; any other index gives the Reader page.
    CConfigPage& Page(int index);
    bool PageBusy(int index) const override;
    CPropPageReader& Reader() { return m_reader; }
    CPropPageBluetooth& Bluetooth() { return m_bluetooth; }
    CProPageEvent& Events() { return m_events; }
    CPropPageRTC& Rtc() { return m_rtc; }
    CPropPageLCD& Lcd() { return m_lcd; }
    CAdditional& Additional() { return m_additional; }
    CPropPageOptimization& Optimization() { return m_optimization; }
    CPropPageOutputFormat& OutputFormat() { return m_outputFormat; }

    // Shows the pages' developer controls.
    void SetDeveloper(bool developer);
    bool IsDeveloper() const { return m_reader.IsDeveloper(); }

    // What the main window does with the pages; an index outside 0 to 7 reaches no page.
    void TickPage(int index) override;
    void AnswerPage(int index, int length, const uint8_t* frame) override;
    void ShowMainStatus(int index, const std::string& message) override;
    // Pages 0, 1, 5, 6 and 7 fill one record, in this order; the first page that refuses stops it.
    int Collect(ConfigRecord& record) override;
    void ShowAll(const ConfigRecord& record) override;
    void ShowLoaded(const ConfigRecord& record) override;
    // Every page's progress bar counts from 0 to high.
    void SetProgressRangeAll(int high) override;
    void StepProgressAll(int step) override;
    IPrompt* SheetPrompt() override { return &m_prompt; }

private:
    static bool IsValid(int index) { return index >= 0 && index < kCount; }

    IPrompt& m_prompt;
    CPropPageReader m_reader;
    CPropPageBluetooth m_bluetooth;
    CProPageEvent m_events;
    CPropPageRTC m_rtc;
    CPropPageLCD m_lcd;
    CAdditional m_additional;
    CPropPageOptimization m_optimization;
    CPropPageOutputFormat m_outputFormat;
    std::array<CConfigPage*, kCount> m_pages;
};
