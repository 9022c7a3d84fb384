// The 100 ms tick: the page and windows that pace themselves by it, the status countdown, and the
// engine's steps, of which the first six transmit at most one request a tick.
#include "core/app/ReaderToolDlg.h"

#include "core/app/Dispatch.h"
#include "core/link/Commands.h"

namespace {

constexpr int kSampleStatusTicks = 20;
constexpr uint8_t kKeepAliveRearm = 30;

CTelegram ConnectRequest() {
    return CTelegram(Cmd::kConnect, Desc::kConnect, kKindFrame);
}

}  // namespace

void CReaderToolDlg::OnTimer() {
    ++m_ticks;
    if (m_sheet != nullptr && m_pages != nullptr) {
        m_pages->TickPage(m_sheet->ActivePage());
    }
    for (const char* caption : Dispatch::kTickWindows) {
        if (IToolWindow* window = m_windows.Find(caption)) {
            window->OnTick();
        }
    }
    if (m_statusTicks != 0) {
        if (--m_statusTicks == 0) {
            m_statusText.clear();
            UpdateStatusLine();
        }
    }
    m_connection.ReconnectStep(NowTicksMs());
    bool busy = HoldOffStep();
    busy = RetryStep(busy);
    busy = QueueStep(busy);
    busy = AutoSampleStep(busy);
    busy = KeepAliveStep(busy);
    busy = TestConnectStep(busy);
    ConfigJobStep(busy);
}

bool CReaderToolDlg::HoldOffStep() {
    if (m_holdOffTicks != 0) {
        --m_holdOffTicks;
        return true;
    }
    return false;
}

bool CReaderToolDlg::RetryStep(bool busy) {
    if (busy) {
        return true;
    }
    if (m_answerRetries == 0) {
        return false;
    }
    if (m_retryTicks > 0) {
        --m_retryTicks;
    }
    if (m_retryTicks > 0 || HoldsRepeat(m_lastTelegram, false)) {
        return false;
    }
    --m_answerRetries;
    if (m_lastTelegram.GetLength() == 0) {
        return false;
    }
    SendTelegram(CTelegram(m_lastTelegram));
    m_retryTicks = kRetryTicks;
    if (m_answerRetries == 0) {
        m_lastTelegram.Clear();
    }
    return true;
}

bool CReaderToolDlg::QueueStep(bool busy) {
    if (busy) {
        return true;
    }
    if (m_queue[0].GetLength() == 0 || BlocksRequest(m_queue[0])) {
        return false;
    }
    CTelegram head = m_queue[0];
    if (head.IsRepeat() != 0) {
        m_answerRetries = 2;
    }
    head.ClearRepeat();
    m_retryTicks = kRetryTicks;
    m_lastTelegram = head;
    SendTelegram(head);
    std::move(m_queue.begin() + 1, m_queue.end(), m_queue.begin());
    m_queue.back() = CTelegram();
    if (m_sheet != nullptr || m_windows.IsOpen(Caption::kDatabase)) {
        m_keepAliveTicks = kKeepAliveAfterSend;
    }
    return true;
}

bool CReaderToolDlg::AutoSampleStep(bool busy) {
    if (busy) {
        return true;
    }
    // Sampling pauses while the line is down, rather than claim samples on the status line.
    if ((!m_sample.hdx && !m_sample.fdx && !m_sample.ub) || m_sampleTicks <= 0 || m_port.IsOpen() == 0) {
        return false;
    }
    if (--m_sampleTicks != 0) {
        return false;
    }
    CTelegram request;
    if (m_sample.hdx) {
        request = CTelegram(Cmd::kStartHdxSample, Desc::kStartHdxSamplePeriodic, kKindFrame);
        ShowStatus("Diagnosis: HDX sample", kSampleStatusTicks);
    }
    if (m_sample.fdx) {
        request = CTelegram(Cmd::kStartFdxSample, Desc::kStartFdxSamplePeriodic, kKindFrame);
        ShowStatus("Diagnosis: FDX sample", kSampleStatusTicks);
    }
    if (m_sample.ub) {
        request = CTelegram(Cmd::kStartUbSample, Desc::kStartUbSample, kKindFrame);
        ShowStatus("Diagnosis: UB sample", kSampleStatusTicks);
    }
    request.ClearRepeat();
    SendTelegram(request);
    m_sampleTicks = kSampleTicks;
    CTelegram single(Cmd::kGetSingleId, Desc::kGetSingleId, kKindFrame);
    single.ClearRepeat();
    EnqueueTelegram(single);
    return true;
}

bool CReaderToolDlg::KeepAliveStep(bool busy) {
    if (busy) {
        return true;
    }
    if (m_keepAliveTicks == 0) {
        return false;
    }
    // Not inside a whole-configuration run or a page's request: its acknowledge would arrive in
    // the middle of the exchange. The countdown goes on after it.
    const bool exchange =
        (m_sequence != nullptr && m_sequence->IsRunning() != 0) ||
        (m_sheet != nullptr && m_pages != nullptr && m_pages->PageBusy(m_sheet->ActivePage()));
    if (exchange) {
        return false;
    }
    if (--m_keepAliveTicks != 0) {
        return false;
    }
    SendTelegram(ConnectRequest());
    m_holdOffTicks = 3;
    m_keepAliveTicks = kKeepAliveRearm;
    return true;
}

bool CReaderToolDlg::TestConnectStep(bool busy) {
    if (!m_testMode) {
        return false;
    }
    if (!busy) {
        SendTelegram(ConnectRequest());
        m_holdOffTicks = 2;
    }
    return true;
}

bool CReaderToolDlg::ConfigJobStep(bool busy) {
    if (busy) {
        return true;
    }
    if (m_sequence == nullptr) {
        return false;
    }
    CTelegram request;
    const int action = m_sequence->BuildStep(request);
    if (action == IConfigSequence::kGiveUp) {
        m_sequence->Stop();
        if (m_sheet != nullptr && m_pages != nullptr) {
            m_pages->StepProgressAll(100);
            m_pages->ShowMainStatus(m_sheet->ActivePage(), "Read/Write configuration failed");
        }
        return false;
    }
    if (action == IConfigSequence::kStep || action == IConfigSequence::kRepeat) {
        SendTelegram(request);
        m_keepAliveTicks = kKeepAliveAfterSend;
        if (action == IConfigSequence::kStep && m_sheet != nullptr && m_pages != nullptr) {
            m_pages->StepProgressAll(1);
        }
        return true;
    }
    return false;
}
