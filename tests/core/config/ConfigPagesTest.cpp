#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Records which pages were asked to create their window, so the walk over the pages can be seen.
class CountingView final : public IPageView {
public:
    void UpdateControls() override { ++updates; }
    void StoreControls() override { ++stores; }
    void UpdateProgress() override { ++progress; }
    int updates = 0;
    int stores = 0;
    int progress = 0;
};

TEST(ConfigPagesTest, PagesInSheetOrderWithCaptionsAndResources) {
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages(main, prompt);
    struct Row {
        const char* caption;
        int resource;
    };
    const Row rows[] = {{"Reader", 136}, {"Bluetooth", 137},  {"Events", 140},       {"RealTimeClock", 141},
                        {"LCD", 142},    {"Additional", 146}, {"Optimization", 147}, {"Output format", 148}};
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        EXPECT_STREQ(pages.Page(i).Caption(), rows[i].caption);
        EXPECT_EQ(pages.Page(i).ResourceId(), rows[i].resource);
    }
}

TEST(ConfigPagesTest, CollectAndShowGoThroughTheRecordPages) {
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages(main, prompt);
    pages.Reader().Fields().timeout = "2500";
    pages.Optimization().SetSetting(CPropPageOptimization::kVariableTiming);
    const ConfigRecord record = pages.Collect();
    EXPECT_EQ(record.format, 0x01);
    EXPECT_EQ(record.timeout, 25);
    EXPECT_EQ(record.startCharacter, 'I');
    EXPECT_EQ(record.timing, 3);

    ConfigRecord shown;
    shown.format = 0x03;
    shown.timing = 1;
    pages.ShowAll(shown);
    EXPECT_EQ(pages.Reader().Fields().format, CPropPageReader::kCompactCoding);
    EXPECT_EQ(pages.Optimization().Setting(), CPropPageOptimization::kHighSpeed);
}

TEST(ConfigPagesTest, PagesWithAWindowNotYetCreatedAreCreatedBeforeUse) {
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages(main, prompt);
    CountingView views[CConfigPages::kCount];
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        pages.Page(i).SetView(&views[i]);
    }
    pages.Page(0).EnsureCreated();
    pages.Reader().Fields().timeout = "100";

    ConfigRecord shown;
    shown.timing = 2;
    pages.ShowAll(shown);
    // Had the Optimization page been created after ShowRecord, its window would have reset it.
    EXPECT_EQ(pages.Optimization().Setting(), CPropPageOptimization::kMedian);
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        EXPECT_TRUE(pages.Page(i).IsCreated()) << i;
    }
    const ConfigRecord record = pages.Collect();
    EXPECT_EQ(record.timing, 2);
    EXPECT_GT(views[0].stores, 0) << "FillRecord takes the widgets' contents first";

    // A closed sheet: nothing to create, the fields are used as they are.
    pages.Page(6).SetView(nullptr);
    EXPECT_FALSE(pages.Page(6).IsCreated());
    pages.Collect();
    EXPECT_FALSE(pages.Page(6).IsCreated());
}

TEST(ConfigPagesTest, ProgressOnAllPages) {
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages(main, prompt);
    pages.SetProgressRangeAll(6);
    pages.StepProgressAll(1);
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        EXPECT_EQ(pages.Page(i).ProgressHigh(), 6);
        EXPECT_EQ(pages.Page(i).ProgressPosition(), 1);
    }
    pages.StepProgressAll(100);
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        EXPECT_FALSE(pages.Page(i).ProgressActive());
    }
}

TEST(ConfigPagesTest, TicksAnswersAndStatusReachOnlyTheNamedPage) {
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages(main, prompt);
    pages.Rtc().SetClock([] { return std::tm{}; });
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        pages.Page(i).OnCreate();
    }
    pages.Rtc().OnGet();
    pages.Lcd().OnContrastSpin(+1);
    for (int t = 0; t < 5; ++t) {
        pages.TickPage(CConfigPages::kRealTimeClock);
        pages.TickPage(-1);
        pages.TickPage(8);
    }
    EXPECT_EQ(main.sent.size(), 3u) << "the clock page repeats its request, the LCD page does not tick";
    const Bytes ack = Ack(0x54);
    pages.AnswerPage(CConfigPages::kRealTimeClock, static_cast<int>(ack.size()), ack.data());
    EXPECT_EQ(pages.Lcd().Retries(), 3);
    pages.AnswerPage(CConfigPages::kLcd, static_cast<int>(ack.size()), ack.data());
    EXPECT_EQ(pages.Lcd().Retries(), 0);
    pages.ShowMainStatus(CConfigPages::kAdditional, "Read/Write configuration failed");
    EXPECT_EQ(pages.Additional().StatusText(), "      Read/Write configuration failed");
    EXPECT_EQ(pages.Additional().MessageTicks(), 40);
    pages.ShowMainStatus(9, "x");
}

}  // namespace
