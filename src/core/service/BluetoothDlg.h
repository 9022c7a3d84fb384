#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/link/FrameParser.h"
#include "core/link/Telegram.h"
#include "core/service/LineList.h"
#include "core/service/Stopwatch.h"

#include <cstdint>
#include <string>

// The console of the reader's Bluetooth module: AT lines to the module (directly or routed
// through the reader), the reader's own Bluetooth requests, a monitor of the line that picks out
// the module's answer lines, and the pairing and configuration scripts that run on the tick.
class CBluetoothDlg final : public IToolWindow {
public:
    // How an answer line is used: the class of the last AT line sent.
    enum LineClass : int32_t {
        kClassFree = -1,
        kClassEscape = 0,
        kClassAt = 1,
        kClassDial = 3,
        kClassScript = 8,
        kClassRegisterWrite = 11,
        kClassRegisterRead = 12,
    };

    static constexpr const char* kDefaultPeer = "0080C8E0A1B2";
    static constexpr const char* kFriendlyName = "\"KZT770 000001\"";
    static constexpr const char* kSimulatedName = "\"KZT770 000100\"";
    static constexpr const char* kConfigFailed = "Configuration failed!";
    static constexpr const char* kConfigSucceeded = "Configuration succes!";
    static constexpr int kMaxBatch = 1001;
    static constexpr size_t kMaxAnswer = 1004;
    static constexpr size_t kSplitAt = 50;
    static constexpr size_t kMaxLines = 5000;
    static constexpr int kFirstConfigStep = 3;
    static constexpr int kLastConfigStep = 19;

    CBluetoothDlg(IMainWindow& main, IPrompt& prompt);

    // The edits, as typed or shown.
    std::string m_command;
    std::string m_connectAddress = kDefaultPeer;
    std::string m_registerAddress = "0";
    std::string m_registerData;
    std::string m_scriptName;  // 1056
    std::string m_scriptText;  // 1057
    std::string m_time;        // 1022
    std::string m_counter = "201";
    // Check boxes.
    bool m_route = false;
    bool m_test = false;
    bool m_debug = false;
    bool m_simulation = false;

    // AT lines: 0, or -1 when the line cannot be sent (the user is told why).
    int SendLine(const std::string& text, const std::string& description, int lineClass);
    int SendCrLine(const std::string& text, const std::string& description, int lineClass);

    // Buttons.
    void OnAt();
    void OnEsc();
    void OnConnect();
    void OnSend();
    void OnWlan();
    void OnRegisterRead();
    void OnRegisterWrite();
    void OnRegisterSave();
    void OnPairingConnect();
    void OnStartPairing();
    void OnAbort();
    void OnConfig();
    void OnBackground();
    // "On", "Off", "Connect BT", "Hang up BT", "VelmoPairing", "VelmoConnect", "VelmoDrop",
    // "VelmoPeer", "Get": the reader's own requests, by sub-code.
    void OnReaderRequest(uint8_t subCode);
    void OnSetName();
    void OnClear() {
        m_lines.Clear();
        m_lastIsTransmit = false;
    }
    void OnQuit();

    // IToolWindow
    void OnRxBytes(const uint8_t* bytes, int count) override;
    void OnTxBytes(const std::string& text) override;
    void OnTick() override;

    LineList& Lines() { return m_lines; }
    const LineList& Lines() const { return m_lines; }
    int PairingStep() const { return m_pairingStep; }
    int ConfigStep() const { return m_configStep; }
    int WaitTicks() const { return m_waitTicks; }
    int BackgroundState() const { return m_background; }
    const std::string& PairingPeer() const { return m_pairingPeer; }
    // "step n of 17" while the configuration script runs, where it stopped after a failure.
    const std::string& Progress() const { return m_progress; }

private:
    void HandleAnswer(const std::string& answer);
    void Simulate(uint8_t b);
    void RunPairingStep();
    void RunConfigStep();
    void ShowConfigStep(int step);
    void ScriptLine(const std::string& text, const std::string& description);

    IMainWindow& m_main;
    IPrompt& m_prompt;
    CStopwatch m_stopwatch;
    LineList m_lines{kMaxLines};

    std::string m_pairingPeer;
    int32_t m_pairingStep = 0;
    int32_t m_configStep = 0;
    int32_t m_waitTicks = 0;
    std::string m_simulationLine;
    std::string m_answerLine;
    bool m_capture = false;
    int32_t m_lastClass = kClassFree;
    int32_t m_background = 0;
    CTelegram m_reply;
    bool m_replyReady = false;
    // Tags and acknowledges share the line with the module's text; their bytes are not answers.
    CFrameParser m_frames;
    // A script line sent again before its answer came owes more answers than the one taken.
    int32_t m_sentStep = 0;
    int32_t m_stepSends = 0;
    int32_t m_lateAnswers = 0;
    bool m_lastIsTransmit = false;
    std::string m_progress;
    std::string m_pendingMessage;
};
