// Long request sequences against the simulated reader on a bad line, in simulated time: each
// ends with what the reader holds, or says that it failed; never a success with wrong values.
#include "ConfigSoakSupport.h"
#include "SimTestSupport.h"
#include "TagTestSupport.h"

#include "core/config/ConfigSequence.h"
#include "core/link/Commands.h"

#include <gtest/gtest.h>

namespace {

const SimulatedReader::Faults kBadLine{
    .dropPercent = 10, .corruptPercent = 5, .echo = true, .split = true, .noise = true};

TEST(FaultSoak, WholeConfigurationRunsEndRightOrSayTheyFailed) {
    TagRig rig;
    RunPages pages;
    CConfigSequence sequence;
    rig.engine.SetConfigPages(&pages);
    rig.engine.SetConfigSequence(&sequence);
    rig.engine.OnConfigurationButton();
    rig.link.Reader().SetFaults(kBadLine);
    std::mt19937 random(2024);
    int succeeded = 0;
    int failed = 0;
    for (int run = 0; run < 300; ++run) {
        const bool write = run % 3 == 2;
        pages.status.clear();
        if (write) {
            pages.toWrite = RandomRecord(random);
        }
        rig.engine.OnMainCommand(write ? MainCommand::kWriteConfig : MainCommand::kReadConfig, 0);
        for (int tick = 0; tick < 1000 && sequence.IsRunning() != 0; ++tick) {
            rig.Tick();
        }
        ASSERT_EQ(sequence.IsRunning(), 0) << "run " << run;
        if (pages.status == "Read/Write configuration failed") {
            ++failed;
            continue;
        }
        ASSERT_EQ(pages.status, write ? "Write configuration success" : "Read configuration success") << run;
        ++succeeded;
        const ConfigRecord holds = Holds(rig.link.Reader());
        if (write) {
            EXPECT_TRUE(Values(pages.toWrite) == Values(holds)) << "write " << run;
            EXPECT_EQ(rig.link.Reader().GetSavedConfig(CfgAddr::kTiming), pages.toWrite.timing) << run;
        } else {
            EXPECT_TRUE(Values(pages.shown) == Values(holds)) << "read " << run;
            EXPECT_EQ(pages.shown.version, holds.version) << run;
            EXPECT_EQ(pages.shown.serialNumber, holds.serialNumber) << run;
        }
    }
    EXPECT_GT(succeeded, 250);
    EXPECT_GT(failed, 0) << "the line is bad enough to make some runs give up";
}

TEST(FaultSoak, ReadAllDeliversEveryDatasetOnceInOrder) {
    const struct {
        uint32_t seed;
        bool fast;    // the next request as soon as an answer is in
        int delayMs;  // 550: answers come after the first repetition has gone out
    } rows[] = {{1, false, 0}, {2, true, 0}, {3, false, 550}, {4, true, 550}};
    for (const auto& row : rows) {
        const uint32_t seed = row.seed;
        TempDir dir;
        DatabaseRig rig;
        CDatabaseDlg& db = rig.db;
        rig.link.Reader().Seed(seed);
        db.SetFast(row.fast);
        auto& memory = rig.link.Reader().Datasets();
        memory.Preload(500, 60, DatasetMemory::PackStamp(3, 8, 14, 7, 9));
        std::vector<std::string> expected{"Group 1"};
        int group = 1;
        for (size_t i = 0; i < memory.Count(); ++i) {
            const uint8_t* record = memory.At(i).data();
            expected.push_back(CDatabaseDlg::IsGroupMarker(record) ? "Group " + std::to_string(++group)
                                                                   : CDatabaseDlg::DatasetLine(record));
        }
        SimulatedReader::Faults faults = kBadLine;
        faults.delayMs = row.delayMs;
        rig.link.Reader().SetFaults(faults);
        rig.prompt.files.push_back(dir / "soak");
        db.OnGetAll();
        for (int tick = 0; tick < 20000 && db.State() != CDatabaseDlg::kIdle; ++tick) {
            rig.Tick();
        }
        ASSERT_EQ(db.State(), CDatabaseDlg::kIdle);
        if (rig.prompt.messages.empty()) {
            EXPECT_EQ(db.ProgressText(), "Read 500 datasets") << seed;
            EXPECT_EQ(db.Lines(), expected) << seed;
        } else {
            EXPECT_EQ(rig.prompt.messages.back(), "Communication error") << seed;
            ASSERT_LE(db.Lines().size(), expected.size());
            EXPECT_TRUE(std::equal(db.Lines().begin(), db.Lines().end(), expected.begin())) << seed;
            // What a failed read-all wrote stays under its temporary name.
            EXPECT_FALSE(std::filesystem::exists(dir / "soak.txt")) << seed;
            continue;
        }
        // The file holds the same lines as the list, after its two header lines.
        const std::string text = ReadAll(dir / "soak.txt");
        std::string lines;
        for (const auto& line : db.Lines()) {
            lines += line + "\r\n";
        }
        ASSERT_GT(text.size(), lines.size());
        EXPECT_EQ(text.substr(text.size() - lines.size()), lines) << seed;
    }
}

TEST(FaultSoak, EventListGetHoldsEachDatasetOnceOrSaysWhichFailed) {
    SimulatedReader::Faults slowLine = kBadLine;
    slowLine.delayMs = 550;  // the answer comes after the first repetition has gone out
    for (const auto& [name, faults] :
         {std::pair{"bad line", kBadLine}, std::pair{"slow bad line", slowLine}}) {
        EventsRig rig;
        CProPageEvent& page = rig.page();
        std::vector<std::string> expected;
        for (int n = 1; n <= CProPageEvent::kDatasets; ++n) {
            const bool used = n % 4 == 1;
            EventTables::Dataset dataset{.used = used,
                                         .isoCode = {0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80},
                                         .event = static_cast<uint8_t>(n % 3 + 1)};
            rig.link.Reader().Events().SetDataset(static_cast<size_t>(n), dataset);
            expected.push_back(CProPageEvent::ListLine(n, "984 123456789012", used ? dataset.event : -1));
        }
        rig.link.Reader().SetFaults(faults);
        int complete = 0;
        for (int get = 0; get < 30; ++get) {
            page.OnListGet();
            for (int tick = 0; tick < 3000 && page.IsSequenceRunning(); ++tick) {
                rig.Tick();
            }
            ASSERT_FALSE(page.IsSequenceRunning()) << name;
            rig.Tick(10);  // anything late still comes in
            const auto& list = page.EventList();
            if (list == expected) {
                ++complete;
                continue;
            }
            ASSERT_LT(list.size(), expected.size()) << name << " get " << get;
            EXPECT_TRUE(std::equal(list.begin(), list.end(), expected.begin())) << name << " get " << get;
            EXPECT_EQ(page.Message(), "Read event dataset " + std::to_string(list.size() + 1) + " failed")
                << name << " get " << get;
        }
        EXPECT_GT(complete, 10) << name;
    }
}

}  // namespace
