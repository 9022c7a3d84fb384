#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"
#include "core/link/Commands.h"
#include "gui/config/ConfigSheet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Sunday 8 March 2026, 14:07:09.
std::tm PinnedTime() {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 2;
    t.tm_mday = 8;
    t.tm_wday = 0;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    return t;
}

class ConfigSheetWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        pages.Rtc().SetClock(&PinnedTime);
        sheet = new ConfigSheet(pages, main);
        sheet->show();
    }
    void TearDown() override { delete sheet.data(); }

    template <typename T>
    T* Find(const char* name) {
        T* w = sheet->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QWidget* Tab(int index) { return sheet->PageWidget(index); }
    template <typename T>
    T* FindIn(int index, const char* name) {
        T* w = Tab(index)->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Status(int index) { return FindIn<QLabel>(index, "pageStatus")->text(); }
    // Near the left edge: a radio button or check box takes clicks on its indicator and text only.
    void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // The main window's timer, as it drives the active page.
    void Tick(int ticks = 1) {
        for (int i = 0; i < ticks; ++i) {
            pages.TickPage(sheet->ActivePage());
        }
    }
    void Answer(const Bytes& frame) {
        pages.AnswerPage(sheet->ActivePage(), static_cast<int>(frame.size()), frame.data());
    }

    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages{main, prompt};
    QPointer<ConfigSheet> sheet;
};

TEST_F(ConfigSheetWidgetTest, EightPagesInOrderUnderOneModelessWindow) {
    EXPECT_EQ(sheet->windowTitle(), "Configuration");
    EXPECT_TRUE(sheet->isWindow());
    EXPECT_FALSE(sheet->isModal());
    auto* tabs = Find<QTabWidget>("configTabs");
    const QStringList captions = {"Reader", "Bluetooth",  "Events",       "RealTimeClock",
                                  "LCD",    "Additional", "Optimization", "Output format"};
    ASSERT_EQ(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_EQ(sheet->ActivePage(), 0);
}

TEST_F(ConfigSheetWidgetTest, PagesAreCreatedWhenFirstShown) {
    EXPECT_TRUE(pages.Reader().IsCreated());
    EXPECT_EQ(FindIn<QLineEdit>(0, "readerTimeout")->text(), "5000");
    EXPECT_FALSE(pages.Rtc().IsCreated());
    EXPECT_EQ(FindIn<QLineEdit>(3, "rtcHours")->text(), "");

    sheet->SetActivePage(3);
    EXPECT_EQ(sheet->ActivePage(), 3);
    EXPECT_TRUE(pages.Rtc().IsCreated());
    EXPECT_EQ(FindIn<QLineEdit>(3, "rtcHours")->text(), "14");

    // Coming back does not create the page again: what the user typed stays.
    auto* timeout = FindIn<QLineEdit>(0, "readerTimeout");
    sheet->SetActivePage(0);
    timeout->clear();
    QTest::keyClicks(timeout, "700");
    sheet->SetActivePage(4);
    sheet->SetActivePage(0);
    EXPECT_EQ(timeout->text(), "700");
    EXPECT_EQ(pages.Reader().Fields().timeout, "700");
}

TEST_F(ConfigSheetWidgetTest, BottomBandOnEveryPage) {
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        sheet->SetActivePage(i);
        const char* names[] = {"bandApply", "bandRead", "bandResetAll", "bandLoad", "bandSave", "bandQuit"};
        const char* captions[] = {"Apply", "Read", "Reset all", "Load", "Save", "Quit"};
        const bool enabled[] = {false, false, true, false, false, true};
        for (size_t b = 0; b < 6; ++b) {
            auto* button = FindIn<QPushButton>(i, names[b]);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), captions[b]);
            EXPECT_EQ(button->isEnabled(), enabled[b]) << i << " " << captions[b];
            if (!enabled[b]) {
                EXPECT_EQ(button->toolTip(), "Not available yet");
            }
        }
        EXPECT_NE(FindIn<QProgressBar>(i, "pageProgress"), nullptr);
        EXPECT_EQ(Status(i), "      ");
    }
}

TEST_F(ConfigSheetWidgetTest, ResetAllAndQuitReachTheMainWindow) {
    sheet->SetActivePage(5);
    Click(FindIn<QPushButton>(5, "bandResetAll"));
    ASSERT_EQ(main.sent.size(), 1u);
    EXPECT_EQ(main.Last(), (Bytes{0x18}));
    EXPECT_EQ(main.sent[0].GetDescription(), " Reset all request ");
    EXPECT_EQ(Status(5), "      Reset all");
    Answer(Ack(Cmd::kResetAll));
    EXPECT_EQ(Status(5), "      Reset all success");

    Click(FindIn<QPushButton>(5, "bandQuit"));
    EXPECT_EQ(main.commands, (std::vector<std::pair<int, int>>{{2, 136}}));
}

TEST_F(ConfigSheetWidgetTest, ClosingTheWindowTellsTheMainWindowOnce) {
    sheet->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(main.commands, (std::vector<std::pair<int, int>>{{2, 139}}));
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        EXPECT_EQ(pages.Page(i).View(), nullptr) << i;
    }
    // The pages live on without a window.
    pages.Reader().OnGetVersion();
    pages.TickPage(0);
    EXPECT_EQ(main.sent.size(), 1u);
}

TEST_F(ConfigSheetWidgetTest, ReaderSetTimeoutFromTheWidgets) {
    auto* timeout = FindIn<QLineEdit>(0, "readerTimeout");
    timeout->clear();
    QTest::keyClicks(timeout, "2500");
    Click(FindIn<QPushButton>(0, "readerSetTimeout"));
    EXPECT_EQ(Status(0), "      Set timeout");
    Tick();
    ASSERT_EQ(main.sent.size(), 1u);
    EXPECT_EQ(main.Last(), (Bytes{0x28, 0x34, 0x19}));
    EXPECT_EQ(main.sent[0].GetDescription(), "Set Configuration request");
    Answer(Ack(Cmd::kSetConfig));
    Tick(5);
    ASSERT_EQ(main.sent.size(), 2u);
    EXPECT_EQ(main.Last(), (Bytes{0x29, 0x34}));
    EXPECT_EQ(main.sent[1].GetDescription(), "Read configuration request");
    Answer(Ack(Cmd::kGetConfig, {0x19}));
    EXPECT_EQ(Status(0), "      Set timeout success");
    Tick(40);
    EXPECT_EQ(Status(0), "      ");
}

TEST_F(ConfigSheetWidgetTest, ReaderGetAllShowsTheReadBack) {
    auto* getAll = FindIn<QPushButton>(0, "readerGetAll");
    EXPECT_EQ(getAll->text(), "Get All");
    EXPECT_EQ(getAll->toolTip(), " Get configuration of the reader ");
    Click(getAll);
    EXPECT_EQ(FindIn<QProgressBar>(0, "pageProgress")->maximum(), 4);
    const uint8_t values[] = {0x37, 0x02, 0x02, 0x0F, 0x0D};
    const uint8_t addresses[] = {0x32, 0x36, 0x35, 0x34, 0x3E};
    for (int i = 0; i < 5; ++i) {
        Tick();
        ASSERT_EQ(main.Last(), (Bytes{0x29, addresses[i]}));
        Answer(Ack(Cmd::kGetConfig, {values[i]}));
    }
    EXPECT_TRUE(FindIn<QRadioButton>(0, "readerFormat6")->isChecked());
    EXPECT_EQ(FindIn<QRadioButton>(0, "readerFormat6")->text(), "Short ASCII 16");
    EXPECT_TRUE(FindIn<QCheckBox>(0, "readerScp")->isChecked());
    EXPECT_EQ(FindIn<QLineEdit>(0, "readerNode")->text(), "02");
    EXPECT_EQ(FindIn<QLineEdit>(0, "readerDelay")->text(), "100");
    EXPECT_EQ(FindIn<QLineEdit>(0, "readerTimeout")->text(), "1500");
    EXPECT_EQ(FindIn<QLineEdit>(0, "readerStartCharacter")->text(), "0x0d");
}

TEST_F(ConfigSheetWidgetTest, ReaderByteStructureLocksScpAndSendsPlainCode) {
    auto* scp = FindIn<QCheckBox>(0, "readerScp");
    Click(scp);
    EXPECT_TRUE(scp->isChecked());
    Click(FindIn<QRadioButton>(0, "readerFormat1"));
    EXPECT_FALSE(scp->isChecked());
    EXPECT_FALSE(scp->isEnabled());
    Click(FindIn<QPushButton>(0, "readerSetFormat"));
    Tick();
    EXPECT_EQ(main.Last(), (Bytes{0x28, 0x32, 0x02}));
}

TEST_F(ConfigSheetWidgetTest, DeveloperControlsOnlyInDeveloperMode) {
    const char* hidden[] = {"readerProgram",  "readerSetMode",        "readerSetNode",
                            "readerSetBlock", "readerSetTransponder", "readerSetSerialNumber",
                            "readerOffId",    "readerIdTime"};
    for (const char* name : hidden) {
        EXPECT_FALSE(FindIn<QWidget>(0, name)->isVisible()) << name;
    }
    EXPECT_TRUE(FindIn<QWidget>(0, "readerSetTimeout")->isVisible());
    pages.SetDeveloper(true);
    for (const char* name : hidden) {
        EXPECT_TRUE(FindIn<QWidget>(0, name)->isVisible()) << name;
    }
    EXPECT_EQ(FindIn<QPushButton>(0, "readerProgram")->toolTip(), "Write complete configuration to reader");

    auto* serial = FindIn<QLineEdit>(0, "readerSerialNumber");
    QTest::keyClicks(serial, "42");
    Click(FindIn<QPushButton>(0, "readerSetSerialNumber"));
    EXPECT_EQ(main.Last(), (Bytes{0x80, '0', '0', '0', '0', '4', '2'}));
    EXPECT_EQ(prompt.questions.size(), 1u);
}

TEST_F(ConfigSheetWidgetTest, ClockSyncAndGet) {
    sheet->SetActivePage(3);
    FindIn<QLineEdit>(3, "rtcSeconds")->clear();
    Click(FindIn<QPushButton>(3, "rtcSync"));
    ASSERT_EQ(main.sent.size(), 1u);
    EXPECT_EQ(main.Last(), (Bytes{0x52, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}));
    EXPECT_EQ(main.sent[0].GetDescription(), " Set time of real time clock ");
    EXPECT_EQ(FindIn<QLineEdit>(3, "rtcSeconds")->text(), "09");
    EXPECT_EQ(Status(3), "      Set time request");

    auto* minutes = FindIn<QLineEdit>(3, "rtcMinutes");
    minutes->selectAll();
    QTest::keyClicks(minutes, "1A");
    Click(FindIn<QPushButton>(3, "rtcSet"));
    EXPECT_EQ(main.Last(), (Bytes{0x52, 0x09, 0x1A, 0x14, 0x01, 0x08, 0x03, 0x26}));

    Click(FindIn<QPushButton>(3, "rtcGet"));
    EXPECT_EQ(main.Last(), (Bytes{0x53}));
    Answer(Ack(Cmd::kGetClock, {0x59, 0x59, 0x23, 0x07, 0x31, 0x12, 0x99}));
    const char* names[] = {"rtcSeconds", "rtcMinutes", "rtcHours", "rtcDayOfWeek",
                           "rtcDay",     "rtcMonth",   "rtcYear"};
    const char* shown[] = {"59", "59", "23", "07", "31", "12", "99"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(FindIn<QLineEdit>(3, names[i])->text(), shown[i]);
    }
    EXPECT_EQ(Status(3), "      Get time request success");
}

TEST_F(ConfigSheetWidgetTest, LcdSpinSendsEachClick) {
    sheet->SetActivePage(4);
    auto* spin = FindIn<QSpinBox>(4, "lcdContrast");
    QTest::keyClick(spin, Qt::Key_Down);  // from 0 down: nothing
    EXPECT_TRUE(main.sent.empty());
    EXPECT_EQ(spin->value(), 0);
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(spin, Qt::Key_Up);
    }
    EXPECT_EQ(spin->value(), 7);
    QTest::keyClick(spin, Qt::Key_Up);
    ASSERT_EQ(main.sent.size(), 8u);
    EXPECT_EQ(main.Last(), (Bytes{0x54, 0x08}));
    EXPECT_EQ(spin->value(), 7);
    EXPECT_EQ(Status(4), "      Set LCD contrast");
    Answer(Ack(Cmd::kSetLcdContrast));
    EXPECT_EQ(Status(4), "      Set LCD contrast success");
}

TEST_F(ConfigSheetWidgetTest, OptimizationSetAndGet) {
    sheet->SetActivePage(6);
    auto* median = FindIn<QRadioButton>(6, "optSetting2");
    EXPECT_EQ(median->text(), "Median setting");
    Click(median);
    Click(FindIn<QPushButton>(6, "optSet"));
    Tick();
    EXPECT_EQ(main.Last(), (Bytes{0x28, 0x39, 0x02}));
    Answer(Ack(Cmd::kSetConfig));
    Tick(5);
    EXPECT_EQ(main.Last(), (Bytes{0x29, 0x39}));
    Answer(Ack(Cmd::kGetConfig, {0x01}));
    EXPECT_EQ(Status(6), "      Set optimization parameter failed");

    Click(FindIn<QPushButton>(6, "optGet"));
    Tick();
    EXPECT_EQ(main.Last(), (Bytes{0x29, 0x39}));
    Answer(Ack(Cmd::kGetConfig, {0x03}));
    EXPECT_TRUE(FindIn<QRadioButton>(6, "optSetting3")->isChecked());
    EXPECT_EQ(Status(6), "      Get optimization parameter success");
}

}  // namespace
