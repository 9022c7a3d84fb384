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

// Entry 31 and event 4 are refused, by a double-click and by "Set", never clamped by the spin
// boxes onto dataset 30 and event 3; a refused Assign names the reader's reason.
TEST(EventsPageWidget, ListLinesOutOfRangeAreRefusedBeforeTheSpinBoxesClampThem) {
    FakeMainWindow main;
    ListPrompt prompt;
    prompt.file = ::testing::TempDir() + "eventlist-out-of-range.txt";
    std::ofstream out(prompt.file, std::ios::binary);
    out << "Event entry 31: 984 123456789012;Event 2\r\nEvent entry  2: 984 123456789013;Event 4\r\n";
    for (int k = 3; k <= 30; ++k) {
        out << "Event entry " << k << ": not used\r\n";
    }
    out.close();
    CConfigPages pages{main, prompt};
    ConfigSheet sheet(pages, main);
    sheet.show();
    sheet.SetActivePage(CConfigPages::kEvents);
    QWidget* page = sheet.PageWidget(CConfigPages::kEvents);
    QTest::mouseClick(page->findChild<QPushButton*>("listLoad"), Qt::LeftButton);
    auto* list = page->findChild<QListWidget*>("eventList");
    emit list->itemDoubleClicked(list->item(0));
    emit list->itemDoubleClicked(list->item(1));
    QTest::mouseClick(page->findChild<QPushButton*>("listSet"), Qt::LeftButton);
    main.sent.clear();
    for (int t = 0; t < 300; ++t) {
        pages.TickPage(CConfigPages::kEvents);
    }
    EXPECT_TRUE(main.sent.empty());
    const std::string range = "Invalid dataset number, valid range is 1...30";
    const std::string event = "Invalid event number, valid range is 1...3";
    EXPECT_EQ(prompt.messages,
              (std::vector<std::string>{range, event, range, event,
                                        "Event entries not used, not written: 3, 4, 5, 6, 7, 8, 9, "
                                        "10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, "
                                        "24, 25, 26, 27, 28, 29, 30"}));
    for (const auto& [result, message] :
         {std::pair<uint8_t, const char*>{0x15, "Event out of range"}, {0x16, "Event already in use"}}) {
        prompt.messages.clear();
        pages.Events().m_number = "7";
        pages.Events().OnAssignDataset();
        const Bytes refusal = Ack(0x9F, {0x0D, 0x00, 0x07, result});
        pages.AnswerPage(CConfigPages::kEvents, static_cast<int>(refusal.size()), refusal.data());
        EXPECT_EQ(prompt.messages, std::vector<std::string>{message});
    }
}

}  // namespace
