#include "core/config/PropPageOptimization.h"

#include "core/link/Commands.h"

CPropPageOptimization::CPropPageOptimization(IMainWindow& mainWindow)
    : CConfigJobPage(mainWindow, "Optimization", 147, Pacing::kEveryLook) {}

void CPropPageOptimization::OnCreate() {
    CConfigJobPage::OnCreate();
    m_setting = kHighNoise;
    UpdateView();
}

uint8_t CPropPageOptimization::SettingValue() const {
    return (m_setting > kHighNoise && m_setting < kSettingCount) ? static_cast<uint8_t>(m_setting) : 0;
}

void CPropPageOptimization::ShowSetting(uint8_t value) {
    // Values the reader does not know fall back to the robust setting.
    m_setting = (value >= kHighSpeed && value <= kVariableTiming) ? static_cast<int>(value)
                                                                  : static_cast<int>(kHighNoise);
}

void CPropPageOptimization::OnSet() {
    StoreView();
    SetStatus("Set optimization parameter", kRequestTicks);
    StartSetJob(CfgAddr::kTiming, SettingValue());
}

void CPropPageOptimization::OnGet() {
    SetStatus("Get optimization parameter", kRequestTicks);
    SetBusy(true);
    SetStarted(false);
    ResetJobs();
    AddCheckItem(CfgAddr::kTiming);
    SetIndex(0);
    SetBusy(false);
}

void CPropPageOptimization::HandleAnswer(int length, const uint8_t* frame) {
    const bool ack = IsAck(length, frame);
    switch (frame[4]) {
        case Cmd::kResetAll:
            HandleResetAnswer(length, frame);
            break;
        case Cmd::kSetConfig:
            EndRequest();
            break;
        case Cmd::kGetConfig:
            if (ack) {
                EndRequest();
            }
            SetWaitTicks(0);
            if (Started()) {
                CompareReadBack(length, frame);
            } else if (ack) {
                if (LastReadAddress() == CfgAddr::kTiming && DataCount(length) >= 1) {
                    ShowSetting(frame[5]);
                }
                SetStatus(SuccessText(), kAnswerTicks);
            }
            break;
        case Cmd::kSaveConfig:
            if (ack) {
                EndRequest();
                SetStatus(SuccessText(), kAnswerTicks);
            }
            break;
        default:
            break;
    }
}

int CPropPageOptimization::FillRecord(ConfigRecord& record) {
    StoreView();
    record.timing = SettingValue();
    return 0;
}

void CPropPageOptimization::ShowRecord(ConfigRecord record) {
    ShowSetting(record.timing);
    UpdateView();
}
