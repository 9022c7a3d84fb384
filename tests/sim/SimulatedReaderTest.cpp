#include "core/link/Commands.h"
#include "core/link/TagLineParser.h"
#include "core/tags/TransponderId.h"
#include "sim/SimTestSupport.h"
#include "sim/SimulatedReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

namespace {

SimulatedReader MakeReader() {
    SimulatedReader reader;
    reader.SetVersionText("V1.00");
    return reader;
}

}  // namespace

// --- Answers on the wire ---------------------------------------------------------------------

struct WireCase {
    Bytes prepare;  // a request sent first, its answer ignored
    Bytes request;
    Bytes wire;
};

TEST(SimulatedReaderWire, AnswersAreFramedEscapedAndChecked) {
    const WireCase cases[] = {
        {{}, {0x01}, {0x02, 0x01, 0xF0, 0x06, 0x01, 0xA9, 0x03}},
        {{}, {0x60, 0x18}, {0x02, 0x01, 0xF0, 0x06, 0x60, 0x18, 0x01, 0x88, 0x03}},
        {{}, {0x0A}, {0x02, 0x01, 0xF0, 0x06, 0x0A, 0x31, 0x30, 0x30, 0x30, 0x30, 0x31, 0x92, 0x03}},
        // A data byte 0x03 goes behind a DLE, and the CRC covers the DLE.
        {{0x28, 0x34, 0x03}, {0x29, 0x34}, {0x02, 0x01, 0xF0, 0x06, 0x29, 0x10, 0x03, 0xB6, 0x03}},
        // A CRC that would read as a control byte is escaped and sent as the register after the DLE.
        {{0x28, 0x34, 0xA7}, {0x29, 0x34}, {0x02, 0x01, 0xF0, 0x06, 0x29, 0xA7, 0x10, 0xBB, 0x03}},
        {{0x28, 0x34, 0xD6}, {0x29, 0x34}, {0x02, 0x01, 0xF0, 0x06, 0x29, 0xD6, 0x10, 0xDF, 0x03}},
    };
    for (const auto& c : cases) {
        SimulatedReader reader;
        if (!c.prepare.empty()) {
            Ask(reader, c.prepare);
        }
        EXPECT_EQ(Ask(reader, c.request), c.wire) << "request " << int(c.request[0]);
    }
}

TEST(SimulatedReaderWire, AnswerFrameBuilderAcceptsLongBodies) {
    Bytes body{0x06, 0x09};
    for (int i = 0; i < 1200; ++i) {
        body.push_back(static_cast<uint8_t>(i));  // every control byte many times
    }
    const auto r = Decode(SimulatedReader::BuildAnswerFrame(0x22, body));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.badFrames, 0);
    EXPECT_EQ(r.frames[0][1], 0x22);
    EXPECT_EQ(Body(r.frames[0]), body);
}

// --- Each command answered as the tool reads it ----------------------------------------------

struct AnswerCase {
    Bytes request;
    uint8_t answerCode;
    Bytes body;  // from byte 3 (status) to the byte before the CRC
};

TEST(SimulatedReaderCommands, EachCommandIsAnsweredInItsLayout) {
    const AnswerCase cases[] = {
        {{0x01}, 0x01, {0x06, 0x01}},
        {{0x09}, 0x09, {0x06, 0x09, 'V', '1', '.', '0', '0'}},
        {{0x0A}, 0x0A, {0x06, 0x0A, '1', '0', '0', '0', '0', '1'}},
        {{0x18}, 0x18, {0x06, 0x18}},
        {{0x28, 0x32, 0x17}, 0x28, {0x06, 0x28}},
        {{0x29, 0x32}, 0x29, {0x06, 0x29, 0x01}},
        {{0x29, 0x34}, 0x29, {0x06, 0x29, 50}},
        {{0x29, 0x35}, 0x29, {0x06, 0x29, 0x01}},
        {{0x29, 0x36}, 0x29, {0x06, 0x29, 0x01}},
        {{0x29, 0x39}, 0x29, {0x06, 0x29, 0x00}},
        {{0x29, 0x3E}, 0x29, {0x06, 0x29, 'I'}},
        {{0x2A}, 0x2A, {0x06, 0x2A}},
        {{0x54, 0x04}, 0x54, {0x06, 0x54}},
        {{0x80, '0', '0', '0', '1', '2', '3'}, 0x80, {0x06, 0x80}},
        {{0x60, 0x11, 0x00, 0xFA, 0x1C, 0x20, 0x05, 0x01}, 0x60, {0x06, 0x60, 0x11}},
        // The permanent-read parameters come back under the service code.
        {{0x60, 0x12}, 0x9F, {0x06, 0x9F, 0x12, 0x00, 0x00, 0x00, 0x78, 0x05, 0x00}},
        {{0x60, 0x13, 0x01}, 0x60, {0x06, 0x60, 0x13}},
        {{0x60, 0x14}, 0x60, {0x06, 0x60, 0x14, 0x00, 0x00, 0x00, 0x78, 0x05, 0x00, 0x02, 0xBC, 0x00,
                              0x03, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00}},
        {{0x60, 0x15, 0x02, 0xBC}, 0x60, {0x06, 0x60, 0x15}},
        {{0x60, 0x16, 0x01}, 0x60, {0x06, 0x60, 0x16}},
        {{0x60, 0x17, 0x00}, 0x60, {0x06, 0x60, 0x17}},
        {{0x60, 0x18}, 0x60, {0x06, 0x60, 0x18, 0x01}},
        {{0x60, 0x19, 0x05, 0x50, 0x23}, 0x60, {0x06, 0x60, 0x19}},
        {{0x60, 0x1A}, 0x60, {0x06, 0x60, 0x1A, 0x01, 0x00, 0x00}},
        {{0x60, 0x1B, 0x01}, 0x60, {0x06, 0x60, 0x1B}},
        {{0x60, 0x1D, 0x13, 0x88}, 0x60, {0x06, 0x60, 0x1D}},
        {{0x60, 0x1F, 0x02}, 0x60, {0x06, 0x60, 0x1F}},
        {{0x60, 0x21, 0x66}, 0x60, {0x06, 0x60, 0x21}},
    };
    for (const auto& c : cases) {
        auto reader = MakeReader();
        const auto r = Decode(Ask(reader, c.request));
        ASSERT_EQ(r.frames.size(), 1u) << "request " << int(c.request[0]);
        EXPECT_EQ(r.badFrames, 0);
        EXPECT_EQ(r.answerCodes[0], c.answerCode) << "request " << int(c.request[0]);
        EXPECT_EQ(Body(r.frames[0]), c.body) << "request " << int(c.request[0]);
    }
}

TEST(SimulatedReaderCommands, MalformedAndUnknownRequestsGetNoAnswer) {
    const Bytes cases[] = {
        {0x99},                 // not a command of the reader
        {0x29, 0x2F},           // below the configuration addresses
        {0x29, 0x3F},           // above them
        {0x29},                 // no address
        {0x28, 0x34},           // no value
        {0x28, 0x36, 0x10},     // a node address the frame cannot carry
        {0x28, 0x36, 0xFF},     // the broadcast address
        {0x80, '1', '2', '3'},  // a serial number of three characters
        {0x80, '1', '2', 0x0D, '4', '5', '6'},
        {0x60},                    // no sub-code
        {0x60, 0x99},              // unknown sub-code
        {0x60, 0x15, 0x02},        // half a switch-off time
        {0x60, 0x19, 0x05, 0x50},  // two of three format bytes
        {0x60, 0x1F},              // display info without its byte
        {0x52, 0x09, 0x07, 0x14},  // a clock of three bytes
        {0x54},                    // contrast without its value
    };
    for (const auto& request : cases) {
        SimulatedReader reader;
        EXPECT_TRUE(Ask(reader, request).empty())
            << "request " << int(request[0]) << " size " << request.size();
    }
}

TEST(SimulatedReaderCommands, SettingsAreKeptAndReportedBack) {
    auto reader = MakeReader();
    Ask(reader, {0x80, 'A', 'B', '0', '0', '4', '2'});
    Ask(reader, {0x54, 0x07});
    Ask(reader, {0x60, 0x11, 0x00, 0xFA, 0x1C, 0x20, 0x05, 0x01});
    Ask(reader, {0x60, 0x13, 0x01});
    Ask(reader, {0x60, 0x15, 0x0B, 0xB8});
    Ask(reader, {0x60, 0x16, 0x01});
    Ask(reader, {0x60, 0x17, 0x00});
    Ask(reader, {0x60, 0x19, 0x05, 0x50, 0x23});
    Ask(reader, {0x60, 0x1B, 0x01});
    Ask(reader, {0x60, 0x1D, 0x13, 0x88});
    Ask(reader, {0x60, 0x1F, 0x02});
    Ask(reader, {0x60, 0x21, 0x66});

    EXPECT_EQ(reader.GetLcdContrast(), 0x07);
    const struct {
        Bytes request;
        Bytes body;
    } cases[] = {
        {{0x0A}, {0x06, 0x0A, 'A', 'B', '0', '0', '4', '2'}},
        {{0x60, 0x12}, {0x06, 0x9F, 0x12, 0x00, 0xFA, 0x1C, 0x20, 0x05, 0x01}},
        {{0x60, 0x14}, {0x06, 0x60, 0x14, 0x00, 0xFA, 0x1C, 0x20, 0x05, 0x01, 0x0B, 0xB8, 0x66,
                        0x01, 0x00, 0x01, 0x00, 0x05, 0x50, 0x23, 0x01, 0x13, 0x88, 0x02}},
        {{0x60, 0x18}, {0x06, 0x60, 0x18, 0x00}},
        {{0x60, 0x1A}, {0x06, 0x60, 0x1A, 0x05, 0x50, 0x23}},
        // The sync level of 0x60 0x21 is the one of configuration address 0x37.
        {{0x29, 0x37}, {0x06, 0x29, 0x66}},
    };
    for (const auto& c : cases) {
        const auto r = Decode(Ask(reader, c.request));
        ASSERT_EQ(r.frames.size(), 1u);
        EXPECT_EQ(Body(r.frames[0]), c.body)
            << "request " << int(c.request[0]) << " " << int(c.request.back());
    }
}

// --- Configuration addresses -------------------------------------------------------------------

TEST(SimulatedReaderConfig, EveryAddressReadsBackWhatWasSet) {
    SimulatedReader reader;
    for (uint8_t address = CfgAddr::kFirst; address <= CfgAddr::kLast; ++address) {
        const auto value = static_cast<uint8_t>(0x40 + address - CfgAddr::kFirst);
        // Broadcast, so that a changed node address does not hide the read-back.
        const auto set = Decode(Ask(reader, {Cmd::kSetConfig, address, value}, 1, true));
        ASSERT_EQ(set.frames.size(), 1u) << "address " << int(address);
        EXPECT_EQ(Body(set.frames[0]), (Bytes{0x06, 0x28}));
        const auto get = Decode(Ask(reader, {Cmd::kGetConfig, address}, 1, true));
        ASSERT_EQ(get.frames.size(), 1u) << "address " << int(address);
        EXPECT_EQ(Body(get.frames[0]), (Bytes{0x06, 0x29, value})) << "address " << int(address);
    }
}

TEST(SimulatedReaderConfig, NodeAddressAnswersAndAddressing) {
    SimulatedReader reader;
    // Another node's request is not for us; a broadcast is, answered under our own address.
    EXPECT_TRUE(Ask(reader, {0x01}, 0x05).empty());
    auto r = Decode(Ask(reader, {0x01}, 0x05, true));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0][1], 0x01);

    // A new node address takes over after its acknowledge, which still carries the old one.
    r = Decode(Ask(reader, {0x28, 0x36, 0x22}));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0][1], 0x01);
    EXPECT_TRUE(Ask(reader, {0x01}, 0x01).empty());
    r = Decode(Ask(reader, {0x01}, 0x22));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0][1], 0x22);
    EXPECT_EQ(reader.GetNodeAddress(), 0x22);
}

TEST(SimulatedReaderConfig, ResetAllRestoresTheDefaults) {
    SimulatedReader reader(0x0B);
    for (uint8_t address = CfgAddr::kFirst; address <= CfgAddr::kLast; ++address) {
        Ask(reader, {0x28, address, 0x77}, 0x0B, true);
    }
    Ask(reader, {0x60, 0x19, 0x05, 0x50, 0x23}, 0x0B, true);
    Ask(reader, {0x60, 0x15, 0x0B, 0xB8}, 0x0B, true);
    const auto ack = Decode(Ask(reader, {0x18}, 0x0B, true));
    ASSERT_EQ(ack.frames.size(), 1u);
    EXPECT_EQ(Body(ack.frames[0]), (Bytes{0x06, 0x18}));

    const struct {
        uint8_t address;
        uint8_t value;
    } defaults[] = {
        {0x30, 0x00}, {0x31, 0x00}, {0x32, 0x01}, {0x33, 0x06}, {0x34, 50},
        {0x35, 0x01}, {0x36, 0x0B}, {0x37, 0x00}, {0x38, 0x00}, {0x39, 0x00},
        {0x3A, 0x00}, {0x3B, 0x00}, {0x3C, 0x00}, {0x3D, 0x00}, {0x3E, 'I'},
    };
    for (const auto& d : defaults) {
        const auto r = Decode(Ask(reader, {0x29, d.address}, 0x0B));
        ASSERT_EQ(r.frames.size(), 1u) << "address " << int(d.address);
        EXPECT_EQ(Body(r.frames[0]), (Bytes{0x06, 0x29, d.value})) << "address " << int(d.address);
    }
    auto r = Decode(Ask(reader, {0x60, 0x1A}, 0x0B));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(Body(r.frames[0]), (Bytes{0x06, 0x60, 0x1A, 0x01, 0x00, 0x00}));
    r = Decode(Ask(reader, {0x60, 0x14}, 0x0B));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0][12], 0x02);
    EXPECT_EQ(r.frames[0][13], 0xBC);
}

TEST(SimulatedReaderConfig, OnlySavedSettingsSurviveARestart) {
    SimulatedReader reader;
    Ask(reader, {0x28, 0x34, 20});
    Ask(reader, {0x60, 0x1B, 0x00});
    Ask(reader, {0x2A});
    Ask(reader, {0x28, 0x34, 30});
    EXPECT_EQ(reader.GetSavedConfig(0x34), 20);
    reader.Restart();
    EXPECT_EQ(reader.GetConfig(0x34), 20);
    const auto r = Decode(Ask(reader, {0x60, 0x14}));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0][22], 0x00);  // access level as saved
}

// --- The clock ----------------------------------------------------------------------------------

TEST(SimulatedReaderClock, RunsOnTheSimulatorsTime) {
    struct Case {
        Bytes set;  // seconds minutes hours weekday day month year, BCD
        int advanceMs;
        Bytes expected;
    };
    const Case cases[] = {
        {{0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}, 0, {0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}},
        {{0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}, 999, {0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}},
        {{0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}, 61000, {0x10, 0x08, 0x14, 0x01, 0x08, 0x03, 0x26}},
        // Over midnight into a leap day, and the weekday follows.
        {{0x59, 0x59, 0x23, 0x04, 0x28, 0x02, 0x24}, 1000, {0x00, 0x00, 0x00, 0x05, 0x29, 0x02, 0x24}},
        {{0x59, 0x59, 0x23, 0x07, 0x31, 0x12, 0x99}, 1000, {0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00}},
        // A weekday that does not fit the date is kept and runs on, as on a clock chip.
        {{0x59, 0x59, 0x23, 0x07, 0x08, 0x03, 0x26}, 1000, {0x00, 0x00, 0x00, 0x01, 0x09, 0x03, 0x26}},
    };
    for (const auto& c : cases) {
        SimulatedReader reader;
        Bytes request{0x52};
        request.insert(request.end(), c.set.begin(), c.set.end());
        auto r = Decode(Ask(reader, request));
        ASSERT_EQ(r.frames.size(), 1u);
        EXPECT_EQ(Body(r.frames[0]), (Bytes{0x06, 0x52}));
        reader.Advance(c.advanceMs);
        r = Decode(Ask(reader, {0x53}));
        ASSERT_EQ(r.frames.size(), 1u);
        Bytes expected{0x06, 0x53};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(Body(r.frames[0]), expected) << "advance " << c.advanceMs;
    }
}

TEST(SimulatedReaderClock, RefusesTimesThatCannotBe) {
    const Bytes cases[] = {
        {0x52, 0x1A, 0x00, 0x12, 0x01, 0x01, 0x01, 0x26},  // seconds not BCD
        {0x52, 0x60, 0x00, 0x12, 0x01, 0x01, 0x01, 0x26},  // 60 seconds
        {0x52, 0x00, 0x00, 0x24, 0x01, 0x01, 0x01, 0x26},  // hour 24
        {0x52, 0x00, 0x00, 0x12, 0x08, 0x01, 0x01, 0x26},  // weekday 8
        {0x52, 0x00, 0x00, 0x12, 0x01, 0x29, 0x02, 0x25},  // 29 February 2025
        {0x52, 0x00, 0x00, 0x12, 0x01, 0x01, 0x13, 0x26},  // month 13
    };
    for (const auto& request : cases) {
        SimulatedReader reader;
        const auto before = reader.GetClockBytes();
        EXPECT_TRUE(Ask(reader, request).empty());
        EXPECT_EQ(reader.GetClockBytes(), before);
    }
}

// --- Tags ------------------------------------------------------------------------------------------

namespace {

const std::vector<SimulatedReader::Transponder> kField = {
    {984, 123456789012ULL, CTransponderId::kTypeFdxB, "Pen 4"},
    {276, 4711ULL, CTransponderId::kTypeHdx, ""},
    {1023, 274877906943ULL, CTransponderId::kTypeH4002, ""},
};

struct TagCase {
    SimulatedReader::TagForm form;
    size_t index;
    const char* country;
    const char* national;
    const char* type;
    const char* event;
};

}  // namespace

TEST(SimulatedReaderTags, EveryFormDecodesToTheConfiguredTransponders) {
    using F = SimulatedReader::TagForm;
    const TagCase cases[] = {
        {F::kChar16, 0, "0984", "123456789012", "FDX-B", "Pen 4"},
        {F::kChar16, 1, "0276", "000000004711", "  HDX", ""},
        {F::kChar16, 2, "1023", "274877906943", "02", ""},
        {F::kChar10, 0, "", "1CBE991A14", "FDX-B", "Pen 4"},
        {F::kChar10, 1, "", "0000001267", "  HDX", ""},
        {F::kBin8, 0, "03d8", "001cbe991a14", "FDX-B", ""},
        {F::kBin8, 2, "03ff", "003fffffffff", "02", ""},
        {F::kBin5, 0, "", "1cbe991a14", "FDX-B", ""},
        {F::kBin5, 1, "", "0000001267", "  HDX", ""},
        {F::kBin13, 0, "0984", "123456789012", "FDX-B", ""},
        {F::kBin13, 2, "1023", "274877906943", "02", ""},
    };
    for (const auto& c : cases) {
        SimulatedReader reader;
        reader.SetTransponders(kField);
        reader.SetTagForm(c.form);
        reader.SetTagInterval(100);
        reader.Advance(300);
        const auto r = Decode(reader.TakeOutput());
        ASSERT_EQ(r.frames.size(), 3u);
        EXPECT_EQ(r.answerCodes[c.index], CFrameParser::kTagData);
        CTransponderId id;
        id.DecodeTagData(r.frames[c.index]);
        EXPECT_EQ(id.GetCountryCode(), c.country) << "form " << int(c.form) << " tag " << c.index;
        EXPECT_EQ(id.GetNationalId(), c.national) << "form " << int(c.form) << " tag " << c.index;
        EXPECT_EQ(id.GetTagType(), c.type) << "form " << int(c.form) << " tag " << c.index;
        EXPECT_EQ(id.GetEventText(), c.event) << "form " << int(c.form) << " tag " << c.index;
    }
}

TEST(SimulatedReaderTags, TagLinesAreWhatTheLineReceiverTakes) {
    SimulatedReader reader;
    reader.SetTransponders(kField);
    reader.SetTagForm(SimulatedReader::TagForm::kLine);
    reader.SetTagInterval(100);
    reader.Advance(300);
    const auto bytes = reader.TakeOutput();
    const std::string expected = "984 123456789012\r\n276 000000004711\r\n1023 274877906943\r\n";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    CTagLineParser lines;
    std::vector<std::string> got;
    for (const uint8_t b : bytes) {
        if (lines.PutChar(b) == 1) {
            got.push_back(lines.GetLine());
            lines.Reset();
        }
    }
    EXPECT_EQ(got, (std::vector<std::string>{"984 123456789012", "276 000000004711", "1023 274877906943"}));
}

TEST(SimulatedReaderTags, ReportsComeAtTheIntervalAndCycle) {
    SimulatedReader reader;
    reader.SetTransponders(kField);
    reader.SetTagForm(SimulatedReader::TagForm::kBin13);
    reader.SetTagInterval(250);
    reader.Advance(249);
    EXPECT_FALSE(reader.HasOutput());
    std::vector<std::string> order;
    for (int i = 0; i < 4; ++i) {
        reader.Advance(i == 0 ? 1 : 250);
        const auto r = Decode(reader.TakeOutput());
        ASSERT_EQ(r.frames.size(), 1u) << "report " << i;
        CTransponderId id;
        id.DecodeTagData(r.frames[0]);
        order.push_back(id.GetNationalId());
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"123456789012", "000000004711", "274877906943", "123456789012"}));
    reader.SetTagInterval(0);
    reader.Advance(10000);
    EXPECT_FALSE(reader.HasOutput());
}

TEST(SimulatedReaderTags, GetSingleIdAcknowledgesAndReportsTheCurrentTag) {
    SimulatedReader reader;
    reader.SetTransponders(kField);
    reader.SetTagForm(SimulatedReader::TagForm::kChar16);
    auto r = Decode(Ask(reader, {0x22}));
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(Body(r.frames[0]), (Bytes{0x06, 0x22}));
    EXPECT_EQ(r.answerCodes[1], CFrameParser::kTagData);
    CTransponderId id;
    id.DecodeTagData(r.frames[1]);
    EXPECT_EQ(id.GetNationalId(), "123456789012");

    // After a report, the reported tag is the one in the field.
    reader.ReportNextTag();
    reader.ReportNextTag();
    reader.TakeOutput();
    r = Decode(Ask(reader, {0x22}));
    ASSERT_EQ(r.frames.size(), 2u);
    id.DecodeTagData(r.frames[1]);
    EXPECT_EQ(id.GetNationalId(), "000000004711");

    reader.SetTransponders({});
    r = Decode(Ask(reader, {0x22}));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(Body(r.frames[0]), (Bytes{0x06, 0x22}));
    EXPECT_EQ(reader.ReportNextTag(), -1);
}

// --- Faults --------------------------------------------------------------------------------------

namespace {

// A fixed conversation: requests, tags and time, with every fault that changes bytes switched on.
std::vector<Bytes> Script(uint32_t seed, const SimulatedReader::Faults& faults) {
    SimulatedReader reader(1, seed);
    reader.SetFaults(faults);
    reader.SetTagInterval(70);
    std::vector<Bytes> batches;
    for (int i = 0; i < 40; ++i) {
        const auto frame = RequestFrame({Cmd::kGetConfig, static_cast<uint8_t>(0x30 + i % 15)});
        reader.Receive(frame.data(), frame.size());
        reader.Advance(25);
        for (auto& b : reader.TakeBatches()) {
            batches.push_back(std::move(b));
        }
    }
    return batches;
}

SimulatedReader::Faults AllFaults() {
    SimulatedReader::Faults f;
    f.dropPercent = 20;
    f.corruptPercent = 20;
    f.echo = true;
    f.delayMs = 10;
    f.split = true;
    f.noise = true;
    return f;
}

}  // namespace

TEST(SimulatedReaderFaults, SameSeedSameBytesOtherSeedOtherBytes) {
    const auto a = Script(7, AllFaults());
    EXPECT_EQ(a, Script(7, AllFaults()));
    EXPECT_NE(a, Script(8, AllFaults()));
}

TEST(SimulatedReaderFaults, OffByDefault) {
    SimulatedReader reader;
    const auto& f = reader.GetFaults();
    EXPECT_EQ(f.dropPercent, 0);
    EXPECT_EQ(f.corruptPercent, 0);
    EXPECT_FALSE(f.echo);
    EXPECT_EQ(f.delayMs, 0);
    EXPECT_FALSE(f.split);
    EXPECT_FALSE(f.noise);
    EXPECT_EQ(Script(7, {}), Script(8, {}));
}

TEST(SimulatedReaderFaults, CorruptedFramesFailTheirCrc) {
    SimulatedReader::Faults f;
    f.corruptPercent = 100;
    SimulatedReader reader;
    reader.SetFaults(f);
    reader.SetTransponders(kField);
    // Values whose answers need an escaped CRC, and plain ones.
    for (const uint8_t value : {0x01, 0xA7, 0xD6, 0x03, 0x10}) {
        Ask(reader, {0x28, 0x34, value});
        const auto r = Decode(Ask(reader, {0x29, 0x34}));
        EXPECT_TRUE(r.frames.empty()) << int(value);
        EXPECT_EQ(r.badFrames, 1) << int(value);
    }
    reader.ReportNextTag();
    const auto r = Decode(reader.TakeOutput());
    EXPECT_TRUE(r.frames.empty());
    EXPECT_EQ(r.badFrames, 1);
}

TEST(SimulatedReaderFaults, SomeAnswersCorruptedOthersGood) {
    SimulatedReader::Faults f;
    f.corruptPercent = 50;
    SimulatedReader reader(1, 3);
    reader.SetFaults(f);
    int good = 0;
    int bad = 0;
    for (int i = 0; i < 200; ++i) {
        const auto r = Decode(Ask(reader, {0x01}));
        good += static_cast<int>(r.frames.size());
        bad += r.badFrames;
    }
    EXPECT_EQ(good + bad, 200);
    EXPECT_GT(good, 50);
    EXPECT_GT(bad, 50);
}

TEST(SimulatedReaderFaults, DroppedAnswersStillChangeTheReader) {
    SimulatedReader::Faults f;
    f.dropPercent = 100;
    SimulatedReader reader;
    reader.SetFaults(f);
    EXPECT_TRUE(Ask(reader, {0x28, 0x34, 0x22}).empty());
    EXPECT_TRUE(Ask(reader, {0x22}).empty());
    EXPECT_EQ(reader.GetConfig(0x34), 0x22);
}

TEST(SimulatedReaderFaults, EchoSendsTheRequestBackFirst) {
    SimulatedReader::Faults f;
    f.echo = true;
    f.delayMs = 50;
    SimulatedReader reader;
    reader.SetFaults(f);
    const auto request = RequestFrame({0x29, 0x34});
    reader.Receive(request.data(), request.size());
    // The echo is the line's, not the reader's: it is there at once, the answer only after the delay.
    EXPECT_EQ(reader.TakeOutput(), request);
    reader.Advance(49);
    EXPECT_TRUE(reader.TakeOutput().empty());
    reader.Advance(1);
    EXPECT_EQ(reader.TakeOutput(), (Bytes{0x02, 0x01, 0xF0, 0x06, 0x29, 50, 0x29, 0x03}));
}

TEST(SimulatedReaderFaults, NoiseNeverStartsAFrameNorFakesATagLine) {
    SimulatedReader::Faults f;
    f.noise = true;
    SimulatedReader reader(1, 11);
    reader.SetFaults(f);
    reader.SetTransponders(kField);
    reader.SetTagForm(SimulatedReader::TagForm::kLine);
    Bytes all;
    for (int i = 0; i < 30; ++i) {
        const auto out = Ask(reader, {0x01});
        all.insert(all.end(), out.begin(), out.end());
        reader.ReportNextTag();
        const auto tag = reader.TakeOutput();
        all.insert(all.end(), tag.begin(), tag.end());
    }
    const auto r = Decode(all);
    EXPECT_EQ(r.frames.size(), 30u);
    EXPECT_EQ(r.badFrames, 0);
    size_t stx = 0;
    for (const uint8_t b : all) {
        stx += b == 0x02 ? 1 : 0;
    }
    EXPECT_EQ(stx, 30u);  // only the frames' own
    CTagLineParser lines;
    int count = 0;
    for (const uint8_t b : all) {
        if (lines.PutChar(b) == 1) {
            const std::string line = lines.GetLine();
            EXPECT_TRUE(line == "984 123456789012" || line == "276 000000004711" ||
                        line == "1023 274877906943")
                << line;
            lines.Reset();
            ++count;
        }
    }
    EXPECT_EQ(count, 30);
    // 30 acknowledges of 7 bytes, 30 lines of 18, 18 and 19 bytes, and at least one noise byte before each.
    EXPECT_GE(all.size(), 30u * 7 + 10u * (18 + 18 + 19) + 60u);
}

TEST(SimulatedReaderFaults, SplitKeepsTheBytesAndTheirOrder) {
    SimulatedReader::Faults f;
    f.split = true;
    SimulatedReader split(1, 5);
    split.SetFaults(f);
    SimulatedReader whole;
    std::vector<Bytes> batches;
    Bytes expected;
    for (const Bytes& request : {Bytes{0x09}, Bytes{0x60, 0x14}, Bytes{0x53}}) {
        const auto frame = RequestFrame(request);
        split.Receive(frame.data(), frame.size());
        whole.Receive(frame.data(), frame.size());
        for (auto& b : split.TakeBatches()) {
            batches.push_back(std::move(b));
        }
        const auto out = whole.TakeOutput();
        expected.insert(expected.end(), out.begin(), out.end());
    }
    Bytes joined;
    for (const auto& b : batches) {
        EXPECT_GE(b.size(), 1u);
        EXPECT_LE(b.size(), static_cast<size_t>(SimulatedReader::kMaxSplit));
        joined.insert(joined.end(), b.begin(), b.end());
    }
    EXPECT_GT(batches.size(), 3u);
    EXPECT_EQ(joined, expected);
}

// --- Bad input and bounds ------------------------------------------------------------------------

TEST(SimulatedReaderBounds, OutputNobodyTakesStaysBounded) {
    SimulatedReader reader;
    reader.SetTagInterval(1);
    reader.Advance(60 * 1000);
    const auto out = reader.TakeOutput();
    EXPECT_LE(out.size(), SimulatedReader::kMaxPending);
    EXPECT_GT(out.size(), SimulatedReader::kMaxPending / 2);
    // The newest reports are kept, and they start at a frame boundary.
    EXPECT_EQ(out.front(), 0x02);
}

TEST(SimulatedReaderBounds, GarbageAndOverlongFramesDoNotStopTheReader) {
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
    const auto r = Decode(Ask(reader, {0x01}));
    EXPECT_EQ(r.frames.size(), 1u);
}
