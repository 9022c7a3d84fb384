// The main window's engine wired in-process to the simulated reader, driven tick by tick.
#include "../core/app/AppFakes.h"

#include "core/config/ConfigPages.h"
#include "core/link/Commands.h"
#include "core/util/Format.h"
#include "sim/SimLink.h"

#include <gtest/gtest.h>

#include <string>

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

// A misbehaving line, as the engine sees it: how often the request goes out and whether the
// answer gets through.
TEST_F(EngineSimTest, FaultyLinesAreRepeatedOrRecovered) {
    const struct {
        const char* name;
        SimulatedReader::Faults faults;
        size_t transmissions;
        bool answered;
    } rows[] = {
        {"clean", {}, 1, true},
        {"answers dropped", {.dropPercent = 100}, 3, false},
        {"CRC corrupted", {.corruptPercent = 100}, 3, false},
        {"half-duplex echo", {.echo = true}, 1, true},
        {"answer 300 ms late", {.delayMs = 300}, 1, true},
        {"answer 700 ms late", {.delayMs = 700}, 2, true},
        {"split with noise", {.split = true, .noise = true}, 1, true},
    };
    for (const auto& row : rows) {
        SimLink line(1, 7);
        FakeView rowView;
        CReaderToolDlg engine(line, rowView, prompt);
        FakeToolWindow tools;
        engine.Windows().Register(Caption::kTestTools, &tools);
        line.SetReceiver([&engine](const uint8_t* bytes, int count) { engine.OnRxBytes(bytes, count); });
        size_t sent = 0;
        line.Reader().SetRequestObserver([&sent](uint8_t, const std::vector<uint8_t>&) { ++sent; });
        line.Reader().SetFaults(row.faults);
        engine.Start(AppSettings{1, 9600, 1, 0}, {});
        engine.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
        for (int i = 0; i < 30; ++i) {
            line.Advance(100);
            engine.OnTimer();
        }
        EXPECT_EQ(sent, row.transmissions) << row.name;
        EXPECT_EQ(!tools.responses.empty(), row.answered) << row.name;
        for (const auto& frame : tools.responses) {
            EXPECT_EQ(frame[3], 0x06) << row.name;  // never the echo of our own request
            EXPECT_EQ(frame[4], Cmd::kVersion) << row.name;
        }
    }
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

// The Reader page's own node jobs against the reader: "Set node" sets and reads back; "Program"
// sets everything, saves, then reads back. Both talk to the old address all along and must be
// answered there; the reader moves only when it starts again.
TEST_F(EngineSimTest, ReaderPageNodeJobsAreAnsweredAtTheOldAddress) {
    CConfigPages pages(dlg, prompt);
    dlg.SetConfigPages(&pages);
    dlg.OnConfigurationButton();
    CPropPageReader& page = pages.Reader();
    page.Fields().delay = "100";
    page.Fields().timeout = "3000";
    page.Fields().startCharacter = "I";
    const struct {
        void (CPropPageReader::*start)();
        const char* node;
        const char* result;
        std::string codes;
    } rows[] = {
        {&CPropPageReader::OnSetNode, "34", "Set node success", "28 29"},
        {&CPropPageReader::OnProgram, "35", "Configure reader success", "28 28 28 28 28 2a 29 29 29 29 29"},
    };
    for (const auto& row : rows) {
        std::string codes;
        link.Reader().SetRequestObserver([&codes](uint8_t address, const std::vector<uint8_t>& payload) {
            EXPECT_EQ(address, 0x01);
            codes += Format(codes.empty() ? "%02x" : " %02x", payload[0]);
        });
        page.Fields().node = row.node;
        (page.*row.start)();
        std::string result;
        for (int tick = 0; tick < 100 && result.empty(); ++tick) {
            Tick();
            const std::string& m = page.Message();
            result =
                m.find(" success") != std::string::npos || m.find(" failed") != std::string::npos ? m : "";
        }
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(codes, row.codes);
        EXPECT_EQ(link.Reader().GetNodeAddress(), 0x01);
    }
    link.Reader().Restart();
    EXPECT_EQ(link.Reader().GetNodeAddress(), 0x35);  // the field is hex, as it is shown
}

}  // namespace
