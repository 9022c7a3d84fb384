// Long request sequences against the simulated reader on a bad line, in simulated time: each
// ends with what the reader holds, or says that it failed; never a success with wrong values.
#include "SimTestSupport.h"
#include "TagTestSupport.h"

#include "core/config/ConfigPages.h"
#include "core/config/ConfigSequence.h"
#include "core/link/Commands.h"
#include "core/tags/DatabaseDlg.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {

const SimulatedReader::Faults kBadLine{
    .dropPercent = 10, .corruptPercent = 5, .echo = true, .split = true, .noise = true};

// The main window's pages as far as the whole-configuration runs use them.
struct RunPages final : IConfigPages {
    void TickPage(int) override {}
    void AnswerPage(int, int, const uint8_t*) override {}
    void ShowMainStatus(int, const std::string& message) override { status = message; }
    void SetProgressRangeAll(int) override {}
    void StepProgressAll(int) override {}
    int Collect(ConfigRecord& record) override {
        record = toWrite;
        return 0;
    }
    void ShowAll(const ConfigRecord& record) override { shown = record; }

    ConfigRecord toWrite;
    ConfigRecord shown;
    std::string status;
};

// What a run reads and writes, in one comparable value.
auto Values(const ConfigRecord& r) {
    return std::make_tuple(r.format, r.timeout, r.startCharacter, r.timing, r.syncLevelRead,
                           r.permanentReadBreak, r.permanentReadBursts, r.permanentReadReads,
                           r.permanentReadActive, r.switchOffTime, r.ioFlags, r.rfPower, r.bluetoothMode,
                           r.customFormat, r.accessLevel, r.doubleReadTime, r.displayInfo);
}

// What the reader holds, asked on a clean line behind the tool's back.
ConfigRecord Holds(SimulatedReader& reader) {
    const auto faults = reader.GetFaults();
    reader.SetFaults({});
    Bytes frame{CFrameParser::kStx, 0x01, CFrameParser::kMarker};
    const Bytes body = AnswerBody(reader, {Cmd::kAdditional, Sub60::kGetAdditional});
    reader.SetFaults(faults);
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(0);  // the CRC byte's place
    ConfigRecord r;
    EXPECT_TRUE(CConfigSequence::StoreAdditionalBlock(static_cast<int>(frame.size()), frame.data(), r));
    r.format = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kFormat));
    r.timeout = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kTimeout));
    r.startCharacter = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kStartCharacter));
    r.timing = static_cast<uint8_t>(reader.GetConfig(CfgAddr::kTiming));
    r.version = reader.GetVersionText();
    r.serialNumber = reader.GetSerialNumber();
    return r;
}

// Any record the reader accepts.
ConfigRecord RandomRecord(std::mt19937& random) {
    const auto in = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    ConfigRecord w;
    w.format = static_cast<uint8_t>(in(0, 3));
    w.timeout = static_cast<uint8_t>(in(1, 255));
    w.startCharacter = static_cast<uint8_t>(in('A', 'Z'));
    w.syncLevel = static_cast<uint8_t>(in(0, 255));
    w.timing = static_cast<uint8_t>(in(0, ConfigStore::kMaxTiming));
    w.permanentReadBreak = static_cast<uint16_t>(in(0, 65535));
    w.permanentReadBursts = static_cast<uint16_t>(in(0, 65535));
    w.permanentReadReads = static_cast<uint8_t>(in(0, 255));
    w.permanentReadActive = static_cast<uint8_t>(in(0, 1));
    w.switchOffTime =
        static_cast<uint16_t>(in(ConfigStore::kMinSwitchOffTime, ConfigStore::kMaxSwitchOffTime));
    w.ioFlags = static_cast<uint8_t>(in(0, 255));
    w.rfPower = static_cast<uint8_t>(in(0, 3));
    w.bluetoothMode = static_cast<uint8_t>(in(0, ConfigStore::kMaxBluetoothMode));
    w.customFormat = {static_cast<uint8_t>(in(0, 255)), static_cast<uint8_t>(in(0, 255)),
                      static_cast<uint8_t>(in(0, 255))};
    w.accessLevel = static_cast<uint8_t>(in(0, ConfigStore::kMaxAccessLevel));
    w.doubleReadTime = static_cast<uint16_t>(in(0, ConfigStore::kMaxDoubleReadTime));
    w.displayInfo = static_cast<uint8_t>(in(0, ConfigStore::kMaxDisplayInfo));
    w.syncLevelRead = w.syncLevel;  // what the reader's block shows after the write
    return w;
}

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
        TagRig rig;
        rig.link.Reader().Seed(seed);
        CDatabaseDlg db(rig.engine, rig.prompt);
        db.SetFast(row.fast);
        rig.engine.Windows().Register(Caption::kDatabase, &db);
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
            EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{"Communication error"}) << seed;
            ASSERT_LE(db.Lines().size(), expected.size());
            EXPECT_TRUE(std::equal(db.Lines().begin(), db.Lines().end(), expected.begin())) << seed;
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
        TagRig rig;
        CConfigPages pages(rig.engine, rig.prompt);
        rig.engine.SetConfigPages(&pages);
        rig.view.sheet.active = CConfigPages::kEvents;
        rig.engine.OnConfigurationButton();
        CProPageEvent& page = pages.Events();
        page.OnCreate();
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
