#pragma once

#include "core/config/ConfigPage.h"

#include <string>

// Page "Bluetooth": the reader's Bluetooth module: peer address, master or slave, switching it on
// and off, and, for the developer, its friendly name, connect and hang up.
class CPropPageBluetooth final : public CConfigPage {
public:
    static constexpr size_t kPeerAddressLength = 12;
    static constexpr size_t kMaxFriendlyName = 20;
    static constexpr size_t kFriendlyNameField = 49;  // what the edit field passes on
    static constexpr int kDisableWait = 50;           // the module takes seconds to go down
    static constexpr const char* kExamplePeerAddress = "0012F3A45B6C";

    enum Choice : int { kNone = -1, kFirst = 0, kSecond = 1 };

    struct Controls {
        std::string peerAddress;
        std::string friendlyName;
        int mode = kFirst;   // kFirst "Master", kSecond "Slave"
        int enable = kNone;  // kFirst "Enable", kSecond "Disable" (the developer's group)
    };

    explicit CPropPageBluetooth(IMainWindow& mainWindow);

    Controls& Fields() { return m_controls; }
    const Controls& Fields() const { return m_controls; }
    void SetDeveloper(bool developer);
    bool IsDeveloper() const { return m_developer; }

    void OnCreate() override;
    int FillRecord(ConfigRecord& record) override;
    void ShowRecord(ConfigRecord record) override;

    void OnEnable();
    void OnDisable();
    void OnAssign();
    void OnReadPeerAddress();
    void OnSetMode();
    void OnGetMode();
    // The developer's controls.
    void OnSetEnable();
    void OnGetEnable();
    void OnSetFriendlyName();
    void OnGetFriendlyName();
    void OnConnect();
    void OnHangUp();

private:
    void HandleAnswer(int length, const uint8_t* frame) override;
    void SetDefaults();
    void Send(const std::string& status, CTelegram request);
    void SendSwitch(bool on);
    void SendOnce(const std::string& status, CTelegram request);

    bool m_developer = false;
    Controls m_controls;
};
