// Which request an answer belongs to, and how long the line is waited for.
#include "core/app/LineTiming.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Fate = CLineTiming::Fate;

// STX, node 1, marker, status, body, CRC (never checked here).
Bytes Answer(uint8_t status, Bytes body) {
    Bytes frame{0x02, 0x01, 0xF0, status};
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(0x00);
    return frame;
}

struct Line {
    CLineTiming timing;
    void Send(const Bytes& payload, int64_t at) {
        timing.OnTransmit(payload.data(), static_cast<int>(payload.size()), at);
    }
    Fate Receive(const Bytes& frame, int64_t at) {
        return timing.OnFrame(frame.data(), static_cast<int>(frame.size()), at);
    }
    bool Blocks(const Bytes& payload, int64_t at) const {
        return timing.Blocks(payload.data(), static_cast<int>(payload.size()), at);
    }
    bool Holds(const Bytes& payload, bool giveUp, int64_t at) const {
        return timing.HoldsRepeat(payload.data(), static_cast<int>(payload.size()), giveUp, at);
    }
};

const Bytes kReadFormat{0x29, 0x32};
const Bytes kReadTimeout{0x29, 0x34};

TEST(LineTimingTest, AnswersAreMatchedByCodeAndSubCode) {
    const struct {
        const char* name;
        Bytes request;
        Bytes frame;
        bool matches;
    } rows[] = {
        {"acknowledge", {0x29, 0x32}, Answer(0x06, {0x29, 0x05}), true},
        {"non-acknowledge", {0x09}, Answer(0x15, {0x09}), true},
        {"other code", {0x29, 0x32}, Answer(0x06, {0x28, 0x05}), false},
        {"same code, other sub-code", {0x60, 0x17, 1}, Answer(0x06, {0x60, 0x14}), false},
        {"sub-code", {0x60, 0x17, 1}, Answer(0x06, {0x60, 0x17}), true},
        {"refusal without its sub-code", {0x60, 0x17, 1}, Answer(0x15, {0x60}), true},
        {"tag data message whose byte 4 is the code", {0x29, 0x32}, Answer(0x23, {0x29, '9', '8'}), false},
    };
    for (const auto& row : rows) {
        AnswerKey answer;
        const bool isAnswer =
            AnswerKey::OfAnswer(row.frame.data(), static_cast<int>(row.frame.size()), answer);
        const AnswerKey wanted =
            AnswerKey::OfRequest(row.request.data(), static_cast<int>(row.request.size()));
        EXPECT_EQ(isAnswer && wanted.Matches(answer), row.matches) << row.name;
    }
}

// A reader 250 ms away, read before anything was measured: the repeats of the first read go out
// at the fixed 200 ms; their answers are the first read's, never the second read's.
TEST(LineTimingTest, RepeatsAnswersAreOwedAndNeverTakenByTheNextRead) {
    Line line;
    line.Send(kReadFormat, 0);
    EXPECT_FALSE(line.Holds(kReadFormat, false, 200));  // nothing measured: the fixed wait holds
    line.Send(kReadFormat, 200);
    EXPECT_EQ(line.Receive(Answer(0x06, {0x29, 0x05}), 250), Fate::kAnswer);
    EXPECT_EQ(line.timing.AnsweredRequest(), kReadFormat);
    EXPECT_FALSE(line.timing.Measured()) << "two transmissions: which one was answered is unknown";
    EXPECT_TRUE(line.Blocks(kReadTimeout, 300)) << "the repeat's answer would be taken for the timeout";
    EXPECT_EQ(line.Receive(Answer(0x06, {0x29, 0x05}), 450), Fate::kLate);
    EXPECT_FALSE(line.Blocks(kReadTimeout, 460));

    // Now each request waits as long as the first took before it is repeated: its answer can be
    // measured, and from then on the line's own time-out counts.
    line.Send(kReadTimeout, 500);
    EXPECT_TRUE(line.Holds(kReadTimeout, false, 700));
    EXPECT_EQ(line.Receive(Answer(0x06, {0x29, 0x32}), 750), Fate::kAnswer);
    EXPECT_EQ(line.timing.SmoothedMs(), 250);
    EXPECT_EQ(line.timing.RtoMs(), 250 + 4 * 125);
    line.Send(kReadFormat, 1000);
    EXPECT_TRUE(line.Holds(kReadFormat, false, 1700));
    EXPECT_FALSE(line.Holds(kReadFormat, false, 1750));
}

}  // namespace
