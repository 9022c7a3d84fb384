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

}  // namespace
