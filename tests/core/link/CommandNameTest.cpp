#include "core/link/Commands.h"
#include "core/link/FrameParser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// The receiver's buffer for a frame whose bytes after the STX are given.
CFrameParser Received(const std::vector<uint8_t>& afterStx) {
    CFrameParser parser;
    parser.PutByte(0x02);
    for (const uint8_t b : afterStx) {
        if (b == 0x02 || b == 0x03 || b == 0x10) {
            parser.PutByte(0x10);
        }
        parser.PutByte(b);
    }
    return parser;
}

std::string NameOf(uint8_t code) {
    std::string name = "stale";
    EXPECT_EQ(CFrameParser::GetCommandName(code, name), 0);
    return name;
}

}  // namespace

TEST(CommandNames, WireCodesAndTheirTrafficNames) {
    struct Named {
        uint8_t code;
        const char* name;
    };
    // Wire bytes, so a wrong command constant shows up as a wrong name. From 0x2C on: codes the tool
    // never sends, still named for traffic from other sources.
    const Named named[] = {{0x01, " connect "},          {0x09, " version "},
                           {0x0A, " get SNR "},          {0x18, " reset all "},
                           {0x22, " get single ID "},    {0x23, " tag data "},
                           {0x24, " get last ID "},      {0x28, " set config "},
                           {0x29, " get config "},       {0x2A, " save config "},
                           {0x80, " set snr "},          {0x83, " get amplitude "},
                           {0x85, " get RSSI "},         {0x91, " start sample "},
                           {0x93, " start fdx sample "}, {0x95, " reset avr "},
                           {0x98, " start ub sample "},  {0x2C, " set time "},
                           {0x2F, " get date "},         {0x30, " retransmit "},
                           {0x43, " get tuning "},       {0x86, " get phase and voltage "},
                           {0x8B, " get status "},       {0x90, " hdx sample "},
                           {0x97, " set baudrate "}};
    for (const auto& n : named) {
        EXPECT_EQ(NameOf(n.code), n.name) << static_cast<int>(n.code);
    }
    for (const uint8_t code :
         {0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5B, 0x60, 0x9F, 0xA0, 0xA5, 0x00, 0x92, 0xFF}) {
        EXPECT_EQ(NameOf(code), " unknown ") << static_cast<int>(code);
    }
}

TEST(CommandNames, CatalogueSpotChecks) {
    const uint8_t pairs[][2] = {
        {Cmd::kSetClock, 0x52},         {Cmd::kShowEvent, 0x5B},       {Cmd::kAdditional, 0x60},
        {Cmd::kService, 0x9F},          {Cmd::kStartBootloader, 0xA5}, {Sub60::kSetSwitchOffTime, 0x15},
        {Sub9F::kStartBtConnect, 0x20}, {Sub58::kGetAmount, 0x07},     {CfgAddr::kStartCharacter, 0x3E}};
    for (const auto& p : pairs) {
        EXPECT_EQ(p[0], p[1]);
    }
    EXPECT_TRUE(Cmd::IsMultiFunction(0x58) && Cmd::IsMultiFunction(0x60) && Cmd::IsMultiFunction(0x9F));
    EXPECT_FALSE(Cmd::IsMultiFunction(0x29));
    EXPECT_STREQ(Desc::kSetLcdTemperature, " Set LCD temperatur request ");
    EXPECT_STREQ(Desc::kReadEeprom, "Read externall eeprom request at address %04x");
    EXPECT_STREQ(Desc::kSetDisplayInfoSeq, "Display info configuration request");
}

TEST(AnswerCode, ClassifiesTheReceivedFrame) {
    struct Case {
        std::vector<uint8_t> afterStx;
        uint8_t code;
        const char* name;
    };
    const Case cases[] = {
        {{0x01, 0xF0, 0x06, 0x29, 0x31, 0x05, 0x00}, 0x29, " get config "},
        {{0x01, 0xF0, 0x06, 0x60, 0x15, 0x00}, 0x60, " unknown "},
        {{0x01, 0xF0, 0x06, 0x01, 0x00}, 0x01, " connect "},
        {{0x01, 0xF0, 0x23, 0x11, 0x30}, 0x23, " tag data "},
        {{0x01, 0xF0, 0x15, 0x29, 0x00}, 0xFF, ""},
        {{0x01, 0xF0}, 0xFF, ""},
        {{}, 0xFF, ""},
        {{0x01, 0xF0, 0x06}, 0xFF, ""},  // an acknowledge cut before its command byte
    };
    for (const auto& c : cases) {
        const CFrameParser parser = Received(c.afterStx);
        EXPECT_EQ(parser.GetAnswerCode(), c.code);
        std::string name = "stale";
        EXPECT_EQ(parser.GetAnswerName(name), c.code);
        EXPECT_EQ(name, c.name);
    }
    std::string name = "stale";
    EXPECT_EQ(CFrameParser().GetAnswerName(name), 0xFF);
    EXPECT_EQ(name, "");
}
