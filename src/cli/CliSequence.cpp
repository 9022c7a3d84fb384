#include "cli/CliSequence.h"

namespace {

// Steps 1..7 read, 11..30 write, as the sequence counts them.
constexpr int kFirstWrite = 11;

}  // namespace

int CliSequence::OnAnswer(int length, const uint8_t* frame) {
    const int answer = m_sequence.OnAnswer(length, frame);
    if (answer == kNotAck) {
        // A non-acknowledge is the reader's word: asking twice more changes nothing.
        m_sequence.Stop();
    }
    if ((answer == kReadDone || answer == kWriteDone || answer == kNotAck) && m_onEnd) {
        m_onEnd(answer);
    }
    return answer;
}

int CliSequence::BuildStep(CTelegram& request) {
    const int step = m_sequence.IsRunning();
    const int action = m_sequence.BuildStep(request);
    if (action == kStep) {
        m_lastStep = step >= kFirstWrite ? "write step " + std::to_string(step - kFirstWrite + 1) + " of " +
                                               std::to_string(CConfigSequence::kWriteSteps)
                                         : "read step " + std::to_string(step) + " of " +
                                               std::to_string(CConfigSequence::kReadSteps);
        m_lastStep += " (" + request.GetDescription() + ")";
    }
    if (action == kGiveUp && m_onEnd) {
        m_onEnd(kGiveUp);
    }
    return action;
}
