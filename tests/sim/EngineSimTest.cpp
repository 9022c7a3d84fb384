// The main window's engine wired in-process to the simulated reader, driven tick by tick.
#include "TagTestSupport.h"

#include "core/config/ConfigPages.h"
#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A misbehaving line, as the engine sees it: how often the request goes out and whether the
// answer gets through.
TEST(EngineSim, FaultyLinesAreRepeatedOrRecovered) {
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
        TagRig rig;
        FakeToolWindow tools;
        rig.engine.Windows().Register(Caption::kTestTools, &tools);
        rig.link.Reader().SetFaults(row.faults);
        rig.engine.OnSendTelegram(CTelegram(Cmd::kVersion, Desc::kVersion, kKindFrame));
        rig.Tick(30);
        EXPECT_EQ(rig.requests.size(), row.transmissions) << row.name;
        EXPECT_EQ(!tools.responses.empty(), row.answered) << row.name;
        for (const auto& frame : tools.responses) {
            EXPECT_EQ(frame[3], 0x06) << row.name;  // never the echo of our own request
            EXPECT_EQ(frame[4], Cmd::kVersion) << row.name;
        }
    }
}

// The Reader page's own node jobs against the reader: "Set node" sets and reads back; "Program"
// sets everything, saves, then reads back. Both talk to the old address all along and must be
// answered there; the reader moves only when it starts again.
TEST(EngineSim, ReaderPageNodeJobsAreAnsweredAtTheOldAddress) {
    TagRig rig;
    CConfigPages pages(rig.engine, rig.prompt);
    rig.engine.SetConfigPages(&pages);
    rig.engine.OnConfigurationButton();
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
        rig.link.Reader().SetRequestObserver([&codes](uint8_t address, const std::vector<uint8_t>& payload) {
            EXPECT_EQ(address, 0x01);
            codes += Format(codes.empty() ? "%02x" : " %02x", payload[0]);
        });
        page.Fields().node = row.node;
        (page.*row.start)();
        std::string result;
        for (int tick = 0; tick < 100 && result.empty(); ++tick) {
            rig.Tick();
            const std::string& m = page.Message();
            result =
                m.find(" success") != std::string::npos || m.find(" failed") != std::string::npos ? m : "";
        }
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(codes, row.codes);
        EXPECT_EQ(rig.link.Reader().GetNodeAddress(), 0x01);
    }
    rig.link.Reader().Restart();
    EXPECT_EQ(rig.link.Reader().GetNodeAddress(), 0x35);  // the field is hex, as it is shown
}

}  // namespace
