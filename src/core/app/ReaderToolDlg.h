#pragma once

#include "core/app/ComPropertiesDlg.h"
#include "core/app/ConfigHooks.h"
#include "core/app/Connection.h"
#include "core/app/LineTiming.h"
#include "core/app/LinkPort.h"
#include "core/app/Prompt.h"
#include "core/app/Settings.h"
#include "core/app/WindowInterfaces.h"
#include "core/app/WindowRegistry.h"
#include "core/link/FrameParser.h"
#include "core/link/TagLineParser.h"
#include "core/link/Telegram.h"
#include "core/tags/TransponderId.h"

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// What the main window's widgets show; the logic pushes every change through here.
class IMainView {
public:
    virtual ~IMainView() = default;
    virtual void ShowTagFields(const std::string& countryCode, const std::string& nationalId,
                               const std::string& tagType, const std::string& eventText) = 0;
    virtual void ShowStatusLine(const std::string& text) = 0;
    virtual void ShowConnectCaption(const std::string& caption) = 0;
    // The configuration sheet window: made on demand, destroyed on a page's "Quit".
    virtual IConfigSheet* CreateConfigSheet() = 0;
    virtual void DestroyConfigSheet() = 0;
    // Makes a page of the open sheet the shown one.
    virtual void ShowConfigPage(int index) = 0;
};

// The main window's logic: connection, tag display, status line, node selection, and the
// request engine that queues, transmits, repeats and dispatches everything on the line.
class CReaderToolDlg final : public IMainWindow, public IRequestTiming {
public:
    static constexpr int kQueueSlots = 20;
    static constexpr int kRetryTicks = 5;
    // Own transmissions remembered for recognising their echoes.
    static constexpr size_t kEchoes = 8;
    static constexpr int kMaxRxFrame = 1050;
    static constexpr const char* kConnected = "Corvantelle connected";
    static constexpr const char* kTagReceived = "Tag data received";
    static constexpr const char* kConnectionFailed = "Connection failed";
    static constexpr const char* kConnectionLost = "Connection lost";
    static constexpr const char* kReconnected = "Reconnected";

    CReaderToolDlg(ILinkPort& port, IMainView& view, IPrompt& prompt);

    // Start-up in the order the window initialises; the caller starts the 100 ms timer after it.
    void Start(const AppSettings& settings, const std::vector<SystemPort>& devices);
    // Shutdown: closes the port and hands node and event-database flag back.
    void Shutdown(AppSettings& settings);

    // Connection.
    int Connect(int port) { return m_connection.Connect(port); }
    void Disconnect() { m_connection.Disconnect(); }
    void OnConnectButton() { m_connection.OnConnectButton(); }
    // The device went away while open (unplugged adapter, ended simulator).
    void OnPortLost();
    // "COM Error <CE-%u>" of a failed read or write.
    void OnComError(const std::string& text) { m_connection.OnComError(text); }
    // Opening the same device again by itself after it went away; on unless the user turned it
    // off under Settings > Comport (taken from the settings at Start and from "COM Properties").
    const ReconnectPolicy& Reconnect() const { return m_connection.Reconnect(); }

    // "COM Properties": disconnects and prepares the dialog; End applies a confirmed choice (or
    // nothing after "Cancel") and reconnects in either case.
    CComPropertiesDlg BeginComProperties(const std::vector<SystemPort>& devices) {
        return m_connection.BeginComProperties(devices);
    }
    void EndComProperties(const CComPropertiesDlg* confirmed) { m_connection.EndComProperties(confirmed); }

    // Node selection.
    void OnNodeSelected(int index);
    int NodeIndex() const { return m_nodeIndex; }
    uint8_t NodeAddress() const { return m_frameParser.GetNodeAddress(); }

    const std::string& UpdateStatusLine();
    const std::string& StatusLine() const { return m_statusLine; }

    // Developer controls.
    void OnDtrOn() { m_port.SetDtr(); }
    void OnDtrOff() { m_port.ClearDtr(); }
    void OnTestButton();
    void SetTestMode(bool on) { m_testMode = on; }
    static const std::array<uint8_t, 8>& TestTransponder();

    // Received bytes, in order, as the port delivers them.
    void OnRxBytes(const uint8_t* bytes, int count);
    // One 100 ms tick.
    void OnTimer();

    int EnqueueTelegram(const CTelegram& telegram);
    int SendTelegram(const CTelegram& telegram);
    void ShowStatus(const std::string& text, int ticks);
    int ShowEvent(const std::string& nationalId);
    // length: the bytes of buffer that may be read (the record's bytes, or the whole frame).
    static std::string BuildTrafficText(uint8_t kind, int length, const uint8_t* buffer,
                                        const std::string& description);

    // IMainWindow
    void OnSendTelegram(const CTelegram& telegram) override;
    void OnSendNow(const CTelegram& telegram) override;
    void OnMainCommand(MainCommand command, int argument) override;
    const IRequestTiming* Timing() const override { return this; }
    const std::vector<uint8_t>* AnsweredRequest() const override { return &m_timing.AnsweredRequest(); }

    // IRequestTiming
    bool HoldsRepeat(const CTelegram& request, bool giveUp) const override;
    bool BlocksRequest(const CTelegram& request) const override;
    std::string DescribeLine() const override { return m_timing.Describe(); }

    // Milliseconds on a steady clock; without one, the ticks counted (100 ms each).
    using Clock = std::function<int64_t()>;
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    int64_t NowMs() const { return m_clock ? m_clock() : NowTicksMs(); }

    // Windows.
    CWindowRegistry& Windows() { return m_windows; }
    void OnConfigurationButton();
    // "Real time clock": the configuration sheet on its clock page.
    void OnRealTimeClock();
    bool IsSheetOpen() const { return m_sheet != nullptr; }
    void SetConfigPages(IConfigPages* pages) { m_pages = pages; }
    void SetConfigSequence(IConfigSequence* sequence);
    // The event database lookup: fills the 24-byte event record for a national ID.
    using EventLookup = std::function<bool(const std::string& nationalId, std::array<uint8_t, 24>& record)>;
    void SetEventLookup(EventLookup lookup) { m_lookupEvent = std::move(lookup); }

    // State, for the windows and for tests.
    int QueuedCount() const;
    int AnswerRetries() const { return m_answerRetries; }
    int HoldOffTicks() const { return m_holdOffTicks; }
    int KeepAliveTicks() const { return m_keepAliveTicks; }
    const std::string& StatusText() const { return m_statusText; }
    struct SampleFlags {
        bool hdx = false, fdx = false, ub = false, rssi = false;
    };
    const SampleFlags& Sampling() const { return m_sample; }
    int SampleTicks() const { return m_sampleTicks; }

private:
    friend class CConnection;  // resets what the engine knows of a line that went away

    // Ticks shared by the sending, command and timer sections.
    static constexpr int kConnectedTicks = 60;
    static constexpr int kSampleTicks = 8;
    static constexpr uint8_t kKeepAliveAfterSend = 40;
    static constexpr uint8_t kKeepAliveOnOpen = 2;

    // The reconnect attempts are paced by the ticks themselves.
    int64_t NowTicksMs() const { return m_ticks * 100; }
    void OnFrame();
    void OnTagLine();
    bool IsEcho(const std::vector<uint8_t>& frame);
    bool IsQueued(const CTelegram& request) const;
    void SendToWindow(const char* caption, const uint8_t* frame, int length);
    void ShowTag(const std::string& cc, const std::string& id, const std::string& type,
                 const std::string& ev);
    void ResetEngine();
    void PassTagToEventDatabase(const std::string& id);
    void ClearStatusText();
    void StopSampling();
    void ResetLineState();

    bool HoldOffStep();
    bool RetryStep(bool busy);
    bool QueueStep(bool busy);
    bool AutoSampleStep(bool busy);
    bool KeepAliveStep(bool busy);
    bool TestConnectStep(bool busy);
    bool ConfigJobStep(bool busy);

    ILinkPort& m_port;
    IMainView& m_view;
    IPrompt& m_prompt;
    CConnection m_connection;
    CWindowRegistry m_windows;
    IConfigPages* m_pages = nullptr;
    IConfigSheet* m_sheet = nullptr;
    IConfigSequence* m_sequence = nullptr;
    EventLookup m_lookupEvent;

    CFrameParser m_frameParser;
    CTagLineParser m_tagLineParser;
    CTransponderId m_lastTag;

    std::array<CTelegram, kQueueSlots> m_queue;
    CTelegram m_lastTelegram;
    int m_answerRetries = 0;
    int m_retryTicks = 0;
    int m_holdOffTicks = 0;
    uint8_t m_lastCommand = 0;
    // The frames last transmitted as they come back on an echoing line: without DLE escapes and
    // ETX, as the frame receiver delivers them.
    std::deque<std::vector<uint8_t>> m_echoes;
    CLineTiming m_timing;
    Clock m_clock;
    uint8_t m_keepAliveTicks = 0;
    SampleFlags m_sample;
    int m_sampleTicks = 0;
    bool m_eventDatabaseActive = false;
    std::string m_statusText;
    int m_statusTicks = 0;
    bool m_testMode = false;
    int64_t m_ticks = 0;

    int m_nodeIndex = -1;
    std::string m_statusLine;
};
