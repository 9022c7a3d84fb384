#include "AppFakes.h"

#include "core/link/Commands.h"

#include <gtest/gtest.h>

namespace {

class RequestEngineTest : public ::testing::Test {
protected:
    RequestEngineTest() : dlg(port, view, prompt) {
        AppSettings settings;
        settings.port = 1;
        settings.node = 1;
        dlg.Start(settings, {});
        port.writes.clear();
    }

    // Runs n ticks and returns, for each, the command codes written in it.
    std::vector<std::vector<uint8_t>> Ticks(int n) {
        std::vector<std::vector<uint8_t>> perTick;
        for (int i = 0; i < n; ++i) {
            const size_t before = port.writes.size();
            dlg.OnTimer();
            std::vector<uint8_t> codes;
            for (size_t w = before; w < port.writes.size(); ++w) {
                FakePort one;
                one.writes.push_back(port.writes[w]);
                codes.push_back(one.Payloads().at(0).at(0));
            }
            perTick.push_back(codes);
        }
        return perTick;
    }

    void Receive(const std::vector<uint8_t>& bytes) {
        dlg.OnRxBytes(bytes.data(), static_cast<int>(bytes.size()));
    }

    FakePort port;
    FakeView view;
    FakePrompt prompt;
    CReaderToolDlg dlg;
};

TEST_F(RequestEngineTest, QueueHoldsTwentyAndSendsOnePerTickInOrder) {
    for (int i = 0; i < 21; ++i) {
        CTelegram t(static_cast<uint8_t>(0x40 + i), "request", kKindFrame);
        t.ClearRepeat();
        dlg.OnSendTelegram(t);
    }
    EXPECT_EQ(dlg.QueuedCount(), 20);
    const auto ticks = Ticks(22);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(ticks[static_cast<size_t>(i)].size(), 1u) << "tick " << i;
        EXPECT_EQ(ticks[static_cast<size_t>(i)][0], 0x40 + i);
    }
    EXPECT_TRUE(ticks[20].empty());
    EXPECT_TRUE(ticks[21].empty());
}

TEST_F(RequestEngineTest, UnansweredRepeatRequestIsSentThreeTimes) {
    dlg.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    const auto ticks = Ticks(30);
    std::vector<int> sentAt;
    for (size_t i = 0; i < ticks.size(); ++i) {
        for (uint8_t code : ticks[i]) {
            EXPECT_EQ(code, Cmd::kVersion);
            sentAt.push_back(static_cast<int>(i));
        }
    }
    EXPECT_EQ(sentAt, (std::vector<int>{0, 5, 10}));
}

TEST_F(RequestEngineTest, AnswerAfterFirstSendingStopsRepeats) {
    dlg.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    Ticks(2);
    Receive(AnswerWire({Cmd::kVersion, 'V', '1'}));
    EXPECT_EQ(dlg.AnswerRetries(), 0);
    const auto ticks = Ticks(20);
    for (const auto& t : ticks) {
        EXPECT_TRUE(t.empty());
    }
    EXPECT_EQ(port.Payloads().size(), 1u);
}

TEST_F(RequestEngineTest, AnswerForAnotherCommandDoesNotStopRepeats) {
    dlg.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    Ticks(1);
    Receive(AnswerWire({Cmd::kGetSnr, '1'}));
    Ticks(12);
    EXPECT_EQ(port.Payloads().size(), 3u);
}

TEST_F(RequestEngineTest, ResetAllHoldsTheTimerFiveTicksUnlessAFrameArrives) {
    CTelegram reset(Cmd::kResetAll, Desc::kResetAll, kKindFrame);
    reset.ClearRepeat();
    dlg.OnSendTelegram(reset);
    CTelegram next(Cmd::kVersion, Desc::kVersion, kKindFrame);
    next.ClearRepeat();
    dlg.OnSendTelegram(next);
    auto ticks = Ticks(7);
    EXPECT_EQ(ticks[0], std::vector<uint8_t>{Cmd::kResetAll});
    for (int i = 1; i <= 5; ++i) {
        EXPECT_TRUE(ticks[static_cast<size_t>(i)].empty()) << "tick " << i;
    }
    EXPECT_EQ(ticks[6], std::vector<uint8_t>{Cmd::kVersion});

    // A frame ends the hold-off at once.
    dlg.OnSendTelegram(reset);
    dlg.OnSendTelegram(next);
    Ticks(1);
    Receive(AnswerWire({Cmd::kResetAll}));
    ticks = Ticks(1);
    EXPECT_EQ(ticks[0], std::vector<uint8_t>{Cmd::kVersion});
}

TEST_F(RequestEngineTest, EchoOfOwnFrameIsSwallowedOnce) {
    FakeToolWindow tools;
    dlg.Windows().Register(Caption::kTestTools, &tools);
    CTelegram connect(Cmd::kConnect, Desc::kConnect, kKindFrame);
    connect.ClearRepeat();
    dlg.OnSendTelegram(connect);
    Ticks(1);
    const auto sent = port.writes.at(0);
    Receive(sent);
    EXPECT_TRUE(tools.responses.empty());
    Receive(sent);
    ASSERT_EQ(tools.responses.size(), 1u);
    EXPECT_EQ(tools.responses[0], std::vector<uint8_t>(sent.begin() + 2, sent.end() - 1));
}

TEST_F(RequestEngineTest, TagLinesFillTheFields) {
    const std::string line16 = "984 000123456789\r\n";
    Receive(std::vector<uint8_t>(line16.begin(), line16.end()));
    EXPECT_EQ(view.tag, (std::vector<std::string>{"984 ", "000123456789", "", ""}));
    const std::string line10 = "1234567890\r\n";
    Receive(std::vector<uint8_t>(line10.begin(), line10.end()));
    EXPECT_EQ(view.tag, (std::vector<std::string>{"", "1234567890", "", ""}));
}

TEST_F(RequestEngineTest, TagDataMessageFillsFieldsAndStatus) {
    // Character form: 16 ID characters, type "05", no event.
    std::vector<uint8_t> body{0x23, 17};
    const std::string id = "0984000123456789";
    body.insert(body.end(), id.begin(), id.end());
    body.insert(body.end(), {3, '0', '5', 0});
    Receive(AnswerWire(std::vector<uint8_t>(body.begin() + 1, body.end()), 0x23));
    EXPECT_EQ(view.tag, (std::vector<std::string>{"0984", "000123456789", "FDX-B", ""}));
    EXPECT_EQ(dlg.StatusText(), CReaderToolDlg::kTagReceived);
}

TEST_F(RequestEngineTest, TagDataAnswersSingleIdRequest) {
    dlg.OnSendTelegram(CTelegram(Cmd::kGetSingleId, Desc::kGetSingleId, kKindFrame));
    Ticks(1);
    std::vector<uint8_t> body{6, 0x01, 0x02, 0x03, 0x04, 0x05, 3, 0x00, 0x01};
    Receive(AnswerWire(body, 0x23));
    EXPECT_EQ(dlg.AnswerRetries(), 0);
    EXPECT_EQ(view.tag[1], "0102030405");
}

TEST_F(RequestEngineTest, KeepAliveRunsWhileTheSheetIsOpen) {
    dlg.OnConfigurationButton();
    ASSERT_TRUE(dlg.IsSheetOpen());
    const auto ticks = Ticks(70);
    std::vector<int> connects;
    for (size_t i = 0; i < ticks.size(); ++i) {
        if (!ticks[i].empty()) {
            EXPECT_EQ(ticks[i][0], Cmd::kConnect);
            connects.push_back(static_cast<int>(i) + 1);
        }
    }
    // Two ticks after opening, then every 30 ticks after the three held-off ones.
    EXPECT_EQ(connects, (std::vector<int>{2, 35, 68}));

    dlg.OnConfigurationButton();
    EXPECT_EQ(view.sheet.raised, 1);
    EXPECT_EQ(view.sheetsCreated, 1);
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kConfigSheet);
    EXPECT_FALSE(dlg.IsSheetOpen());
    EXPECT_EQ(dlg.KeepAliveTicks(), 0);
}

TEST_F(RequestEngineTest, ClosingDatabaseKeepsKeepAliveWhileSheetOpen) {
    FakeToolWindow database;
    dlg.Windows().Register(Caption::kDatabase, &database);
    dlg.OnConfigurationButton();
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kDatabase);
    EXPECT_EQ(dlg.KeepAliveTicks(), 2);
    dlg.Windows().Register(Caption::kDatabase, &database);
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kConfigSheet);
    EXPECT_EQ(dlg.KeepAliveTicks(), 2);
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kDatabase);
    EXPECT_EQ(dlg.KeepAliveTicks(), 0);
}

TEST_F(RequestEngineTest, SendNowBypassesTheQueueAndRepeats) {
    CTelegram queued(Cmd::kGetSnr, Desc::kGetSnr, kKindFrame);
    queued.ClearRepeat();
    dlg.OnSendTelegram(queued);
    dlg.OnSendNow(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    ASSERT_EQ(port.Payloads().size(), 1u);
    EXPECT_EQ(port.Payloads()[0][0], Cmd::kVersion);
    EXPECT_EQ(dlg.QueuedCount(), 1);
    EXPECT_EQ(dlg.AnswerRetries(), 2);
}

TEST_F(RequestEngineTest, TextAndRawTransmissions) {
    CTelegram at(static_cast<uint8_t>('A'), "AT line", kKindText);
    at.AppendByte('T');
    at.ClearRepeat();
    dlg.OnSendNow(at);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], (std::vector<uint8_t>{'A', 'T', 0x0D}));

    CTelegram caret(0x5E, "caret", kKindText);
    caret.ClearRepeat();
    dlg.OnSendNow(caret);
    EXPECT_EQ(port.writes[1], (std::vector<uint8_t>{0x5E}));
    EXPECT_EQ(dlg.HoldOffTicks(), 2);

    CTelegram raw(0x0A, " WLAN Test ", kKindRaw);
    raw.AppendByte(0xC0);
    raw.ClearRepeat();
    dlg.OnSendNow(raw);
    EXPECT_EQ(port.writes[2], (std::vector<uint8_t>{0x0A, 0xC0}));
}

TEST_F(RequestEngineTest, OversizedPayloadIsNotTransmitted) {
    CTelegram big(0x59, "route", kKindFrame);
    for (int i = 0; i < 50; ++i) {
        big.AppendByte('A');
    }
    big.ClearRepeat();
    dlg.OnSendNow(big);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(dlg.LastCommand(), 0x59);
}

TEST_F(RequestEngineTest, ClosedPortLosesRequestsLeavingTheQueue) {
    dlg.Disconnect();
    dlg.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    Ticks(12);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(dlg.QueuedCount(), 0);
}

TEST_F(RequestEngineTest, AutomaticSamplingSendsSampleThenSingleId) {
    dlg.OnMainCommand(MainCommand::kSampleMode, 2);
    EXPECT_TRUE(dlg.Sampling().fdx);
    const auto ticks = Ticks(14);
    EXPECT_EQ(ticks[0], std::vector<uint8_t>{Cmd::kStartFdxSample});
    EXPECT_EQ(ticks[5], std::vector<uint8_t>{Cmd::kStartFdxSample});  // the queued request's repeat
    // Sample ticks count down 8 free ticks (1-4, 6-9); then the periodic sample goes out at once
    // and a single-ID request is queued behind it.
    EXPECT_EQ(ticks[9], std::vector<uint8_t>{Cmd::kStartFdxSample});
    EXPECT_EQ(ticks[10], std::vector<uint8_t>{Cmd::kStartFdxSample});  // second repeat of the first
    EXPECT_EQ(ticks[11], std::vector<uint8_t>{Cmd::kGetSingleId});
    EXPECT_EQ(dlg.StatusText(), "Diagnosis: FDX sample");
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kDiagnosis);
    EXPECT_FALSE(dlg.Sampling().fdx);
    EXPECT_EQ(dlg.SampleTicks(), 0);
}

TEST_F(RequestEngineTest, TestModeSendsConnectOnEveryFreeTick) {
    dlg.SetTestMode(true);
    const auto ticks = Ticks(6);
    // Sent, then two held-off ticks, then again.
    EXPECT_EQ(ticks[0], std::vector<uint8_t>{Cmd::kConnect});
    EXPECT_TRUE(ticks[1].empty());
    EXPECT_TRUE(ticks[2].empty());
    EXPECT_EQ(ticks[3], std::vector<uint8_t>{Cmd::kConnect});
}

TEST(TrafficText, EachKind) {
    const uint8_t text[] = {'A', 0x00, 'T'};
    EXPECT_EQ(CReaderToolDlg::BuildTrafficText(kKindText, 3, text, " line "), "A<00>T<CR> line ");
    EXPECT_EQ(CReaderToolDlg::BuildTrafficText(kKindRaw, 3, text, " raw "), "A<00>T raw ");
    uint8_t frame[CFrameParser::kMaxFrame] = {0x09};
    CFrameParser codec;
    codec.BuildFrame(frame, 1, 0);
    EXPECT_EQ(CReaderToolDlg::BuildTrafficText(kKindFrame, 1, frame, " Get version request "),
              "00 00 02 01 f0 09 38 03  Get version request ");
    // An escaped ETX in the payload does not end the text.
    uint8_t escaped[CFrameParser::kMaxFrame] = {0x60, 0x15, 0x00, 0x03};
    codec.BuildFrame(escaped, 4, 0);
    EXPECT_EQ(CReaderToolDlg::BuildTrafficText(kKindFrame, 4, escaped, "x"),
              "00 00 02 01 f0 60 15 00 10 03 eb 03 x");
}

}  // namespace
