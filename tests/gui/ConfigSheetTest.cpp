#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"
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

#include <tuple>

namespace {

class ConfigSheetWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        pages.Rtc().SetClock(&PinnedTime);
        sheet = new ConfigSheet(pages, main);
        sheet->show();
    }
    void TearDown() override { delete sheet.data(); }

    template <typename T = QLineEdit>
    T* W(int index, const char* name) {
        T* w = sheet->PageWidget(index)->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Status(int index) { return W<QLabel>(index, "pageStatus")->text(); }
    // Near the left edge: a radio button or check box takes clicks on its indicator and text only.
    void Click(int index, const char* name) {
        auto* button = W<QAbstractButton>(index, name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void Type(int index, const char* name, const char* text) {
        W(index, name)->clear();
        QTest::keyClicks(W(index, name), text);
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

TEST_F(ConfigSheetWidgetTest, EightPagesUnderOneModelessWindowEachWithTheBottomBand) {
    EXPECT_EQ(sheet->windowTitle(), "Configuration");
    EXPECT_TRUE(sheet->isWindow());
    EXPECT_FALSE(sheet->isModal());
    auto* tabs = sheet->findChild<QTabWidget*>("configTabs");
    ASSERT_NE(tabs, nullptr);
    const QStringList captions = {"Reader", "Bluetooth",  "Events",       "RealTimeClock",
                                  "LCD",    "Additional", "Optimization", "Output format"};
    ASSERT_EQ(tabs->count(), captions.size());
    EXPECT_EQ(sheet->ActivePage(), 0);
    const std::tuple<const char*, const char*, bool> band[] = {
        {"bandApply", "Apply", false}, {"bandRead", "Read", false}, {"bandResetAll", "Reset all", true},
        {"bandLoad", "Load", false},   {"bandSave", "Save", false}, {"bandQuit", "Quit", true}};
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        sheet->SetActivePage(i);
        for (const auto& [name, caption, enabled] : band) {
            auto* button = W<QPushButton>(i, name);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), caption);
            EXPECT_EQ(button->isEnabled(), enabled) << i << " " << caption;
            EXPECT_TRUE(enabled || button->toolTip() == "Not available yet") << caption;
        }
        EXPECT_NE(W<QProgressBar>(i, "pageProgress"), nullptr);
        EXPECT_EQ(Status(i), "      ");
    }
    // The band's buttons reach the main window.
    Click(5, "bandResetAll");
    EXPECT_EQ(main.AllBytes(), (std::vector<Bytes>{{0x18}}));
    EXPECT_EQ(Status(5), "      Reset all");
    Click(5, "bandQuit");
    EXPECT_EQ(main.commands, (std::vector<std::pair<int, int>>{{2, 136}}));
}

TEST_F(ConfigSheetWidgetTest, PagesAreCreatedWhenFirstShown) {
    EXPECT_EQ(W(0, "readerTimeout")->text(), "5000");
    EXPECT_EQ(W(3, "rtcHours")->text(), "");
    sheet->SetActivePage(3);
    EXPECT_EQ(W(3, "rtcHours")->text(), "14");

    // Coming back does not create the page again: what the user typed stays.
    sheet->SetActivePage(0);
    Type(0, "readerTimeout", "700");
    sheet->SetActivePage(4);
    sheet->SetActivePage(0);
    EXPECT_EQ(W(0, "readerTimeout")->text(), "700");
    EXPECT_EQ(pages.Reader().Fields().timeout, "700");
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
    Type(0, "readerTimeout", "2500");
    Click(0, "readerSetTimeout");
    EXPECT_EQ(Status(0), "      Set timeout");
    EXPECT_EQ(AnswerSetJob(main, pages.Reader(), 0x19),
              (std::vector<Bytes>{{0x28, 0x34, 0x19}, {0x29, 0x34}}));
    EXPECT_EQ(Status(0), "      Set timeout success");
    Tick(40);
    EXPECT_EQ(Status(0), "      ");
    Type(0, "readerTimeout", "30000");
    Click(0, "readerSetTimeout");
    EXPECT_EQ(Status(0), "      Timeout greater 25500 ms not possible");

    // One character is one byte, as the reader counts them.
    Type(0, "readerStartCharacter", "§");
    Click(0, "readerSetStartCharacter");
    Tick();
    EXPECT_EQ(main.Last(), (Bytes{0x28, 0x3E, 0xA7}));
    Answer(Ack(Cmd::kVersion, {'V', 0xB5}));
    EXPECT_EQ(W(0, "readerVersion")->text(), QString::fromUtf8("Vµ"));
}

TEST_F(ConfigSheetWidgetTest, ReaderGetAllShowsTheReadBack) {
    EXPECT_EQ(W<QPushButton>(0, "readerGetAll")->text(), "Get All");
    EXPECT_EQ(W<QPushButton>(0, "readerGetAll")->toolTip(), " Get configuration of the reader ");
    Click(0, "readerGetAll");
    EXPECT_EQ(W<QProgressBar>(0, "pageProgress")->maximum(), 4);
    for (const uint8_t value : {0x37, 0x02, 0x02, 0x0F, 0x0D}) {
        Tick();
        Answer(Ack(Cmd::kGetConfig, {value}));
    }
    EXPECT_EQ(main.sent.size(), 5u);
    EXPECT_TRUE(W<QRadioButton>(0, "readerFormat6")->isChecked());
    EXPECT_EQ(W<QRadioButton>(0, "readerFormat6")->text(), "Short ASCII 16");
    EXPECT_TRUE(W<QCheckBox>(0, "readerScp")->isChecked());
    const QStringList shown = {W(0, "readerNode")->text(), W(0, "readerDelay")->text(),
                               W(0, "readerTimeout")->text(), W(0, "readerStartCharacter")->text()};
    EXPECT_EQ(shown, (QStringList{"02", "100", "1500", "0x0d"}));
}

TEST_F(ConfigSheetWidgetTest, ReaderByteStructureLocksScpAndSendsPlainCode) {
    Click(0, "readerScp");
    EXPECT_TRUE(W<QCheckBox>(0, "readerScp")->isChecked());
    Click(0, "readerFormat1");
    EXPECT_FALSE(W<QCheckBox>(0, "readerScp")->isChecked());
    EXPECT_FALSE(W<QCheckBox>(0, "readerScp")->isEnabled());
    Click(0, "readerSetFormat");
    Tick();
    EXPECT_EQ(main.Last(), (Bytes{0x28, 0x32, 0x02}));
}

TEST_F(ConfigSheetWidgetTest, DeveloperControlsOnlyInDeveloperMode) {
    const char* hidden[] = {"readerProgram",  "readerSetMode",        "readerSetNode",
                            "readerSetBlock", "readerSetTransponder", "readerSetSerialNumber",
                            "readerOffId",    "readerIdTime"};
    for (const bool developer : {false, true}) {
        pages.SetDeveloper(developer);
        for (const char* name : hidden) {
            EXPECT_EQ(W<QWidget>(0, name)->isVisible(), developer) << name;
        }
        EXPECT_TRUE(W<QWidget>(0, "readerSetTimeout")->isVisible());
    }
    EXPECT_EQ(W<QPushButton>(0, "readerProgram")->toolTip(), "Write complete configuration to reader");
    Type(0, "readerSerialNumber", "12345§");  // six characters, though seven bytes in UTF-8
    Click(0, "readerSetSerialNumber");
    EXPECT_EQ(main.Last(), (Bytes{0x80, '1', '2', '3', '4', '5', 0xA7}));
    EXPECT_EQ(prompt.questions.size(), 1u);
}

TEST_F(ConfigSheetWidgetTest, ClockSyncSetAndGet) {
    sheet->SetActivePage(3);
    W(3, "rtcSeconds")->clear();
    Click(3, "rtcSync");
    EXPECT_EQ(main.Last(), (Bytes{0x52, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}));
    EXPECT_EQ(W(3, "rtcSeconds")->text(), "09");
    Type(3, "rtcMinutes", "1A");
    Click(3, "rtcSet");
    EXPECT_EQ(main.Last(), (Bytes{0x52, 0x09, 0x1A, 0x14, 0x01, 0x08, 0x03, 0x26}));

    Click(3, "rtcGet");
    EXPECT_EQ(main.Last(), (Bytes{0x53}));
    Answer(Ack(Cmd::kGetClock, {0x59, 0x58, 0x23, 0x07, 0x31, 0x12, 0x99}));
    QStringList shown;
    for (const char* name :
         {"rtcSeconds", "rtcMinutes", "rtcHours", "rtcDayOfWeek", "rtcDay", "rtcMonth", "rtcYear"}) {
        shown << W(3, name)->text();
    }
    EXPECT_EQ(shown, (QStringList{"59", "58", "23", "07", "31", "12", "99"}));
    EXPECT_EQ(Status(3), "      Get time request success");
}

TEST_F(ConfigSheetWidgetTest, LcdSpinSendsEachClick) {
    sheet->SetActivePage(4);
    auto* spin = W<QSpinBox>(4, "lcdContrast");
    QTest::keyClick(spin, Qt::Key_Down);  // from 0 down: nothing
    EXPECT_TRUE(main.sent.empty());
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(spin, Qt::Key_Up);
    }
    ASSERT_EQ(main.sent.size(), 8u);
    EXPECT_EQ(main.Last(), (Bytes{0x54, 0x08}));
    EXPECT_EQ(spin->value(), 7);
    Answer(Ack(Cmd::kSetLcdContrast));
    EXPECT_EQ(Status(4), "      Set LCD contrast success");
}

TEST_F(ConfigSheetWidgetTest, OptimizationSetAndGet) {
    sheet->SetActivePage(6);
    EXPECT_EQ(W<QRadioButton>(6, "optSetting2")->text(), "Median setting");
    Click(6, "optSetting2");
    Click(6, "optSet");
    EXPECT_EQ(AnswerSetJob(main, pages.Optimization(), 0x01),
              (std::vector<Bytes>{{0x28, 0x39, 0x02}, {0x29, 0x39}}));
    EXPECT_EQ(Status(6), "      Set optimization parameter failed");

    Click(6, "optGet");
    Tick();
    EXPECT_EQ(main.Last(), (Bytes{0x29, 0x39}));
    Answer(Ack(Cmd::kGetConfig, {0x03}));
    EXPECT_TRUE(W<QRadioButton>(6, "optSetting3")->isChecked());
    EXPECT_EQ(Status(6), "      Get optimization parameter success");
}

}  // namespace
