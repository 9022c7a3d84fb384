// The request engine driven tick by tick: what leaves on the line, when, and where answers go.
#include "AppFakes.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

CTelegram Request(uint8_t code, bool repeat = true, uint8_t kind = kKindFrame) {
    CTelegram t(code, " request ", kind);
    if (!repeat) {
        t.ClearRepeat();
    }
    return t;
}

class RequestEngineTest : public ::testing::Test {
protected:
    RequestEngineTest() : dlg(port, view, prompt) {
        dlg.Start(AppSettings{1, 9600, 1, 0}, {});
        dlg.SetConfigPages(&pages);
        dlg.SetConfigSequence(&sequence);
        port.writes.clear();
    }

    // Every command written during n ticks as "tick:code", e.g. "0:09 5:09 10:09".
    std::string Run(int n) {
        std::string out;
        for (int tick = 0; tick < n; ++tick) {
            const size_t before = port.writes.size();
            dlg.OnTimer();
            for (size_t w = before; w < port.writes.size(); ++w) {
                FakePort one;
                one.writes.push_back(port.writes[w]);
                out += Format("%s%d:%02x", out.empty() ? "" : " ", tick, one.Payloads().at(0).at(0));
            }
        }
        return out;
    }
    void Receive(const std::vector<uint8_t>& bytes) {
        dlg.OnRxBytes(bytes.data(), static_cast<int>(bytes.size()));
    }
    void Receive(const std::string& text) { Receive(std::vector<uint8_t>(text.begin(), text.end())); }

    FakePort port;
    FakeView view;
    FakePrompt prompt;
    FakePages pages;
    FakeSequence sequence;
    CReaderToolDlg dlg;
};

TEST_F(RequestEngineTest, QueueHoldsTwentyAndSendsOnePerTickInOrder) {
    std::string expected;
    for (int i = 0; i < 21; ++i) {
        dlg.OnSendTelegram(Request(static_cast<uint8_t>(0x40 + i), false));
        if (i < 20) {
            expected += Format("%s%d:%02x", i == 0 ? "" : " ", i, 0x40 + i);
        }
    }
    EXPECT_EQ(Run(25), expected);
}

TEST_F(RequestEngineTest, RepeatsUntilAnswered) {
    dlg.OnSendTelegram(Request(Cmd::kVersion));
    EXPECT_EQ(Run(30), "0:09 5:09 10:09");

    // An answer to another command does not stop the repeats; the matching one does.
    dlg.OnSendTelegram(Request(Cmd::kVersion));
    EXPECT_EQ(Run(2), "0:09");
    Receive(AnswerWire({Cmd::kGetSnr, '1'}));
    EXPECT_EQ(Run(4), "3:09");
    Receive(AnswerWire({Cmd::kVersion, 'V', '1'}));
    EXPECT_EQ(Run(20), "");

    // A repeat carries the request that left the queue last, even one that asked for none.
    dlg.OnSendTelegram(Request(Cmd::kVersion));
    dlg.OnSendTelegram(Request(Cmd::kGetSnr, false));
    EXPECT_EQ(Run(12), "0:09 1:0a 6:0a 11:0a");

    // UM_SEND_NOW transmits at once, past the queue, and repeats like a queued request.
    dlg.OnSendTelegram(Request(Cmd::kGetSnr, false));
    dlg.OnSendNow(Request(Cmd::kVersion));
    EXPECT_EQ(port.Payloads().back()[0], Cmd::kVersion);
    EXPECT_EQ(Run(12), "0:0a 5:0a 10:0a");
}

TEST_F(RequestEngineTest, HoldOffAfterResetAllEndsEarlyOnAFrame) {
    dlg.OnSendTelegram(Request(Cmd::kResetAll, false));
    dlg.OnSendTelegram(Request(Cmd::kVersion, false));
    EXPECT_EQ(Run(7), "0:18 6:09");
    dlg.OnSendTelegram(Request(Cmd::kResetAll, false));
    dlg.OnSendTelegram(Request(Cmd::kVersion, false));
    EXPECT_EQ(Run(1), "0:18");
    Receive(AnswerWire({Cmd::kResetAll}));
    EXPECT_EQ(Run(1), "0:09");
}

TEST_F(RequestEngineTest, EchoOfOwnFrameIsSwallowedOnce) {
    FakeToolWindow tools;
    dlg.Windows().Register(Caption::kTestTools, &tools);
    dlg.OnSendNow(Request(Cmd::kConnect, false));
    const auto sent = port.writes.at(0);
    Receive(sent);
    EXPECT_TRUE(tools.responses.empty());
    Receive(sent);
    ASSERT_EQ(tools.responses.size(), 1u);
    EXPECT_EQ(tools.responses[0], std::vector<uint8_t>(sent.begin() + 2, sent.end() - 1));
}

TEST_F(RequestEngineTest, EchoOfAnEscapedRequestIsNoAnswer) {
    FakeToolWindow tools;
    dlg.Windows().Register(Caption::kTestTools, &tools);
    dlg.OnSendTelegram(Request(Cmd::kVersion));
    CTelegram escaped = Request(Cmd::kSetConfig, false);
    escaped.AppendByte(0x03);  // travels as DLE 03
    escaped.AppendByte(0x02);
    dlg.OnSendNow(escaped);
    EXPECT_EQ(Run(1), "0:09");
    // Both come back at once, in order, as a half-duplex adapter returns them.
    Receive(port.writes.at(0));
    Receive(port.writes.at(1));
    EXPECT_TRUE(tools.responses.empty());
    EXPECT_TRUE(pages.answers.empty());
    EXPECT_EQ(Run(6), "4:09") << "an echo does not end the repeats";
}

TEST_F(RequestEngineTest, KeepAliveWaitsWhileTheSequenceRuns) {
    dlg.OnConfigurationButton();
    dlg.OnMainCommand(MainCommand::kReadConfig, 0);
    EXPECT_EQ(Run(50), "");
    sequence.running = false;
    EXPECT_EQ(Run(2), "1:01");
}

// A 0x29 answer names no address: the late answer to a repeated read must not reach a requester
// that now waits for another address.
TEST_F(RequestEngineTest, LateAnswerToARepeatedReadReachesNoRequester) {
    FakeToolWindow client;
    dlg.Windows().Register(Caption::kClient, &client);
    CTelegram format(Cmd::kGetConfig, " request ", kKindFrame);
    format.AppendByte(0x32);
    CTelegram timeout(Cmd::kGetConfig, " request ", kKindFrame);
    timeout.AppendByte(0x34);
    dlg.OnSendTelegram(format);
    EXPECT_EQ(Run(6), "0:29 5:29");
    Receive(AnswerWire({Cmd::kGetConfig, 1}));
    ASSERT_EQ(client.responses.size(), 1u);
    dlg.OnSendTelegram(timeout);
    EXPECT_EQ(Run(3), "") << "the second read waits for what the first still owes";
    Receive(AnswerWire({Cmd::kGetConfig, 1}));
    EXPECT_EQ(client.responses.size(), 1u);
    EXPECT_EQ(Run(1), "0:29");
    EXPECT_EQ(port.Payloads().back(), (std::vector<uint8_t>{0x29, 0x34}));
    Receive(AnswerWire({Cmd::kGetConfig, 50}));
    EXPECT_EQ(client.responses.size(), 2u);
}

TEST_F(RequestEngineTest, TagReportsFillTheFieldsAndAskForEvents) {
    dlg.SetEventLookup([](const std::string& id, std::array<uint8_t, 24>& record) {
        record.fill('E');
        return id == "000123456789";
    });
    dlg.OnMainCommand(MainCommand::kEventDatabase, 1);
    Receive("1234567890\r\n");
    EXPECT_EQ(view.tag, (std::vector<std::string>{"", "1234567890", "", ""}));
    EXPECT_EQ(dlg.QueuedCount(), 0);
    Receive("984 000123456789\r\n");
    EXPECT_EQ(view.tag, (std::vector<std::string>{"984 ", "000123456789", "", ""}));
    EXPECT_EQ(dlg.QueuedCount(), 1);

    // Character form: 16 ID characters, type "05", no event.
    const std::string id = "0984000123456789";
    std::vector<uint8_t> body{17};
    body.insert(body.end(), id.begin(), id.end());
    body.insert(body.end(), {3, '0', '5', 0});
    Receive(AnswerWire(body, 0x23));
    EXPECT_EQ(view.tag, (std::vector<std::string>{"0984", "000123456789", "FDX-B", ""}));
    EXPECT_EQ(dlg.StatusText(), CReaderToolDlg::kTagReceived);
    EXPECT_EQ(dlg.QueuedCount(), 2);
    Run(1);
    const auto showEvent = port.Payloads().at(0);
    ASSERT_EQ(showEvent.size(), 26u);
    EXPECT_EQ(showEvent[0], Cmd::kShowEvent);
    EXPECT_EQ(showEvent[1], 0x00);
    EXPECT_EQ(showEvent[25], 'E');
}

TEST_F(RequestEngineTest, TagDataAnswersSingleIdRequest) {
    dlg.OnSendTelegram(Request(Cmd::kGetSingleId));
    Run(1);
    Receive(AnswerWire({6, 0x01, 0x02, 0x03, 0x04, 0x05, 3, 0x00, 0x01}, 0x23));
    EXPECT_EQ(dlg.AnswerRetries(), 0);
    EXPECT_EQ(view.tag[1], "0102030405");
}

TEST_F(RequestEngineTest, KeepAliveFollowsTheWindowsThatNeedIt) {
    dlg.OnConfigurationButton();
    // Two ticks after opening, then every 30 ticks after the three held-off ones.
    EXPECT_EQ(Run(70), "1:01 34:01 67:01");
    dlg.OnConfigurationButton();
    EXPECT_EQ(view.sheet.raised, 1);
    EXPECT_EQ(view.sheetsCreated, 1);

    FakeToolWindow database;
    dlg.Windows().Register(Caption::kDatabase, &database);
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kConfigSheet);
    EXPECT_FALSE(dlg.IsSheetOpen());
    EXPECT_NE(dlg.KeepAliveTicks(), 0);  // the Database dialog still needs it
    dlg.OnSendNow(Request(Cmd::kVersion, false));
    EXPECT_EQ(dlg.KeepAliveTicks(), 40);
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kDatabase);
    EXPECT_EQ(dlg.KeepAliveTicks(), 0);
}

TEST_F(RequestEngineTest, TextRawAndUnframeableTransmissions) {
    CTelegram at = Request('A', false, kKindText);
    at.AppendByte('T');
    dlg.OnSendNow(at);
    dlg.OnSendNow(Request(0x5E, false, kKindText));
    EXPECT_EQ(dlg.HoldOffTicks(), 2);
    CTelegram raw = Request(0x0A, false, kKindRaw);
    raw.AppendByte(0xC0);
    dlg.OnSendNow(raw);
    EXPECT_EQ(port.writes, (std::vector<std::vector<uint8_t>>{{'A', 'T', 0x0D}, {0x5E}, {0x0A, 0xC0}}));

    CTelegram big = Request(Cmd::kRouteBluetooth);
    for (int i = 0; i < 50; ++i) {
        big.AppendByte('A');
    }
    EXPECT_EQ(dlg.SendTelegram(big), -1);
    dlg.OnSendTelegram(big);
    Run(12);
    EXPECT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(dlg.AnswerRetries(), 0);

    // A closed port loses what leaves the queue.
    dlg.Disconnect();
    dlg.OnSendTelegram(Request(Cmd::kVersion));
    EXPECT_EQ(Run(12), "");
    EXPECT_EQ(dlg.QueuedCount(), 0);
}

TEST_F(RequestEngineTest, AutomaticSamplingAndTestConnect) {
    dlg.OnMainCommand(MainCommand::kSampleMode, 2);
    // The queued start request and its repeats; after 8 free ticks the periodic sample goes out
    // at once and a single-ID request is queued behind it.
    EXPECT_EQ(Run(12), "0:93 5:93 9:93 10:93 11:22");
    EXPECT_EQ(dlg.StatusText(), "Diagnosis: FDX sample");
    dlg.OnMainCommand(MainCommand::kWindowClosing, Resource::kDiagnosis);
    EXPECT_FALSE(dlg.Sampling().fdx);
    EXPECT_EQ(dlg.SampleTicks(), 0);

    // The test box sends a connect request on every free tick and keeps the sequence idle.
    Run(20);
    dlg.SetTestMode(true);
    sequence.script = {IConfigSequence::kStep};
    EXPECT_EQ(Run(4), "0:01 3:01");
    EXPECT_EQ(sequence.script.size(), 1u);
}

TEST_F(RequestEngineTest, TrafficTextOfEachKind) {
    const uint8_t text[] = {'A', 0x00, 'T'};
    EXPECT_EQ(CReaderToolDlg::BuildTrafficText(kKindText, 3, text, " line "), "A<00>T<CR> line ");
    EXPECT_EQ(CReaderToolDlg::BuildTrafficText(kKindRaw, 3, text, " raw "), "A<00>T raw ");
    CFrameParser codec;
    const struct {
        std::vector<uint8_t> payload;
        std::string text;
    } frames[] = {
        {{0x09}, "00 00 02 01 f0 09 38 03 |"},
        {{0x60, 0x15, 0x00, 0x03}, "00 00 02 01 f0 60 15 00 10 03 eb 03 |"},
        {{0x10, 0x03, 0x02}, "00 00 02 01 f0 10 10 10 03 10 02 "},  // escapes do not end the text
    };
    for (const auto& f : frames) {
        uint8_t buffer[CFrameParser::kMaxFrame];
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        std::copy(f.payload.begin(), f.payload.end(), buffer);
        const int n = codec.BuildFrame(buffer, static_cast<int>(f.payload.size()), 0);
        const std::string out = CReaderToolDlg::BuildTrafficText(kKindFrame, n, buffer, "|");
        EXPECT_EQ(out.substr(0, f.text.size()), f.text);
        EXPECT_EQ(out.size(), static_cast<size_t>(n) * 3 + 1) << out;
    }
    // A buffer shorter than a frame is read no further than its length, an escape at its end too.
    for (const auto& [bytes, text] : std::vector<std::pair<std::vector<uint8_t>, std::string>>{
             {{0x00, 0x00, 0x02, 0x01, 0xF0, 0x09}, "00 00 02 01 f0 09 |"},
             {{0x00, 0x00, 0x02, 0x01, 0xF0, 0x10}, "00 00 02 01 f0 10 |"}}) {
        const auto shortBuffer = std::make_unique<uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), shortBuffer.get());
        EXPECT_EQ(CReaderToolDlg::BuildTrafficText(kKindFrame, static_cast<int>(bytes.size()),
                                                   shortBuffer.get(), "|"),
                  text);
    }
}

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

TEST_F(RequestEngineTest, WindowsGetBytesAnswersAndTicksInOrder) {
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
    Receive(AnswerWire({Cmd::kGetClock, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}));
    EXPECT_EQ(log.back(), "Real time clock response");
    Receive(AnswerWire({6, 1, 2, 3, 4, 5, 3, 0, 5}, 0x23));
    EXPECT_EQ(log.back(), "Animal Counter response");
    log.clear();
    dlg.OnSendNow(Request(Cmd::kConnect, false));
    dlg.OnTimer();
    EXPECT_EQ(log, (std::vector<std::string>{"Monitor tx", "Bluetooth tx", "Memory tick", "Database tick",
                                             "Testtools tick", "Bluetooth tick"}));
}

TEST_F(RequestEngineTest, PagesGetTicksAndAnswersOnlyWhileTheSheetIsOpenAndNoSequenceRuns) {
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
    sequence.completeOnAnswer = true;
    Receive(AnswerWire({Cmd::kGetConfig, 0x34, 50}));
    EXPECT_EQ(pages.answers.size(), 1u);
    EXPECT_EQ(pages.shown, 1);  // the completed read is shown on the pages
}

TEST_F(RequestEngineTest, WholeConfigurationCommandsAndSteps) {
    dlg.OnConfigurationButton();
    dlg.OnMainCommand(MainCommand::kReadConfig, 0);
    dlg.OnMainCommand(MainCommand::kWriteConfig, 0);  // ignored while a sequence runs
    EXPECT_EQ(pages.collected, 0);
    sequence.running = false;
    pages.refuse = true;  // a page holds a value it cannot send: nothing starts
    dlg.OnMainCommand(MainCommand::kWriteConfig, 0);
    EXPECT_EQ(pages.ranges, (std::vector<int>{4}));
    pages.refuse = false;
    dlg.OnMainCommand(MainCommand::kWriteConfig, 0);
    EXPECT_EQ(pages.collected, 2);
    EXPECT_EQ(pages.ranges, (std::vector<int>{4, 4}));

    // A step goes out even in a tick whose queue step transmitted; only a new step advances
    // the progress bars, and giving up ends them and says so on the active page.
    dlg.OnSendTelegram(Request(Cmd::kVersion, false));
    sequence.script = {IConfigSequence::kStep, IConfigSequence::kRepeat, IConfigSequence::kGiveUp};
    EXPECT_EQ(Run(3), "0:09 0:29 1:29");
    EXPECT_EQ(pages.steps, (std::vector<int>{1, 100}));
    EXPECT_EQ(sequence.stopped, 1);
    EXPECT_EQ(pages.statuses,
              (std::vector<std::pair<int, std::string>>{{0, "Read/Write configuration failed"}}));
}

}  // namespace
