#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/config/ConfigRecord.h"
#include "core/config/PageView.h"
#include "core/link/Telegram.h"

#include <cstdint>
#include <string>
#include <vector>

// What every page of the configuration sheet shares: the status line with its countdown, sending
// with time-out and repetition, the progress bar and the buttons of the bottom band. Requests and
// commands go straight to the main window; the sheet adds nothing on the way.
class CConfigPage {
public:
    static constexpr int kRequestTicks = 50;  // a request's own status message
    static constexpr int kAnswerTicks = 40;   // success, failure and answer messages
    static constexpr int kRetries = 3;
    static constexpr int kRepeatWait = 4;
    static constexpr const char* kStatusIndent = "      ";
    static constexpr const char* kResetQuestion = "Reset the reader's whole configuration to its defaults?";

    CConfigPage(IMainWindow& mainWindow, const char* caption, int resourceId);
    virtual ~CConfigPage() = default;
    CConfigPage(const CConfigPage&) = delete;
    CConfigPage& operator=(const CConfigPage&) = delete;

    // Questions the page must ask before it acts; without one, nothing that needs an answer runs.
    void SetPrompt(IPrompt* prompt) { m_prompt = prompt; }

    const char* Caption() const { return m_caption; }
    int ResourceId() const { return m_resourceId; }

    // The page's window. Attaching a window (or detaching it) means a new one must be created
    // before the page is used with it.
    void SetView(IPageView* view);
    IPageView* View() const { return m_view; }
    // The page's window is created: request state reset, default control values set.
    virtual void OnCreate();
    // Runs OnCreate once for an attached window that has not been created yet.
    void EnsureCreated();
    bool IsCreated() const { return m_created; }

    void SetStatus(const std::string& message, int ticks);
    void SendRequest(CTelegram request);
    virtual void OnTick();
    // A request is pending, or a job of requests runs.
    virtual bool IsBusy() const { return m_retries > 0; }
    // A frame from the reader. Tag data messages never reach the page's own answer handling.
    void OnAnswer(int length, const uint8_t* frame);
    void ShowMainStatus(const std::string& message);
    void SetProgressRange(int low, int high);
    void StepProgress(int step);
    virtual int FillRecord(ConfigRecord& record);
    virtual void ShowRecord(ConfigRecord record);

    // The bottom band.
    virtual void OnApply();
    void OnRead();
    void OnResetAll();
    void OnLoad();
    void OnSave();
    void OnQuit();

    const std::string& StatusText() const { return m_statusText; }
    const std::string& Message() const { return m_message; }
    int MessageTicks() const { return m_messageTicks; }
    const std::string& FailedText() const { return m_failedText; }
    const std::string& SuccessText() const { return m_successText; }
    const CTelegram& Request() const { return m_request; }
    int Retries() const { return m_retries; }
    int WaitTicks() const { return m_waitTicks; }
    int ProgressLow() const { return m_progressLow; }
    int ProgressHigh() const { return m_progressHigh; }
    int ProgressPosition() const { return m_progressPosition; }
    bool ProgressActive() const { return m_progressActive != 0; }

    // An acknowledge: byte 3 of the frame is 0x06.
    static bool IsAck(int length, const uint8_t* frame);
    // Number of data bytes from byte 5 up to the CRC byte.
    static int DataCount(int length) { return length > 6 ? length - 6 : 0; }
    // Data bytes 5 up to the CRC as text, ending early at a zero byte; at most maximum characters.
    static std::string DataText(int length, const uint8_t* frame, int maximum);

protected:
    // The page's answer table; the frame has at least status and command byte and is no tag
    // data message.
    virtual void HandleAnswer(int length, const uint8_t* frame);
    // A tag data message; most pages have no use for it.
    virtual void HandleTagData(int /*length*/, const uint8_t* /*frame*/) {}
    // A message of its own in the status line, leaving the failed and success texts of the
    // pending request as they are.
    void ShowNotice(const std::string& message, int ticks);
    // Called in each tick that reaches the repetition logic; idle tells whether no request was
    // pending when the tick looked.
    virtual void AfterRepetition(bool idle);
    virtual std::string FailureMessage() const { return m_failedText; }
    // The pending request was sent three times without an acknowledge.
    virtual void OnGiveUp();
    // The answer of "Reset all", which every page confirms the same way.
    void HandleResetAnswer(int length, const uint8_t* frame);
    // Ends the pending request, when the frame being handled answers it (another request of the
    // same command, answered late, does not).
    void EndRequest();
    // The request the frame being handled answers, command code first; null when nothing tells
    // (a window not connected to the engine).
    const std::vector<uint8_t>* AnsweredRequest() const { return m_mainWindow.AnsweredRequest(); }
    void SetWaitTicks(int ticks) { m_waitTicks = ticks; }
    void SetProgressActive(bool active) { m_progressActive = active ? 1 : 0; }
    // Status line and every other bound field re-displayed.
    void RefreshStatus();
    void UpdateView();
    void StoreView();
    IMainWindow& MainWindow() { return m_mainWindow; }
    IPrompt* Prompt() { return m_prompt; }
    // A message box, when the page has somewhere to show one.
    void Tell(const std::string& text) {
        if (m_prompt != nullptr) {
            m_prompt->Message(text);
        }
    }

private:
    IMainWindow& m_mainWindow;
    const char* m_caption;
    int m_resourceId;
    IPageView* m_view = nullptr;
    IPrompt* m_prompt = nullptr;
    bool m_created = false;

    std::string m_statusText = kStatusIndent;
    CTelegram m_request;
    int32_t m_retries = 0;
    int32_t m_waitTicks = 0;
    std::string m_message;
    int32_t m_messageTicks = 0;
    std::string m_failedText;
    std::string m_successText;
    int32_t m_progressActive = 0;
    bool m_answersPending = true;  // the frame being handled answers the pending request
    // The progress bar's own state, which the page keeps for its window.
    int m_progressLow = 0;
    int m_progressHigh = 100;
    int m_progressPosition = 0;
};
