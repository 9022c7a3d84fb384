#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// When bytes would have crossed a serial line at a given baud: ten bits a character, a wire in
// each direction, and nothing saved up while a wire is idle. A pseudo-terminal delivers at once,
// so without this a download would show a speed no reader reaches; with a burst allowance it
// would hide the tool's own turnaround time between an answer and the next request.
//
// It can also hold what the reader sends as a USB-serial adapter does before handing it to the
// computer: a received byte waits until the latency timer, started by the first byte held, runs
// out, or until the adapter's buffer is full. That is what costs a request-and-answer exchange up
// to a timer's length per round trip when the driver does not ask the adapter for low latency.
class LinePacer final {
public:
    using Clock = std::chrono::steady_clock;
    // What a full-speed adapter passes on in one USB packet, besides its two status bytes.
    static constexpr size_t kAdapterBufferBytes = 62;

    // baud 0: no line, everything is due at once.
    explicit LinePacer(uint32_t baud);

    // 0: no adapter in the way (the default).
    void SetLatencyTimer(std::chrono::milliseconds timer) { m_latencyTimer = timer; }

    bool IsPaced() const { return m_byteTime.count() > 0 || m_latencyTimer.count() > 0; }
    // count bytes from the client, seen at now: when their last one has arrived. An answer cannot
    // start before its request has arrived whole.
    Clock::time_point Receive(Clock::time_point now, size_t count);
    // count bytes the reader sends, made at now: when their last one reaches the client.
    Clock::time_point Send(Clock::time_point now, size_t count);

private:
    Clock::time_point Hold(Clock::time_point firstArrival, size_t count);

    Clock::duration m_byteTime{};
    Clock::time_point m_inFree{};
    Clock::time_point m_outFree{};
    Clock::duration m_latencyTimer{};
    Clock::time_point m_heldSince{};
    size_t m_held = 0;
};
