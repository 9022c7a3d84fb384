#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"
#include "core/link/Commands.h"

#include <gtest/gtest.h>

namespace {

// A page with only the common machinery.
class ConfigPageTest : public ::testing::Test {
protected:
    void SetUp() override { page.OnCreate(); }

    // Ticks until `ticks`, noting in which tick each transmission left and when the message
    // changed.
    std::vector<int> RunTicks(int ticks) {
        std::vector<int> sendTicks;
        for (int t = 1; t <= ticks; ++t) {
            const size_t before = main.sent.size();
            page.OnTick();
            if (main.sent.size() != before) {
                sendTicks.push_back(t);
            }
            messages.emplace_back(page.Message());
        }
        return sendTicks;
    }
    // The first tick (1-based) at which the message was text.
    int FirstTickShowing(const std::string& text) const {
        for (size_t i = 0; i < messages.size(); ++i) {
            if (messages[i] == text) {
                return static_cast<int>(i) + 1;
            }
        }
        return -1;
    }

    FakeMainWindow main;
    CPropPageBluetooth page{main};
    std::vector<std::string> messages;
};

TEST_F(ConfigPageTest, UnansweredRequestIsSentThreeTimesThenFailsAndTheMessageExpires) {
    page.SetStatus("Get version", CConfigPage::kRequestTicks);
    page.SendRequest(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    const std::vector<int> sendTicks = RunTicks(60);

    EXPECT_EQ(main.sent.size(), 3u);
    EXPECT_EQ(sendTicks, (std::vector<int>{5, 10}));  // the first left at tick 0
    for (const CTelegram& t : main.sent) {
        EXPECT_EQ(FakeMainWindow::BytesOf(t), (Bytes{0x09}));
        EXPECT_EQ(t.GetDescription(), " Get version request ");
        EXPECT_EQ(t.IsRepeat(), 0) << "the queue must not repeat what the page repeats";
    }
    EXPECT_EQ(FirstTickShowing("Get version failed"), 15);
    EXPECT_EQ(messages[53], "Get version failed");  // tick 54
    EXPECT_EQ(messages[54], "");                    // tick 55: 40 ticks after the failure
    EXPECT_EQ(page.StatusText(), "      ");
    EXPECT_EQ(page.Retries(), 0);
}

TEST(ConfigPageAnswerTest, AcknowledgeAfterTheSecondSendingEndsTheRepetition) {
    FakeMainWindow main;
    CPropPageLCD lcd(main);
    lcd.OnCreate();
    lcd.SetContrast(3);
    lcd.OnContrastSpin(+1);
    Tick(lcd, 5);
    ASSERT_EQ(main.sent.size(), 2u);
    Answer(lcd, Ack(Cmd::kSetLcdContrast));
    EXPECT_EQ(lcd.Message(), "Set LCD contrast success");
    Tick(lcd, 39);
    EXPECT_EQ(main.sent.size(), 2u) << "no third transmission";
    EXPECT_EQ(lcd.Message(), "Set LCD contrast success");
    Tick(lcd, 1);
    EXPECT_EQ(lcd.Message(), "");
}

TEST_F(ConfigPageTest, FailedAndSuccessTextsAreComposedOnce) {
    struct Row {
        const char* shown;
        const char* failed;
        const char* success;
    };
    const Row rows[] = {
        {"Set timeout", "Set timeout failed", "Set timeout success"},
        {"Set timeout failed", "Set timeout failed", "Set timeout success"},   // not doubled
        {"Set timeout success", "Set timeout failed", "Set timeout success"},  // failed text kept
        {"Get version", "Get version failed", "Get version success"},          // a new request
    };
    for (const Row& row : rows) {
        page.SetStatus(row.shown, 40);
        EXPECT_EQ(page.Message(), row.shown);
        EXPECT_EQ(page.FailedText(), row.failed) << row.shown;
        EXPECT_EQ(page.SuccessText(), row.success) << row.shown;
        EXPECT_EQ(page.StatusText(), std::string("      ") + row.shown);
    }
}

TEST_F(ConfigPageTest, ProgressStepAtTheTopOfTheRangeResetsAndStops) {
    page.StepProgress(1);
    EXPECT_EQ(page.ProgressPosition(), 0) << "inactive bar does not move";
    page.SetProgressRange(0, 6);
    EXPECT_TRUE(page.ProgressActive());
    page.StepProgress(1);
    page.StepProgress(4);
    EXPECT_EQ(page.ProgressPosition(), 5);
    page.StepProgress(1);  // 5 + 1 is not below 6
    EXPECT_EQ(page.ProgressPosition(), 0);
    EXPECT_FALSE(page.ProgressActive());
    page.StepProgress(1);
    EXPECT_EQ(page.ProgressPosition(), 0);
    page.SetProgressRange(0, 30);
    page.StepProgress(100);
    EXPECT_EQ(page.ProgressPosition(), 0);
    EXPECT_FALSE(page.ProgressActive());
}

TEST_F(ConfigPageTest, BottomBandCommandsGoToTheMainWindow) {
    page.OnApply();
    page.OnRead();
    page.OnLoad();
    page.OnSave();
    page.OnQuit();
    const std::vector<std::pair<int, int>> expected = {{7, 0}, {6, 0}, {9, 0}, {8, 0}, {2, 136}};
    EXPECT_EQ(main.commands, expected);
}

TEST_F(ConfigPageTest, ResetAllIsLeftToTheQueueToRepeat) {
    page.OnResetAll();
    ASSERT_EQ(main.sent.size(), 1u);
    EXPECT_EQ(main.Last(), (Bytes{0x18}));
    EXPECT_EQ(main.sent[0].GetDescription(), " Reset all request ");
    EXPECT_EQ(main.sent[0].GetKind(), kKindFrame);
    EXPECT_NE(main.sent[0].IsRepeat(), 0);
    EXPECT_EQ(page.Message(), "Reset all");
    RunTicks(60);
    EXPECT_EQ(main.sent.size(), 1u) << "the page itself never repeats it";

    page.OnResetAll();
    Answer(page, Nak(Cmd::kResetAll));
    EXPECT_EQ(page.Message(), "Reset all");
    Answer(page, Ack(Cmd::kResetAll));
    EXPECT_EQ(page.Message(), "Reset all success");
}

TEST_F(ConfigPageTest, CreatingTheWindowClearsThePendingRequest) {
    page.SetStatus("Get version", 50);
    page.SendRequest(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    page.SetProgressRange(0, 5);
    page.OnCreate();
    EXPECT_EQ(page.Retries(), 0);
    EXPECT_EQ(page.WaitTicks(), 0);
    EXPECT_EQ(page.FailedText(), "");
    EXPECT_EQ(page.SuccessText(), "");
    EXPECT_FALSE(page.ProgressActive());
    EXPECT_EQ(page.StatusText(), "      ");
    RunTicks(20);
    EXPECT_EQ(main.sent.size(), 1u);
}

}  // namespace
