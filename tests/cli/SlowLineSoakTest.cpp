// The lines technicians use, in simulated time: a Bluetooth link answering up to 900 ms late, a
// reader that works through requests one at a time, lost answers, tags reported in the middle of
// everything. Every run of the window's and the command line's exchanges ends with exactly what
// the reader holds and success, or says that it failed; never a wrong value as a success.
#include "sim/ConfigSoakSupport.h"
#include "sim/SimTestSupport.h"
#include "sim/TagTestSupport.h"

#include "cli/CliSequence.h"
#include "core/config/ConfigPages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace {

constexpr const char* kReceived = "Additonal configuration received";

struct Cell {
    int latencyMs;
    bool lossy;  // 10 % of the answers lost
    bool tags;   // a tag every 300 ms
};

struct Tally {
    int runs = 0;
    int ok = 0;
    void Add(bool success) {
        ++runs;
        ok += success ? 1 : 0;
    }
    int Rate() const { return 100 * ok / std::max(runs, 1); }
};

// The engine on a simulated reader whose clock it reads, the line made as the cell says.
struct SlowRig : TagRig {
    explicit SlowRig(const Cell& cell, uint32_t seed) {
        link.Reader().Seed(seed);
        engine.SetClock([this] { return link.Reader().Now(); });
        MakeLine(cell);
    }
    void MakeLine(const Cell& cell) {
        if (cell.tags) {
            link.Reader().SetTransponders(
                {{.countryCode = 276, .nationalId = 1045, .type = 1, .eventText = {}}});
            link.Reader().SetTagInterval(300);
        }
        link.Reader().SetFaults({.dropPercent = cell.lossy ? 10 : 0,
                                 .delayMs = cell.latencyMs,
                                 .jitterMs = cell.latencyMs / 2,
                                 .oneAtATime = true});
    }
    template <typename Running>
    void TickWhile(Running running, int limit) {
        for (int tick = 0; tick < limit && running(); ++tick) {
            Tick();
        }
        ASSERT_FALSE(running()) << "still running after " << limit << " ticks";
    }
};

// Values a reader does not start with, so that a shifted or default value shows.
void PrepareReader(SimulatedReader& reader) {
    const Bytes requests[] = {
        {Cmd::kSetConfig, CfgAddr::kFormat, 0x02},
        {Cmd::kSetConfig, CfgAddr::kTimeout, 37},
        {Cmd::kSetConfig, CfgAddr::kDelay, 4},
        {Cmd::kSetConfig, CfgAddr::kStartCharacter, 'K'},
        {Cmd::kSetConfig, CfgAddr::kTiming, 2},
        {Cmd::kAdditional, Sub60::kSetSyncLevel, 100},
        {Cmd::kAdditional, Sub60::kSetSwitchOffTime, 0x02, 0xBC},
        {Cmd::kAdditional, Sub60::kSetDisplayInfo, 1},
    };
    for (const auto& request : requests) {
        ASSERT_EQ(AnswerBody(reader, request).at(0), CFrameParser::kAck);
    }
}

auto ReaderShown(const CPropPageReader& page) {
    const auto& f = page.Fields();
    return std::make_tuple(f.format, f.node, f.delay, f.timeout, f.startCharacter, f.scpChecked,
                           f.offIdChecked, f.idTimeChecked);
}

auto AdditionalShown(const CAdditional& page) {
    const auto& f = page.Fields();
    return std::make_tuple(f.reads, f.bursts, f.breakTime, f.active, f.switchOff, f.syncLevel, f.useLeds,
                           f.useBeeper, f.highPower, f.accessLevel, f.doubleReads, f.display);
}

// The Reader page's "Get all" and the Additional page's read, against what each shows after the
// same read on a clean line.
void PageReads(const Cell& cell, Tally& reader, Tally& additional) {
    SlowRig rig(Cell{}, 11);
    PrepareReader(rig.link.Reader());
    CConfigPages pages(rig.engine, rig.prompt);
    rig.engine.SetConfigPages(&pages);
    rig.engine.OnConfigurationButton();
    CPropPageReader& readerPage = pages.Reader();
    CAdditional& additionalPage = pages.Additional();
    const auto readAll = [&] {
        readerPage.OnCreate();
        rig.view.sheet.active = CConfigPages::kReader;
        readerPage.OnGetAll();
        rig.TickWhile([&] { return readerPage.IsBusy(); }, 3000);
    };
    const auto readAdditional = [&] {
        additionalPage.OnCreate();
        rig.view.sheet.active = CConfigPages::kAdditional;
        additionalPage.OnGetAll();
        // Asked once, without a failure of its own: the answer may take its time.
        for (int tick = 0; tick < 60 && additionalPage.Message() != kReceived; ++tick) {
            rig.Tick();
        }
    };
    readAll();
    readAdditional();
    ASSERT_EQ(readerPage.Message(), "Get all success");
    const auto readerExpected = ReaderShown(readerPage);
    const auto additionalExpected = AdditionalShown(additionalPage);
    EXPECT_EQ(std::get<5>(additionalExpected), "1.96");

    rig.MakeLine(cell);
    for (int run = 0; run < 4; ++run) {
        const std::string where = std::to_string(cell.latencyMs) + " ms, run " + std::to_string(run);
        readAll();
        const bool ok = readerPage.Message() == "Get all success";
        if (ok) {
            EXPECT_EQ(ReaderShown(readerPage), readerExpected) << where;
        } else {
            EXPECT_EQ(readerPage.Message(), "Get all failed") << where;
        }
        reader.Add(ok);
        readAdditional();
        const bool received = additionalPage.Message() == kReceived;
        if (received) {
            EXPECT_EQ(AdditionalShown(additionalPage), additionalExpected) << where;
        }
        additional.Add(received);
    }
}

// Whole-configuration reads and writes as the window runs them.
void WindowRuns(const Cell& cell, Tally& reads, Tally& writes) {
    SlowRig rig(cell, 23);
    RunPages pages;
    CConfigSequence sequence;
    rig.engine.SetConfigPages(&pages);
    rig.engine.SetConfigSequence(&sequence);
    rig.engine.OnConfigurationButton();
    std::mt19937 random(static_cast<uint32_t>(cell.latencyMs) + 5);
    for (int run = 0; run < 8; ++run) {
        const std::string where = std::to_string(cell.latencyMs) + " ms, run " + std::to_string(run);
        const bool write = run % 2 == 1;
        pages.status.clear();
        if (write) {
            pages.toWrite = RandomRecord(random);
        }
        rig.engine.OnMainCommand(write ? MainCommand::kWriteConfig : MainCommand::kReadConfig, 0);
        rig.TickWhile([&] { return sequence.IsRunning() != 0; }, 3000);
        const bool ok =
            pages.status == (write ? "Write configuration success" : "Read configuration success");
        (write ? writes : reads).Add(ok);
        if (!ok) {
            EXPECT_EQ(pages.status, "Read/Write configuration failed") << where;
            continue;
        }
        const ConfigRecord holds = Holds(rig.link.Reader());
        EXPECT_TRUE(Values(write ? pages.toWrite : pages.shown) == Values(holds)) << where;
        if (!write) {
            EXPECT_EQ(pages.shown.version, holds.version);
            EXPECT_EQ(pages.shown.serialNumber, holds.serialNumber);
        }
    }
}

// The command line's reads and writes: a refusal ends them at once.
void CliRuns(const Cell& cell, Tally& reads, Tally& writes) {
    SlowRig rig(cell, 37);
    CliSequence sequence;
    int end = 0;
    sequence.SetEndHandler([&end](int answer) { end = answer; });
    rig.engine.SetConfigSequence(&sequence);
    std::mt19937 random(static_cast<uint32_t>(cell.latencyMs) + 9);
    for (int run = 0; run < 6; ++run) {
        const std::string where = std::to_string(cell.latencyMs) + " ms, run " + std::to_string(run);
        const bool write = run % 2 == 1;
        const ConfigRecord record = RandomRecord(random);
        end = 0;
        ASSERT_GT(write ? sequence.StartWrite(record) : sequence.StartRead(), 0);
        rig.TickWhile([&] { return sequence.IsRunning() != 0; }, 3000);
        const bool ok = end == (write ? IConfigSequence::kWriteDone : IConfigSequence::kReadDone);
        (write ? writes : reads).Add(ok);
        if (!ok) {
            EXPECT_TRUE(end == IConfigSequence::kGiveUp || end == IConfigSequence::kNotAck) << end;
            continue;
        }
        const ConfigRecord holds = Holds(rig.link.Reader());
        EXPECT_TRUE(Values(write ? record : sequence.GetReadRecord()) == Values(holds)) << where;
        // The write's read-back is what the command line compares with the file.
        EXPECT_TRUE(Values(sequence.GetReadRecord()) == Values(holds)) << where;
    }
}

TEST(SlowLineSoak, EveryExchangeEndsWithTheReadersValuesOrSaysItFailed) {
    std::printf(
        "| Latency | Lost answers | Tags | Config read | Config write | CLI read | CLI write "
        "| Reader page | Additional page |\n");
    for (const int latency : {0, 50, 150, 250, 400, 600}) {
        for (const bool lossy : {false, true}) {
            for (const bool tags : {false, true}) {
                const Cell cell{latency, lossy, tags};
                Tally reads, writes, cliReads, cliWrites, readerPage, additionalPage;
                PageReads(cell, readerPage, additionalPage);
                WindowRuns(cell, reads, writes);
                CliRuns(cell, cliReads, cliWrites);
                std::printf("| %d ms | %s | %s | %d %% | %d %% | %d %% | %d %% | %d %% | %d %% |\n", latency,
                            lossy ? "10 %" : "none", tags ? "every 300 ms" : "none", reads.Rate(),
                            writes.Rate(), cliReads.Rate(), cliWrites.Rate(), readerPage.Rate(),
                            additionalPage.Rate());
                if (!lossy) {
                    for (const Tally* t :
                         {&reads, &writes, &cliReads, &cliWrites, &readerPage, &additionalPage}) {
                        EXPECT_EQ(t->ok, t->runs) << latency << " ms" << (tags ? " with tags" : "");
                    }
                }
            }
        }
    }
}

}  // namespace
