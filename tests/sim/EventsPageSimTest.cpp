// The Events page against the simulated reader's event tables, through the engine.
#include "TagTestSupport.h"

#include "core/link/Commands.h"

#include <gtest/gtest.h>

namespace {

using B = std::vector<uint8_t>;

const B kTag{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80};  // 984 123456789012
const std::string kBadNumber = "Invalid dataset number, valid range is 1...30";
const std::string kBadEvent = "Invalid event number, valid range is 1...3";

TEST(EventsPageSim, RequestsAndTheirLimits) {
    const struct {
        const char* name;
        std::string number, event, tag;
        void (CProPageEvent::*button)();
        B sent;  // empty: nothing sent
        std::string message;
    } rows[] = {
        {"assign dataset 7", "7", "2", "984 123456789012", &CProPageEvent::OnAssignDataset,
         B{0x9F, 0x0D, 0x00, 0x07, 0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0x02}, ""},
        {"read 0", "0", "1", "984 1", &CProPageEvent::OnReadDataset, {}, kBadNumber},
        {"clear 31", "31", "1", "984 1", &CProPageEvent::OnClearDataset, {}, kBadNumber},
        {"assign 31", "31", "1", "984 1", &CProPageEvent::OnAssignDataset, {}, kBadNumber},
        {"event 4", "1", "4", "984 1", &CProPageEvent::OnAssignDataset, {}, kBadEvent},
        {"country 0", "1", "1", "000 1", &CProPageEvent::OnAssignDataset, {}, "Invalid transponder data"},
    };
    for (const auto& row : rows) {
        EventsRig rig;
        rig.page().m_number = row.number;
        rig.page().m_event = row.event;
        rig.page().m_tagText = row.tag;
        (rig.page().*row.button)();
        rig.Tick(8);
        const auto sent = rig.With(Cmd::kService);
        EXPECT_EQ(sent.empty() ? B{} : sent[0], row.sent) << row.name;
        EXPECT_EQ(rig.prompt.messages.empty() ? "" : rig.prompt.messages[0], row.message) << row.name;
    }
}

TEST(EventsPageSim, GetSaveLoadAndSetTheWholeList) {
    TempDir dir;
    EventsRig rig;
    auto& tables = rig.link.Reader().Events();
    EventTables::Dataset d{true, {}, 2};
    std::copy(kTag.begin(), kTag.end(), d.isoCode.begin());
    tables.SetDataset(1, d);
    d.isoCode[0] = 0x15;
    d.event = 3;
    tables.SetDataset(2, d);

    rig.page().OnListGet();
    rig.Tick(250);
    const auto& list = rig.page().EventList();
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(list[0], "Event entry  1: 984 123456789012;Event 2");
    EXPECT_EQ(list[1], "Event entry  2: 984 123456789013;Event 3");
    EXPECT_EQ(list[29], "Event entry 30: not used");
    EXPECT_FALSE(rig.page().IsSequenceRunning());

    rig.prompt.files = {dir / "events", dir / "events.txt"};
    rig.page().OnListSave();
    const std::string saved = ReadAll(dir / "events.txt");
    EXPECT_EQ(rig.prompt.proposed, "eventlist_08032026_140709");
    EXPECT_EQ(saved.substr(0, 42), "Corvantelle event list\r\nDate: 08:03:2026\r\n");
    const auto before = list;
    rig.page().OnListLoad();
    EXPECT_EQ(rig.page().EventList(), before);

    tables.SetDataset(1, {});
    tables.SetDataset(2, {});
    rig.page().OnListSet();
    rig.Tick(400);
    EXPECT_FALSE(rig.page().IsSequenceRunning());
    EXPECT_EQ(rig.With(Cmd::kService, Sub9F::kAssignEventDataset).size(), 2u);
    EXPECT_EQ(tables.DatasetAt(1).isoCode[0], 0x14);
    EXPECT_EQ(tables.DatasetAt(2).event, 3);
    EXPECT_EQ(rig.prompt.messages,
              std::vector<std::string>{"Event entries not used, not written: 3, 4, 5, 6, 7, "
                                       "8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, "
                                       "20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30"});

    // Clear empties the list and fills it with what the reader confirmed cleared.
    rig.page().OnListClear();
    EXPECT_TRUE(rig.page().EventList().empty());
    rig.Tick(400);
    ASSERT_EQ(rig.page().EventList().size(), 30u);
    EXPECT_EQ(rig.page().EventList()[0], "Event entry  1: not used");
    EXPECT_FALSE(tables.DatasetAt(2).used);
}

// An event string goes to the reader as number, length and text, and comes back the same way.
TEST(EventsPageSim, EventStringAssignedAndReadBack) {
    EventsRig rig;
    rig.page().m_strings[1] = "Weigh";
    rig.page().OnAssignString(2);
    rig.Tick(5);
    EXPECT_EQ(rig.With(Cmd::kService, Sub9F::kAssignEventString).back(),
              (B{0x9F, 0x11, 0x00, 0x02, 0x05, 'W', 'e', 'i', 'g', 'h'}));
    EXPECT_EQ(rig.link.Reader().Events().String(2), "Weigh");
    EXPECT_EQ(rig.page().Message(), "Assign event string 2 success");
    rig.page().m_strings[1].clear();
    rig.page().OnReadString(2);
    rig.Tick(5);
    EXPECT_EQ(rig.With(Cmd::kService, Sub9F::kReadEventString).back(), (B{0x9F, 0x0F, 0x00, 0x02}));
    EXPECT_EQ(rig.page().m_strings[1], "Weigh");
    EXPECT_EQ(rig.page().Message(), "Read event string 2 success");
}

// On a prompt reader, "Get" takes one dataset every 6 ticks, "Clear" and "Set" every 9.
TEST(EventsPageSim, ListSequencesArePacedTickByTick) {
    for (const auto& [sub, spacing] : {std::pair<uint8_t, int>{Sub9F::kReadEventDataset, 6},
                                       {Sub9F::kClearEventDataset, 9},
                                       {Sub9F::kAssignEventDataset, 9}}) {
        EventsRig rig;
        for (int n = 1; n <= 30; ++n) {  // every entry in use, so that each "Set" step sends
            EventTables::Dataset d{true, {}, static_cast<uint8_t>(1 + n % 3)};
            std::copy(kTag.begin(), kTag.end(), d.isoCode.begin());
            d.isoCode[0] = static_cast<uint8_t>(n);
            rig.link.Reader().Events().SetDataset(n, d);
        }
        rig.page().OnListGet();
        if (sub != Sub9F::kReadEventDataset) {
            rig.Tick(250);
            sub == Sub9F::kClearEventDataset ? rig.page().OnListClear() : rig.page().OnListSet();
        }
        std::vector<int> ticks;
        for (int t = 1; t <= 300; ++t) {
            const size_t seen = rig.With(Cmd::kService, sub).size();
            rig.Tick();
            if (rig.With(Cmd::kService, sub).size() > seen && seen > 0) {
                ticks.push_back(t);
            }
        }
        ASSERT_EQ(ticks.size(), 29u) << int{sub};  // after the first request of each
        for (size_t i = 0; i + 1 < ticks.size(); ++i) {
            EXPECT_EQ(ticks[i + 1] - ticks[i], spacing) << int{sub} << " step " << i;
        }
    }
}

TEST(EventsPageSim, ReceivedTagsFillTheTransponderList) {
    EventsRig rig;
    rig.link.Reader().SetTransponders({{276, 4711, 5, {}}});
    rig.link.Reader().ReportNextTag();
    rig.Tick();
    EXPECT_EQ(rig.page().Transponders(), std::vector<std::string>{"276 000000004711"});
    EXPECT_EQ(rig.page().m_tagText, "276 000000004711");
}

}  // namespace
