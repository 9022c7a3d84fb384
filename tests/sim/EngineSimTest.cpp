// The main window's engine wired in-process to the simulated reader, driven tick by tick.
#include "../core/app/AppFakes.h"

#include "core/link/Commands.h"
#include "sim/SimLink.h"

#include <gtest/gtest.h>

namespace {

class EngineSimTest : public ::testing::Test {
protected:
    EngineSimTest() : link(1, 7), dlg(link, view, prompt) {
        link.SetReceiver([this](const uint8_t* bytes, int count) { dlg.OnRxBytes(bytes, count); });
        link.Reader().SetRequestObserver(
            [this](uint8_t, const std::vector<uint8_t>& payload) { requests.push_back(payload[0]); });
        dlg.Start(AppSettings{1, 9600, 1, 0}, {});
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            link.Advance(100);
            dlg.OnTimer();
        }
    }

    SimLink link;
    FakeView view;
    FakePrompt prompt;
    CReaderToolDlg dlg;
    std::vector<uint8_t> requests;
};

TEST_F(EngineSimTest, VersionRequestIsAnsweredOnce) {
    FakeToolWindow tools;
    dlg.Windows().Register(Caption::kTestTools, &tools);
    dlg.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
    Tick(20);
    EXPECT_EQ(requests, std::vector<uint8_t>{Cmd::kVersion});
    ASSERT_EQ(tools.responses.size(), 1u);
    EXPECT_EQ(tools.responses[0][3], 0x06);
    EXPECT_EQ(tools.responses[0][4], Cmd::kVersion);
    EXPECT_EQ(dlg.StatusText(), CReaderToolDlg::kConnected);
}

TEST_F(EngineSimTest, TagsOfEveryFormReachTheFields) {
    link.Reader().SetTransponders({{984, 123456789012ULL, 5, "Weigh"}});
    struct Case {
        SimulatedReader::TagForm form;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {SimulatedReader::TagForm::kChar16, {"0984", "123456789012", "FDX-B", "Weigh"}},
        {SimulatedReader::TagForm::kBin13, {"0984", "123456789012", "FDX-B", ""}},
        {SimulatedReader::TagForm::kLine, {"984 ", "123456789012", "", ""}},
    };
    for (const auto& c : cases) {
        view.tag = {"", "", "", ""};
        link.Reader().SetTagForm(c.form);
        link.Reader().ReportNextTag();
        Tick();
        EXPECT_EQ(view.tag, c.fields) << static_cast<int>(c.form);
    }
}

TEST_F(EngineSimTest, DroppedAnswersAreRepeatedTwiceThenGivenUp) {
    SimulatedReader::Faults faults;
    faults.dropPercent = 100;
    link.Reader().SetFaults(faults);
    dlg.OnSendTelegram(CTelegram(Cmd::kGetSnr, Desc::kGetSnr, kKindFrame));
    Tick(30);
    EXPECT_EQ(requests, (std::vector<uint8_t>{Cmd::kGetSnr, Cmd::kGetSnr, Cmd::kGetSnr}));
}

TEST_F(EngineSimTest, HalfDuplexEchoIsNotTakenAsAnswer) {
    SimulatedReader::Faults faults;
    faults.echo = true;
    link.Reader().SetFaults(faults);
    FakeToolWindow tools;
    dlg.Windows().Register(Caption::kTestTools, &tools);
    dlg.OnSendTelegram(CTelegram(Cmd::kConnect, Desc::kConnect, kKindFrame));
    Tick(20);
    // Only the reader's acknowledge reaches the window, and it ends the repeats.
    ASSERT_EQ(tools.responses.size(), 1u);
    EXPECT_EQ(tools.responses[0][3], 0x06);
    EXPECT_EQ(requests.size(), 1u);
}

}  // namespace
