// Where the main window sends what it receives and transmits, and how it drives the pages.
#include "AppFakes.h"

#include "core/link/Commands.h"

#include <gtest/gtest.h>

namespace {

class DispatchTest : public ::testing::Test {
protected:
    DispatchTest() : dlg(port, view, prompt) {
        AppSettings settings;
        settings.port = 1;
        settings.node = 1;
        dlg.Start(settings, {});
        dlg.SetConfigPages(&pages);
        dlg.SetConfigSequence(&sequence);
        port.writes.clear();
    }
    void Receive(const std::vector<uint8_t>& bytes) {
        dlg.OnRxBytes(bytes.data(), static_cast<int>(bytes.size()));
    }

    FakePort port;
    FakeView view;
    FakePrompt prompt;
    FakePages pages;
    FakeSequence sequence;
    CReaderToolDlg dlg;
};

// Each window records its caption into one shared log, so the order across windows shows.
struct LoggingWindow final : IToolWindow {
    LoggingWindow(std::string name, std::vector<std::string>& log) : caption(std::move(name)), events(log) {}
    void OnRxBytes(const uint8_t*, int) override { events.push_back(caption + " rx"); }
    void OnTxBytes(const std::string&) override { events.push_back(caption + " tx"); }
    void OnResponse(const uint8_t*, int) override { events.push_back(caption + " response"); }
    void OnTick() override { events.push_back(caption + " tick"); }
    std::string caption;
    std::vector<std::string>& events;
};

TEST_F(DispatchTest, WindowsGetBytesAnswersAndTicksInOrder) {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<LoggingWindow>> windows;
    for (const char* caption : {Caption::kDiagnosis, Caption::kLcdConfiguration, Caption::kDatabase,
                                Caption::kMemory, Caption::kTestTools, Caption::kBluetooth, Caption::kMonitor,
                                Caption::kAnimalCounter, Caption::kRealTimeClock}) {
        windows.push_back(std::make_unique<LoggingWindow>(caption, log));
        dlg.Windows().Register(caption, windows.back().get());
    }
    Receive(AnswerWire({Cmd::kVersion}));
    EXPECT_EQ(log, (std::vector<std::string>{"Monitor rx", "Bluetooth rx", "Testtools response",
                                             "Memory response", "Database response",
                                             "LCD configuration response", "Diagnosis response"}));
    log.clear();
    Receive(AnswerWire({Cmd::kGetClock, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}));
    EXPECT_EQ(log.back(), "Real time clock response");
    log.clear();
    Receive(AnswerWire({6, 1, 2, 3, 4, 5, 3, 0, 5}, 0x23));
    EXPECT_EQ(log.back(), "Animal Counter response");
    log.clear();
    dlg.OnSendNow(CTelegram(Cmd::kConnect, Desc::kConnect, kKindFrame));
    EXPECT_EQ(log, (std::vector<std::string>{"Monitor tx", "Bluetooth tx"}));
    log.clear();
    dlg.OnTimer();
    EXPECT_EQ(log,
              (std::vector<std::string>{"Memory tick", "Database tick", "Testtools tick", "Bluetooth tick"}));
    log.clear();
    dlg.Disconnect();
    dlg.OnSendNow(CTelegram(Cmd::kConnect, Desc::kConnect, kKindFrame));
    EXPECT_TRUE(log.empty());
}

TEST_F(DispatchTest, PagesGetTicksAndAnswersOnlyWhileTheSheetIsOpenAndNoSequenceRuns) {
    Receive(AnswerWire({Cmd::kVersion}));
    dlg.OnTimer();
    EXPECT_TRUE(pages.answers.empty());
    EXPECT_TRUE(pages.ticks.empty());

    dlg.OnConfigurationButton();
    view.sheet.active = 3;
    Receive(AnswerWire({Cmd::kGetClock}));
    dlg.OnTimer();
    EXPECT_EQ(pages.answers, (std::vector<std::pair<int, uint8_t>>{{3, Cmd::kGetClock}}));
    EXPECT_EQ(pages.ticks, std::vector<int>{3});

    sequence.running = true;
    Receive(AnswerWire({Cmd::kGetConfig, 0x34, 50}));
    EXPECT_EQ(pages.answers.size(), 1u);
    EXPECT_EQ(sequence.answers, 3);

    sequence.completeOnAnswer = true;
    Receive(AnswerWire({Cmd::kGetConfig, 0x34, 50}));
    EXPECT_EQ(pages.shown, 1);
}

TEST_F(DispatchTest, WholeConfigurationCommandsAndSteps) {
    dlg.OnConfigurationButton();
    dlg.OnMainCommand(MainCommand::kReadConfig, 0);
    EXPECT_EQ(pages.ranges, std::vector<int>{4});
    dlg.OnMainCommand(MainCommand::kWriteConfig, 0);  // ignored while a sequence runs
    EXPECT_EQ(pages.collected, 0);
    sequence.running = false;
    dlg.OnMainCommand(MainCommand::kWriteConfig, 0);
    EXPECT_EQ(pages.collected, 1);
    EXPECT_EQ(pages.ranges, (std::vector<int>{4, 4}));

    // A step goes out even in a tick whose queue step transmitted, and advances every progress bar.
    CTelegram queued(Cmd::kVersion, Desc::kVersion, kKindFrame);
    queued.ClearRepeat();
    dlg.OnSendTelegram(queued);
    sequence.script = {IConfigSequence::kStep, IConfigSequence::kRepeat, IConfigSequence::kGiveUp};
    dlg.OnTimer();
    ASSERT_EQ(port.Payloads().size(), 2u);
    EXPECT_EQ(port.Payloads()[0][0], Cmd::kVersion);
    EXPECT_EQ(port.Payloads()[1][0], Cmd::kGetConfig);
    EXPECT_EQ(dlg.KeepAliveTicks(), 40);
    dlg.OnTimer();
    EXPECT_EQ(port.Payloads().size(), 3u);
    EXPECT_EQ(pages.steps, std::vector<int>{1});  // a repeat does not advance
    dlg.OnTimer();
    EXPECT_EQ(sequence.stopped, 1);
    EXPECT_EQ(pages.steps, (std::vector<int>{1, 100}));
    EXPECT_EQ(pages.statuses,
              (std::vector<std::pair<int, std::string>>{{0, "Read/Write configuration failed"}}));
}

TEST_F(DispatchTest, SequenceStepsStopWhileTheTestConnectBoxIsSet) {
    dlg.SetTestMode(true);
    sequence.script = {IConfigSequence::kStep};
    dlg.OnTimer();
    dlg.OnTimer();
    EXPECT_EQ(sequence.script.size(), 1u);
}

TEST_F(DispatchTest, TagLinesOfFullLengthAskForTheirEvent) {
    dlg.SetEventLookup([](const std::string&, std::array<uint8_t, 24>& record) {
        record.fill('E');
        return true;
    });
    dlg.OnMainCommand(MainCommand::kEventDatabase, 1);
    const std::string shortLine = "1234567890\r\n";
    Receive(std::vector<uint8_t>(shortLine.begin(), shortLine.end()));
    EXPECT_EQ(dlg.QueuedCount(), 0);
    const std::string fullLine = "984 000123456789\r\n";
    Receive(std::vector<uint8_t>(fullLine.begin(), fullLine.end()));
    EXPECT_EQ(dlg.QueuedCount(), 1);
    dlg.OnTimer();
    ASSERT_EQ(port.Payloads().size(), 1u);
    const auto payload = port.Payloads()[0];
    ASSERT_EQ(payload.size(), 26u);
    EXPECT_EQ(payload[0], Cmd::kShowEvent);
    EXPECT_EQ(payload[1], 0x00);
    EXPECT_EQ(payload[25], 'E');
}

TEST_F(DispatchTest, RepeatsCarryTheRequestThatLeftTheQueueLast) {
    dlg.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    CTelegram second(Cmd::kGetSnr, Desc::kGetSnr, kKindFrame);
    second.ClearRepeat();
    dlg.OnSendTelegram(second);
    for (int i = 0; i < 12; ++i) {
        dlg.OnTimer();
    }
    std::vector<uint8_t> codes;
    for (const auto& p : port.Payloads()) {
        codes.push_back(p[0]);
    }
    EXPECT_EQ(codes, (std::vector<uint8_t>{Cmd::kVersion, Cmd::kGetSnr, Cmd::kGetSnr, Cmd::kGetSnr}));
}

TEST_F(DispatchTest, SendNowRepeatsAfterFiveTicks) {
    dlg.OnSendNow(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    for (int i = 0; i < 12; ++i) {
        dlg.OnTimer();
    }
    EXPECT_EQ(port.Payloads().size(), 3u);
}

TEST_F(DispatchTest, SelectedNodeGoesOnTheWire) {
    dlg.OnNodeSelected(15);
    dlg.OnSendNow(CTelegram(Cmd::kConnect, Desc::kConnect, kKindFrame));
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0][3], 0x11);

    FakePort other;
    FakeView otherView;
    CReaderToolDlg fresh(other, otherView, prompt);
    AppSettings settings;
    settings.port = 1;
    settings.node = 0x0A;
    fresh.Start(settings, {});
    EXPECT_EQ(fresh.NodeIndex(), 9);
}

TEST_F(DispatchTest, UnframeablePayloadReportsFailureAndIsNotRepeated) {
    CTelegram big(Cmd::kRouteBluetooth, "route", kKindFrame);
    for (int i = 0; i < 50; ++i) {
        big.AppendByte('A');
    }
    dlg.OnSendTelegram(big);
    EXPECT_EQ(dlg.SendTelegram(big), -1);
    for (int i = 0; i < 12; ++i) {
        dlg.OnTimer();
    }
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(dlg.AnswerRetries(), 0);
}

TEST(TrafficTextEscapes, EscapedControlBytesDoNotEndTheText) {
    CFrameParser codec;
    uint8_t frame[CFrameParser::kMaxFrame] = {0x10, 0x03, 0x02};
    const int n = codec.BuildFrame(frame, 3, 0);
    std::fill(frame + n, frame + CFrameParser::kMaxFrame, 0xAA);
    const std::string text = CReaderToolDlg::BuildTrafficText(kKindFrame, 3, frame, "|");
    EXPECT_EQ(text.substr(0, 33), "00 00 02 01 f0 10 10 10 03 10 02 ");
    EXPECT_EQ(text.size(), static_cast<size_t>(n) * 3 + 1) << text;
    EXPECT_EQ(text.substr(text.size() - 4), "03 |");
}

}  // namespace
