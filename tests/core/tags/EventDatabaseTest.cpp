#include "../service/ServiceTestSupport.h"
#include "TagsTestSupport.h"

#include "core/tags/EventDatabase.h"
#include "core/tags/EventDatabaseDlg.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

std::string FileOf(const Lines& lines, const char* end = "\r\n") {
    std::string text;
    for (const auto& l : lines) {
        text += l + end;
    }
    return text;
}

const std::string kHeader = "[Transponder ID] [Event string (max. 16 characters)]";

TEST(EventDatabase, EntriesMatchRightAligned) {
    const struct {
        const char* line;
        const char* id;
        const char* event;  // nullptr: no match
    } rows[] = {
        {"984000123456789        \"Sale\"", "000123456789", "Sale            "},
        {"6789  \"Weigh\"", "000123456789", "Weigh           "},
        {"6789  \"Weigh\"", "000000001234", nullptr},
        {"000123456789 \"Selection longer than 16\"", "123456789", "Selection longer"},
        {"  \"no ID at all\"", "000123456789", nullptr},
        {"[Transponder ID] [Event string (max. 16 characters)]", "000123456789", nullptr},
    };
    for (const auto& row : rows) {
        std::string event;
        EXPECT_EQ(CEventDatabase::MatchEntry(row.line, row.id, event), row.event != nullptr) << row.line;
        if (row.event != nullptr) {
            EXPECT_EQ(event, row.event) << row.line;
        }
    }
}

TEST(EventDatabase, LookupBuildsTheEventRecordFromAFileWithAnyLineEnds) {
    TempDir dir;
    CEventDatabase db(dir / "EventDatabase.txt");
    CEventDatabase::EventRecord record{};
    EXPECT_EQ(db.LookupEvent("000123456789", record), -1);  // no file
    std::ofstream(db.Path(), std::ios::binary)
        << kHeader << "\r\r\n111 \"Other\"\r\r\n984000123456789 \"Sale\"\r\r\n";
    ASSERT_EQ(db.LookupEvent("000123456789", record), 0);
    const CEventDatabase::EventRecord expected{0x15, 0xCD, 0x5B, 0x07, 0x00, 0,   0,   0,
                                               'S',  'a',  'l',  'e',  ' ',  ' ', ' ', ' ',
                                               ' ',  ' ',  ' ',  ' ',  ' ',  ' ', ' ', ' '};
    EXPECT_EQ(record, expected);
    EXPECT_EQ(db.BackupPath(), dir / "EventDatabaseBak.txt");
}

TEST(EventDatabase, AssignRefusesBadInputAndAsksBeforeReplacing) {
    const std::string sixteen = "Vaccination 2026";
    const Lines kBefore{kHeader, "100000000001 \"Sale\""};
    const struct {
        const char* name;
        std::string id;
        std::string event;
        std::deque<bool> answers;
        std::string message;
        Lines file;
        size_t questions;
    } rows[] = {
        // clang-format off
        {"17 characters", "000123456789", sixteen + "!", {}, "Length of event string exeeds allowed maximum of 16 characters", kBefore, 0},
        {"11-character ID", "00012345678", "Sale", {}, "Invalid transponder ID", kBefore, 0},
        {"no event", "000123456789", "", {}, "No transponder ID and/or no event string select", kBefore, 0},
        {"16 characters appended", " 000123456789 ", sixteen, {}, "",
         {kHeader, "100000000001 \"Sale\"", "000123456789        \"" + sixteen + "\""}, 0},
        {"replace refused", "000000000001", "Weigh", {false}, "", kBefore, 1},
        {"replaced", "000000000001", "Weigh", {true}, "", {kHeader, "000000000001        \"Weigh\""}, 1},
        // clang-format on
    };
    for (const auto& row : rows) {
        TempDir dir;
        CEventDatabase db(dir / "EventDatabase.txt");
        const std::string before = FileOf(kBefore, "\n");
        std::ofstream(db.Path(), std::ios::binary) << before;
        TagPrompt prompt;
        prompt.answers = row.answers;
        db.Assign(row.id, row.event, prompt);
        EXPECT_EQ(prompt.messages.empty() ? "" : prompt.messages[0], row.message) << row.name;
        EXPECT_EQ(prompt.questions.size(), row.questions) << row.name;
        // Untouched files keep even their line ends.
        EXPECT_EQ(ReadAll(db.Path()), row.file == kBefore ? before : FileOf(row.file)) << row.name;
        if (row.questions > 0) {
            EXPECT_EQ(prompt.questions[0], "000000000001 is already assigned to \"Sale\" Replace?");
        }
    }
}

TEST(EventDatabase, SortRemoveAndShow) {
    TempDir dir;
    CEventDatabase db(dir / "EventDatabase.txt");
    TagPrompt prompt;
    std::ofstream(db.Path(), std::ios::binary)
        << FileOf({kHeader, "", "200 \"B\"", "30 \"C\"", "junk line", "1000 \"A\""});
    ASSERT_TRUE(db.Sort(prompt));
    EXPECT_EQ(ReadAll(db.Path()), FileOf({kHeader, "30 \"C\"", "200 \"B\"", "1000 \"A\""}));
    EXPECT_EQ(db.ListLines(), (Lines{"          30  \"C\"", "         200  \"B\"", "        1000  \"A\""}));

    db.Remove("200", "B           ", prompt);  // the padded text a tag brings matches no line
    EXPECT_EQ(db.ListLines().size(), 3u);
    db.Remove("200", "B", prompt);
    EXPECT_EQ(ReadAll(db.Path()), FileOf({kHeader, "30 \"C\"", "1000 \"A\""}));
    EXPECT_EQ(ReadAll(db.BackupPath()), FileOf({kHeader, "30 \"C\"", "200 \"B\"", "1000 \"A\""}));
}

TEST(EventDatabaseDialog, ATagArrivingDuringTheQuestionDoesNotChangeWhatIsRemoved) {
    TempDir dir;
    const Lines file{kHeader, "000000004711        \"Sale\"", "000000000815        \"Weigh\""};
    std::ofstream(dir / "EventDatabase.txt", std::ios::binary) << FileOf(file);
    FakeMain main;
    TagPrompt prompt;
    CEventDatabaseDlg dlg(main, prompt, dir / "EventDatabase.txt");
    prompt.whileAsking = [&] { dlg.ShowTag("000000000815"); };
    dlg.m_id = "000000004711";
    dlg.m_event = "Sale";
    dlg.OnRemove();
    EXPECT_EQ(ReadAll(dir / "EventDatabase.txt"), FileOf({kHeader, "000000000815        \"Weigh\""}));
}

// A refusal leaves the edits to correct and the file as it was; an unreadable file is never
// replaced by a header.
TEST(EventDatabaseDialog, ARefusalKeepsTheEditsAndTheFile) {
    const struct {
        const char* id;
        const char* event;
        bool remove, answer, unreadable;
        const char* message;
    } rows[] = {
        {"4711", "Sale", false, true, false, "Invalid transponder ID"},
        {"000000000815", "Weigh", true, false, false, ""},
        {"000000004711", "Sale", false, true, true, "Database Error"},
        {"000000000815", "Weigh", true, true, true, "Database Error"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        const std::string before = FileOf({kHeader, "000000000815        \"Weigh\""});
        std::ofstream(dir / "EventDatabase.txt", std::ios::binary) << before;
        FakeMain main;
        TagPrompt prompt;
        prompt.answers = {row.answer};
        CEventDatabaseDlg dlg(main, prompt, dir / "EventDatabase.txt");
        if (row.unreadable) {
            // Root reads any file: a folder in the backup's place makes the backup fail instead.
            std::filesystem::create_directory(dlg.Database().BackupPath());
        }
        dlg.m_id = row.id;
        dlg.m_event = row.event;
        row.remove ? dlg.OnRemove() : dlg.OnAssign();
        EXPECT_EQ(prompt.messages.empty() ? "" : prompt.messages[0], row.message) << row.id;
        EXPECT_EQ(dlg.m_id + dlg.m_event, std::string(row.id) + row.event) << row.id;
        EXPECT_EQ(ReadAll(dir / "EventDatabase.txt"), before) << row.id;
    }
    TempDir dir;
    std::filesystem::create_directory(dir / "EventDatabase.txt");  // opens, but reads fail
    FakeMain main;
    TagPrompt prompt;
    CEventDatabaseDlg(main, prompt, dir / "EventDatabase.txt").OnOpen();
    EXPECT_EQ(prompt.messages, Lines{"Database Error"});
    EXPECT_TRUE(std::filesystem::is_directory(dir / "EventDatabase.txt"));
}

}  // namespace
