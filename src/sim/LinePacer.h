#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// When bytes would have crossed a serial line at a given baud: ten bits a character, a wire in
// each direction, and nothing saved up while a wire is idle. A pseudo-terminal delivers at once,
// so without this a download would show a speed no reader reaches; with a burst allowance it
// would hide the tool's own turnaround time between an answer and the next request.
class LinePacer final {
public:
    using Clock = std::chrono::steady_clock;

    // baud 0: no line, everything is due at once.
    explicit LinePacer(uint32_t baud);

    bool IsPaced() const { return m_byteTime.count() > 0; }
    // count bytes from the client, seen at now: when their last one has arrived. An answer cannot
    // start before its request has arrived whole.
    Clock::time_point Receive(Clock::time_point now, size_t count);
    // count bytes the reader sends, made at now: when their last one has crossed.
    Clock::time_point Send(Clock::time_point now, size_t count);

private:
    Clock::duration m_byteTime{};
    Clock::time_point m_inFree{};
    Clock::time_point m_outFree{};
};
