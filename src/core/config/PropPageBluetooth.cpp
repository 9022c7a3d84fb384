#include "core/config/PropPageBluetooth.h"

#include "core/link/Commands.h"

#include <algorithm>

namespace {
constexpr int kPeerAnswerLength = 19;  // bytes 6 to 17 and the CRC byte
}  // namespace

void CPropPageBluetooth::SetDeveloper(bool developer) {
    m_developer = developer;
    UpdateView();
}

CPropPageBluetooth::CPropPageBluetooth(IMainWindow& mainWindow) : CConfigPage(mainWindow, "Bluetooth", 137) {
    SetDefaults();
}

void CPropPageBluetooth::SetDefaults() {
    m_controls = Controls{};
    m_controls.peerAddress = kExamplePeerAddress;
    m_controls.friendlyName = "Example 123";
    m_controls.mode = kFirst;
}

void CPropPageBluetooth::OnCreate() {
    CConfigPage::OnCreate();
    SetDefaults();
    UpdateView();
}

void CPropPageBluetooth::Send(const std::string& status, CTelegram request) {
    SetStatus(status, kRequestTicks);
    SendRequest(request);
}

void CPropPageBluetooth::SendOnce(const std::string& status, CTelegram request) {
    SetStatus(status, kRequestTicks);
    request.ClearRepeat();
    MainWindow().OnSendTelegram(request);
}

void CPropPageBluetooth::SendSwitch(bool on) {
    CTelegram request(Cmd::kService, on ? Desc::kEnableBluetooth : Desc::kDisableBluetooth, kKindFrame);
    request.AppendByte(Sub9F::kEnableBluetooth);
    request.AppendByte(on ? 1 : 0);
    Send(on ? "Enable Bluetooth" : "Disable Bluetooth", request);
}

void CPropPageBluetooth::OnEnable() {
    SendSwitch(true);
}

void CPropPageBluetooth::OnDisable() {
    SendSwitch(false);
}

void CPropPageBluetooth::OnSetEnable() {
    StoreView();
    // Neither radio checked sends "off" as well, but only a checked "Disable" earns the long wait.
    SendSwitch(m_controls.enable == kFirst);
    if (m_controls.enable == kSecond) {
        SetWaitTicks(kDisableWait);
    }
}

void CPropPageBluetooth::OnGetEnable() {
    CTelegram request(Cmd::kAdditional, Desc::kGetAdditional, kKindFrame);
    request.AppendByte(Sub60::kGetAdditional);
    Send("Read additional configuration", request);
}

void CPropPageBluetooth::OnAssign() {
    StoreView();
    const std::string& address = m_controls.peerAddress;
    if (address.size() != kPeerAddressLength) {
        Tell("Invalid peer address");
        return;
    }
    // The module checks the digits itself; the page sends what was typed.
    const std::string status = Desc::kAssignPeerAddress + address;
    CTelegram request(Cmd::kService, status, kKindFrame);
    request.AppendByte(Sub9F::kAssignPeerAddress);
    request.AppendBlock(reinterpret_cast<const uint8_t*>(address.data()), static_cast<int>(address.size()));
    Send(status, request);
}

void CPropPageBluetooth::OnReadPeerAddress() {
    CTelegram request(Cmd::kService, Desc::kReadPeerAddress, kKindFrame);
    request.AppendByte(Sub9F::kReadPeerAddress);
    Send("Read peer address", request);
}

void CPropPageBluetooth::OnSetMode() {
    StoreView();
    CTelegram request(Cmd::kAdditional, Desc::kSetBluetoothMode, kKindFrame);
    request.AppendByte(Sub60::kSetBluetoothMode);
    request.AppendByte(m_controls.mode == kFirst ? 0 : 1);
    Send("Set Bluetooth mode", request);
}

void CPropPageBluetooth::OnGetMode() {
    CTelegram request(Cmd::kAdditional, Desc::kGetBluetoothMode, kKindFrame);
    request.AppendByte(Sub60::kGetBluetoothMode);
    Send("Get Bluetooth mode", request);
}

void CPropPageBluetooth::OnSetFriendlyName() {
    StoreView();
    std::string name = m_controls.friendlyName.substr(0, m_controls.friendlyName.find_first_of("\r\n"));
    name.resize(std::min(name.size(), kFriendlyNameField));
    const char* refusal = name.empty()                     ? "Minimum size is one character"
                          : name.size() > kMaxFriendlyName ? "Maximum size is 20 characters"
                                                           : nullptr;
    if (refusal != nullptr) {
        Tell(refusal);
        return;
    }
    CTelegram request(Cmd::kService, Desc::kSetFriendlyName, kKindFrame);
    request.AppendByte(Sub9F::kSetFriendlyName);
    request.AppendByte(static_cast<uint8_t>(name.size()));
    request.AppendBlock(reinterpret_cast<const uint8_t*>(name.data()), static_cast<int>(name.size()));
    SendOnce("Set friendly name to " + name, request);
}

void CPropPageBluetooth::OnGetFriendlyName() {
    CTelegram request(Cmd::kService, Desc::kGetFriendlyName, kKindFrame);
    request.AppendByte(Sub9F::kGetFriendlyName);
    SendOnce("Get friendly name", request);
}

void CPropPageBluetooth::OnConnect() {
    CTelegram request(Cmd::kService, Desc::kConnectBluetooth, kKindFrame);
    request.AppendByte(Sub9F::kConnectBluetooth);
    Send("Connect Bluetooth modul", request);
}

void CPropPageBluetooth::OnHangUp() {
    CTelegram request(Cmd::kService, Desc::kHangUpBluetooth, kKindFrame);
    request.AppendByte(Sub9F::kHangUpBluetooth);
    Send("Hang up Bluetooth modul", request);
}

void CPropPageBluetooth::HandleAnswer(int length, const uint8_t* frame) {
    const uint8_t code = frame[4];
    if (code == Cmd::kResetAll) {
        HandleResetAnswer(length, frame);
        return;
    }
    if ((code != Cmd::kService && code != Cmd::kAdditional) || length < 7) {
        return;
    }
    const uint8_t sub = frame[5];
    bool known = false;
    if (code == Cmd::kService) {
        switch (sub) {
            case Sub9F::kReadPeerAddress:
                known = true;
                if (length >= kPeerAnswerLength) {
                    m_controls.peerAddress.assign(reinterpret_cast<const char*>(frame + 6),
                                                  kPeerAddressLength);
                }
                break;
            case Sub9F::kGetFriendlyName: {
                known = true;
                // The length byte may announce more than the frame holds or a name may hold.
                const int available = length - 1 - 7;
                if (available >= 0) {
                    const int n = std::min(
                        {static_cast<int>(frame[6]), available, static_cast<int>(kFriendlyNameField)});
                    m_controls.friendlyName.assign(reinterpret_cast<const char*>(frame + 7),
                                                   static_cast<size_t>(n));
                }
                break;
            }
            case Sub9F::kConnectBluetooth:
            case Sub9F::kHangUpBluetooth:
            case Sub9F::kAssignPeerAddress:
            case Sub9F::kEnableBluetooth:
            case Sub9F::kSetFriendlyName:
                known = true;
                break;
            default:
                break;
        }
    } else {
        switch (sub) {
            case Sub60::kGetBluetoothMode:
                known = true;
                if (length >= 8) {
                    m_controls.mode = frame[6] != 0 ? kSecond : kFirst;
                }
                break;
            case Sub60::kGetAdditional:
            case Sub60::kSetBluetoothMode:
                known = true;
                break;
            default:
                break;
        }
    }
    if (!known) {
        return;
    }
    if (IsAck(length, frame)) {
        EndRequest();
        SetStatus(SuccessText(), kAnswerTicks);
    } else {
        UpdateView();
    }
}

int CPropPageBluetooth::FillRecord(ConfigRecord& record) {
    StoreView();
    record.bluetoothMode = m_controls.mode == kFirst ? 0 : 1;
    return 0;
}

void CPropPageBluetooth::ShowRecord(ConfigRecord record) {
    m_controls.mode = record.bluetoothMode != 0 ? kSecond : kFirst;
    UpdateView();
}
