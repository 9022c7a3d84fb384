#include "core/link/FrameParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kControls[] = {0x02, 0x03, 0x10};

bool IsControl(uint8_t b) {
    return b == 0x02 || b == 0x03 || b == 0x10;
}

// Feeds every byte and collects the non-zero results with the index of the byte that gave them.
struct Outcome {
    std::vector<std::pair<size_t, int>> results;
};

Outcome Feed(CFrameParser& parser, const Bytes& wire) {
    Outcome out;
    for (size_t i = 0; i < wire.size(); ++i) {
        const int r = parser.PutByte(wire[i]);
        if (r != 0) {
            out.results.emplace_back(i, r);
        }
    }
    return out;
}

// The result of the last byte of the stream, all earlier bytes having given 0.
int FeedFrame(CFrameParser& parser, const Bytes& wire) {
    const Outcome out = Feed(parser, wire);
    if (out.results.size() != 1 || out.results[0].first != wire.size() - 1) {
        return -1;
    }
    return out.results[0].second;
}

struct BuildCase {
    uint8_t node;
    int broadcast;
    Bytes payload;
    Bytes frame;
    Bytes delivered;  // what the receiver keeps: STX up to the CRC byte, escapes removed
};

const BuildCase kBuildCases[] = {
    {0x01, 0, {0x09}, {0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03}, {0x02, 0x01, 0xF0, 0x09, 0x38}},
    {0x01,
     0,
     {0x09, 0x0E},
     {0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x0E, 0x10, 0x00, 0x03},
     {0x02, 0x01, 0xF0, 0x09, 0x0E, 0x00}},
    {0x01,
     0,
     {0x60, 0x15, 0x00, 0x03},
     {0x00, 0x00, 0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x10, 0x03, 0xEB, 0x03},
     {0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x03, 0xEB}},
    {0x01, 1, {0x09}, {0x00, 0x00, 0x02, 0xFF, 0xF0, 0x09, 0x4B, 0x03}, {0x02, 0xFF, 0xF0, 0x09, 0x4B}},
};

}  // namespace

TEST(Crc8, MatchesTheLinkPolynomial) {
    uint8_t crc = 0;
    for (const char c : std::string("abc")) {
        crc = CFrameParser::Crc8(crc, static_cast<uint8_t>(c));
    }
    EXPECT_EQ(crc, 0x87);
    // The link's definition, one bit at a time, against every register and byte.
    const auto bitwise = [](uint8_t reg, uint8_t data) {
        for (int i = 0; i < 8; ++i) {
            reg = ((reg ^ data) & 1) != 0 ? static_cast<uint8_t>((reg >> 1) ^ 0xB8)
                                          : static_cast<uint8_t>(reg >> 1);
            data = static_cast<uint8_t>(data >> 1);
        }
        return reg;
    };
    for (int r = 0; r < 256; ++r) {
        for (int d = 0; d < 256; ++d) {
            ASSERT_EQ(CFrameParser::Crc8(static_cast<uint8_t>(r), static_cast<uint8_t>(d)),
                      bitwise(static_cast<uint8_t>(r), static_cast<uint8_t>(d)))
                << r << " " << d;
        }
    }
    // The receiver's check: a register fed its own value ends at zero.
    for (int r = 0; r < 256; ++r) {
        EXPECT_EQ(CFrameParser::Crc8(static_cast<uint8_t>(r), static_cast<uint8_t>(r)), 0x00) << r;
    }
}

TEST(BuildFrame, KnownFramesOnTheWireAndBack) {
    for (const auto& c : kBuildCases) {
        CFrameParser parser;
        parser.SetNodeAddress(c.node);
        uint8_t buffer[CFrameParser::kMaxFrame] = {};
        std::copy(c.payload.begin(), c.payload.end(), buffer);
        const int n = parser.BuildFrame(buffer, static_cast<int>(c.payload.size()), c.broadcast);
        EXPECT_EQ(Bytes(buffer, buffer + n), c.frame);

        CFrameParser receiver;
        EXPECT_EQ(FeedFrame(receiver, c.frame), 1);
        EXPECT_EQ(receiver.Frame(), c.delivered);
        uint8_t copy[16] = {};
        EXPECT_EQ(receiver.GetFrame(copy, sizeof copy), static_cast<int>(c.delivered.size()));
        EXPECT_EQ(Bytes(copy, copy + c.delivered.size()), c.delivered);
        EXPECT_EQ(receiver.GetFrame(copy, 2), 2);
    }
}

TEST(BuildFrame, PayloadLimitIsFiftyBytes) {
    CFrameParser parser;
    // Worst case, every byte escaped: the frame must still fit the documented buffer size.
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
    EXPECT_TRUE(std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0x41; }))
        << "a refused payload leaves the buffer untouched";
    EXPECT_TRUE(parser.BuildFrame(buffer, 51).empty());
}

TEST(BuildFrame, EveryBuiltFrameIsReceivedIntact) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(1, CFrameParser::kMaxPayload);
    int checked = 0;
    for (int node = 0; node < 256; ++node) {
        if (IsControl(static_cast<uint8_t>(node))) {
            continue;
        }
        CFrameParser sender;
        sender.SetNodeAddress(static_cast<uint8_t>(node));
        CFrameParser receiver;  // one receiver for the whole stream, as on the line
        for (int k = 0; k < 24; ++k) {
            Bytes payload(static_cast<size_t>(size(rng)));
            for (auto& b : payload) {
                // Bias toward control bytes so that escapes are common.
                const int v = byte(rng);
                b = (v % 5 == 0) ? kControls[static_cast<size_t>(v % 3)] : static_cast<uint8_t>(v);
            }
            const int broadcast = k % 8 == 0 ? 1 : 0;
            const Bytes frame =
                sender.BuildFrame(std::as_const(payload).data(), static_cast<int>(payload.size()), broadcast);
            ASSERT_EQ(FeedFrame(receiver, frame), 1) << "node " << node << " case " << k;
            const Bytes& got = receiver.Frame();
            ASSERT_EQ(got.size(), payload.size() + 4);
            EXPECT_EQ(got[1], broadcast ? 0xFF : node);
            EXPECT_EQ(got[2], 0xF0);
            EXPECT_TRUE(std::equal(payload.begin(), payload.end(), got.begin() + 3)) << "node " << node;
            EXPECT_EQ(receiver.IsEscapePending(), 0);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 253 * 24);
}

TEST(BuildFrame, ControlByteAtEveryPosition) {
    CFrameParser sender;
    sender.SetNodeAddress(0x07);
    for (const uint8_t control : {0x02, 0x03, 0x10}) {
        for (size_t pos = 0; pos < 50; ++pos) {
            Bytes payload(50, 0x55);
            payload[pos] = control;
            const Bytes frame = sender.BuildFrame(payload.data(), 50);
            ASSERT_GT(frame.size(), 6 + pos);
            EXPECT_EQ(frame[5 + pos], 0x10);
            EXPECT_EQ(frame[6 + pos], control);
            CFrameParser receiver;
            ASSERT_EQ(FeedFrame(receiver, frame), 1) << int(control) << " at " << pos;
            EXPECT_TRUE(std::equal(payload.begin(), payload.end(), receiver.Frame().begin() + 3));
        }
    }
}

TEST(BuildFrame, SingleBitFlipsAreBadFrames) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    CFrameParser sender;
    CFrameParser receiver;
    int flips = 0;
    for (int k = 0; k < 60; ++k) {
        Bytes payload(static_cast<size_t>(1 + k % 50));
        for (auto& b : payload) {
            b = static_cast<uint8_t>(byte(rng));
        }
        const Bytes frame = sender.BuildFrame(payload.data(), static_cast<int>(payload.size()));
        // Walk the payload on the wire: an escaped byte follows a DLE and is taken literally.
        size_t at = 5;
        for (size_t i = 0; i < payload.size(); ++i) {
            const bool escaped = frame[at] == 0x10;
            if (escaped) {
                ++at;
            }
            for (int bit = 0; bit < 8; ++bit) {
                Bytes bad = frame;
                bad[at] ^= static_cast<uint8_t>(1 << bit);
                if (!escaped && IsControl(bad[at])) {
                    continue;  // would change the framing, not just the data
                }
                EXPECT_EQ(FeedFrame(receiver, bad), 2) << "payload byte " << i << " bit " << bit;
                ++flips;
            }
            ++at;
        }
        EXPECT_EQ(FeedFrame(receiver, frame), 1);
    }
    EXPECT_GT(flips, 10000);
}

TEST(PutByte, FramingRules) {
    struct Case {
        const char* what;
        Bytes wire;
        std::vector<std::pair<size_t, int>> results;
        Bytes delivered;
    };
    const Case cases[] = {
        {"noise before the first STX is ignored",
         {0x41, 0x03, 0x10, 0x42, 0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03},
         {{11, 1}},
         {0x02, 0x01, 0xF0, 0x09, 0x38}},
        {"an STX inside a frame restarts it",
         {0x02, 0x01, 0xF0, 0x60, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03},
         {{9, 1}},
         {0x02, 0x01, 0xF0, 0x09, 0x38}},
        {"a stray ETX after a frame is ignored and the frame stays",
         {0x02, 0x01, 0xF0, 0x09, 0x38, 0x03, 0x03, 0x03},
         {{5, 1}},
         {0x02, 0x01, 0xF0, 0x09, 0x38}},
        {"a wrong CRC gives 2 and keeps the bytes",
         {0x02, 0x01, 0xF0, 0x09, 0x39, 0x03},
         {{5, 2}},
         {0x02, 0x01, 0xF0, 0x09, 0x39}},
        {"escaped STX and ETX are data",
         {0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x10, 0x03, 0xEB, 0x03},
         {{9, 1}},
         {0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x03, 0xEB}},
        {"a DLE outside a frame does not escape the next STX",
         {0x10, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03},
         {{6, 1}},
         {0x02, 0x01, 0xF0, 0x09, 0x38}},
        {"an ETX outside a frame is not stored after an escape",
         {0x10, 0x03, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03},
         {{7, 1}},
         {0x02, 0x01, 0xF0, 0x09, 0x38}},
        {"two frames back to back",
         {0x02, 0x01, 0xF0, 0x09, 0x39, 0x03, 0x00, 0x00, 0x02, 0xFF, 0xF0, 0x09, 0x4B, 0x03},
         {{5, 2}, {13, 1}},
         {0x02, 0xFF, 0xF0, 0x09, 0x4B}},
    };
    for (const auto& c : cases) {
        CFrameParser parser;
        const Outcome out = Feed(parser, c.wire);
        EXPECT_EQ(out.results, c.results) << c.what;
        EXPECT_EQ(parser.Frame(), c.delivered) << c.what;
    }
}

TEST(PutByte, EscapePendingBetweenBatches) {
    CFrameParser parser;
    for (const uint8_t b : {0x02, 0x01, 0xF0, 0x60, 0x15, 0x00, 0x10}) {
        EXPECT_EQ(parser.PutByte(b), 0);
    }
    EXPECT_EQ(parser.IsEscapePending(), 1);
    for (const uint8_t b : {0x03, 0xEB}) {
        EXPECT_EQ(parser.PutByte(b), 0);
    }
    EXPECT_EQ(parser.IsEscapePending(), 0);
    EXPECT_EQ(parser.PutByte(0x03), 1);
}

TEST(PutByte, EndlessFrameIsCappedAndTheLinkRecovers) {
    CFrameParser parser;
    EXPECT_EQ(parser.PutByte(0x02), 0);
    int bad = 0;
    size_t largest = 0;
    for (int i = 0; i < 10000; ++i) {
        // Escaped bytes count as well: a DLE every 7 bytes.
        const uint8_t b = (i % 7 == 0) ? 0x10 : static_cast<uint8_t>(0x20 + i % 64);
        const int r = parser.PutByte(b);
        ASSERT_NE(r, 1);
        bad += r == 2 ? 1 : 0;
        largest = std::max(largest, parser.Frame().size());
    }
    EXPECT_EQ(bad, 1) << "the over-long frame is reported once as bad";
    EXPECT_LE(largest, CFrameParser::kMaxReceive);
    EXPECT_EQ(parser.PutByte(0x03), 0) << "the tail of the dropped frame ends nothing";

    const Bytes good = {0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x38, 0x03};
    EXPECT_EQ(FeedFrame(parser, good), 1);
    EXPECT_EQ(parser.Frame(), (Bytes{0x02, 0x01, 0xF0, 0x09, 0x38}));
}

TEST(PutByte, LongestFrameUnderTheCapIsReceived) {
    // A sample block is about 1000 bytes; anything up to the cap must still get through.
    CFrameParser sender;
    CFrameParser receiver;
    Bytes wire = {0x02};
    uint8_t crc = CFrameParser::Crc8(0, 0x02);
    for (size_t i = 1; i + 1 < CFrameParser::kMaxReceive; ++i) {
        const uint8_t b = static_cast<uint8_t>(0x40 + i % 32);
        wire.push_back(b);
        crc = CFrameParser::Crc8(crc, b);
    }
    ASSERT_FALSE(IsControl(crc));
    wire.push_back(crc);
    wire.push_back(0x03);
    EXPECT_EQ(FeedFrame(receiver, wire), 1);
    EXPECT_EQ(receiver.Frame().size(), CFrameParser::kMaxReceive);
}
