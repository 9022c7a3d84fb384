#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"
#include "gui/config/ConfigSheet.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

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

}  // namespace
