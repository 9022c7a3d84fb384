#include "core/config/ConfigTestSupport.h"
#include "core/config/PropPageLCD.h"
#include "core/config/PropPageRTC.h"

#include <gtest/gtest.h>

namespace {

TEST(LcdPageTest, SpinSendsTheProposedContrast) {
    struct Row {
        int from, step;
        Bytes sent;  // empty: nothing sent
        int field;
    };
    const Row rows[] = {
        {3, +1, {0x54, 0x04}, 4},
        {7, +1, {0x54, 0x08}, 7},  // the reader takes up to 15, the field stops at 7
        {0, -1, {}, 0},
        {15, +1, {}, 7},
    };
    for (const Row& row : rows) {
        FakeMainWindow main;
        CPropPageLCD page(main);
        page.OnCreate();
        page.SetContrast(row.from);
        page.OnContrastSpin(row.step);
        EXPECT_EQ(page.Contrast(), row.field) << row.from << " " << row.step;
        EXPECT_EQ(main.AllBytes(), row.sent.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{row.sent});
        EXPECT_EQ(page.Message(), row.sent.empty() ? "" : "Set LCD contrast");
        page.OnApply();  // the spin already sent it
        EXPECT_TRUE(main.commands.empty());
    }
}

class RtcPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.SetClock(&PinnedTime);
        page.OnCreate();
    }
    std::string Shown() {
        std::string out;
        for (const std::string& field : page.Fields()) {
            out += field + " ";
        }
        return out;
    }
    FakeMainWindow main;
    CPropPageRTC page{main};
};

TEST_F(RtcPageTest, CreationShowsThePcClockAndSyncSendsItAsBcd) {
    EXPECT_EQ(Shown(), "09 07 14 01 08 03 26 ");
    EXPECT_TRUE(main.sent.empty());
    page.Fields().fill("");
    page.OnSync();
    ASSERT_EQ(main.AllBytes(), (std::vector<Bytes>{{0x52, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}}));
    EXPECT_EQ(main.LastText(), " Set time of real time clock ");
    EXPECT_EQ(page.Message(), "Set time request");
    Answer(page, Ack(Cmd::kSetClock));
    EXPECT_EQ(page.Message(), "Set time request success");
}

TEST_F(RtcPageTest, SetRefusesAnImpossibleTimeAndARefusalIsNotRepeated) {
    // clang-format off
    const std::pair<std::array<std::string, 7>, const char*> rows[] = {
        {{"07", "12", "99", "02", "05", "12", "26"}, "Hours 00 to 23"},
        {{"60", "12", "05", "02", "05", "12", "26"}, "Seconds 00 to 59"},
        {{"07", "12", "05", "08", "05", "12", "26"}, "Day of week 01 to 07"},
        {{"07", "12", "05", "02", "1A", "13", "26"}, "Day 01 to 31"},
        {{"07", "", "05", "02", "05", "12", "26"}, "Minutes 00 to 59"},
    };
    // clang-format on
    FakePrompt prompt;
    page.SetPrompt(&prompt);
    for (const auto& [fields, message] : rows) {
        page.Fields() = fields;
        page.OnSet();
        EXPECT_EQ(prompt.messages.back(), message);
    }
    EXPECT_TRUE(main.sent.empty());
    page.Fields() = {"15", "30", "10", "02", "05", "12", "26"};
    page.OnSet();
    EXPECT_EQ(main.Last(), (Bytes{0x52, 0x15, 0x30, 0x10, 0x02, 0x05, 0x12, 0x26}));
    Answer(page, Nak(Cmd::kSetClock));
    EXPECT_EQ(page.Retries(), 0);
    EXPECT_EQ(page.Message(), "Set time request failed: the reader refused the time");
    page.SetPrompt(nullptr);
}

TEST_F(RtcPageTest, GetAnswerFillsTheFields) {
    struct Row {
        Bytes frame;
        const char* shown;
        const char* message;
    };
    const Row rows[] = {
        {Ack(Cmd::kGetClock, {0x59, 0x59, 0x23, 0x07, 0x31, 0x12, 0x99}), "59 59 23 07 31 12 99 ",
         "Get time request success"},
        {Nak(Cmd::kGetClock, {0x00, 0x30, 0x08, 0x02, 0x09, 0x03, 0x26}), "00 30 08 02 09 03 26 ",
         "Get time request"},
        {Ack(Cmd::kGetClock, {0x3A, 0, 0, 0, 0, 0, 0}), "3: 00 00 00 00 00 00 ", "Get time request success"},
        {ReaderFrame(CFrameParser::kTagData, Cmd::kGetClock, {0x59, 0x59, 0x23, 0x07, 0x31, 0x12, 0x99}),
         "09 07 14 01 08 03 26 ", "Get time request"},
        // Too short to carry a clock: the fields keep what they hold.
        {Ack(Cmd::kGetClock, {0x59, 0x59}), "09 07 14 01 08 03 26 ", "Get time request success"},
    };
    for (const Row& row : rows) {
        page.OnCreate();
        page.OnGet();
        ASSERT_EQ(main.Last(), (Bytes{0x53}));
        EXPECT_EQ(main.LastText(), " Get time request ");
        Answer(page, row.frame);
        EXPECT_EQ(Shown(), row.shown);
        EXPECT_EQ(page.Message(), row.message);
        EXPECT_EQ(page.Retries(), row.frame[3] == CFrameParser::kAck ? 0 : 3);
    }
}

}  // namespace
