#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"
#include "gui/config/ConfigSheet.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

// Only the binding of the Events page's controls; its logic is proven against the simulated reader.
namespace {

TEST(EventsPageWidget, ControlsReachTheRequestsAndAnswersReachTheControls) {
    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages{main, prompt};
    ConfigSheet sheet(pages, main);
    sheet.show();
    sheet.SetActivePage(CConfigPages::kEvents);
    QWidget* page = sheet.PageWidget(CConfigPages::kEvents);
    auto* text = page->findChild<QLineEdit*>("eventString2");
    text->clear();
    QTest::keyClicks(text, "Weigh");
    QTest::mouseClick(page->findChild<QPushButton*>("eventAssign2"), Qt::LeftButton);
    EXPECT_EQ(main.Last(), (Bytes{0x9F, 0x11, 0x00, 0x02, 0x05, 'W', 'e', 'i', 'g', 'h'}));

    page->findChild<QSpinBox*>("eventNumber")->setValue(7);
    page->findChild<QSpinBox*>("eventEvent")->setValue(2);
    QTest::mouseClick(page->findChild<QPushButton*>("datasetAssign"), Qt::LeftButton);
    EXPECT_EQ(main.Last(),
              (Bytes{0x9F, 0x0D, 0x00, 0x07, 0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0x02}));

    QTest::mouseClick(page->findChild<QPushButton*>("listGet"), Qt::LeftButton);
    for (int i = 0; i < 6; ++i) {
        pages.TickPage(CConfigPages::kEvents);
    }
    ASSERT_EQ(main.Last(), (Bytes{0x9F, 0x0C, 0x00, 0x01}));
    const Bytes answer =
        Ack(0x9F, {0x0C, 0x00, 0x01, 0x06, 0x15, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0x03});
    pages.AnswerPage(CConfigPages::kEvents, static_cast<int>(answer.size()), answer.data());
    auto* list = page->findChild<QListWidget*>("eventList");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Event entry  1: 984 123456789013;Event 3");
    EXPECT_EQ(page->findChild<QLineEdit*>("eventTag")->text(), "984 123456789013");
    EXPECT_EQ(page->findChild<QSpinBox*>("eventEvent")->value(), 3);
}

class ListPrompt final : public IPrompt {
public:
    void Message(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool YesNo(const std::string&) override { return true; }
    std::string OpenFileName(const std::string&) override { return file; }
    std::string SaveFileName(const std::string&) override { return {}; }
    std::string file;
    std::vector<std::string> messages;
};

// Numbers out of the spin boxes' range must be refused, never clamped onto another dataset.
TEST(EventsPageWidget, ListLinesOutOfRangeAreRefusedBeforeTheSpinBoxesClampThem) {
    const std::string path = ::testing::TempDir() + "eventlist-out-of-range.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "Corvantelle event list\r\nDate: 08:03:2026\r\n";
        out << "Event entry 31: 984 123456789012;Event 2\r\n";
        out << "Event entry  2: 984 123456789013;Event 4\r\n";
        out << "Event entry  3: 984 123456789014;Event 3\r\n";
        for (int k = 4; k <= 30; ++k) {
            out << "Event entry " << k << ": 984 12345678" << 1000 + k << ";Event 1\r\n";
        }
    }
    FakeMainWindow main;
    ListPrompt prompt;
    prompt.file = path;
    CConfigPages pages{main, prompt};
    ConfigSheet sheet(pages, main);
    sheet.show();
    sheet.SetActivePage(CConfigPages::kEvents);
    QWidget* page = sheet.PageWidget(CConfigPages::kEvents);
    QTest::mouseClick(page->findChild<QPushButton*>("listLoad"), Qt::LeftButton);
    auto* list = page->findChild<QListWidget*>("eventList");
    ASSERT_EQ(list->count(), 30);

    // A double-click on each bad line.
    for (int row = 0; row < 2; ++row) {
        emit list->itemDoubleClicked(list->item(row));
    }
    EXPECT_EQ(prompt.messages, (std::vector<std::string>{"Invalid dataset number, valid range is 1...30",
                                                         "Invalid event number, valid range is 1...3"}));

    // "Set": only lines 3 to 30 go out, each with its own number and event.
    prompt.messages.clear();
    main.sent.clear();
    QTest::mouseClick(page->findChild<QPushButton*>("listSet"), Qt::LeftButton);
    std::vector<std::pair<uint8_t, uint8_t>> assigned;  // dataset, event
    for (int t = 0; t < 400; ++t) {
        const size_t before = main.sent.size();
        pages.TickPage(CConfigPages::kEvents);
        const Bytes last = main.Last();
        if (main.sent.size() > before && last.size() > 3 && last[1] == 0x0D) {
            const Bytes ack = Ack(0x9F, {0x0D, 0x00, last[3], 0x06});
            pages.AnswerPage(CConfigPages::kEvents, static_cast<int>(ack.size()), ack.data());
            assigned.push_back({last[3], last.back()});
        }
    }
    ASSERT_EQ(assigned.size(), 28u);
    EXPECT_EQ(assigned.front(), (std::pair<uint8_t, uint8_t>{3, 3}));
    EXPECT_EQ(assigned.back(), (std::pair<uint8_t, uint8_t>{30, 1}));
    EXPECT_EQ(prompt.messages, (std::vector<std::string>{"Invalid dataset number, valid range is 1...30",
                                                         "Invalid event number, valid range is 1...3"}));
}

TEST(EventsPageWidget, ARefusedAssignTellsTheReadersReason) {
    const struct {
        uint8_t result;
        const char* message;
    } rows[] = {{0x15, "Event out of range"}, {0x16, "Event already in use"}};
    for (const auto& row : rows) {
        FakeMainWindow main;
        ListPrompt prompt;
        CConfigPages pages{main, prompt};
        pages.Events().OnCreate();
        pages.Events().m_number = "7";
        pages.Events().OnAssignDataset();
        const Bytes refusal = Ack(0x9F, {0x0D, 0x00, 0x07, row.result});
        pages.AnswerPage(CConfigPages::kEvents, static_cast<int>(refusal.size()), refusal.data());
        EXPECT_EQ(prompt.messages, std::vector<std::string>{row.message}) << int{row.result};
    }
}

}  // namespace
