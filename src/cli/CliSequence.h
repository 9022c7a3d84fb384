#pragma once

#include "core/config/ConfigSequence.h"

#include <functional>
#include <string>

// The whole-configuration sequence as the engine drives it, watched for the command line: a
// refused step ends the run at once and is named, a step given up after its last repetition too.
class CliSequence final : public IConfigSequence {
public:
    // answer: kReadDone, kWriteDone, kNotAck or kGiveUp (of Action).
    using EndHandler = std::function<void(int answer)>;

    void SetEndHandler(EndHandler handler) { m_onEnd = std::move(handler); }

    int IsRunning() const override { return m_sequence.IsRunning(); }
    int StartRead() override { return m_sequence.StartRead(); }
    int StartWrite(const ConfigRecord& record) override { return m_sequence.StartWrite(record); }
    void Stop() override { m_sequence.Stop(); }
    int OnAnswer(int length, const uint8_t* frame) override;
    int BuildStep(CTelegram& request) override;
    ConfigRecord GetReadRecord() const override { return m_sequence.GetReadRecord(); }
    void SetTiming(const IRequestTiming* timing) override { m_sequence.SetTiming(timing); }

    // "write step 3 of 20 (Write timeout request)": the step last sent.
    const std::string& LastStep() const { return m_lastStep; }

private:
    CConfigSequence m_sequence;
    EndHandler m_onEnd;
    std::string m_lastStep;
};
