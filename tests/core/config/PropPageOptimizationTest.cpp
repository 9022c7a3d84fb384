#include "core/config/ConfigTestSupport.h"
#include "core/config/PropPageOptimization.h"

#include <gtest/gtest.h>

namespace {

using Opt = CPropPageOptimization;

TEST(OptimizationPageTest, SetSendsTheSettingAndComparesTheReadBack) {
    struct Row {
        int setting;
        uint8_t sent;
        uint8_t readBack;
        const char* message;
    };
    const Row rows[] = {
        {Opt::kMedian, 0x02, 0x02, "Set optimization parameter success"},
        {Opt::kMedian, 0x02, 0x01, "Set optimization parameter failed"},
        {Opt::kNoSetting, 0x00, 0x00, "Set optimization parameter success"},
        {Opt::kVariableTiming, 0x03, 0x03, "Set optimization parameter success"},
    };
    for (const Row& row : rows) {
        FakeMainWindow main;
        Opt page(main);
        page.OnCreate();
        page.SetSetting(row.setting);
        page.OnSet();
        EXPECT_EQ(page.Message(), "Set optimization parameter");
        EXPECT_EQ(AnswerSetJob(main, page, row.readBack),
                  (std::vector<Bytes>{{0x28, 0x39, row.sent}, {0x29, 0x39}}));
        EXPECT_EQ(page.Message(), row.message);
        EXPECT_EQ(page.Setting(), row.setting) << "a set job's read-back leaves the radio buttons";
    }
}

TEST(OptimizationPageTest, GetShowsTheReadSetting) {
    const std::pair<uint8_t, int> rows[] = {
        {0x03, Opt::kVariableTiming}, {0x01, Opt::kHighSpeed}, {0x07, Opt::kHighNoise}};
    for (const auto& [value, shown] : rows) {
        FakeMainWindow main;
        Opt page(main);
        page.OnCreate();
        page.SetSetting(Opt::kMedian);
        page.OnGet();
        EXPECT_EQ(page.Message(), "Get optimization parameter");
        Tick(page);
        ASSERT_EQ(main.Last(), (Bytes{0x29, 0x39}));
        EXPECT_EQ(main.LastText(), "Read configuration request");
        Answer(page, Ack(Cmd::kGetConfig, {value}));
        EXPECT_EQ(page.Setting(), shown) << int(value);
        EXPECT_EQ(page.Message(), "Get optimization parameter success");
        EXPECT_EQ(page.Retries(), 0);
    }
}

TEST(OptimizationPageTest, NotAcknowledgedGetRunsIntoItsFailure) {
    FakeMainWindow main;
    Opt page(main);
    page.OnCreate();
    page.OnGet();
    Tick(page);
    Answer(page, Nak(Cmd::kGetConfig, {0x02}));
    EXPECT_EQ(page.Setting(), Opt::kHighNoise);
    Tick(page, 15);
    EXPECT_EQ(main.sent.size(), 3u);
    EXPECT_EQ(page.Message(), "Get optimization parameter failed");
}

TEST(OptimizationPageTest, StoreAndRecord) {
    FakeMainWindow main;
    Opt page(main);
    page.OnCreate();
    page.OnStoreConfig();
    EXPECT_EQ(main.Last(), (Bytes{0x2A}));
    Answer(page, Ack(Cmd::kSaveConfig));
    EXPECT_EQ(page.Message(), "Save configuration success");

    ConfigRecord record;
    record.timing = 9;
    page.ShowRecord(record);
    EXPECT_EQ(page.Setting(), Opt::kHighNoise);
    page.SetSetting(Opt::kHighSpeed);
    EXPECT_EQ(page.FillRecord(record), 0);
    EXPECT_EQ(record.timing, 1);
}

}  // namespace
