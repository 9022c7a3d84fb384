#include "core/link/Commands.h"
#include "core/link/TagLineParser.h"
#include "core/tags/TransponderId.h"
#include "sim/ConfigStore.h"
#include "sim/SimTestSupport.h"
#include "sim/SimulatedReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::PrintToString;
using Strings = std::vector<std::string>;
using F = SimulatedReader::TagForm;

const std::vector<SimulatedReader::Transponder> kField = {
    {984, 123456789012ULL, CTransponderId::kTypeFdxB, "Pen 4"},
    {276, 4711ULL, CTransponderId::kTypeHdx, ""},
    {1023, 274877906943ULL, CTransponderId::kTypeH4002, ""},
};

SimulatedReader Reader(const SimulatedReader::Faults& faults = {}, uint32_t seed = 1, F form = F::kChar16) {
    SimulatedReader reader(1, seed);
    reader.SetFaults(faults);
    reader.SetTransponders(kField);
    reader.SetTagForm(form);
    return reader;
}

CTransponderId Decoded(const Bytes& frame) {
    CTransponderId id;
    id.DecodeTagData(frame);
    return id;
}

// Everything the tool can read of the reader, as answered.
std::vector<Bytes> Snapshot(SimulatedReader& reader) {
    std::vector<Bytes> answers;
    for (uint8_t address = CfgAddr::kFirst; address <= CfgAddr::kLast; ++address) {
        answers.push_back(AnswerBody(reader, {Cmd::kGetConfig, address}));
    }
    for (const Bytes& request : {Bytes{0x60, 0x14}, Bytes{0x60, 0x1A}, Bytes{0x0A}, Bytes{0x53}}) {
        answers.push_back(AnswerBody(reader, request));
    }
    answers.push_back({reader.GetLcdContrast()});
    return answers;
}

// A fixed conversation of requests, tags and time, as the line delivers it.
std::vector<Bytes> Script(uint32_t seed, const SimulatedReader::Faults& faults) {
    auto reader = Reader(faults, seed);
    reader.SetTagInterval(70);
    std::vector<Bytes> batches;
    for (int i = 0; i < 40; ++i) {
        const auto frame = RequestFrame({Cmd::kGetConfig, static_cast<uint8_t>(0x30 + i % 15)});
        reader.Receive(frame.data(), frame.size());
        reader.Advance(25);
        const auto out = reader.TakeBatches();
        batches.insert(batches.end(), out.begin(), out.end());
    }
    return batches;
}

Bytes Joined(const std::vector<Bytes>& batches) {
    Bytes all;
    for (const auto& b : batches) {
        all.insert(all.end(), b.begin(), b.end());
    }
    return all;
}

}  // namespace

TEST(SimulatedReaderWire, AnswersAreFramedEscapedAndChecked) {
    const struct {
        uint8_t timeout;  // read back by the 0x29 0x34 rows
        Bytes request;
        Bytes wire;
    } cases[] = {
        {50, {0x01}, {0x02, 0x01, 0xF0, 0x06, 0x01, 0xA9, 0x03}},
        {0x03, {0x29, 0x34}, {0x02, 0x01, 0xF0, 0x06, 0x29, 0x10, 0x03, 0xB6, 0x03}},
        // An escaped CRC goes out as the register after the DLE, not as the control byte.
        {0xA7, {0x29, 0x34}, {0x02, 0x01, 0xF0, 0x06, 0x29, 0xA7, 0x10, 0xBB, 0x03}},
        {0xD6, {0x29, 0x34}, {0x02, 0x01, 0xF0, 0x06, 0x29, 0xD6, 0x10, 0xDF, 0x03}},
        // Refusals: status 0x15, the code, and the sub-code of the multi-function codes.
        {50, {0x99}, {0x02, 0x01, 0xF0, 0x15, 0x99, 0x2B, 0x03}},
        {50, {0x10}, {0x02, 0x01, 0xF0, 0x15, 0x10, 0x10, 0xAA, 0x03}},
        {50, {0x60, 0x99}, {0x02, 0x01, 0xF0, 0x15, 0x60, 0x99, 0x32, 0x03}},
        {50, {0x9F, 0x02}, {0x02, 0x01, 0xF0, 0x15, 0x9F, 0x10, 0x02, 0xC5, 0x03}},
    };
    for (const auto& c : cases) {
        SimulatedReader reader;
        Ask(reader, {0x28, 0x34, c.timeout});
        EXPECT_EQ(Ask(reader, c.request), c.wire) << "request " << PrintToString(c.request);
    }
}

// Each request after the ones before it, against one reader: defaults, settings with their
// acknowledges and what the reader reports of them, then service requests and the Bluetooth module.
TEST(SimulatedReaderCommands, AnswersInEachLayoutAndKeepsSettings) {
    const struct {
        Bytes request;
        Bytes body;
    } conversation[] = {
        {{0x09}, {0x06, 0x09, 'V', '1', '.', '0', '0'}},
        {{0x29, 0x34}, {0x06, 0x29, 50}},
        {{0x29, 0x3E}, {0x06, 0x29, 'I'}},
        {{0x60, 0x14}, {0x06, 0x60, 0x14, 0x00, 0x00, 0x00, 0x78, 0x05, 0x00, 0x02, 0xBC, 0x00,
                        0x03, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00}},
        {{0x80, 'A', 'B', '0', '0', '4', '2'}, {0x06, 0x80}},
        {{0x54, 0x07}, {0x06, 0x54}},
        {{0x60, 0x11, 0x00, 0xFA, 0x1C, 0x20, 0x05, 0x01}, {0x06, 0x60, 0x11}},
        {{0x60, 0x13, 0x01}, {0x06, 0x60, 0x13}},
        {{0x60, 0x15, 0x0B, 0xB8}, {0x06, 0x60, 0x15}},
        {{0x60, 0x16, 0x01}, {0x06, 0x60, 0x16}},
        {{0x60, 0x17, 0x00}, {0x06, 0x60, 0x17}},
        {{0x60, 0x19, 0x05, 0x50, 0x23}, {0x06, 0x60, 0x19}},
        {{0x60, 0x1B, 0x01}, {0x06, 0x60, 0x1B}},
        {{0x60, 0x1D, 0x13, 0x88}, {0x06, 0x60, 0x1D}},
        {{0x60, 0x1F, 0x02}, {0x06, 0x60, 0x1F}},
        {{0x60, 0x21, 0x66}, {0x06, 0x60, 0x21}},
        {{0x0A}, {0x06, 0x0A, 'A', 'B', '0', '0', '4', '2'}},
        // The permanent-read parameters come back under the service code.
        {{0x60, 0x12}, {0x06, 0x9F, 0x12, 0x00, 0xFA, 0x1C, 0x20, 0x05, 0x01}},
        {{0x60, 0x14}, {0x06, 0x60, 0x14, 0x00, 0xFA, 0x1C, 0x20, 0x05, 0x01, 0x0B, 0xB8, 0x66,
                        0x01, 0x00, 0x01, 0x00, 0x05, 0x50, 0x23, 0x01, 0x13, 0x88, 0x02}},
        {{0x60, 0x18}, {0x06, 0x60, 0x18, 0x00}},
        {{0x60, 0x1A}, {0x06, 0x60, 0x1A, 0x05, 0x50, 0x23}},
        // The sync level of 0x60 0x21 is the one of configuration address 0x37.
        {{0x29, 0x37}, {0x06, 0x29, 0x66}},
        // Service requests.
        {{0x57, 0x12, 0x34, 0xA5}, {0x06, 0x57}},
        {{0x56, 0x12, 0x34}, {0x06, 0x56, 0xA5}},
        {{0x56, 0x00, 0x10}, {0x06, 0x56, 0x00}},
        {{0x9F, 0x0B, 0x00, 0x01}, {0x06, 0x9F, 0x0B, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {{0x9F, 0x28}, {0x06, 0x9F, 0x28, 0x01, 0x70}},
        {{0x9F, 0x0A}, {0x06, 0x9F, 0x0A, 0x0E, 0x80}},
        {{0x9F, 0x27}, {0x06, 0x9F, 0x27, 0x00}},
        {{0x83}, {0x06, 0x83, 0x00, 0x80}},
        {{0x55}, {0x06, 0x55, 23}},
        {{0x9F, 0x25, 0x01}, {0x06, 0x9F, 0x25}},
        {{0x9F, 0x25, 0x02}, {0x15, 0x9F, 0x25}},
        {{0x9F, 0x21}, {0x06, 0x9F, 0x21}},
        {{0x56, 0x12}, {0x15, 0x56}},
        // The Bluetooth peer, name and mode; a switched-off module refuses to connect.
        {{0x9F, 0x14, '0', '0', '1', '1', '2', '2', 'A', 'A', 'b', 'b', 'C', 'C'}, {0x06, 0x9F, 0x14}},
        {{0x9F, 0x15}, {0x06, 0x9F, 0x15, '0', '0', '1', '1', '2', '2', 'A', 'A', 'b', 'b', 'C', 'C'}},
        {{0x9F, 0x14, 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z'}, {0x15, 0x9F, 0x14}},
        {{0x9F, 0x29, 3, 'B', 'o', 'x'}, {0x06, 0x9F, 0x29}},
        {{0x9F, 0x29, 4, 'B', 'o', 'x'}, {0x15, 0x9F, 0x29}},  // length wrong
        {{0x9F, 0x2A}, {0x06, 0x9F, 0x2A, 3, 'B', 'o', 'x'}},
        {{0x9F, 0x16, 0x00}, {0x06, 0x9F, 0x16}},
        {{0x9F, 0x12}, {0x15, 0x9F, 0x12}},
        {{0x60, 0x17, 0x01}, {0x06, 0x60, 0x17}},
        {{0x60, 0x17, 0x02}, {0x15, 0x60, 0x17}},
        {{0x60, 0x18}, {0x06, 0x60, 0x18, 0x01}},
        {{0x18}, {0x06, 0x18}},
        {{0x60, 0x18}, {0x06, 0x60, 0x18, 0x01}},  // the mode survives a reset all
        {{0x60, 0x17, 0x00}, {0x06, 0x60, 0x17}},
        {{0x2A}, {0x06, 0x2A}},
    };
    SimulatedReader reader;
    reader.SetVersionText("V1.00");
    for (const auto& e : conversation) {
        EXPECT_EQ(AnswerBody(reader, e.request), e.body) << "request " << PrintToString(e.request);
    }
    EXPECT_EQ(reader.GetLcdContrast(), 0x07);
    EXPECT_TRUE(reader.Hardware().GreenLed());
    reader.Restart();
    EXPECT_EQ(AnswerBody(reader, {0x60, 0x18}), (Bytes{0x06, 0x60, 0x18, 0x00})) << "saved mode";
    EXPECT_EQ(AnswerBody(reader, {0x9F, 0x12}), (Bytes{0x06, 0x9F, 0x12})) << "module on again";
    EXPECT_EQ(reader.GetBluetooth().FriendlyName(), "Box");
}

TEST(SimulatedReaderRefusals, WhatCannotBeCarriedOutIsRefusedAndChangesNothing) {
    const struct {
        Bytes request;
        Bytes nak;
    } cases[] = {
        // Unknown codes and sub-codes are in SimulatedReaderWire, byte for byte.
        {{0x24}, {0x15, 0x24}},                                            // known, not carried out
        {{0x9F, 0x77}, {0x15, 0x9F, 0x77}},                                // unknown sub-codes
        {{0x58, 0x99}, {0x15, 0x58, 0x99}},                                //
        {{0x60}, {0x15, 0x60}},                                            // sub-code missing
        {{0x29}, {0x15, 0x29}},                                            // parameters missing
        {{0x28, 0x34}, {0x15, 0x28}},                                      //
        {{0x54}, {0x15, 0x54}},                                            //
        {{0x60, 0x15, 0x02}, {0x15, 0x60, 0x15}},                          //
        {{0x60, 0x19, 0x05, 0x50}, {0x15, 0x60, 0x19}},                    //
        {{0x52, 0x00, 0x00, 0x12, 0x01, 0x01, 0x01}, {0x15, 0x52}},        //
        {{0x29, 0x2F}, {0x15, 0x29}},                                      // outside 0x30..0x3E
        {{0x29, 0x3F}, {0x15, 0x29}},                                      //
        {{0x28, 0x28, 0x01}, {0x15, 0x28}},                                //
        {{0x28, 0x36, 0x00}, {0x15, 0x28}},                                // node addresses the
        {{0x28, 0x36, 0x02}, {0x15, 0x28}},                                // line cannot carry
        {{0x28, 0x36, 0x03}, {0x15, 0x28}},                                //
        {{0x28, 0x36, 0x10}, {0x15, 0x28}},                                //
        {{0x28, 0x36, 0xFF}, {0x15, 0x28}},                                //
        {{0x28, 0x31, 0x03}, {0x15, 0x28}},                                // no such mode
        {{0x28, 0x30, 18}, {0x15, 0x28}},                                  // HDX block 0..17
        {{0x28, 0x39, 0x04}, {0x15, 0x28}},                                // timing 0..3
        {{0x60, 0x1B, 0x03}, {0x15, 0x60, 0x1B}},                          // access level 0..2
        {{0x60, 0x1D, 0x13, 0x89}, {0x15, 0x60, 0x1D}},                    // double reads 5001
        {{0x60, 0x1F, 0x03}, {0x15, 0x60, 0x1F}},                          // display info 0..2
        {{0x60, 0x15, 0x01, 0xF3}, {0x15, 0x60, 0x15}},                    // switch-off 4.99 s
        {{0x60, 0x15, 0xEA, 0x61}, {0x15, 0x60, 0x15}},                    // switch-off 600.01 s
        {{0x80, '1', '2', '3'}, {0x15, 0x80}},                             // serial number short
        {{0x80, '1', '2', 0x0D, '4', '5', '6'}, {0x15, 0x80}},             // not printable
        {{0x80, '1', '2', '3', '4', '5', 0x7F}, {0x15, 0x80}},             //
        {{0x52, 0x1A, 0x00, 0x12, 0x01, 0x01, 0x01, 0x26}, {0x15, 0x52}},  // not BCD
        {{0x52, 0x00, 0x00, 0x24, 0x01, 0x01, 0x01, 0x26}, {0x15, 0x52}},  // 24 o'clock
        {{0x52, 0x00, 0x60, 0x12, 0x01, 0x01, 0x01, 0x26}, {0x15, 0x52}},  // minute 60
        {{0x52, 0x00, 0x00, 0x12, 0x00, 0x01, 0x01, 0x26}, {0x15, 0x52}},  // weekday 0
        {{0x52, 0x00, 0x00, 0x12, 0x01, 0x29, 0x02, 0x25}, {0x15, 0x52}},  // 29 February 2025
        {{0x52, 0x00, 0x00, 0x12, 0x01, 0x31, 0x04, 0x26}, {0x15, 0x52}},  // 31 April
        {{0x52, 0x00, 0x00, 0x12, 0x01, 0x01, 0x13, 0x26}, {0x15, 0x52}},  // month 13
    };
    for (const auto& c : cases) {
        SimulatedReader reader;
        const auto before = Snapshot(reader);
        const auto r = Decode(Ask(reader, c.request));
        ASSERT_EQ(r.frames.size(), 1u) << PrintToString(c.request);
        EXPECT_EQ(Body(r.frames[0]), c.nak) << PrintToString(c.request);
        EXPECT_EQ(Snapshot(reader), before) << PrintToString(c.request);
    }
    // Another reader's request stays unanswered, a broadcast is answered.
    SimulatedReader reader;
    EXPECT_TRUE(Ask(reader, {0x99}, 0x05).empty());
    EXPECT_EQ(AnswerBody(reader, {0x99}, 0x05, true), (Bytes{0x15, 0x99}));
}

TEST(SimulatedReaderRefusals, RefuseFaultRefusesWithoutCarryingOut) {
    using R = SimulatedReader::Refusal;
    const struct {
        std::vector<R> refuse;
        Bytes request;
        Bytes body;
    } cases[] = {
        {{{0x28}}, {0x28, 0x34, 0x14}, {0x15, 0x28}},
        {{{0x01}, {0x09}}, {0x09}, {0x15, 0x09}},
        {{{0x60}}, {0x60, 0x13, 0x01}, {0x15, 0x60, 0x13}},
        {{{0x60, 0x15}}, {0x60, 0x15, 0x0B, 0xB8}, {0x15, 0x60, 0x15}},
        {{{0x52}}, {0x52, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}, {0x15, 0x52}},
        {{{0x80}}, {0x80, 'A', 'B', '0', '0', '4', '2'}, {0x15, 0x80}},
        // Other codes and sub-codes are carried out as usual.
        {{{0x60, 0x15}}, {0x60, 0x13, 0x01}, {0x06, 0x60, 0x13}},
        {{{0x29}}, {0x28, 0x34, 0x14}, {0x06, 0x28}},
    };
    for (const auto& c : cases) {
        SimulatedReader refusing;
        SimulatedReader expected;
        refusing.SetFaults({.refuse = c.refuse});
        EXPECT_EQ(AnswerBody(refusing, c.request), c.body) << PrintToString(c.request);
        if (c.body[0] == CFrameParser::kAck) {
            Ask(expected, c.request);
        }
        refusing.SetFaults({});
        EXPECT_EQ(Snapshot(refusing), Snapshot(expected)) << PrintToString(c.request);
    }
    // A refused save keeps the saved configuration.
    SimulatedReader reader;
    reader.SetFaults({.refuse = {{0x2A}}});
    Ask(reader, {0x28, 0x34, 0x14});
    EXPECT_EQ(AnswerBody(reader, {0x2A}), (Bytes{0x15, 0x2A}));
    EXPECT_EQ(reader.GetSavedConfig(0x34), ConfigStore::kDefaultTimeout);
}

TEST(SimulatedReaderRefusals, RefusePercentIsASeededShareOfAllRequests) {
    const auto run = [](int percent, uint32_t seed) {
        SimulatedReader reader(1, seed);
        reader.SetFaults({.refusePercent = percent});
        std::string pattern;
        int lastAcknowledged = ConfigStore::kDefaultTimeout;
        for (int i = 0; i < 200; ++i) {
            const auto value = static_cast<uint8_t>(i + 1);
            const auto body = AnswerBody(reader, {0x28, 0x34, value});
            pattern += body.at(0) == SimulatedReader::kNak ? 'N' : 'A';
            lastAcknowledged = body.at(0) == CFrameParser::kAck ? value : lastAcknowledged;
        }
        // Only what was acknowledged took effect.
        EXPECT_EQ(reader.GetConfig(0x34), lastAcknowledged);
        return pattern;
    };
    EXPECT_EQ(run(0, 3), std::string(200, 'A'));
    EXPECT_EQ(run(100, 3), std::string(200, 'N'));
    const auto third = run(30, 3);
    EXPECT_EQ(third, run(30, 3));
    EXPECT_NE(third, run(30, 4));
    const auto refused = std::count(third.begin(), third.end(), 'N');
    EXPECT_TRUE(refused > 30 && refused < 90) << refused;
}

// The node address moves when the reader starts again from its saved configuration, so that a
// set, save and read-back at the old address (in any order) all get their answers.
TEST(SimulatedReaderConfig, NewNodeAddressCountsFromTheNextStart) {
    constexpr uint8_t kBroadcast = 0xFF;
    const struct {
        const char* step;
        uint8_t to;
        Bytes request;
        int from;  // address of the answer, -1 for none
        Bytes body;
    } steps[] = {
        {"set", 0x01, {0x28, 0x36, 0x22}, 0x01, {0x06, 0x28}},
        {"read back at the old address", 0x01, {0x29, 0x36}, 0x01, {0x06, 0x29, 0x22}},
        {"new address not yet", 0x22, {0x01}, -1, {}},
        {"save", 0x01, {0x2A}, 0x01, {0x06, 0x2A}},
        {"read back after the save", 0x01, {0x29, 0x36}, 0x01, {0x06, 0x29, 0x22}},
        {"restart", 0x01, {0x95}, 0x01, {0x06, 0x95}},
        {"old address gone", 0x01, {0x01}, -1, {}},
        {"new address answers", 0x22, {0x29, 0x36}, 0x22, {0x06, 0x29, 0x22}},
        {"set without saving", 0x22, {0x28, 0x36, 0x05}, 0x22, {0x06, 0x28}},
        {"restart", 0x22, {0x95}, 0x22, {0x06, 0x95}},
        {"unsaved address lost", 0x05, {0x01}, -1, {}},
        {"saved address kept", 0x22, {0x29, 0x36}, 0x22, {0x06, 0x29, 0x22}},
        {"reset all", 0x22, {0x18}, 0x22, {0x06, 0x18}},
        {"default reported", 0x22, {0x29, 0x36}, 0x22, {0x06, 0x29, 0x01}},
        {"broadcast", kBroadcast, {0x01}, 0x22, {0x06, 0x01}},
    };
    SimulatedReader reader;
    for (const auto& s : steps) {
        const auto r = Decode(Ask(reader, s.request, s.to, s.to == kBroadcast));
        const int from = r.frames.size() == 1 ? r.frames[0][1] : -1;
        EXPECT_EQ(from, s.from) << s.step;
        EXPECT_EQ(r.frames.size() == 1 ? Body(r.frames[0]) : Bytes{}, s.body) << s.step;
    }
    // Reset all without a save: the next start comes back at the saved address.
    reader.Restart();
    EXPECT_EQ(reader.GetNodeAddress(), 0x22);
}

TEST(SimulatedReaderConfig, EveryAddressReadsBackResetRestoresDefaultsRestartKeepsSaved) {
    SimulatedReader reader(0x0B);
    SimulatedReader fresh(0x0B);
    std::vector<Bytes> reads = {{0x60, 0x14}, {0x60, 0x1A}};
    for (uint8_t address = CfgAddr::kFirst; address <= CfgAddr::kLast; ++address) {
        const bool small = address == CfgAddr::kMode || address == CfgAddr::kTiming;
        const auto value = static_cast<uint8_t>(small ? 2 : address - CfgAddr::kFirst + 1);
        EXPECT_EQ(AnswerBody(reader, {0x28, address, value}, 0x0B, true), (Bytes{0x06, 0x28}));
        EXPECT_EQ(AnswerBody(reader, {0x29, address}, 0x0B, true), (Bytes{0x06, 0x29, value}))
            << "address " << int(address);
        reads.push_back({0x29, address});
    }
    Ask(reader, {0x60, 0x19, 0x05, 0x50, 0x23}, 0x0B, true);
    Ask(reader, {0x60, 0x15, 0x0B, 0xB8}, 0x0B, true);
    EXPECT_EQ(AnswerBody(reader, {0x18}, 0x0B, true), (Bytes{0x06, 0x18}));
    for (const auto& request : reads) {
        const auto expected = AnswerBody(fresh, request, 0x0B);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(AnswerBody(reader, request, 0x0B), expected) << PrintToString(request);
    }

    Ask(reader, {0x28, 0x34, 20}, 0x0B);
    Ask(reader, {0x60, 0x1B, 0x00}, 0x0B);
    EXPECT_EQ(AnswerBody(reader, {0x2A}, 0x0B), (Bytes{0x06, 0x2A}));
    Ask(reader, {0x28, 0x34, 30}, 0x0B);
    reader.Restart();
    EXPECT_EQ(reader.GetConfig(0x34), 20);
    const auto status = AnswerBody(reader, {0x60, 0x14}, 0x0B);
    ASSERT_EQ(status.size(), 23u);
    EXPECT_EQ(status[19], 0x00);  // access level as saved
}

TEST(SimulatedReaderClock, RunsOnTheSimulatorsTime) {
    const struct {
        Bytes set;  // seconds minutes hours weekday day month year, BCD
        int advanceMs;
        Bytes expected;
    } cases[] = {
        {{0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}, 999, {0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}},
        {{0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}, 61000, {0x10, 0x08, 0x14, 0x01, 0x08, 0x03, 0x26}},
        {{0x59, 0x59, 0x23, 0x04, 0x28, 0x02, 0x24}, 1000, {0x00, 0x00, 0x00, 0x05, 0x29, 0x02, 0x24}},
        {{0x59, 0x59, 0x23, 0x07, 0x31, 0x12, 0x99}, 1000, {0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00}},
        // A weekday that does not fit the date is kept and runs on, as on a clock chip.
        {{0x59, 0x59, 0x23, 0x07, 0x08, 0x03, 0x26}, 1000, {0x00, 0x00, 0x00, 0x01, 0x09, 0x03, 0x26}},
    };
    for (const auto& c : cases) {
        SimulatedReader reader;
        Bytes request{0x52}, expected{0x06, 0x53};
        request.insert(request.end(), c.set.begin(), c.set.end());
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(AnswerBody(reader, request), (Bytes{0x06, 0x52}));
        reader.Advance(c.advanceMs);
        EXPECT_EQ(AnswerBody(reader, {0x53}), expected) << "set " << PrintToString(c.set);
    }
}

TEST(SimulatedReaderTags, EveryFormDecodesToTheConfiguredTransponders) {
    const struct {
        F form;
        size_t index;
        Strings fields;  // country, national id, type, event text
    } cases[] = {
        {F::kChar16, 0, {"0984", "123456789012", "FDX-B", "Pen 4"}},
        {F::kChar10, 0, {"", "1CBE991A14", "FDX-B", "Pen 4"}},
        {F::kBin8, 2, {"03ff", "003fffffffff", "02", ""}},
        {F::kBin5, 1, {"", "0000001267", "  HDX", ""}},
        {F::kBin13, 2, {"1023", "274877906943", "02", ""}},
    };
    for (const auto& c : cases) {
        auto reader = Reader({}, 1, c.form);
        reader.SetTagInterval(100);
        reader.Advance(300);
        const auto r = Decode(reader.TakeOutput());
        ASSERT_EQ(r.frames.size(), 3u);
        EXPECT_EQ(r.answerCodes[c.index], CFrameParser::kTagData);
        const auto id = Decoded(r.frames[c.index]);
        EXPECT_EQ((Strings{id.GetCountryCode(), id.GetNationalId(), id.GetTagType(), id.GetEventText()}),
                  c.fields)
            << "form " << int(c.form);
    }
}

TEST(SimulatedReaderTags, ReportsComeAtTheIntervalAndCycle) {
    auto reader = Reader({}, 1, F::kLine);
    reader.SetTagInterval(250);
    reader.Advance(249);
    EXPECT_FALSE(reader.HasOutput());
    int step = 1;
    for (const char* line :
         {"984 123456789012\r\n", "276 000000004711\r\n", "1023 274877906943\r\n", "984 123456789012\r\n"}) {
        reader.Advance(step);
        step = 250;
        const auto bytes = reader.TakeOutput();
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), line);
    }
    reader.SetTagInterval(0);
    reader.Advance(10000);
    EXPECT_FALSE(reader.HasOutput());
}

TEST(SimulatedReaderTags, GetSingleIdAcknowledgesAndReportsTheCurrentTag) {
    auto reader = Reader();
    const auto reported = [&reader] {
        const auto r = Decode(Ask(reader, {0x22}));
        EXPECT_EQ(r.frames.size(), 2u);
        EXPECT_EQ(Body(r.frames.at(0)), (Bytes{0x06, 0x22}));
        EXPECT_EQ(r.answerCodes.at(1), CFrameParser::kTagData);
        return Decoded(r.frames.at(1)).GetNationalId();
    };
    EXPECT_EQ(reported(), "123456789012");
    reader.ReportNextTag();
    reader.ReportNextTag();
    reader.TakeOutput();
    EXPECT_EQ(reported(), "000000004711");
    reader.SetTransponders({});
    EXPECT_EQ(AnswerBody(reader, {0x22}), (Bytes{0x06, 0x22}));
    EXPECT_EQ(reader.ReportNextTag(), -1);
}

TEST(SimulatedReaderFaults, SeedDecidesTheFaultsAndNoneAreOnByDefault) {
    const SimulatedReader::Faults all{
        .dropPercent = 20, .corruptPercent = 20, .echo = true, .delayMs = 10, .split = true, .noise = true};
    const auto a = Script(7, all);
    EXPECT_EQ(a, Script(7, all));
    EXPECT_NE(a, Script(8, all));
    const auto defaults = SimulatedReader().GetFaults();
    EXPECT_EQ(Script(7, defaults), Script(8, defaults));
}

TEST(SimulatedReaderFaults, CorruptedFramesFailTheirCrc) {
    auto reader = Reader({.corruptPercent = 100});
    for (const uint8_t value : {0x01, 0xA7, 0xD6}) {  // a plain CRC and escaped ones
        Ask(reader, {0x28, 0x34, value});
        const auto r = Decode(Ask(reader, {0x29, 0x34}));
        EXPECT_TRUE(r.frames.empty() && r.badFrames == 1) << int(value);
    }
    reader.ReportNextTag();
    const auto tag = Decode(reader.TakeOutput());
    EXPECT_TRUE(tag.frames.empty() && tag.badFrames == 1);
}

TEST(SimulatedReaderFaults, DroppedAnswersStillChangeTheReader) {
    auto reader = Reader({.dropPercent = 100});
    EXPECT_TRUE(Ask(reader, {0x28, 0x34, 0x22}).empty());
    EXPECT_TRUE(Ask(reader, {0x22}).empty());
    EXPECT_EQ(reader.GetConfig(0x34), 0x22);
}

TEST(SimulatedReaderFaults, EchoIsThereAtOnceTheAnswerAfterTheDelay) {
    auto reader = Reader({.echo = true, .delayMs = 50});
    EXPECT_EQ(reader.NextOutputDue(), -1) << "an idle reader without tags has nothing due";
    const auto request = RequestFrame({0x29, 0x34});
    reader.Receive(request.data(), request.size());
    EXPECT_EQ(reader.TakeOutput(), request);
    EXPECT_EQ(reader.NextOutputDue(), 50) << "an owner may sleep until the delayed answer";
    reader.SetTagInterval(20);
    EXPECT_EQ(reader.NextOutputDue(), 20);
    reader.SetTagInterval(0);
    reader.Advance(49);
    EXPECT_TRUE(reader.TakeOutput().empty());
    reader.Advance(1);
    EXPECT_EQ(reader.TakeOutput(), (Bytes{0x02, 0x01, 0xF0, 0x06, 0x29, 50, 0x29, 0x03}));
}

TEST(SimulatedReaderFaults, NoiseNeverStartsAFrameNorFakesATagLine) {
    auto reader = Reader({.noise = true}, 11, F::kLine);
    Bytes all;
    for (int i = 0; i < 30; ++i) {
        const auto out = Ask(reader, {0x01});
        reader.ReportNextTag();
        const auto tag = reader.TakeOutput();
        all.insert(all.end(), out.begin(), out.end());
        all.insert(all.end(), tag.begin(), tag.end());
    }
    const auto r = Decode(all);
    EXPECT_EQ(r.frames.size(), 30u);
    EXPECT_EQ(r.badFrames, 0);
    EXPECT_EQ(std::count(all.begin(), all.end(), 0x02), 30);
    const std::set<std::string> real = {"984 123456789012", "276 000000004711", "1023 274877906943"};
    CTagLineParser lines;
    int count = 0;
    for (const uint8_t b : all) {
        if (lines.PutChar(b) == 1) {
            EXPECT_EQ(real.count(lines.GetLine()), 1u) << lines.GetLine();
            lines.Reset();
            ++count;
        }
    }
    EXPECT_EQ(count, 30);
    // 30 acknowledges of 7 bytes, 30 lines of 18, 18 and 19 bytes, and at least one noise byte before each.
    EXPECT_GE(all.size(), 30u * 7 + 10u * (18 + 18 + 19) + 60u);
}

TEST(SimulatedReaderFaults, SplitKeepsTheBytesAndTheirOrder) {
    const auto whole = Script(5, {});
    const auto split = Script(5, {.split = true});
    for (const auto& b : split) {
        EXPECT_TRUE(!b.empty() && b.size() <= static_cast<size_t>(SimulatedReader::kMaxSplit));
    }
    EXPECT_GT(split.size(), 2 * whole.size());
    EXPECT_EQ(Joined(split), Joined(whole));
}

TEST(SimulatedReaderBounds, UntakenOutputIsBoundedAndBadInputDoesNotStopTheReader) {
    SimulatedReader flood;
    flood.SetTagInterval(1);
    flood.Advance(60 * 1000);
    const auto out = flood.TakeOutput();
    EXPECT_LE(out.size(), SimulatedReader::kMaxPending);
    EXPECT_GT(out.size(), SimulatedReader::kMaxPending / 2);
    EXPECT_EQ(out.front(), 0x02);  // cut at a frame boundary

    SimulatedReader reader;
    Bytes junk(20000, 0x41);
    junk[0] = 0x02;  // a frame that never ends
    reader.Receive(junk.data(), junk.size());
    const Bytes badCrc{0x00, 0x00, 0x02, 0x01, 0xF0, 0x09, 0x39, 0x03};
    reader.Receive(badCrc.data(), badCrc.size());
    const Bytes noMarker{0x02, 0x01, 0x00, 0x09, 0xFD, 0x03};  // good CRC, no 0xF0
    reader.Receive(noMarker.data(), noMarker.size());
    reader.Receive(nullptr, 5);
    EXPECT_TRUE(reader.TakeOutput().empty());
    EXPECT_EQ(AnswerBody(reader, {0x01}), (Bytes{0x06, 0x01}));
}
