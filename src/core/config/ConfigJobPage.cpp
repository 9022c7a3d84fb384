#include "core/config/ConfigJobPage.h"

#include "core/link/Commands.h"

#include <algorithm>

CConfigJobPage::CConfigJobPage(IMainWindow& mainWindow, const char* caption, int resourceId, Pacing pacing)
    : CConfigPage(mainWindow, caption, resourceId), m_pacing(pacing) {}

void CConfigJobPage::OnCreate() {
    ResetJobs();
    m_index = 0;
    m_mismatch = 0;
    m_busy = 0;
    CConfigPage::OnCreate();
}

void CConfigJobPage::ResetJobs() {
    m_addresses.fill(0);
    m_values.fill(0);
    m_expected.fill(0);
    m_storePending = 0;
    m_started = 0;
    m_setCount = 0;
    m_checkCount = 0;
    m_readJob = 0;
    m_readFailed = 0;
}

int CConfigJobPage::AddSetItem(uint8_t address, uint8_t value) {
    if (m_setCount >= kJobSize) {
        return -1;
    }
    const auto i = static_cast<size_t>(m_setCount);
    m_addresses[i] = address;
    m_values[i] = value;
    m_expected[i] = value;
    ++m_setCount;
    return 0;
}

int CConfigJobPage::AddCheckItem(uint8_t address) {
    if (m_checkCount >= kJobSize) {
        return -1;
    }
    m_addresses[static_cast<size_t>(m_checkCount)] = address;
    ++m_checkCount;
    return 0;
}

int CConfigJobPage::StartSetJob(uint8_t address, uint8_t value) {
    ResetJobs();
    const int result = AddSetItem(address, value);
    m_index = 0;
    return result;
}

void CConfigJobPage::JobStep() {
    if (m_busy != 0) {
        return;
    }
    const bool itemDue = m_setCount > 0 || (m_storePending == 0 && m_checkCount > 0);
    if (itemDue && (m_index < 0 || m_index >= kJobSize)) {
        // Only lists filled past their end could get here; drop the job rather than read
        // beyond them.
        ResetJobs();
        m_index = 0;
        return;
    }
    const auto i = static_cast<size_t>(m_index);
    if (m_setCount > 0) {
        SetWaitTicks(1);
        if (m_started == 0) {
            m_checkCount = m_setCount;
            m_started = 1;
            m_mismatch = 0;
        }
        CTelegram request(Cmd::kSetConfig, Desc::kSetConfig, kKindFrame);
        request.AppendByte(m_addresses[i]);
        request.AppendByte(m_values[i]);
        ++m_index;
        --m_setCount;
        if (m_setCount == 0) {
            m_index = 0;
        }
        SendRequest(request);
    } else if (m_storePending != 0) {
        SetWaitTicks(5);
        m_storePending = 0;
        m_index = 0;
        m_mismatch = 0;
        SendRequest(CTelegram(Cmd::kSaveConfig, Desc::kSaveConfigData, kKindFrame));
    } else if (m_checkCount > 0) {
        SetWaitTicks(1);
        CTelegram request(Cmd::kGetConfig, Desc::kGetConfig, kKindFrame);
        request.AppendByte(m_addresses[i]);
        ++m_index;
        --m_checkCount;
        SendRequest(request);
    }
}

void CConfigJobPage::StartReadJob(const std::string& status, std::initializer_list<uint8_t> addresses) {
    m_busy = 1;
    ResetJobs();
    SetStatus(status, kRequestTicks);
    for (const uint8_t address : addresses) {
        AddCheckItem(address);
    }
    m_readJob = 1;
    SetProgressRange(0, m_checkCount - 1);
    m_index = 0;
    m_busy = 0;
}

void CConfigJobPage::ReadJobAnswered() {
    if (m_readJob != 0 && m_checkCount == 0) {
        m_readJob = 0;
        SetStatus(m_readFailed != 0 ? FailedText() : SuccessText(), kAnswerTicks);
    }
}

void CConfigJobPage::OnGiveUp() {
    if (m_readJob == 0) {
        CConfigPage::OnGiveUp();
        return;
    }
    // The bar counts items done, answered or not, so that it ends with the job.
    m_readFailed = 1;
    StepProgress(1);
    SetStatus(FailedText(), kAnswerTicks);
    ReadJobAnswered();
}

void CConfigJobPage::OnStoreConfig() {
    SetStatus("Save configuration", kRequestTicks);
    SendRequest(CTelegram(Cmd::kSaveConfig, Desc::kSaveConfig, kKindFrame));
}

void CConfigJobPage::AfterRepetition(bool idle) {
    if (m_pacing == Pacing::kEveryLook || idle) {
        JobStep();
    }
}

void CConfigJobPage::CompareReadBack(int length, const uint8_t* frame) {
    if (m_index < 1 || m_index > kJobSize) {
        return;  // no read-back sent yet: a stray answer
    }
    auto item = static_cast<size_t>(m_index - 1);
    if (AnsweredRequest() != nullptr) {
        // On a slow line the answer may be to an earlier read of the job than the last one sent.
        const int address = LastReadAddress();
        const auto* found = std::find(m_addresses.begin(), m_addresses.end(), address);
        if (address < 0 || found == m_addresses.end()) {
            return;
        }
        item = static_cast<size_t>(found - m_addresses.begin());
    }
    // An answer without a value byte cannot confirm what was set.
    if (!IsAck(length, frame) || DataCount(length) < 1 || frame[5] != m_expected[item]) {
        m_mismatch = 1;
    }
    if (m_checkCount == 0) {
        SetStatus(m_mismatch != 0 ? FailedText() : SuccessText(), kAnswerTicks);
    }
}

int CConfigJobPage::LastReadAddress() const {
    // The engine tells which read an answer belongs to: a 0x29 answer carries no address.
    if (const std::vector<uint8_t>* answered = AnsweredRequest()) {
        return answered->size() >= 2 && (*answered)[0] == Cmd::kGetConfig ? (*answered)[1] : -1;
    }
    if (m_index < 1 || m_index > kJobSize) {
        return -1;
    }
    return m_addresses[static_cast<size_t>(m_index - 1)];
}
