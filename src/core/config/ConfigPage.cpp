#include "core/config/ConfigPage.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"

#include <algorithm>

namespace {
constexpr const char* kFailedSuffix = " failed";
constexpr const char* kSuccessSuffix = " success";
constexpr const char* kResetAllStatus = "Reset all";
}  // namespace

CConfigPage::CConfigPage(IMainWindow& mainWindow, const char* caption, int resourceId)
    : m_mainWindow(mainWindow), m_caption(caption), m_resourceId(resourceId) {}

void CConfigPage::SetView(IPageView* view) {
    m_view = view;
    m_created = false;
}

void CConfigPage::OnCreate() {
    m_created = true;
    m_message.clear();
    m_failedText.clear();
    m_successText.clear();
    m_retries = 0;
    m_waitTicks = 0;
    m_messageTicks = 0;
    m_progressActive = 0;
    m_progressLow = 0;
    m_progressHigh = 100;
    m_progressPosition = 0;
    m_statusText = kStatusIndent;
    UpdateView();
}

void CConfigPage::EnsureCreated() {
    if (m_view != nullptr && !m_created) {
        OnCreate();
    }
}

namespace {
bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

void CConfigPage::SetStatus(const std::string& message, int ticks) {
    // A failure or success text shown again names the same request: its base stays, so that
    // " failed" or " success" is never added twice.
    std::string base = message;
    for (const std::string suffix : {kFailedSuffix, kSuccessSuffix}) {
        if (EndsWith(base, suffix)) {
            base.resize(base.size() - suffix.size());
            break;
        }
    }
    if (!base.empty()) {
        m_failedText = base + kFailedSuffix;
        m_successText = base + kSuccessSuffix;
    }
    ShowNotice(message, ticks);
}

void CConfigPage::ShowNotice(const std::string& message, int ticks) {
    m_message = message;
    m_messageTicks = ticks;
    RefreshStatus();
}

void CConfigPage::SendRequest(CTelegram request) {
    // The page repeats by itself; the main window's queue must not repeat as well.
    request.ClearRepeat();
    m_request = request;
    m_retries = kRetries;
    m_waitTicks = kRepeatWait;
    m_mainWindow.OnSendTelegram(m_request);
}

void CConfigPage::OnTick() {
    if (m_messageTicks != 0) {
        --m_messageTicks;
        if (m_messageTicks == 0) {
            m_message.clear();
            RefreshStatus();
        }
    }
    if (m_waitTicks != 0) {
        --m_waitTicks;
        return;
    }
    const bool idle = m_retries == 0;
    // While the request waits in the queue, or a slow line may still bring its answer, it is
    // neither sent again nor given up.
    const IRequestTiming* timing = m_mainWindow.Timing();
    if (!idle && timing != nullptr && timing->HoldsRepeat(m_request, m_retries == 1)) {
        return;
    }
    if (m_retries == 1) {
        m_retries = 0;
        OnGiveUp();
    } else if (m_retries > 0) {
        m_waitTicks = kRepeatWait;
        --m_retries;
        m_mainWindow.OnSendTelegram(m_request);
    }
    AfterRepetition(idle);
}

void CConfigPage::OnGiveUp() {
    SetStatus(FailureMessage(), kAnswerTicks);
}

void CConfigPage::AfterRepetition(bool /*idle*/) {}

void CConfigPage::OnAnswer(int length, const uint8_t* frame) {
    // A tag message's byte 4 is its length, which can equal any command code the pages wait for.
    if (frame == nullptr || length < 5) {
        return;
    }
    if (frame[3] == CFrameParser::kTagData) {
        HandleTagData(length, frame);
        return;
    }
    const std::vector<uint8_t>* answered = AnsweredRequest();
    m_answersPending =
        answered == nullptr || (static_cast<int>(answered->size()) == m_request.GetLength() &&
                                std::equal(answered->begin(), answered->end(), m_request.Data()));
    HandleAnswer(length, frame);
    m_answersPending = true;
}

void CConfigPage::EndRequest() {
    if (m_answersPending) {
        m_retries = 0;
    }
}

void CConfigPage::HandleAnswer(int length, const uint8_t* frame) {
    HandleResetAnswer(length, frame);
}

void CConfigPage::HandleResetAnswer(int length, const uint8_t* frame) {
    if (length >= 5 && frame[4] == Cmd::kResetAll && IsAck(length, frame)) {
        SetStatus(m_successText, kAnswerTicks);
    }
}

void CConfigPage::ShowMainStatus(const std::string& message) {
    SetStatus(message, kAnswerTicks);
}

void CConfigPage::SetProgressRange(int low, int high) {
    m_progressLow = low;
    m_progressHigh = high;
    m_progressPosition = low;
    m_progressActive = 1;
    if (m_view != nullptr) {
        m_view->UpdateProgress();
    }
}

void CConfigPage::StepProgress(int step) {
    if (m_progressActive == 0) {
        return;
    }
    if (m_progressPosition + step < m_progressHigh) {
        m_progressPosition += step;
    } else {
        m_progressPosition = 0;
        m_progressActive = 0;
    }
    if (m_view != nullptr) {
        m_view->UpdateProgress();
    }
}

int CConfigPage::FillRecord(ConfigRecord& /*record*/) {
    return 0;
}

void CConfigPage::ShowRecord(ConfigRecord /*record*/) {}

void CConfigPage::OnApply() {
    m_mainWindow.OnMainCommand(MainCommand::kWriteConfig, 0);
}

void CConfigPage::OnRead() {
    m_mainWindow.OnMainCommand(MainCommand::kReadConfig, 0);
}

void CConfigPage::OnResetAll() {
    // One click would otherwise wipe the reader's whole configuration.
    if (m_prompt == nullptr || !m_prompt->YesNo(kResetQuestion)) {
        return;
    }
    SetStatus(kResetAllStatus, kRequestTicks);
    // Not through SendRequest: the main window's queue repeats this one, the page does not.
    const CTelegram request(Cmd::kResetAll, Desc::kResetAll, kKindFrame);
    m_mainWindow.OnSendTelegram(request);
}

void CConfigPage::OnLoad() {
    m_mainWindow.OnMainCommand(MainCommand::kLoadConfigFile, 0);
}

void CConfigPage::OnSave() {
    m_mainWindow.OnMainCommand(MainCommand::kSaveConfigFile, 0);
}

void CConfigPage::OnQuit() {
    m_mainWindow.OnMainCommand(MainCommand::kWindowClosing, Resource::kSheetQuit);
}

bool CConfigPage::IsAck(int length, const uint8_t* frame) {
    return frame != nullptr && length > 3 && frame[3] == CFrameParser::kAck;
}

std::string CConfigPage::DataText(int length, const uint8_t* frame, int maximum) {
    std::string text;
    const int count = DataCount(length);
    for (int i = 0; i < count && i < maximum; ++i) {
        const uint8_t c = frame[5 + i];
        if (c == 0) {
            break;
        }
        text.push_back(static_cast<char>(c));
    }
    return text;
}

void CConfigPage::RefreshStatus() {
    m_statusText = kStatusIndent + m_message;
    UpdateView();
}

void CConfigPage::UpdateView() {
    if (m_view != nullptr) {
        m_view->UpdateControls();
    }
}

void CConfigPage::StoreView() {
    if (m_view != nullptr) {
        m_view->StoreControls();
    }
}
