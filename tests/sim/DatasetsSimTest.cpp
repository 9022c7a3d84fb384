// Stored datasets and test tools against the simulated reader's dataset memory, through the engine.
#include "TagTestSupport.h"

#include "core/link/Commands.h"
#include "core/tags/TestToolsDlg.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Lines = std::vector<std::string>;

// A dataset of 276 Germany (FDX-B): sub-code 4, the ID least significant byte first, the low two
// bits of 276 (0) and the rest of it; for national ID 0 a group marker, all zeros.
void Put(SimulatedReader& reader, uint64_t national) {
    const auto n = static_cast<uint32_t>(national);
    std::vector<uint8_t> store{
        0x04, uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24), 0x00, 276 >> 2, 0, 0x80, 5};
    if (n == 0) {
        store.assign({0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    DatasetMemory::Bodies answers;
    reader.Datasets().Execute(0xA0, store.data(), store.size(), reader.DatasetStamp(), answers);
}

std::string Line(uint64_t national) {
    return "0276," + std::string(12 - std::to_string(national).size(), '0') + std::to_string(national) +
           ",FDX-B,01:01:07,08:00:00";
}

const std::string kHeader = "Corvantelle Datasets\r\nDate: 08:03:2026\r\n";

std::string FileOf(const Lines& lines) {
    std::string text = kHeader;
    for (const auto& l : lines) {
        text += l + "\r\n";
    }
    return text;
}

// Datasets 1 to last in the reader, then "Get all" into path.
void StartGetAll(DatabaseRig& rig, uint64_t last, const std::string& path) {
    for (uint64_t n = 1; n <= last; ++n) {
        Put(rig.link.Reader(), n);
    }
    rig.prompt.files.push_back(path);
    rig.db.OnGetAll();
}

TEST(DatasetsSim, GetAllWritesTheListAndTheFiles) {
    const struct {
        const char* name;
        std::vector<uint64_t> memory;  // 0 is a group marker
        bool newFilePerGroup;
        Lines list;
        std::vector<std::pair<std::string, Lines>> files;
    } rows[] = {
        {"nothing stored", {}, false, {}, {{"base.txt", {}}}},
        {"marker first",
         {0, 7},
         false,
         {"Group 1", "Group 2", Line(7)},
         {{"base.txt", {"Group 1", "Group 2", Line(7)}}}},
        {"a file per group",
         {1, 2, 3, 0, 5, 6, 7, 8, 0, 10},
         true,
         {"Group 1", Line(1), Line(2), Line(3), "Group 2", Line(5), Line(6), Line(7), Line(8), "Group 3",
          Line(10)},
         {{"base_Group_001.txt", {Line(1), Line(2), Line(3)}},
          {"base_Group_002.txt", {Line(5), Line(6), Line(7), Line(8)}},
          {"base_Group_003.txt", {Line(10)}}}},
    };
    for (const auto& row : rows) {
        TempDir dir;
        DatabaseRig rig;
        for (const uint64_t n : row.memory) {
            Put(rig.link.Reader(), n);
        }
        rig.db.m_newFilePerGroup = row.newFilePerGroup;
        rig.prompt.files.push_back(dir / "base.txt.txt");
        rig.db.OnGetAll();
        rig.Tick(40);
        EXPECT_EQ(rig.prompt.proposed, "database_08032026_140709") << row.name;
        EXPECT_EQ(rig.db.State(), CDatabaseDlg::kIdle) << row.name;
        EXPECT_EQ(rig.db.Lines(), row.list) << row.name;
        EXPECT_TRUE(rig.prompt.messages.empty()) << row.name;
        size_t files = 0;
        for (const auto& [name, lines] : row.files) {
            EXPECT_EQ(ReadAll(dir / name), FileOf(lines)) << row.name << " " << name;
        }
        for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
            files += entry.is_regular_file() ? 1 : 0;
        }
        EXPECT_EQ(files, row.files.size()) << row.name << ": no temporary file left";
    }
}

TEST(DatasetsSim, ReadOneChecksTheNumberAndShowsTheReadersCount) {
    const struct {
        const char* typed;
        std::vector<uint8_t> sent;  // empty: nothing sent
        std::string message;
    } rows[] = {
        {"0", {}, "Invalid dataset number, valid range is 1...4095"},
        {"4096", {}, "Invalid dataset number, valid range is 1...4095"},
        {"", {}, "Invalid dataset number, valid range is 1...4095"},
        {"4095", {0x58, 0x05, 0x0F, 0xFF}, "Dataset number out of range, datasets stored: 1"},
        {"65537", {0x58, 0x05, 0x00, 0x01}, ""},
    };
    for (const auto& row : rows) {
        DatabaseRig rig;
        Put(rig.link.Reader(), 4711);
        rig.db.m_number = row.typed;
        rig.db.OnRead();
        rig.Tick(3);
        const auto sent = rig.With(Cmd::kDatasets);
        EXPECT_EQ(sent.empty() ? std::vector<uint8_t>{} : sent[0], row.sent) << row.typed;
        EXPECT_EQ(rig.prompt.messages.empty() ? "" : rig.prompt.messages[0], row.message) << row.typed;
        if (row.message.empty()) {
            EXPECT_EQ(rig.db.m_id, "000000004711");
            EXPECT_EQ(rig.db.m_date, "01:01:07");
        }
    }
}

TEST(DatasetsSim, TwentyUnansweredRequestsEndTheReadAllAndKeepTheFile) {
    TempDir dir;
    DatabaseRig rig;
    StartGetAll(rig, 5, dir / "lost");
    while (rig.db.Lines().size() < 2) {
        rig.Tick();
    }
    rig.link.Reader().SetFaults({.dropPercent = 100});
    rig.Tick(80);
    EXPECT_EQ(rig.With(Cmd::kDatasets, 0x05).size(), 22u);  // datasets 1 and 2, then 3 twenty times
    EXPECT_EQ(rig.prompt.messages, (Lines{"Datasets file incomplete", "Communication error"}));
    // Under its own name the file would pass for the whole memory.
    EXPECT_FALSE(std::filesystem::exists(dir / "lost.txt"));
    ASSERT_EQ(rig.db.PartialPath().rfind(dir / "lost.txt.", 0), 0u) << rig.db.PartialPath();
    EXPECT_EQ(ReadAll(rig.db.PartialPath()), FileOf({"Group 1", Line(1), Line(2)}));
}

TEST(DatasetsSim, AFailedWriteEndsTheReadAllAtOnceAndKeepsWhatWasWritten) {
    TempDir dir;
    DatabaseRig rig;
    // The disk is full after the header, "Group 1", two datasets and 10 bytes of the third.
    const size_t room = FileOf({"Group 1", Line(1), Line(2)}).size() + 10;
    {
        const DiskFullAfter full(room);
        StartGetAll(rig, 9, dir / "full.txt");
        rig.Tick(60);
    }
    EXPECT_EQ(rig.db.ReadAllEnd(), CDatabaseDlg::End::kWriteFailed);
    EXPECT_EQ(rig.db.Lines().size(), 4u);  // nothing read after the failure
    ASSERT_EQ(rig.prompt.messages, Lines{"Datasets file not saved"});
    EXPECT_FALSE(std::filesystem::exists(dir / "full.txt"));
    EXPECT_EQ(ReadAll(rig.db.PartialPath()).substr(0, room),
              FileOf({"Group 1", Line(1), Line(2)}) + "0276,00000");
}

TEST(DatasetsSim, StopKeepsWhatWasReadInAClosedFile) {
    TempDir dir;
    DatabaseRig rig;
    StartGetAll(rig, 9, dir / "stopped.txt");
    while (rig.db.Lines().size() < 4) {
        rig.Tick();
    }
    EXPECT_EQ(rig.db.ProgressText(), "Reading dataset 4 of 9");
    rig.db.OnStop();
    rig.Tick(10);
    EXPECT_EQ(rig.db.State(), CDatabaseDlg::kIdle);
    EXPECT_EQ(rig.db.ProgressText(), "Stopped after dataset 3 of 9");
    EXPECT_FALSE(std::filesystem::exists(dir / "stopped.txt"));
    EXPECT_EQ(ReadAll(rig.db.PartialPath()), FileOf({"Group 1", Line(1), Line(2), Line(3)}));
}

TEST(DatasetsSim, OpenShowsTwentyLinesPerPressOfADatasetsFileOnly) {
    TempDir dir;
    DatabaseRig rig;
    std::string text = "Corvantelle Datasets\r\n";
    for (int i = 2; i <= 25; ++i) {
        text += "line " + std::to_string(i) + (i % 2 ? "\r\r\n" : "\n");
    }
    std::ofstream(dir / "saved.txt", std::ios::binary) << text;
    rig.prompt.files.push_back(dir / "saved.txt");
    rig.db.OnOpen();
    ASSERT_EQ(rig.db.Lines().size(), 20u);
    EXPECT_EQ(rig.db.Lines()[1], "line 2");
    rig.db.OnOpen();  // no new file chosen: the next lines of the open one
    EXPECT_EQ(rig.db.Lines(), (Lines{"line 21", "line 22", "line 23", "line 24", "line 25"}));

    // Any other file is refused, not shown as bytes, and the last read-all's words go.
    rig.prompt.files.push_back("");
    rig.db.OnGetAll();
    rig.Tick(5);
    std::ofstream(dir / "photo.txt", std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    rig.prompt.files.push_back(dir / "photo.txt");
    rig.db.OnOpen();
    EXPECT_EQ(rig.prompt.messages, Lines{"Not a datasets file: " + dir / "photo.txt"});
    EXPECT_TRUE(rig.db.Lines().empty());
    EXPECT_EQ(rig.db.ProgressText(), "");
}

struct ToolsRig : TagRig {
    ToolsRig() : tools(engine, prompt) { engine.Windows().Register(Caption::kTestTools, &tools); }
    std::vector<std::vector<uint8_t>> Stores() const { return With(Cmd::kStoreTagData); }
    CTestToolsDlg tools;
};

TEST(DatasetsSim, TestToolsStoreRuns) {
    using B = std::vector<uint8_t>;
    // 984 1000: national 0x3E8, country 984 = 0x3D8 -> byte 4 bits 6-7 = 0, byte 5 = 0xF6.
    const auto store = [](uint8_t sub, uint16_t id) {
        return B{0xA0, sub, static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), 0, 0, 0, 0xF6, 0,
                 0x80, 0};
    };
    ToolsRig rig;
    rig.tools.m_nationalId = "1000";
    rig.tools.m_amount = "3";
    rig.tools.OnStore();
    std::vector<int> ticks;  // the first store leaves with the next tick, each further one every sixth
    for (int t = 1; t <= 30; ++t) {
        const size_t before = rig.Stores().size();
        rig.Tick();
        if (rig.Stores().size() > before) {
            ticks.push_back(t);
        }
    }
    EXPECT_EQ(ticks, (std::vector<int>{1, 6, 12}));
    EXPECT_EQ(rig.Stores(), (std::vector<B>{store(4, 1000), store(4, 1001), store(4, 1002)}));
    EXPECT_EQ(rig.tools.m_nationalId, "1003");
    rig.requests.clear();
    rig.tools.OnSeparator();
    rig.Tick(8);
    rig.tools.OnSim();
    rig.Tick(8);
    rig.tools.m_amount = "1";
    rig.tools.OnStore();
    rig.Tick(8);
    EXPECT_EQ(rig.Stores(),
              (std::vector<B>{B{0xA0, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0}, store(5, 1004), store(4, 1005)}));
    EXPECT_EQ(rig.link.Reader().Datasets().Count(), 6u);
}

// The service buttons and the Database's Clear, as the reader receives them.
TEST(DatasetsSim, ServiceButtonsAndClearSendTheirBytes) {
    ToolsRig rig;
    rig.tools.OnGetVoltage();
    rig.tools.OnReset();
    rig.tools.OnBoot();
    rig.Tick(12);
    EXPECT_EQ(rig.requests, (std::vector<std::vector<uint8_t>>{{0x83}, {0x95}, {0xA5}}));
    rig.requests.clear();
    CDatabaseDlg db(rig.engine, rig.prompt);
    db.OnClear();
    rig.Tick(3);
    EXPECT_EQ(rig.requests, (std::vector<std::vector<uint8_t>>{{0x58, 0x06}}));
}

TEST(DatasetsSim, TestToolsRunEndsOnARefusalOrABadCountry) {
    ToolsRig rig;
    rig.link.Reader().Datasets().Preload(DatasetMemory::kCapacity - 2, 0, 0);
    rig.tools.m_amount = "10";
    rig.tools.OnStore();
    rig.Tick(80);
    EXPECT_EQ(rig.Stores().size(), 3u);  // two stored, the third refused: the run ends
    EXPECT_EQ(rig.tools.Remaining(), 0);

    rig.requests.clear();
    rig.tools.m_countryCode = "1000";
    rig.tools.OnStore();
    rig.Tick(20);
    EXPECT_TRUE(rig.Stores().empty());
    EXPECT_EQ(rig.prompt.messages, std::vector<std::string>{"Invalid country code, valid range is 1...999"});
}

}  // namespace
