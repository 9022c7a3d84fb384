#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/tags/ToolView.h"

#include <cstdint>
#include <string>

// The "Testtools" window: fills the reader's dataset memory with made-up datasets (a run of
// stores, a group marker, a simulated read) and sends three service requests.
class CTestToolsDlg final : public IToolWindow {
public:
    static constexpr int kWaitTicks = 5;
    static constexpr size_t kMaxNationalId = 19;
    static constexpr const char* kInvalidCountry = "Invalid country code, valid range is 1...999";

    CTestToolsDlg(IMainWindow& mainWindow, IPrompt& prompt);

    void SetView(IToolView* view) { m_view = view; }

    void OnStore();
    void OnSeparator();
    void OnSim();
    void OnReset();
    void OnBoot();
    void OnGetVoltage();
    void OnOk();

    // IToolWindow
    void OnTick() override;
    void OnResponse(const uint8_t* frame, int length) override;

    // Fields bound to the controls.
    std::string m_countryCode = "984";
    std::string m_nationalId = "10000000000";
    std::string m_amount = "1";

    int Remaining() const { return m_remaining; }

private:
    // false when nothing could be sent.
    bool StoreOne();
    void SendService(uint8_t code, const char* description);
    void Update();
    void Store();

    IMainWindow& m_mainWindow;
    IPrompt& m_prompt;
    IToolView* m_view = nullptr;
    bool m_separator = false;
    bool m_simulate = false;
    int m_waitTicks = 0;
    int m_remaining = 0;
};
