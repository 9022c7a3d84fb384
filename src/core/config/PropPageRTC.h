#pragma once

#include "core/config/ConfigPage.h"

#include <array>
#include <ctime>
#include <functional>
#include <string>

// Page "RealTimeClock": reads and sets the reader's clock as seven two-digit BCD fields.
class CPropPageRTC final : public CConfigPage {
public:
    enum Field : int { kSeconds = 0, kMinutes, kHours, kDayOfWeek, kDay, kMonth, kYear, kFieldCount };
    static constexpr std::array<const char*, kFieldCount> kFieldCaptions = {
        "Seconds:", "Minutes:", "Hours:", "Day of week:", "Day:", "Month:", "Year:"};

    static constexpr const char* kRefusedText = ": the reader refused the time";

    // Local time of the PC.
    using Clock = std::function<std::tm()>;

    explicit CPropPageRTC(IMainWindow& mainWindow);

    void SetClock(Clock clock) { m_clock = std::move(clock); }
    std::array<std::string, kFieldCount>& Fields() { return m_fields; }
    const std::array<std::string, kFieldCount>& Fields() const { return m_fields; }

    void OnCreate() override;

    void OnSync();
    void OnSet();
    void OnGet();

    // The two decimal digits of a field travel as the two hex digits of one byte.
    static uint8_t FieldByte(const std::string& text);
    static std::string ByteField(uint8_t value);
    static std::tm LocalNow();

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    void FillFromClock();
    // false after telling the user which field holds no possible time.
    bool CheckFields();

    Clock m_clock;
    std::array<std::string, kFieldCount> m_fields;
};
