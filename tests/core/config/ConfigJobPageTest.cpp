#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ConfigJobTest, FiveItemJobSetsAllThenReadsAllAndReportsOnceAtTheEnd) {
    for (const bool stuck : {false, true}) {
        FakeMainWindow main;
        FakePrompt prompt;
        CPropPageReader page(main, prompt);
        page.OnCreate();
        page.SetStatus("Configure reader", 50);
        ASSERT_EQ(page.StartSetJob(0x32, 0x01), 0);
        for (const auto& [address, value] :
             {std::pair<uint8_t, uint8_t>{0x36, 0x01}, {0x35, 0x01}, {0x34, 0x32}, {0x3E, 0x49}}) {
            ASSERT_EQ(page.AddSetItem(address, value), 0);
        }
        JobRun run;
        if (stuck) {
            run.stuck[0x35] = 0x03;  // this reader keeps its old delay
        }
        run.Run(main, page, 60, true);
        const std::vector<Bytes> expected = {
            {0x28, 0x32, 0x01}, {0x28, 0x36, 0x01}, {0x28, 0x35, 0x01}, {0x28, 0x34, 0x32},
            {0x28, 0x3E, 0x49}, {0x29, 0x32},       {0x29, 0x36},       {0x29, 0x35},
            {0x29, 0x34},       {0x29, 0x3E},
        };
        ASSERT_EQ(main.AllBytes(), expected);
        EXPECT_EQ(main.sent[4].GetDescription(), "Set Configuration request");
        EXPECT_EQ(page.Mismatch(), stuck);
        // Shown once the last read-back has come, not when the differing one came.
        const std::map<int, std::string> messages = {
            {run.sendings.back().first, stuck ? "Configure reader failed" : "Configure reader success"}};
        EXPECT_EQ(run.messages, messages) << stuck;
    }
}

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
        {CConfigPages::kReader,
         false,
         {{1, set}, {6, set}, {11, set}, {17, read}, {22, read}, {27, read}},
         {{16, "Set timeout failed"}, {72, ""}}},  // shown again at 32, which restarts its 40 ticks
        {CConfigPages::kOptimization,
         false,
         {{1, set}, {6, set}, {6, read}, {11, read}, {16, read}},
         {{21, "Set timeout failed"}, {61, ""}}},
        {CConfigPages::kAdditional,
         false,
         {{1, set}, {6, set}, {6, read}, {11, read}, {16, read}},
         {{21, "Configuration failed"}, {61, ""}}},
        // Answered at once, the read still waits for the next look five ticks on.
        {CConfigPages::kOptimization, true, {{1, set}, {6, read}}, {{6, "Set timeout success"}, {46, ""}}},
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
