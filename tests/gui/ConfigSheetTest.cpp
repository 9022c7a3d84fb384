#include "core/config/ConfigPages.h"
#include "core/config/ConfigTestSupport.h"
#include "gui/config/ConfigSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

// Only the binding of widgets to the page logic; the logic itself is proven in the core tests.
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
    // Clicks a button whose job sends on a later tick of the active page; returns what it sent.
    Bytes ClickAndTick(int index, const char* name) {
        Click(index, name);
        const size_t before = main.sent.size();
        for (int i = 0; i < 5 && main.sent.size() == before; ++i) {
            pages.TickPage(sheet->ActivePage());
        }
        return main.Last();
    }
    void Answer(const Bytes& frame) {
        pages.AnswerPage(sheet->ActivePage(), static_cast<int>(frame.size()), frame.data());
    }

    FakeMainWindow main;
    FakePrompt prompt;
    CConfigPages pages{main, prompt};
    QPointer<ConfigSheet> sheet;
};

TEST_F(ConfigSheetWidgetTest, EightTabsEachWithTheBottomBand) {
    EXPECT_EQ(sheet->windowTitle(), "Configuration");
    EXPECT_FALSE(sheet->isModal());
    auto* tabs = sheet->findChild<QTabWidget*>("configTabs");
    ASSERT_NE(tabs, nullptr);
    const QStringList captions = {"Reader", "Bluetooth",  "Events",       "RealTimeClock",
                                  "LCD",    "Additional", "Optimization", "Output format"};
    ASSERT_EQ(tabs->count(), captions.size());
    const std::tuple<const char*, const char*, bool> band[] = {
        {"bandApply", "&Apply", true}, {"bandRead", "&Read", true}, {"bandResetAll", "R&eset all", true},
        {"bandLoad", "&Load", true},   {"bandSave", "&Save", true}, {"bandQuit", "&Quit", true}};
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        for (const auto& [name, caption, enabled] : band) {
            auto* button = W<QPushButton>(i, name);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), caption);
            EXPECT_EQ(button->isEnabled(), enabled) << i << " " << caption;
        }
    }
    // Tab visits a page's own controls before its bottom band.
    QStringList chain;
    for (QWidget* w = sheet->PageWidget(0)->nextInFocusChain(); sheet->PageWidget(0)->isAncestorOf(w);
         w = w->nextInFocusChain()) {
        chain << w->objectName();
    }
    EXPECT_LT(chain.indexOf("readerStore"), chain.indexOf("bandApply")) << chain.join(' ').toStdString();
    EXPECT_LT(chain.indexOf("readerFormat0"), chain.indexOf("readerDelay"));

    sheet->SetActivePage(5);
    prompt.answer = false;
    Click(5, "bandResetAll");
    EXPECT_TRUE(main.sent.empty()) << "reset only after the user agreed";
    prompt.answer = true;
    Click(5, "bandResetAll");
    EXPECT_EQ(main.AllBytes(), (std::vector<Bytes>{{0x18}}));
    EXPECT_EQ(Status(5), "      Reset all");
    for (const char* name : {"bandRead", "bandApply", "bandSave", "bandLoad", "bandQuit"}) {
        Click(5, name);
    }
    EXPECT_EQ(main.commands, (std::vector<std::pair<int, int>>{{6, 0}, {7, 0}, {8, 0}, {9, 0}, {2, 136}}));
}

TEST_F(ConfigSheetWidgetTest, PagesAreCreatedWhenFirstShownAndOnlyThen) {
    EXPECT_EQ(W(3, "rtcHours")->text(), "");
    sheet->SetActivePage(3);
    EXPECT_EQ(W(3, "rtcHours")->text(), "14");
    sheet->SetActivePage(0);
    Type(0, "readerTimeout", "700");
    sheet->SetActivePage(4);
    sheet->SetActivePage(0);
    EXPECT_EQ(W(0, "readerTimeout")->text(), "700");
}

TEST_F(ConfigSheetWidgetTest, ClosingTheWindowTellsTheMainWindowOnceAndDetachesThePages) {
    sheet->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(main.commands, (std::vector<std::pair<int, int>>{{2, 139}}));
    for (int i = 0; i < CConfigPages::kCount; ++i) {
        EXPECT_EQ(pages.Page(i).View(), nullptr) << i;
    }
}

TEST_F(ConfigSheetWidgetTest, ReaderFieldsGoOutAsLatin1AndComeBack) {
    Type(0, "readerTimeout", "2500");
    EXPECT_EQ(ClickAndTick(0, "readerSetTimeout"), (Bytes{0x28, 0x34, 0x19}));
    EXPECT_EQ(Status(0), "      Set timeout");
    Answer(Ack(Cmd::kSetConfig));
    Type(0, "readerStartCharacter", "§");
    EXPECT_EQ(ClickAndTick(0, "readerSetStartCharacter"), (Bytes{0x28, 0x3E, 0xA7}));
    Answer(Ack(Cmd::kVersion, {'V', 0xB5}));
    EXPECT_EQ(W(0, "readerVersion")->text(), QString::fromUtf8("Vµ"));
}

TEST_F(ConfigSheetWidgetTest, ReaderGetAllShowsTheReadBack) {
    EXPECT_EQ(W<QPushButton>(0, "readerGetAll")->toolTip(), " Get configuration of the reader ");
    EXPECT_EQ(ClickAndTick(0, "readerGetAll"), (Bytes{0x29, 0x32}));
    EXPECT_EQ(W<QProgressBar>(0, "pageProgress")->maximum(), 4);
    for (const uint8_t value : {0x37, 0x02, 0x02, 0x0F, 0x0D}) {
        Answer(Ack(Cmd::kGetConfig, {value}));
        pages.TickPage(0);
    }
    EXPECT_TRUE(W<QRadioButton>(0, "readerFormat6")->isChecked());
    EXPECT_TRUE(W<QCheckBox>(0, "readerScp")->isChecked());
    const QStringList shown = {W(0, "readerNode")->text(), W(0, "readerDelay")->text(),
                               W(0, "readerTimeout")->text(), W(0, "readerStartCharacter")->text()};
    EXPECT_EQ(shown, (QStringList{"02", "100", "1500", "0x0d"}));
}

TEST_F(ConfigSheetWidgetTest, ReaderFormatRadioLocksScp) {
    Click(0, "readerScp");
    EXPECT_TRUE(W<QCheckBox>(0, "readerScp")->isChecked());
    Click(0, "readerFormat1");
    EXPECT_FALSE(W<QCheckBox>(0, "readerScp")->isChecked());
    EXPECT_FALSE(W<QCheckBox>(0, "readerScp")->isEnabled());
    EXPECT_EQ(ClickAndTick(0, "readerSetFormat"), (Bytes{0x28, 0x32, 0x02}));
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
    Type(0, "readerSerialNumber", "12345§");  // six characters, though seven bytes in UTF-8
    Click(0, "readerSetSerialNumber");
    EXPECT_EQ(main.Last(), (Bytes{0x80, '1', '2', '3', '4', '5', 0xA7}));
}

TEST_F(ConfigSheetWidgetTest, ClockButtonsAndFields) {
    sheet->SetActivePage(3);
    Click(3, "rtcSync");
    EXPECT_EQ(main.Last(), (Bytes{0x52, 0x09, 0x07, 0x14, 0x01, 0x08, 0x03, 0x26}));
    Type(3, "rtcMinutes", "42");
    Click(3, "rtcSet");
    EXPECT_EQ(main.Last(), (Bytes{0x52, 0x09, 0x42, 0x14, 0x01, 0x08, 0x03, 0x26}));
    Click(3, "rtcGet");
    EXPECT_EQ(main.Last(), (Bytes{0x53}));
    Answer(Ack(Cmd::kGetClock, {0x59, 0x58, 0x23, 0x07, 0x31, 0x12, 0x99}));
    QStringList shown;
    for (const char* name :
         {"rtcSeconds", "rtcMinutes", "rtcHours", "rtcDayOfWeek", "rtcDay", "rtcMonth", "rtcYear"}) {
        shown << W(3, name)->text();
    }
    EXPECT_EQ(shown, (QStringList{"59", "58", "23", "07", "31", "12", "99"}));
}

// The field stops at 7, yet the step past it must still reach the page.
TEST_F(ConfigSheetWidgetTest, LcdSpinSendsEachStepEvenAtTheTop) {
    sheet->SetActivePage(4);
    auto* spin = W<QSpinBox>(4, "lcdContrast");
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(spin, Qt::Key_Up);
    }
    ASSERT_EQ(main.sent.size(), 8u);
    EXPECT_EQ(main.Last(), (Bytes{0x54, 0x08}));
    EXPECT_EQ(spin->value(), 7);
    QTest::keyClicks(spin, "3");  // a typed contrast would never reach the reader
    EXPECT_EQ(spin->value(), 7);
    EXPECT_EQ(main.sent.size(), 8u);
}

TEST_F(ConfigSheetWidgetTest, OptimizationSetAndGet) {
    sheet->SetActivePage(6);
    Click(6, "optSetting2");
    EXPECT_EQ(ClickAndTick(6, "optSet"), (Bytes{0x28, 0x39, 0x02}));
    Answer(Ack(Cmd::kSetConfig));
    EXPECT_EQ(ClickAndTick(6, "optGet"), (Bytes{0x29, 0x39}));
    Answer(Ack(Cmd::kGetConfig, {0x03}));
    EXPECT_TRUE(W<QRadioButton>(6, "optSetting3")->isChecked());
}

TEST_F(ConfigSheetWidgetTest, AdditionalOutputFormatAndBluetoothButtons) {
    sheet->SetActivePage(CConfigPages::kAdditional);
    Type(5, "addSwitchOff", "30");
    Click(5, "addSetSwitchOff");
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x15, 0x0B, 0xB8}));
    auto* slider = W<QSlider>(5, "addSlider");
    slider->setValue(0);
    EXPECT_EQ(pages.Additional().Fields().breakTime, "500");
    QTest::keyClick(W<QAbstractSpinBox>(5, "addSync"), Qt::Key_Up);
    Click(5, "addSyncOn");
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x21, 0x05}));  // 0.10 V
    EXPECT_FALSE(W<QPushButton>(5, "addGetSync")->isVisible());
    pages.SetDeveloper(true);
    EXPECT_TRUE(W<QPushButton>(5, "addGetSync")->isVisible());

    sheet->SetActivePage(CConfigPages::kOutputFormat);
    auto* initial = W<QComboBox>(7, "outList13");
    initial->setCurrentIndex(0);
    emit initial->activated(0);
    EXPECT_EQ(W<QLabel>(7, "outPreview")->text(), "#IIIIIIIIIIII");
    Click(7, "outSave");
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x19, 0x00, 0x00, 0x23}));

    sheet->SetActivePage(CConfigPages::kBluetooth);
    Click(1, "btMode1");
    Click(1, "btSetMode");
    EXPECT_EQ(main.Last(), (Bytes{0x60, 0x17, 0x01}));
    Answer(Nak(0x60, {0x18, 0x00}));
    EXPECT_TRUE(W<QRadioButton>(1, "btMode0")->isChecked());
    Type(1, "btName", "Stall 4");
    Click(1, "btSetName");
    EXPECT_EQ(main.Last(), (Bytes{0x9F, 0x29, 7, 'S', 't', 'a', 'l', 'l', ' ', '4'}));
}

}  // namespace
