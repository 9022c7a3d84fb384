#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"
#include "core/link/Commands.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Sending {
    int tick;
    Bytes bytes;
    bool operator==(const Sending& o) const { return tick == o.tick && bytes == o.bytes; }
};

void PrintTo(const Sending& s, std::ostream* os) {
    *os << "tick " << s.tick << ":";
    for (const uint8_t b : s.bytes) {
        *os << " " << std::hex << static_cast<int>(b);
    }
}

// Ticks a page; the reader (when answering) acknowledges each request at once and reads back
// what was set, except for the addresses in `stuck`, which keep their old value.
struct JobRun {
    std::vector<Sending> sendings;
    std::map<int, std::string> messages;  // tick -> message shown from that tick on
    std::map<uint8_t, uint8_t> stored;
    std::map<uint8_t, uint8_t> stuck;

    void Run(FakeMainWindow& main, CConfigPage& page, int ticks, bool answering) {
        std::string last = page.Message();
        for (int t = 1; t <= ticks; ++t) {
            const size_t before = main.sent.size();
            page.OnTick();
            for (size_t i = before; i < main.sent.size(); ++i) {
                const Bytes b = FakeMainWindow::BytesOf(main.sent[i]);
                sendings.push_back({t, b});
                if (!answering) {
                    continue;
                }
                if (b[0] == Cmd::kSetConfig) {
                    stored[b[1]] = stuck.count(b[1]) != 0 ? stuck[b[1]] : b[2];
                    Answer(page, Ack(Cmd::kSetConfig));
                } else if (b[0] == Cmd::kGetConfig) {
                    Answer(page, Ack(Cmd::kGetConfig, {stored[b[1]]}));
                } else if (b[0] == Cmd::kSaveConfig) {
                    Answer(page, Ack(Cmd::kSaveConfig));
                }
            }
            if (page.Message() != last) {
                last = page.Message();
                messages[t] = last;
            }
        }
    }
};

TEST(ConfigJobTest, FiveItemJobSetsAllThenReadsAllInOrder) {
    FakeMainWindow main;
    FakePrompt prompt;
    CPropPageReader page(main, prompt);
    page.OnCreate();
    page.SetStatus("Configure reader", 50);
    ASSERT_EQ(page.StartSetJob(0x32, 0x01), 0);
    ASSERT_EQ(page.AddSetItem(0x36, 0x01), 0);
    ASSERT_EQ(page.AddSetItem(0x35, 0x01), 0);
    ASSERT_EQ(page.AddSetItem(0x34, 0x32), 0);
    ASSERT_EQ(page.AddSetItem(0x3E, 0x49), 0);

    JobRun run;
    run.Run(main, page, 60, true);
    const std::vector<Bytes> expected = {
        {0x28, 0x32, 0x01}, {0x28, 0x36, 0x01}, {0x28, 0x35, 0x01}, {0x28, 0x34, 0x32}, {0x28, 0x3E, 0x49},
        {0x29, 0x32},       {0x29, 0x36},       {0x29, 0x35},       {0x29, 0x34},       {0x29, 0x3E},
    };
    ASSERT_EQ(run.sendings.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(run.sendings[i].bytes, expected[i]) << i;
        EXPECT_EQ(main.sent[i].GetDescription(),
                  i < 5 ? "Set Configuration request" : "Read configuration request");
    }
    EXPECT_EQ(page.Message(), "Configure reader success");
    EXPECT_FALSE(page.Mismatch());
}

TEST(ConfigJobTest, OneDifferingReadBackShowsTheFailedText) {
    FakeMainWindow main;
    FakePrompt prompt;
    CPropPageReader page(main, prompt);
    page.OnCreate();
    page.SetStatus("Configure reader", 50);
    page.StartSetJob(0x32, 0x01);
    page.AddSetItem(0x36, 0x01);
    page.AddSetItem(0x35, 0x01);
    page.AddSetItem(0x34, 0x32);
    page.AddSetItem(0x3E, 0x49);

    // This reader keeps its old delay: the third read-back differs.
    JobRun run;
    run.stuck[0x35] = 0x03;
    run.Run(main, page, 60, true);
    ASSERT_EQ(run.sendings.size(), 10u);
    EXPECT_TRUE(page.Mismatch());
    // Shown once, when the last read-back has come, not when the differing one came.
    const std::map<int, std::string> expected = {{run.sendings.back().tick, "Configure reader failed"}};
    run.messages.erase(50);
    EXPECT_EQ(run.messages, expected);
}

TEST(ConfigJobTest, ListsHoldTwentyItems) {
    FakeMainWindow main;
    CPropPageOptimization page(main);
    page.OnCreate();
    page.ResetJobs();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(page.AddSetItem(0x30, static_cast<uint8_t>(i)), 0);
        EXPECT_EQ(page.AddCheckItem(0x30), 0);
    }
    EXPECT_EQ(page.AddSetItem(0x30, 0x55), -1);
    EXPECT_EQ(page.AddCheckItem(0x30), -1);
}

// Without a reader, the Reader page waits for each give-up; Additional and Optimization move on
// every five ticks and send the next request right after the last repeat of the previous one.
TEST(ConfigJobTest, PacingWithoutAnswers) {
    struct Row {
        const char* name;
        std::vector<Sending> sendings;
        std::map<int, std::string> messages;
    };
    const Bytes set{0x28, 0x34, 0x32};
    const Bytes read{0x29, 0x34};
    const Row rows[] = {
        {"Reader",
         {{1, set}, {6, set}, {11, set}, {17, read}, {22, read}, {27, read}},
         {{16, "Set timeout failed"}, {72, ""}}},  // shown again at 32, which restarts its 40 ticks
        {"Optimization",
         {{1, set}, {6, set}, {6, read}, {11, read}, {16, read}},
         {{21, "Set timeout failed"}, {61, ""}}},
        {"Additional",
         {{1, set}, {6, set}, {6, read}, {11, read}, {16, read}},
         {{21, "Configuration failed"}, {61, ""}}},
    };
    for (const Row& row : rows) {
        FakeMainWindow main;
        FakePrompt prompt;
        CConfigPages pages(main, prompt);
        CConfigJobPage& page =
            std::string(row.name) == "Reader"         ? static_cast<CConfigJobPage&>(pages.Reader())
            : std::string(row.name) == "Optimization" ? static_cast<CConfigJobPage&>(pages.Optimization())
                                                      : static_cast<CConfigJobPage&>(pages.Additional());
        page.OnCreate();
        page.SetStatus("Set timeout", 50);
        page.StartSetJob(0x34, 0x32);
        JobRun run;
        run.Run(main, page, 80, false);
        EXPECT_EQ(run.sendings, row.sendings) << row.name;
        // The request's own message expiring at tick 50 is not of interest here.
        run.messages.erase(50);
        EXPECT_EQ(run.messages, row.messages) << row.name;
    }
}

TEST(ConfigJobTest, AnsweredJobOnEveryLookPagesReadsFiveTicksAfterTheSet) {
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages(main, prompt);
    CPropPageOptimization& page = pages.Optimization();
    page.OnCreate();
    page.SetSetting(CPropPageOptimization::kMedian);
    page.OnSet();
    JobRun run;
    run.Run(main, page, 30, true);
    const std::vector<Sending> expected = {{1, {0x28, 0x39, 0x02}}, {6, {0x29, 0x39}}};
    EXPECT_EQ(run.sendings, expected);
    EXPECT_EQ(page.Message(), "Set optimization parameter success");
}

TEST(ConfigJobTest, StrayReadBackBeforeAnyReadIsNotCompared) {
    FakeMainWindow main;
    CPropPageOptimization page(main);
    page.OnCreate();
    page.SetStatus("Set optimization parameter", 50);
    page.StartSetJob(0x39, 0x01);
    Tick(page);  // the set request is out; no read request yet
    ASSERT_EQ(main.Last(), (Bytes{0x28, 0x39, 0x01}));
    Answer(page, Ack(Cmd::kGetConfig, {0x07}));
    EXPECT_FALSE(page.Mismatch());
    EXPECT_EQ(page.Message(), "Set optimization parameter");
}

}  // namespace
