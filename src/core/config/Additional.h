#pragma once

#include "core/config/ConfigJobPage.h"

#include <array>
#include <string>

// Page "Additional": permanent reading, RF power, switch-off time, LEDs and beeper, access level,
// the check for double reads, the wireless synchronization level and what the display shows.
// Each group sends its own request; its job runs on every look of the tick, and its failures all
// read the same.
class CAdditional final : public CConfigJobPage {
public:
    static constexpr const char* kFailureText = "Configuration failed";
    static constexpr const char* kSuccessText = "Configuration success";
    static constexpr int kSliderMax = 10;
    static constexpr int kMinDuration = 1;
    static constexpr int kMaxDuration = 90;
    static constexpr std::array<const char*, 3> kAccessLevels = {"Read only", "New Group and last ID",
                                                                 "Complete access"};
    enum Display : int { kNoDisplay = -1, kTimestamp = 0, kTagInfo = 1, kAnimalCounter = 2 };

    // Everything the page's controls hold; numbers as the fields show them.
    struct Controls {
        std::string reads;
        std::string bursts;
        std::string breakTime;
        bool active = false;
        int slider = kSliderMax;
        std::string duration;
        bool advanced = false;
        bool highPower = false;  // "High power mode" checked, else "Low power mode"
        std::string switchOff;
        bool useLeds = false;
        bool useBeeper = false;
        int accessLevel = 2;  // list position, -1 for none
        std::string doubleReads;
        std::string syncLevel;
        int display = kTimestamp;
        bool extended = false;
    };

    explicit CAdditional(IMainWindow& mainWindow);

    Controls& Fields() { return m_controls; }
    const Controls& Fields() const { return m_controls; }
    void SetDeveloper(bool developer);
    bool IsDeveloper() const { return m_developer; }

    void OnCreate() override;
    int FillRecord(ConfigRecord& record) override;
    void ShowRecord(ConfigRecord record) override;

    // Controls that recompute the permanent read parameters.
    void OnSlider(int position);
    void OnDurationStep(int steps);
    void OnDurationEdited();
    void OnAdvanced(bool shown);
    void OnSyncLevelStep(int steps);

    // The groups' buttons.
    void OnSetPermanentRead();
    void OnSetRfPower();
    void OnSetSwitchOff();
    void OnSetIo();
    void OnSetAccessLevel();
    void OnSetDoubleReads();
    void OnSyncOn();
    void OnSyncOff();
    void OnSetDisplayInfo();
    void OnGetAll();
    // The developer's controls.
    void OnGetPermanentRead();
    void OnGetSyncLevel();

protected:
    std::string FailureMessage() const override { return kFailureText; }

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    void SetDefaults();
    void Recompute();
    void ShowDurationAndSlider();
    void ShowDisplay(uint8_t displayInfo);
    void ShowPermanentRead(const uint8_t* p);
    // The switch-off time in 10 ms, or -1 after the page's message.
    int SwitchOffValue();
    int DoubleReadValue();
    int SyncLevelValue();
    // Break, bursts and reads from their fields; false after the page's message.
    bool PermanentReadValues(uint16_t& breakTime, uint16_t& bursts, uint8_t& reads);
    void SendAdditional(const char* status, CTelegram request);

    // A value as the reader reported it and the text the page shows for it: while the text is
    // not edited, the reported value is written back as it was, not its rounded text (a
    // switch-off of 750 shows "7").
    struct Reported {
        std::string text;
        int value = -1;
        int Unedited(const std::string& shown) const { return shown == text ? value : -1; }
    };
    void Remember(Reported& reported, const std::string& text, int value);
    // A refusal where the user sees it: on the page's status line for its own buttons, as a
    // message while the sheet collects the record (Save or Apply pressed on any page).
    void Refuse(const char* text);

    bool m_developer = false;
    bool m_filling = false;
    Controls m_controls;
    Reported m_reportedSwitchOff;
    Reported m_reportedDoubleReads;
};
