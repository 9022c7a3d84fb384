#pragma once

#include <cstdint>

// When the reader's device goes away, the tool waits for a device of the same name to come back
// and opens it again by itself. Attempts are paced, so that a link that never returns costs one
// failed open a second and nothing more; the user ends the waiting with Disconnect.
// Times are milliseconds on any steady clock the caller keeps (the engine's ticks).
class ReconnectPolicy final {
public:
    enum class State { Stopped, Connected, Waiting };
    static constexpr int64_t kRetryMs = 1000;

    // Off also ends a wait in progress: the device stays closed.
    void SetEnabled(bool on);
    bool Enabled() const { return m_enabled; }
    State GetState() const { return m_state; }
    bool IsWaiting() const { return m_state == State::Waiting; }

    // The line was opened, by the user or by a retry.
    void OnConnected();
    // The user closed the line (Disconnect, another port, Quit): no more attempts.
    void OnDisconnected();
    // The open device went away. True when the tool now waits for it; false when it does not
    // (switched off, or the line was not meant to be open).
    bool OnLost(int64_t nowMs);
    // True when an attempt to open the device is due; the caller reports how it went.
    bool AttemptDue(int64_t nowMs) const;
    void OnAttemptFailed(int64_t nowMs);
    // Attempts made since the device went away.
    int Attempts() const { return m_attempts; }

private:
    bool m_enabled = false;
    State m_state = State::Stopped;
    int64_t m_nextAttemptMs = 0;
    int m_attempts = 0;
};
