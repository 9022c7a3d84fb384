#include "core/app/ReconnectPolicy.h"

void ReconnectPolicy::SetEnabled(bool on) {
    m_enabled = on;
    if (!on && m_state == State::Waiting) {
        m_state = State::Stopped;
    }
}

void ReconnectPolicy::OnConnected() {
    m_state = State::Connected;
    m_attempts = 0;
}

void ReconnectPolicy::OnDisconnected() {
    m_state = State::Stopped;
}

bool ReconnectPolicy::OnLost(int64_t nowMs) {
    // A second report of the same loss neither restarts the wait nor counts as a new loss.
    if (m_state == State::Waiting) {
        return true;
    }
    // A line the user closed stays closed.
    if (m_state == State::Stopped || !m_enabled) {
        m_state = State::Stopped;
        return false;
    }
    m_state = State::Waiting;
    m_attempts = 0;
    // Not at once: the device that just went away is not back within the same moment, and an
    // adapter being re-plugged needs a moment before its node is usable.
    m_nextAttemptMs = nowMs + kRetryMs;
    return true;
}

bool ReconnectPolicy::AttemptDue(int64_t nowMs) const {
    return m_state == State::Waiting && nowMs >= m_nextAttemptMs;
}

void ReconnectPolicy::OnAttemptFailed(int64_t nowMs) {
    if (m_state != State::Waiting) {
        return;
    }
    ++m_attempts;
    // From the failure, not from the plan: a clock that jumped or a slow open never bunches
    // attempts together.
    m_nextAttemptMs = nowMs + kRetryMs;
}
