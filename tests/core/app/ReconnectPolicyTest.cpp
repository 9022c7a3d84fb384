#include "core/app/ReconnectPolicy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using State = ReconnectPolicy::State;
constexpr int64_t kNever = -1;

// A line opened at 0 ms, run on 100 ms ticks; the device answers an attempt from returnsAt on.
struct Case {
    const char* fault;
    bool enabled;
    std::vector<int64_t> lostAt;
    int64_t returnsAt, disconnectAt, offAt, endMs;
    int attempts;
    int64_t lastAttempt;
    State end;
};

// clang-format off
const Case kCases[] = {
    {"the device returns: a try each second, the third opens it",
     true, {1000}, 3400, kNever, kNever, 9000, 3, 4000, State::Connected},
    {"a link that never returns: one try a second for a minute, no more",
     true, {1000}, kNever, kNever, kNever, 61000, 60, 61000, State::Waiting},
    {"a second report of the same loss must not restart the wait",
     true, {1000, 1900}, kNever, kNever, kNever, 2000, 1, 2000, State::Waiting},
    {"Disconnect while waiting: the returning device stays closed",
     true, {1000}, 3000, 2500, kNever, 9000, 1, 2000, State::Stopped},
    {"switched off: a loss is final", false, {1000}, 1500, kNever, kNever, 9000, 0, kNever, State::Stopped},
    {"switched off while waiting: no more tries", true, {1000}, 5000, kNever, 2500, 9000, 1, 2000, State::Stopped},
    {"closed by the user before the loss came in", true, {1000}, 1000, 500, kNever, 9000, 0, kNever, State::Stopped},
};
// clang-format on

TEST(ReconnectPolicy, AttemptsFollowTheLineAndTheUser) {
    for (const Case& c : kCases) {
        ReconnectPolicy policy;
        policy.SetEnabled(c.enabled);
        policy.OnConnected();
        std::vector<int64_t> attempts;
        for (int64_t t = 0; t <= c.endMs; t += 100) {
            if (std::count(c.lostAt.begin(), c.lostAt.end(), t) != 0) {
                policy.OnLost(t);
            }
            if (t == c.disconnectAt) {
                policy.OnDisconnected();
            }
            if (t == c.offAt) {
                policy.SetEnabled(false);
            }
            if (policy.AttemptDue(t)) {
                attempts.push_back(t);
                c.returnsAt != kNever&& t >= c.returnsAt ? policy.OnConnected() : policy.OnAttemptFailed(t);
            }
        }
        EXPECT_EQ(static_cast<int>(attempts.size()), c.attempts) << c.fault;
        EXPECT_EQ(attempts.empty() ? kNever : attempts.back(), c.lastAttempt) << c.fault;
        EXPECT_EQ(policy.GetState(), c.end) << c.fault;
    }
}

}  // namespace
