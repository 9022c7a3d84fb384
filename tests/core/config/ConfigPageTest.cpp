#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A page with only the common machinery.
class ConfigPageTest : public ::testing::Test {
protected:
    void SetUp() override { page.OnCreate(); }
    void SendVersionRequest() {
        page.SetStatus("Get version", CConfigPage::kRequestTicks);
        page.SendRequest(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    }

    FakeMainWindow main;
    CPropPageBluetooth page{main};
};

TEST_F(ConfigPageTest, UnansweredRequestIsSentThreeTimesThenFailsAndTheMessageExpires) {
    SendVersionRequest();
    JobRun run;
    run.Run(main, page, 60, false);
    // The first left at once; the failure is shown for 40 ticks.
    const std::vector<std::pair<int, Bytes>> sendings = {{5, {0x09}}, {10, {0x09}}};
    EXPECT_EQ(run.sendings, sendings);
    EXPECT_EQ(run.messages, (std::map<int, std::string>{{15, "Get version failed"}, {55, ""}}));
    ASSERT_EQ(main.sent.size(), 3u);
    EXPECT_EQ(main.LastText(), " Get version request ");
    EXPECT_EQ(main.sent[2].IsRepeat(), 0) << "the queue must not repeat what the page repeats";
    EXPECT_EQ(page.StatusText(), "      ");
}

TEST(ConfigPageAnswerTest, AcknowledgeAfterTheSecondSendingEndsTheRepetition) {
    FakeMainWindow main;
    CPropPageLCD lcd(main);
    lcd.OnCreate();
    lcd.OnContrastSpin(+1);
    Tick(lcd, 5);
    Answer(lcd, Ack(Cmd::kSetLcdContrast));
    EXPECT_EQ(lcd.Message(), "Set LCD contrast success");
    JobRun run;
    run.Run(main, lcd, 60, false);
    EXPECT_EQ(main.sent.size(), 2u) << "no third transmission";
    EXPECT_EQ(run.messages, (std::map<int, std::string>{{40, ""}}));
}

TEST_F(ConfigPageTest, FailedAndSuccessTextsAreComposedOnce) {
    const char* rows[][3] = {
        {"Set timeout", "Set timeout failed", "Set timeout success"},
        {"Set timeout failed", "Set timeout failed", "Set timeout success"},        // not doubled
        {"Set timeout success", "Set timeout failed", "Set timeout success"},       // failed text kept
        {"Get version", "Get version failed", "Get version success"},               // a new request
        {"Configuration failed", "Configuration failed", "Configuration success"},  // first shown failed
    };
    for (const auto& [shown, failed, success] : rows) {
        page.SetStatus(shown, 40);
        EXPECT_EQ(page.FailedText(), failed) << shown;
        EXPECT_EQ(page.SuccessText(), success) << shown;
        EXPECT_EQ(page.StatusText(), std::string("      ") + shown);
    }
}

TEST_F(ConfigPageTest, ProgressStepAtTheTopOfTheRangeResetsAndStops) {
    page.SetProgressRange(0, 6);
    page.StepProgress(5);
    EXPECT_EQ(page.ProgressPosition(), 5);
    page.StepProgress(1);  // 5 + 1 is not below 6
    EXPECT_EQ(page.ProgressPosition(), 0);
    EXPECT_FALSE(page.ProgressActive());
    page.StepProgress(1);
    EXPECT_EQ(page.ProgressPosition(), 0) << "a stopped bar does not move";
}

TEST_F(ConfigPageTest, BottomBandCommandsGoToTheMainWindow) {
    page.OnApply();
    page.OnRead();
    page.OnLoad();
    page.OnSave();
    page.OnQuit();
    EXPECT_EQ(main.commands, (std::vector<std::pair<int, int>>{{7, 0}, {6, 0}, {9, 0}, {8, 0}, {2, 136}}));
}

TEST_F(ConfigPageTest, ResetAllAsksFirstAndIsLeftToTheQueueToRepeat) {
    page.OnResetAll();  // no one to ask: nothing is reset
    FakePrompt prompt;
    prompt.answer = false;
    page.SetPrompt(&prompt);
    page.OnResetAll();
    EXPECT_TRUE(main.sent.empty());
    EXPECT_EQ(prompt.questions,
              std::vector<std::string>{"Reset the reader's whole configuration to its defaults?"});
    prompt.answer = true;
    page.OnResetAll();
    EXPECT_EQ(main.LastText(), " Reset all request ");
    EXPECT_EQ(main.sent[0].GetKind(), kKindFrame);
    EXPECT_NE(main.sent[0].IsRepeat(), 0);
    Answer(page, Nak(Cmd::kResetAll));
    EXPECT_EQ(page.Message(), "Reset all");
    Tick(page, 60);
    EXPECT_EQ(main.AllBytes(), (std::vector<Bytes>{{0x18}})) << "the page itself never repeats it";
    Answer(page, Ack(Cmd::kResetAll));
    EXPECT_EQ(page.Message(), "Reset all success");
}

TEST_F(ConfigPageTest, CreatingTheWindowClearsThePendingRequest) {
    SendVersionRequest();
    page.SetProgressRange(0, 5);
    page.OnCreate();
    EXPECT_EQ(page.FailedText() + page.SuccessText(), "");
    EXPECT_FALSE(page.ProgressActive());
    EXPECT_EQ(page.StatusText(), "      ");
    Tick(page, 20);
    EXPECT_EQ(main.sent.size(), 1u);
}

}  // namespace
