#include "core/link/Commands.h"
#include "core/link/FrameParser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

TEST(CommandNames, SpotChecksAndUnknownCodes) {
    const std::pair<uint8_t, const char*> named[] = {
        {0x01, " connect "}, {0x22, " get single ID "}, {0x23, " tag data "},
        {0x80, " set snr "}, {0x2C, " set time "},      {0x86, " get phase and voltage "},
        {0x52, " unknown "}, {0x60, " unknown "},       {0x00, " unknown "},
        {0xFF, " unknown "},
    };
    for (const auto& [code, text] : named) {
        std::string name = "stale";
        EXPECT_EQ(CFrameParser::GetCommandName(code, name), 0);
        EXPECT_EQ(name, text) << static_cast<int>(code);
    }
    EXPECT_TRUE(Cmd::IsMultiFunction(0x58) && Cmd::IsMultiFunction(0x60) && Cmd::IsMultiFunction(0x9F));
    EXPECT_FALSE(Cmd::IsMultiFunction(0x29));
    EXPECT_STREQ(Desc::kSetLcdTemperature, " Set LCD temperatur request ");
    EXPECT_STREQ(Desc::kReadEeprom, "Read externall eeprom request at address %04x");
}

TEST(AnswerCode, ClassifiesTheReceivedFrame) {
    const struct {
        std::vector<uint8_t> afterStx;
        uint8_t code;
        const char* name;
    } cases[] = {
        {{0x01, 0xF0, 0x06, 0x29, 0x31, 0x05, 0x00}, 0x29, " get config "},
        {{0x01, 0xF0, 0x06, 0x60, 0x15, 0x00}, 0x60, " unknown "},
        {{0x01, 0xF0, 0x23, 0x11, 0x30}, 0x23, " tag data "},
        {{0x01, 0xF0, 0x15, 0x29, 0x00}, 0xFF, ""},  // not acknowledged
        {{0x01, 0xF0}, 0xFF, ""},
        {{0x01, 0xF0, 0x06}, 0xFF, ""},  // an acknowledge cut before its command byte
    };
    for (const auto& c : cases) {
        CFrameParser parser;
        parser.PutByte(0x02);
        for (const uint8_t b : c.afterStx) {
            if (b == 0x02 || b == 0x03 || b == 0x10) {
                parser.PutByte(0x10);
            }
            parser.PutByte(b);
        }
        EXPECT_EQ(parser.GetAnswerCode(), c.code);
        std::string name = "stale";
        EXPECT_EQ(parser.GetAnswerName(name), c.code);
        EXPECT_EQ(name, c.name);
    }
    std::string name = "stale";
    EXPECT_EQ(CFrameParser().GetAnswerName(name), 0xFF);
    EXPECT_EQ(name, "");
}
