#pragma once

#include "core/app/ConfigHooks.h"
#include "core/config/ConfigRecord.h"
#include "core/link/Telegram.h"

#include <cstdint>

// Reads or writes the reader's whole configuration, one request per tick of the main window,
// repeating each unanswered request itself: three transmissions, then the run is given up.
class CConfigSequence final : public IConfigSequence {
public:
    static constexpr int kReadSteps = 7;
    static constexpr int kWriteSteps = 20;
    // What StartWrite reports as the length of a write: the bars count the first transmissions
    // up to the read-back.
    static constexpr int kWriteProgress = 17;
    static constexpr int kTransmissions = 3;
    static constexpr int kMaxFrame = 1000;

    int IsRunning() const override { return m_step; }
    int StartRead() override;
    int StartWrite(const ConfigRecord& record) override;
    void Stop() override { m_step = 0; }
    int OnAnswer(int length, const uint8_t* frame) override;
    int BuildStep(CTelegram& request) override;
    ConfigRecord GetReadRecord() const override { return m_readRecord; }
    void SetTiming(const IRequestTiming* timing) override { m_timing = timing; }
    int GetReadRecord(ConfigRecord& record) const;

    int Attempts() const { return m_attempts; }
    int Delay() const { return m_delay; }

    // Reads the additional configuration block (answer to 0x60 0x14) into the record; false when
    // the frame is too short to hold it.
    static bool StoreAdditionalBlock(int length, const uint8_t* frame, ConfigRecord& record);

private:
    // Steps 1..7 read, 11..30 write (W1 = 11).
    static constexpr int kFirstRead = 1;
    static constexpr int kFirstWrite = 11;

    void Advance();
    void Build(CTelegram& request) const;

    const IRequestTiming* m_timing = nullptr;
    int32_t m_step = 0;
    int32_t m_attempts = 0;
    int32_t m_delay = 0;
    ConfigRecord m_readRecord;
    ConfigRecord m_writeRecord;
};
