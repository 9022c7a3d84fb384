#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class ConfigPagesTest : public ::testing::Test {
protected:
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages{main, prompt};
};

TEST_F(ConfigPagesTest, CollectAndShowGoThroughTheRecordPages) {
    ConfigRecord shown;
    shown.format = 0x21;
    shown.timeout = 12;
    shown.startCharacter = 0x0D;
    shown.version = "V3.00";
    shown.serialNumber = "000777";
    shown.timing = 9;  // unknown to the reader
    shown.switchOffTime = 700;
    pages.ShowAll(shown);
    const CPropPageReader::Controls& f = pages.Reader().Fields();
    EXPECT_EQ(f.format, CPropPageReader::kAscii);
    EXPECT_TRUE(f.scpChecked);
    const std::vector<std::string> texts = {f.timeout, f.startCharacter, f.version, f.serialNumber};
    EXPECT_EQ(texts, (std::vector<std::string>{"1200", "0x0d", "V3.00", "000777"}));
    EXPECT_EQ(pages.Optimization().Setting(), CPropPageOptimization::kHighNoise);

    // timeout, start character -> the record's timeout and start character, or the whole record
    // refused (its old 7 and 'Q' kept) with the reason; an empty start character is 0.
    const std::tuple<const char*, const char*, int, int, const char*> rows[] = {
        {"2500", "S", 25, 'S', ""},
        {"100", "", 1, 0, ""},
        {"-100", "S", 7, 'Q', "Timeout: milliseconds as a whole number"},
        {"", "S", 7, 'Q', "Timeout: milliseconds as a whole number"},
        {"30000", "S", 7, 'Q', "Timeout greater 25500 ms not possible"},
        {"2500", "300", 7, 'Q', "Start character greater 255 not possible"},
        {"2500", "ab", 7, 'Q', "Start character: one character, 0 to 255 or 0x00 to 0xff"},
    };
    for (const auto& [timeout, start, recordTimeout, recordStart, message] : rows) {
        pages.Reader().OnCreate();
        pages.Reader().Fields().timeout = timeout;
        pages.Reader().Fields().startCharacter = start;
        ConfigRecord record;
        record.timeout = 7;
        record.startCharacter = 'Q';
        EXPECT_EQ(pages.Reader().FillRecord(record), *message == 0 ? 0 : -1) << timeout << start;
        EXPECT_EQ(record.timeout, recordTimeout) << timeout;
        EXPECT_EQ(record.startCharacter, recordStart) << start;
        EXPECT_EQ(pages.Reader().Message(), message);
        ConfigRecord collected;
        EXPECT_EQ(pages.Collect(collected), *message == 0 ? 0 : -1);
    }
    pages.Reader().Fields().startCharacter = "S";
    pages.Reader().OnFormatChosen(CPropPageReader::kShortAscii16);
    pages.Optimization().SetSetting(CPropPageOptimization::kVariableTiming);
    ConfigRecord record;
    ASSERT_EQ(pages.Collect(record), 0);
    EXPECT_EQ(record.format, 0x17);
    EXPECT_EQ(record.timing, 3);
}

TEST_F(ConfigPagesTest, PagesWithAWindowNotYetCreatedAreCreatedBeforeUse) {
    class CountingView final : public IPageView {
    public:
        void UpdateControls() override {}
        void StoreControls() override { ++stores; }
        void UpdateProgress() override {}
        int stores = 0;
    } views[CConfigPages::kCount];
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        pages.Page(i).SetView(&views[i]);
    }
    pages.Page(0).EnsureCreated();
    pages.Reader().Fields().timeout = "100";
    ConfigRecord shown;
    shown.timing = 2;
    shown.switchOffTime = 700;
    pages.ShowAll(shown);
    // Had the Optimization page been created after ShowRecord, its window would have reset it.
    EXPECT_EQ(pages.Optimization().Setting(), CPropPageOptimization::kMedian);
    ConfigRecord collected;
    EXPECT_EQ(pages.Collect(collected), 0);
    EXPECT_EQ(collected.timing, 2);
    EXPECT_GT(views[0].stores, 0) << "FillRecord takes the widgets' contents first";

    EXPECT_TRUE(pages.Page(7).IsCreated());
    // A closed sheet: nothing to create, the fields are used as they are.
    pages.Page(7).SetView(nullptr);
    pages.Collect(collected);
    EXPECT_FALSE(pages.Page(7).IsCreated());
}

TEST_F(ConfigPagesTest, ProgressOnAllPages) {
    pages.SetProgressRangeAll(6);
    pages.StepProgressAll(1);
    std::vector<std::pair<int, int>> shown;
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        shown.emplace_back(pages.Page(i).ProgressPosition(), pages.Page(i).ProgressHigh());
    }
    EXPECT_EQ(shown, (std::vector<std::pair<int, int>>(CConfigPages::kCount, {1, 6})));
}

TEST_F(ConfigPagesTest, TicksAnswersAndStatusReachOnlyTheNamedPage) {
    pages.Rtc().SetClock(&PinnedTime);
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
    const Bytes ack = Ack(Cmd::kSetLcdContrast);
    pages.AnswerPage(CConfigPages::kRealTimeClock, static_cast<int>(ack.size()), ack.data());
    EXPECT_EQ(pages.Lcd().Retries(), 3);
    pages.AnswerPage(CConfigPages::kLcd, static_cast<int>(ack.size()), ack.data());
    EXPECT_EQ(pages.Lcd().Retries(), 0);
    pages.ShowMainStatus(CConfigPages::kAdditional, "Read/Write configuration failed");
    EXPECT_EQ(pages.Additional().StatusText(), "      Read/Write configuration failed");
    EXPECT_EQ(pages.Additional().MessageTicks(), 40);
    pages.ShowMainStatus(9, "x");  // out of range: ignored, not a crash
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        EXPECT_NE(pages.Page(i).Message(), "x") << i;
    }
}

}  // namespace
