// The simulator's serial line at 9600 baud: 1.0416 ms a character.
#include "sim/LinePacer.h"

#include <gtest/gtest.h>

namespace {

using Clock = LinePacer::Clock;
using us = std::chrono::microseconds;

long long At(Clock::time_point t, Clock::time_point zero) {
    return std::chrono::duration_cast<us>(t - zero).count();
}

TEST(LinePacer, BytesTakeTheirLineTimeAndAnIdleLineSavesNothing) {
    const Clock::time_point t0{};
    const struct {
        const char* name;
        long long requestAt;  // us; -1: no request
        long long answerAt;   // when the reader makes its answer
        long long answerDue;  // when its last byte has arrived
    } rows[] = {
        // 9-byte request, 24-byte answer: 33 characters.
        {"an answer waits for its request's last byte", 0, 0, 34375},
        // The line was idle for a second: the answer still takes its own 25 ms.
        {"an idle line gives no burst", -1, 1000000, 1025000},
    };
    for (const auto& row : rows) {
        LinePacer line(9600);
        if (row.requestAt >= 0) {
            line.Receive(t0 + us(row.requestAt), 9);
        }
        EXPECT_NEAR(At(line.Send(t0 + us(row.answerAt), 24), t0), row.answerDue, 1) << row.name;
    }
    LinePacer line(9600);
    line.Send(t0, 24);
    EXPECT_NEAR(At(line.Send(t0, 24), t0), 50000, 1) << "answers queue behind each other";
}

TEST(LinePacer, AnAdapterHoldsBytesUntilItsTimerRunsOutOrItsBufferFills) {
    using ms = std::chrono::milliseconds;
    const Clock::time_point t0{};
    const struct {
        const char* name;
        uint32_t baud;
        long long firstAt;  // us; -1: one answer only
        size_t firstBytes;
        long long answerAt;
        size_t answerBytes;
        long long answerDue;
    } rows[] = {
        {"held for the timer's length", 0, -1, 0, 3000, 24, 19000},
        {"a full buffer goes at once", 0, -1, 0, 3000, 62, 3000},
        {"bytes that come while others wait go with them", 0, 0, 10, 5000, 24, 16000},
        {"the timer runs from the first byte held", 0, 0, 10, 17000, 24, 33000},
        // 9600 baud: the first byte is in after 1042 us, the timer runs out at 17042 us before
        // the 17th byte (17708 us) comes; that one starts the timer again.
        {"a slow answer is handed on in two parts", 9600, -1, 0, 0, 24, 33708},
    };
    for (const auto& row : rows) {
        LinePacer line(row.baud);
        line.SetLatencyTimer(ms(16));
        if (row.firstAt >= 0) {
            line.Send(t0 + us(row.firstAt), row.firstBytes);
        }
        EXPECT_NEAR(At(line.Send(t0 + us(row.answerAt), row.answerBytes), t0), row.answerDue, 1) << row.name;
    }
}

}  // namespace
