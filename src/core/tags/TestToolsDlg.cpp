#include "core/tags/TestToolsDlg.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/tags/TransponderId.h"
#include "core/util/Format.h"

#include <array>

namespace {
constexpr uint8_t kStore = 0x04;
constexpr uint8_t kStoreSimulated = 0x05;
}  // namespace

CTestToolsDlg::CTestToolsDlg(IMainWindow& mainWindow, IPrompt& prompt)
    : m_mainWindow(mainWindow), m_prompt(prompt) {}

bool CTestToolsDlg::StoreOne() {
    int country = 0;
    if (!ParseInt(m_countryCode, country) || country < 1 || country > 999) {
        // Trying again on every tick would never end: the run ends here, and says why.
        m_remaining = 0;
        m_prompt.Message(kInvalidCountry);
        return false;
    }
    std::string national = m_nationalId.substr(0, kMaxNationalId);
    const auto bytes = CTransponderId::NationalIdToBytes(national);
    std::array<uint8_t, 9> record{};
    if (!m_separator) {
        for (size_t i = 0; i < 4; ++i) {
            record[i] = bytes[i];
        }
        record[4] = static_cast<uint8_t>((bytes[4] & 0x3F) | ((country & 3) << 6));
        record[5] = static_cast<uint8_t>((country >> 2) & 0xFF);
        record[7] = 0x80;
    }
    CTelegram request(Cmd::kStoreTagData, Desc::kStoreTagData, kKindFrame);
    request.AppendByte(m_simulate ? kStoreSimulated : kStore);
    request.AppendBlock(record.data(), static_cast<int>(record.size()));
    request.ClearRepeat();
    m_mainWindow.OnSendTelegram(request);
    if (m_nationalId.size() <= 8) {
        int value = 0;
        ParseInt(m_nationalId, value);
        m_nationalId = Format("%d", value + 1);
    }
    m_waitTicks = kWaitTicks;
    --m_remaining;
    m_simulate = false;
    Update();
    return true;
}

void CTestToolsDlg::OnStore() {
    Store();
    int amount = 0;
    ParseInt(m_amount, amount);
    m_remaining = amount;
    m_separator = false;
    StoreOne();
}

void CTestToolsDlg::OnSeparator() {
    Store();
    m_simulate = false;
    m_remaining = 1;
    m_separator = true;
    StoreOne();
}

void CTestToolsDlg::OnSim() {
    Store();
    m_separator = false;
    m_remaining = 1;
    m_simulate = true;
    StoreOne();
}

void CTestToolsDlg::SendService(uint8_t code, const char* description) {
    CTelegram request(code, description, kKindFrame);
    request.ClearRepeat();
    m_mainWindow.OnSendTelegram(request);
}

void CTestToolsDlg::OnReset() {
    SendService(Cmd::kResetAvr, Desc::kReset);
}

void CTestToolsDlg::OnBoot() {
    SendService(Cmd::kStartBootloader, Desc::kStartBootloader);
}

void CTestToolsDlg::OnGetVoltage() {
    SendService(Cmd::kGetAmplitude, Desc::kGetVoltage);
}

void CTestToolsDlg::OnOk() {
    m_remaining = 0;
    m_mainWindow.OnMainCommand(MainCommand::kWindowClosing, Resource::kTestTools);
}

void CTestToolsDlg::OnTick() {
    if (m_waitTicks > 0) {
        --m_waitTicks;
        return;
    }
    // A negative amount is no run at all, not one that never ends.
    if (m_remaining > 0) {
        Store();
        m_separator = false;
        m_simulate = false;
        StoreOne();
    }
}

void CTestToolsDlg::OnResponse(const uint8_t* frame, int length) {
    if (frame == nullptr || length < 6 || frame[4] != Cmd::kStoreTagData) {
        return;
    }
    if (frame[5] == kStore && frame[3] != CFrameParser::kAck) {
        m_remaining = 0;
    }
}

void CTestToolsDlg::Update() {
    if (m_view != nullptr) {
        m_view->UpdateControls();
    }
}

void CTestToolsDlg::Store() {
    if (m_view != nullptr) {
        m_view->StoreControls();
    }
}
