#include "core/link/Commands.h"
#include "core/link/FrameParser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Named {
    uint8_t code;
    const char* name;
};

// The names the traffic views show; codes without a name of their own are " unknown ".
const Named kNames[] = {
    {Cmd::kConnect, " connect "},
    {Cmd::kVersion, " version "},
    {Cmd::kGetSnr, " get SNR "},
    {Cmd::kResetAll, " reset all "},
    {Cmd::kGetSingleId, " get single ID "},
    {Cmd::kTagData, " tag data "},
    {Cmd::kGetLastId, " get last ID "},
    {Cmd::kSetConfig, " set config "},
    {Cmd::kGetConfig, " get config "},
    {Cmd::kSaveConfig, " save config "},
    {Cmd::kSetClock, " unknown "},
    {Cmd::kGetClock, " unknown "},
    {Cmd::kSetLcdContrast, " unknown "},
    {Cmd::kSetLcdTemperature, " unknown "},
    {Cmd::kReadEeprom, " unknown "},
    {Cmd::kWriteEeprom, " unknown "},
    {Cmd::kDatasets, " unknown "},
    {Cmd::kRouteBluetooth, " unknown "},
    {Cmd::kShowEvent, " unknown "},
    {Cmd::kAdditional, " unknown "},
    {Cmd::kSetSnr, " set snr "},
    {Cmd::kGetAmplitude, " get amplitude "},
    {Cmd::kGetRssi, " get RSSI "},
    {Cmd::kStartHdxSample, " start sample "},
    {Cmd::kStartFdxSample, " start fdx sample "},
    {Cmd::kResetAvr, " reset avr "},
    {Cmd::kStartUbSample, " start ub sample "},
    {Cmd::kService, " unknown "},
    {Cmd::kStoreTagData, " unknown "},
    {Cmd::kStartBootloader, " unknown "},
    // Names of codes the tool never sends, still shown for traffic from other sources.
    {0x2C, " set time "},
    {0x2F, " get date "},
    {0x30, " retransmit "},
    {0x43, " get tuning "},
    {0x86, " get phase and voltage "},
    {0x8B, " get status "},
    {0x90, " hdx sample "},
    {0x97, " set baudrate "},
    {0x00, " unknown "},
    {0x92, " unknown "},
    {0xFF, " unknown "},
};

struct Wire {
    uint8_t code;
    uint8_t value;
};

// Command bytes as the reader firmware knows them.
const Wire kCodes[] = {
    {Cmd::kConnect, 0x01},
    {Cmd::kVersion, 0x09},
    {Cmd::kGetSnr, 0x0A},
    {Cmd::kResetAll, 0x18},
    {Cmd::kGetSingleId, 0x22},
    {Cmd::kTagData, 0x23},
    {Cmd::kSetConfig, 0x28},
    {Cmd::kGetConfig, 0x29},
    {Cmd::kSaveConfig, 0x2A},
    {Cmd::kSetClock, 0x52},
    {Cmd::kGetClock, 0x53},
    {Cmd::kReadEeprom, 0x56},
    {Cmd::kWriteEeprom, 0x57},
    {Cmd::kDatasets, 0x58},
    {Cmd::kRouteBluetooth, 0x59},
    {Cmd::kShowEvent, 0x5B},
    {Cmd::kAdditional, 0x60},
    {Cmd::kSetSnr, 0x80},
    {Cmd::kGetAmplitude, 0x83},
    {Cmd::kGetRssi, 0x85},
    {Cmd::kStartHdxSample, 0x91},
    {Cmd::kStartFdxSample, 0x93},
    {Cmd::kResetAvr, 0x95},
    {Cmd::kStartUbSample, 0x98},
    {Cmd::kService, 0x9F},
    {Cmd::kStoreTagData, 0xA0},
    {Cmd::kStartBootloader, 0xA5},
    {Sub60::kSetSwitchOffTime, 0x15},
    {Sub60::kSetOutputFormat, 0x19},
    {Sub60::kSetSyncLevel, 0x21},
    {Sub9F::kAssignEventString, 0x11},
    {Sub9F::kStartBtConnect, 0x20},
    {Sub9F::kGetFriendlyName, 0x2A},
    {Sub58::kGetAmount, 0x07},
    {CfgAddr::kTiming, 0x39},
    {CfgAddr::kStartCharacter, 0x3E},
};

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

}  // namespace

TEST(CommandNames, EveryCodeIsNamedAsTheTrafficViewsShowIt) {
    for (const auto& n : kNames) {
        std::string name = "stale";
        EXPECT_EQ(CFrameParser::GetCommandName(n.code, name), 0);
        EXPECT_EQ(name, n.name) << static_cast<int>(n.code);
    }
}

TEST(CommandNames, CatalogueBytes) {
    for (const auto& c : kCodes) {
        EXPECT_EQ(c.code, c.value);
    }
    EXPECT_TRUE(Cmd::IsMultiFunction(0x58));
    EXPECT_TRUE(Cmd::IsMultiFunction(0x60));
    EXPECT_TRUE(Cmd::IsMultiFunction(0x9F));
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
