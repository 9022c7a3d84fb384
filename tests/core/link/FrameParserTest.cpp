#include "core/link/FrameParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Results = std::vector<std::pair<size_t, int>>;

constexpr uint8_t kControls[] = {0x02, 0x03, 0x10};

bool IsControl(uint8_t b) {
    return b == 0x02 || b == 0x03 || b == 0x10;
}

// The non-zero results of feeding the stream, each with the index of the byte that gave it.
Results Feed(CFrameParser& parser, const Bytes& wire) {
    Results out;
    for (size_t i = 0; i < wire.size(); ++i) {
        if (const int r = parser.PutByte(wire[i]); r != 0) {
            out.emplace_back(i, r);
        }
    }
    return out;
}

// The result of the last byte when every earlier byte gave 0, else -1.
int FeedFrame(CFrameParser& parser, const Bytes& wire) {
    const Results out = Feed(parser, wire);
    return out.size() == 1 && out[0].first == wire.size() - 1 ? out[0].second : -1;
}

}  // namespace

TEST(Crc8, MatchesTheLinkPolynomial) {
    uint8_t crc = 0;
    for (const char c : std::string("abc")) {
        crc = CFrameParser::Crc8(crc, static_cast<uint8_t>(c));
    }
    EXPECT_EQ(crc, 0x87);
    // The link's definition, one bit at a time, against every register and byte.
    for (int r = 0; r < 256; ++r) {
        for (int d = 0; d < 256; ++d) {
            uint8_t reg = static_cast<uint8_t>(r);
            for (int i = 0, data = d; i < 8; ++i, data >>= 1) {
                reg = static_cast<uint8_t>(((reg ^ data) & 1) != 0 ? (reg >> 1) ^ 0xB8 : reg >> 1);
            }
            ASSERT_EQ(CFrameParser::Crc8(static_cast<uint8_t>(r), static_cast<uint8_t>(d)), reg)
                << r << " " << d;
        }
    }
}

TEST(BuildFrame, KnownFramesOnTheWireAndBack) {
    const struct {
        int broadcast;
        Bytes payload;
        Bytes frame;
        Bytes delivered;  // what the receiver keeps: STX up to the CRC byte, escapes removed
    } cases[] = {
        {0, {0x09}, {0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03}, {0x02, 0x01, 0xF0, 0x09, 0x38}},
        {0,
         {0x09, 0x0E},
         {0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x0E, 0x10, 0x00, 0x03},
         {0x02, 0x01, 0xF0, 0x09, 0x0E, 0x00}},
        {0,
         {0x60, 0x15, 0x00, 0x03},
         {0x00, 0x00, 0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x10, 0x03, 0xEB, 0x03},
         {0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x03, 0xEB}},
        {1, {0x09}, {0x00, 0x00, 0x02, 0xFF, 0xF0, 0x09, 0x4B, 0x03}, {0x02, 0xFF, 0xF0, 0x09, 0x4B}},
    };
    for (const auto& c : cases) {
        CFrameParser parser;
        parser.SetNodeAddress(0x01);
        uint8_t buffer[CFrameParser::kMaxFrame] = {};
        std::copy(c.payload.begin(), c.payload.end(), buffer);
        const int n = parser.BuildFrame(buffer, static_cast<int>(c.payload.size()), c.broadcast);
        EXPECT_EQ(Bytes(buffer, buffer + n), c.frame);

        CFrameParser receiver;
        EXPECT_EQ(FeedFrame(receiver, c.frame), 1);
        EXPECT_EQ(receiver.Frame(), c.delivered);
        uint8_t copy[16] = {};
        EXPECT_EQ(receiver.GetFrame(copy), static_cast<int>(c.delivered.size()));
        EXPECT_EQ(Bytes(copy, copy + c.delivered.size()), c.delivered);
        EXPECT_EQ(receiver.GetFrame(std::span(copy, 2)), 2) << "a short buffer gets what fits";
    }
}

TEST(BuildFrame, PayloadLimitIsFiftyBytes) {
    CFrameParser parser;
    // Worst case, every byte escaped, must still fit the buffer size.
    uint8_t buffer[CFrameParser::kMaxFrame];
    std::fill(std::begin(buffer), std::end(buffer), 0x10);
    const int n = parser.BuildFrame(buffer, 50, 0);
    EXPECT_GE(n, 107);
    EXPECT_LE(n, CFrameParser::kMaxFrame);
    CFrameParser receiver;
    EXPECT_EQ(FeedFrame(receiver, Bytes(buffer, buffer + n)), 1);
    EXPECT_EQ(Bytes(receiver.Frame().begin() + 3, receiver.Frame().end() - 1), Bytes(50, 0x10));

    std::fill(std::begin(buffer), std::end(buffer), 0x41);
    EXPECT_EQ(parser.BuildFrame(buffer, 51, 0), 0);
    EXPECT_EQ(Bytes(std::begin(buffer), std::end(buffer)), Bytes(CFrameParser::kMaxFrame, 0x41))
        << "a refused payload leaves the buffer untouched";
    EXPECT_TRUE(parser.BuildFrame(std::span<const uint8_t>(buffer, 51)).empty());
    EXPECT_EQ(parser.BuildFrame(std::span(buffer, CFrameParser::kMaxFrame - 1), 1, 0), 0)
        << "a buffer that could not hold the worst case is refused";
}

TEST(BuildFrame, EveryBuiltFrameIsReceivedIntactAndABitFlipIsBad) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(1, CFrameParser::kMaxPayload);
    int flips = 0;
    CFrameParser receiver;  // one receiver for the whole stream, as on the line
    for (int node = 0; node < 256; ++node) {
        if (IsControl(static_cast<uint8_t>(node))) {
            continue;
        }
        CFrameParser sender;
        sender.SetNodeAddress(static_cast<uint8_t>(node));
        Bytes payload(static_cast<size_t>(size(rng)));
        for (auto& b : payload) {
            const int v = byte(rng);  // escapes are common
            b = v % 5 == 0 ? kControls[v % 3] : static_cast<uint8_t>(v);
        }
        const int broadcast = node % 8 == 0 ? 1 : 0;
        const Bytes frame = sender.BuildFrame(payload, broadcast);
        ASSERT_EQ(FeedFrame(receiver, frame), 1) << "node " << node;
        Bytes expected = {0x02, static_cast<uint8_t>(broadcast ? 0xFF : node), 0xF0};
        expected.insert(expected.end(), payload.begin(), payload.end());
        EXPECT_EQ(Bytes(receiver.Frame().begin(), receiver.Frame().end() - 1), expected) << node;
        EXPECT_EQ(receiver.IsEscapePending(), 0);

        // One flipped bit anywhere from the address to the CRC, unless it touches the framing.
        const size_t at = 3 + static_cast<size_t>(byte(rng)) % (frame.size() - 4);
        Bytes bad = frame;
        bad[at] ^= static_cast<uint8_t>(1 << (byte(rng) % 8));
        if (!IsControl(frame[at]) && !IsControl(bad[at]) && frame[at - 1] != 0x10) {
            EXPECT_EQ(FeedFrame(receiver, bad), 2) << "node " << node << " byte " << at;
            ++flips;
        }
    }
    EXPECT_GT(flips, 150);
}

TEST(PutByte, FramingRules) {
    struct Case {
        Bytes wire;
        Results results;
        Bytes delivered;
    };
    const Bytes kVersion = {0x02, 0x01, 0xF0, 0x09, 0x38};
    const Case cases[] = {
        // Noise before the first STX; an STX inside a frame restarts it; a stray ETX after one.
        {{0x41, 0x03, 0x10, 0x42, 0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03}, {{11, 1}}, kVersion},
        {{0x02, 0x01, 0xF0, 0x60, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03}, {{9, 1}}, kVersion},
        {{0x02, 0x01, 0xF0, 0x09, 0x38, 0x03, 0x03, 0x03}, {{5, 1}}, kVersion},
        // A wrong CRC keeps the bytes.
        {{0x02, 0x01, 0xF0, 0x09, 0x39, 0x03}, {{5, 2}}, {0x02, 0x01, 0xF0, 0x09, 0x39}},
        // Escaped ETX is data; a DLE outside a frame does not escape the next STX.
        {{0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x10, 0x03, 0xEB, 0x03},
         {{9, 1}},
         {0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x03, 0xEB}},
        {{0x10, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03}, {{6, 1}}, kVersion},
        {{0x02, 0x01, 0xF0, 0x09, 0x39, 0x03, 0x00, 0x00, 0x02, 0xFF, 0xF0, 0x09, 0x4B, 0x03},
         {{5, 2}, {13, 1}},
         {0x02, 0xFF, 0xF0, 0x09, 0x4B}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CFrameParser parser;
        EXPECT_EQ(Feed(parser, cases[i].wire), cases[i].results) << "case " << i;
        EXPECT_EQ(parser.Frame(), cases[i].delivered) << "case " << i;
    }
}

TEST(PutByte, FramesUpToTheCapArriveAndAnEndlessOneIsDroppedOnce) {
    // A sample block is about 1000 bytes; anything up to the cap must still get through.
    Bytes wire = {0x02};
    uint8_t crc = CFrameParser::Crc8(0, 0x02);
    for (size_t i = 1; i + 1 < CFrameParser::kMaxReceive; ++i) {
        wire.push_back(static_cast<uint8_t>(0x40 + i % 32));
        crc = CFrameParser::Crc8(crc, wire.back());
    }
    ASSERT_FALSE(IsControl(crc));
    wire.insert(wire.end(), {crc, 0x03});
    CFrameParser receiver;
    EXPECT_EQ(FeedFrame(receiver, wire), 1);
    EXPECT_EQ(receiver.Frame().size(), CFrameParser::kMaxReceive);

    CFrameParser parser;
    EXPECT_EQ(parser.PutByte(0x02), 0);
    int bad = 0;
    size_t largest = 0;
    for (int i = 0; i < 10000; ++i) {
        // Escaped bytes count as well: a DLE every 7 bytes.
        const int r = parser.PutByte(i % 7 == 0 ? 0x10 : static_cast<uint8_t>(0x20 + i % 64));
        ASSERT_NE(r, 1);
        bad += r == 2 ? 1 : 0;
        largest = std::max(largest, parser.Frame().size());
    }
    EXPECT_EQ(bad, 1) << "the over-long frame is reported once as bad";
    EXPECT_LE(largest, CFrameParser::kMaxReceive);
    EXPECT_EQ(parser.PutByte(0x03), 0) << "the tail of the dropped frame ends nothing";
    EXPECT_EQ(FeedFrame(parser, {0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03}), 1);
    EXPECT_EQ(parser.Frame(), (Bytes{0x02, 0x01, 0xF0, 0x09, 0x38}));
}
