#include "sim/SimLink.h"
#include "sim/SimTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Capture {
    std::vector<int> batchSizes;
    Bytes bytes;

    explicit Capture(SimLink& link) {
        link.SetReceiver([this](const uint8_t* b, int n) {
            batchSizes.push_back(n);
            bytes.insert(bytes.end(), b, b + n);
        });
    }
    int Largest() const { return *std::max_element(batchSizes.begin(), batchSizes.end()); }
    Bytes AnswerCodes() const { return Decode(bytes).answerCodes; }
};

int Send(SimLink& link, const Bytes& payload) {
    const auto frame = RequestFrame(payload);
    return link.Write(frame.data(), static_cast<int>(frame.size()));
}

}  // namespace

TEST(SimLink, DeliveriesStayWithinTheirBatchLimitsAndDecode) {
    SimLink link;
    link.Reader().SetVersionText(std::string(2500, 'v'));
    Capture capture(link);
    ASSERT_EQ(link.Open(), 1);
    ASSERT_EQ(Send(link, {0x09}), 1);
    link.Advance(100);
    ASSERT_GE(capture.batchSizes.size(), 3u);
    EXPECT_EQ(capture.batchSizes[0], SimLink::kBatch);
    EXPECT_EQ(capture.Largest(), SimLink::kBatch);
    const auto r = Decode(capture.bytes);
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].size(), 2506u);  // STX, address, marker, status, code, text, CRC

    SimLink split(1, 9);
    split.Reader().SetFaults({.split = true});
    Capture pieces(split);
    split.Open();
    Send(split, {0x60, 0x14});
    split.Advance(10);
    EXPECT_GT(pieces.batchSizes.size(), 3u);
    EXPECT_LE(pieces.Largest(), SimulatedReader::kMaxSplit);
    EXPECT_EQ(pieces.AnswerCodes(), (Bytes{0x60}));
}

TEST(SimLink, ClosedOrUnpluggedLinkNeitherWritesNorDelivers) {
    SimLink link;
    Capture capture(link);
    int lost = 0;
    link.SetLostHandler([&lost] { ++lost; });
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
    EXPECT_EQ(capture.AnswerCodes(), (Bytes{0x23}));
    EXPECT_EQ(link.Close(), 1);
    capture.bytes.clear();
    link.Advance(1000);
    EXPECT_TRUE(capture.bytes.empty());
    EXPECT_EQ(lost, 0);

    link.Open();
    link.Unplug();
    link.Unplug();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(Send(link, {0x01}), 0);
    EXPECT_EQ(link.Open(), 0);
    link.Replug();
    EXPECT_EQ(link.Open(), 1);
    EXPECT_EQ(Send(link, {0x01}), 1);
}

TEST(SimLink, TimingIsCountedInTheCallersTicks) {
    SimLink link;
    link.Reader().SetFaults({.delayMs = 250});
    Capture capture(link);
    link.Open();
    Send(link, {0x01});
    for (const size_t seen : {0u, 0u, 7u, 7u}) {  // after each 100 ms tick
        link.Advance(100);
        EXPECT_EQ(capture.bytes.size(), seen);
    }
}
