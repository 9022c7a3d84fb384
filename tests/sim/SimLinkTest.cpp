#include "sim/SimLink.h"
#include "sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

namespace {

struct Capture {
    std::vector<int> batchSizes;
    Bytes bytes;

    SimLink::Receiver Receiver() {
        return [this](const uint8_t* b, int n) {
            batchSizes.push_back(n);
            bytes.insert(bytes.end(), b, b + n);
        };
    }
};

int Send(SimLink& link, const Bytes& payload) {
    const auto frame = RequestFrame(payload);
    return link.Write(frame.data(), static_cast<int>(frame.size()));
}

}  // namespace

TEST(SimLink, LongAnswersArriveInBatchesOfAtMostAThousand) {
    SimLink link;
    link.Reader().SetVersionText(std::string(2500, 'v'));
    Capture capture;
    link.SetReceiver(capture.Receiver());
    ASSERT_EQ(link.Open(), 1);
    ASSERT_EQ(Send(link, {0x09}), 1);
    link.Advance(100);
    // STX, address, marker, status, code, 2500 characters, CRC (maybe escaped), ETX.
    ASSERT_GE(capture.batchSizes.size(), 3u);
    EXPECT_EQ(capture.batchSizes[0], 1000);
    EXPECT_EQ(capture.batchSizes[1], 1000);
    for (const int n : capture.batchSizes) {
        EXPECT_LE(n, SimLink::kBatch);
    }
    const auto r = Decode(capture.bytes);
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].size(), 2506u);
}

TEST(SimLink, SplitBatchesStayBelowTheLimitAndDecode) {
    SimLink link(1, 9);
    SimulatedReader::Faults f;
    f.split = true;
    link.Reader().SetFaults(f);
    Capture capture;
    link.SetReceiver(capture.Receiver());
    link.Open();
    Send(link, {0x60, 0x14});
    link.Advance(10);
    EXPECT_GT(capture.batchSizes.size(), 3u);
    for (const int n : capture.batchSizes) {
        EXPECT_LE(n, SimulatedReader::kMaxSplit);
    }
    EXPECT_EQ(Decode(capture.bytes).answerCodes, (Bytes{0x60}));
}

TEST(SimLink, ClosedLinkNeitherWritesNorDelivers) {
    SimLink link;
    Capture capture;
    link.SetReceiver(capture.Receiver());
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(Send(link, {0x01}), 0);
    EXPECT_EQ(link.SetDtr(), 0);
    link.Reader().SetTagInterval(100);
    link.Advance(500);
    EXPECT_TRUE(capture.bytes.empty());

    // Tags sent while the port was closed are not waiting when it opens.
    ASSERT_EQ(link.Open(), 1);
    EXPECT_TRUE(link.GetDtr());
    link.Advance(99);
    EXPECT_TRUE(capture.bytes.empty());
    link.Advance(1);
    EXPECT_EQ(Decode(capture.bytes).answerCodes, (Bytes{0x23}));

    EXPECT_EQ(link.Close(), 1);
    capture.bytes.clear();
    link.Advance(1000);
    EXPECT_TRUE(capture.bytes.empty());
}

TEST(SimLink, TimingIsCountedInTheCallersTicks) {
    SimLink link;
    SimulatedReader::Faults f;
    f.delayMs = 250;
    link.Reader().SetFaults(f);
    Capture capture;
    link.SetReceiver(capture.Receiver());
    link.Open();
    Send(link, {0x01});
    const std::vector<size_t> expected = {0, 0, 7, 7};  // bytes seen after each 100 ms tick
    for (const size_t n : expected) {
        link.Advance(100);
        EXPECT_EQ(capture.bytes.size(), n);
    }
}

TEST(SimLink, UnplugClosesReportsOnceAndKeepsThePortAway) {
    SimLink link;
    int lost = 0;
    link.SetLostHandler([&lost] { ++lost; });
    link.Open();
    link.Unplug();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(Send(link, {0x01}), 0);
    EXPECT_EQ(link.Open(), 0);
    link.Unplug();  // already gone: no second report
    EXPECT_EQ(lost, 1);
    link.Replug();
    EXPECT_EQ(link.Open(), 1);
    EXPECT_EQ(Send(link, {0x01}), 1);
}

TEST(SimLink, ReceiverMayAnswerFromInsideTheDelivery) {
    SimLink link;
    link.Reader().SetTransponders({{984, 1, 5, {}}});
    int frames = 0;
    CFrameParser parser;
    link.SetReceiver([&](const uint8_t* b, int n) {
        for (int i = 0; i < n; ++i) {
            if (parser.PutByte(b[i]) == CFrameParser::kGood &&
                parser.GetAnswerCode() == CFrameParser::kTagData) {
                ++frames;
                Send(link, {0x01});  // the engine writes while it handles a frame
            }
        }
    });
    link.Open();
    link.Reader().SetTagInterval(100);
    link.Advance(100);
    EXPECT_EQ(frames, 1);
    // The acknowledge of that write comes with the next tick.
    Capture capture;
    link.SetReceiver(capture.Receiver());
    link.Advance(1);
    EXPECT_EQ(Decode(capture.bytes).answerCodes, (Bytes{0x01}));
}
