#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Without a reader, the Reader page waits for each give-up; Additional and Optimization move on
// every five ticks and send the next request right after the last repeat of the previous one.
TEST(ConfigJobTest, PacingOfAOneItemJob) {
    struct Row {
        int page;
        bool answering;
        std::vector<std::pair<int, Bytes>> sendings;
        std::map<int, std::string> messages;
    };
    const Bytes set{0x28, 0x34, 0x32};
    const Bytes read{0x29, 0x34};
    const Row rows[] = {
        // clang-format off
        {CConfigPages::kReader, false, {{1, set}, {6, set}, {11, set}, {17, read}, {22, read}, {27, read}},
         {{16, "Set timeout failed"}, {72, ""}}},  // shown again at 32, which restarts its 40 ticks
        {CConfigPages::kOptimization, false, {{1, set}, {6, set}, {6, read}, {11, read}, {16, read}},
         {{21, "Set timeout failed"}, {61, ""}}},
        {CConfigPages::kAdditional, false, {{1, set}, {6, set}, {6, read}, {11, read}, {16, read}},
         {{21, "Configuration failed"}, {61, ""}}},
        // Answered at once, the read still waits for the next look five ticks on.
        {CConfigPages::kOptimization, true, {{1, set}, {6, read}}, {{6, "Set timeout success"}, {46, ""}}},
        // clang-format on
    };
    for (const Row& row : rows) {
        FakeMainWindow main;
        FakePrompt prompt;
        CConfigPages pages(main, prompt);
        auto& page = static_cast<CConfigJobPage&>(pages.Page(row.page));
        page.OnCreate();
        page.SetStatus("Set timeout", 50);
        page.StartSetJob(0x34, 0x32);
        JobRun run;
        run.Run(main, page, 80, row.answering);
        EXPECT_EQ(run.sendings, row.sendings) << page.Caption() << " " << row.answering;
        EXPECT_EQ(run.messages, row.messages) << page.Caption() << " " << row.answering;
    }
}

TEST(ConfigJobTest, ListsHoldTwentyItemsAndAStrayReadBackIsNotCompared) {
    FakeMainWindow main;
    CPropPageOptimization page(main);
    page.OnCreate();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(page.AddSetItem(0x30, static_cast<uint8_t>(i)), 0);
        ASSERT_EQ(page.AddCheckItem(0x30), 0);
    }
    EXPECT_EQ(page.AddSetItem(0x30, 0x55), -1);
    EXPECT_EQ(page.AddCheckItem(0x30), -1);

    page.SetStatus("Set optimization parameter", 50);
    page.StartSetJob(0x39, 0x01);
    Tick(page);
    ASSERT_EQ(main.AllBytes(), (std::vector<Bytes>{{0x28, 0x39, 0x01}}));
    Answer(page, Ack(Cmd::kGetConfig, {0x07}));  // before any read request
    EXPECT_FALSE(page.Mismatch());
    EXPECT_EQ(page.Message(), "Set optimization parameter");
}

}  // namespace
