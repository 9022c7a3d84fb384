#pragma once

#include "core/config/ConfigPage.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

// A page that sets configuration addresses as a job: the set requests, an optional store, then
// one read-back per address, compared with what was set.
class CConfigJobPage : public CConfigPage {
public:
    static constexpr int kJobSize = 20;

    // When the job step runs in a tick.
    enum class Pacing {
        kWhenIdle,   // only when no request was pending: each step waits for its answer
        kEveryLook,  // in every tick that reaches the repetition logic, answered or not
    };

    CConfigJobPage(IMainWindow& mainWindow, const char* caption, int resourceId, Pacing pacing);

    void OnCreate() override;
    bool IsBusy() const override {
        return CConfigPage::IsBusy() || m_setCount > 0 || m_checkCount > 0 || m_storePending != 0;
    }

    void ResetJobs();
    int AddSetItem(uint8_t address, uint8_t value);
    int AddCheckItem(uint8_t address);
    int StartSetJob(uint8_t address, uint8_t value);
    // A job of read requests only, with a status text of its own: each give-up shows its failed
    // text, and after the last item the page says whether every read was answered.
    void StartReadJob(const std::string& status, std::initializer_list<uint8_t> addresses);
    bool ReadJobRunning() const { return m_readJob != 0; }
    void JobStep();
    // The reader stores its configuration permanently.
    void OnStoreConfig();

    int SetCount() const { return m_setCount; }
    int CheckCount() const { return m_checkCount; }
    int Index() const { return m_index; }
    bool Mismatch() const { return m_mismatch != 0; }
    bool Started() const { return m_started != 0; }
    bool StorePending() const { return m_storePending != 0; }

protected:
    void AfterRepetition(bool idle) override;
    void OnGiveUp() override;
    // A read request of the job was acknowledged.
    void ReadJobAnswered();
    // A read-back answer during a set job: compares it and, after the last one, shows the
    // result.
    void CompareReadBack(int length, const uint8_t* frame);
    // The address of the read request answered last, or -1 when none has been sent.
    int LastReadAddress() const;
    void SetIndex(int index) { m_index = index; }
    void SetBusy(bool busy) { m_busy = busy ? 1 : 0; }
    void SetStarted(bool started) { m_started = started ? 1 : 0; }
    void SetStorePending(bool pending) { m_storePending = pending ? 1 : 0; }

private:
    Pacing m_pacing;
    std::array<uint8_t, kJobSize> m_addresses{};
    std::array<uint8_t, kJobSize> m_values{};
    std::array<uint8_t, kJobSize> m_expected{};
    int32_t m_storePending = 0;
    int32_t m_started = 0;
    int32_t m_setCount = 0;
    int32_t m_checkCount = 0;
    int32_t m_index = 0;
    int32_t m_mismatch = 0;
    int32_t m_busy = 0;
    int32_t m_readJob = 0;
    int32_t m_readFailed = 0;
};
