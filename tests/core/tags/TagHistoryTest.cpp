#include "../app/AppFakes.h"
#include "TagsTestSupport.h"

#include "core/tags/CountryNames.h"
#include "core/tags/TagHistory.h"
#include "core/tags/TransponderId.h"

#include <gtest/gtest.h>

namespace {

// The clock the history reads, moved by the test: 2026-12-06 14:03:27.512 local.
struct TestClock {
    int64_t ms = 1796565807512LL;
    TagHistory::Clock Fn() {
        return [this] { return ms; };
    }
};

std::vector<std::string> CsvLines(const std::string& csv) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < csv.size();) {
        const size_t end = csv.find("\r\n", at);
        lines.push_back(csv.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

TEST(TagHistory, RepeatsOfOneAnimalFoldIntoItsRow) {
    // Reads as {ms since the previous read, national ID}; rows as {ID, count, repeats}.
    struct Row {
        std::string id;
        int count, repeats;
        bool operator==(const Row&) const = default;
    };
    const struct {
        const char* name;
        int64_t windowMs;
        std::vector<std::pair<int64_t, std::string>> reads;
        std::vector<Row> rows;
    } cases[] = {
        // clang-format off
        {"held at the reader: one row", 3000, {{0, "1"}, {1000, "1"}, {1000, "1"}}, {{"1", 3, 2}}},
        {"window slides with each read", 3000, {{0, "1"}, {2500, "1"}, {2500, "1"}}, {{"1", 3, 2}}},
        {"back after the window: new row, count goes on", 3000, {{0, "1"}, {3001, "1"}}, {{"1", 1, 0}, {"1", 2, 0}}},
        {"two animals in turn fold each into its own row", 3000, {{0, "1"}, {100, "2"}, {100, "1"}, {100, "2"}},
         {{"1", 2, 1}, {"2", 2, 1}}},
        {"window 0: every read is a row", 0, {{0, "1"}, {0, "1"}}, {{"1", 1, 0}, {"1", 2, 0}}},
        {"clock set back: not a repeat", 3000, {{0, "1"}, {-5000, "1"}}, {{"1", 1, 0}, {"1", 2, 0}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        TestClock clock;
        TagHistory history(nullptr, clock.Fn());
        history.SetRepeatWindowMs(c.windowMs);
        for (const auto& [step, id] : c.reads) {
            clock.ms += step;
            history.Add("0984", id, "FDX-B", "");
        }
        std::vector<Row> rows;
        for (size_t i = 0; i < history.Size(); ++i) {
            rows.push_back({history.At(i).nationalId, history.At(i).count, history.At(i).repeats});
        }
        EXPECT_EQ(rows, c.rows) << c.name;
        EXPECT_EQ(history.Reads(), static_cast<long long>(c.reads.size())) << c.name;
    }
}

TEST(TagHistory, BoundDropsTheOldestAndSaysSo) {
    TestClock clock;
    TagHistory history(nullptr, clock.Fn(), 3);
    history.SetRepeatWindowMs(0);
    EXPECT_FALSE(history.Add("", "", "", ""));  // an undecodable message is no read
    for (const char* id : {"1", "2", "1", "3", "1"}) {
        history.Add("0984", id, "FDX-B", "");
    }
    ASSERT_EQ(history.Size(), 3u);
    EXPECT_EQ(history.At(0).nationalId, "1");
    EXPECT_EQ(history.At(2).count, 3);  // animal 1 still has rows: its count goes on
    EXPECT_EQ(history.FirstNumber(), 2u);
    EXPECT_EQ(history.DroppedNote(), "History full: the oldest 2 rows were dropped");
    // Animal 2's only row went: it starts again at 1, and nothing points into a dropped row.
    history.Add("0984", "2", "FDX-B", "");
    EXPECT_EQ(history.At(2).count, 1);
    TagHistory one(nullptr, clock.Fn(), 1);
    one.SetRepeatWindowMs(0);
    one.Add("0984", "1", "", "");
    one.Add("0984", "1", "", "");
    EXPECT_EQ(one.At(0).count, 1);
    history.Clear();
    EXPECT_EQ(history.Size(), 0u);
    EXPECT_EQ(history.DroppedNote(), "");
}

TEST(TagHistory, CsvCarriesTheReaderTextsAsUtf8) {
    // A character-form tag data message as the reader sends it, event "Kälber, "rot"" in Latin-1.
    const std::string event = "K\xE4lber, \"rot\"";
    std::vector<uint8_t> body{0x11};
    const std::string id = "0276000000004711";
    body.insert(body.end(), id.begin(), id.end());
    body.insert(body.end(), {0x03, '0', '5', 0x05, 0, 0, 0, 0, static_cast<uint8_t>(event.size() + 1)});
    body.insert(body.end(), event.begin(), event.end());
    CFrameParser parser;
    CTransponderId tag;
    for (const uint8_t b : AnswerWire(body, 0x23)) {
        if (parser.PutByte(b) == CFrameParser::kGood) {
            tag.DecodeTagData(parser.Frame());
        }
    }
    CCountryNames names;
    names.Parse(R"({"3166-1": [{"alpha_2": "DE", "name": "Germany", "numeric": "276"},
                               {"alpha_2": "AX", "name": "Åland Islands", "numeric": "248"}]})");
    TestClock clock;
    TagHistory history(&names, clock.Fn());
    history.Add(tag.GetCountryCode(), tag.GetNationalId(), tag.GetTagType(), tag.GetEventText());
    history.Add("248 ", "000000000001", "  HDX", "=1+2");
    TempDir dir;
    std::string error;
    ASSERT_EQ(history.ExportCsv(dir / "reads.csv", error), 0) << error;
    EXPECT_EQ(
        CsvLines(ReadAll(dir / "reads.csv")),
        (std::vector<std::string>{
            "Time,Country code,Country,National ID,Type,Event,Count,Repeats",
            "2026-12-06 14:03:27.512,0276,Germany,000000004711,FDX-B,\"K\xC3\xA4lber, \"\"rot\"\"\",1,0",
            "2026-12-06 14:03:27.512,\"248 \",\xC3\x85land Islands,000000000001,\"  HDX\",'=1+2,1,0",
        }));
    // A folder that is not there: the failure names the file, nothing is left behind.
    EXPECT_EQ(history.ExportCsv(dir / "missing/reads.csv", error), -1);
    EXPECT_NE(error.find("missing/reads.csv"), std::string::npos) << error;
}

TEST(CountryNames, ManufacturerCodesAreExactly900To998) {
    CCountryNames names;
    names.Parse(R"({"3166-1": [{"alpha_2": "ZA", "name": "South Africa", "numeric": "710"}]})");
    const std::pair<int, const char*> rows[] = {
        {710, "South Africa"}, {899, ""}, {900, "manufacturer code"}, {998, "manufacturer code"}, {999, ""}};
    for (const auto& [code, name] : rows) {
        EXPECT_EQ(names.Name(code), name) << code;
    }
}

}  // namespace
