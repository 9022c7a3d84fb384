// The service windows on the main window and the simulated reader: real buttons, bytes that leave.
#include "../core/app/AppFakes.h"

#include "core/link/Commands.h"
#include "gui/app/MainWindow.h"
#include "gui/service/BluetoothWindow.h"
#include "gui/service/MonitorWindow.h"
#include "gui/service/ServiceDialogs.h"
#include "sim/SimLink.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ServiceWindowsTest : public ::testing::Test {
protected:
    ServiceWindowsTest() : link(1, 3), window(link, prompt, MainWindowOptions{}) {
        link.SetReceiver([this](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
        link.Reader().SetRequestObserver(
            [this](uint8_t, const std::vector<uint8_t>& payload) { requests.push_back(payload); });
        window.Start(AppSettings{1, 9600, 1, 0});
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            link.Advance(100);
            window.Logic().OnTimer();
        }
        QApplication::processEvents();
    }
    template <typename T>
    T* Top(const char* caption) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowTitle() == QLatin1String(caption) && w->isVisible()) {
                return qobject_cast<T*>(w);
            }
        }
        return nullptr;
    }
    static void Click(QWidget* parent, const char* name) {
        auto* button = parent->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QStringList Items(QWidget* parent, const char* name) {
        QStringList out;
        auto* list = parent->findChild<QListWidget*>(QString::fromLatin1(name));
        for (int i = 0; list != nullptr && i < list->count(); ++i) {
            out << list->item(i)->text();
        }
        return out;
    }

    SimLink link;
    FakePrompt prompt;
    MainWindow window;
    std::vector<std::vector<uint8_t>> requests;
};

TEST_F(ServiceWindowsTest, MonitorAndConsoleFollowTheLine) {
    window.Action(MainWindow::kMonitor)->trigger();
    window.Action(MainWindow::kBluetooth)->trigger();
    auto* monitor = Top<MonitorWindow>("Monitor");
    auto* console = Top<BluetoothWindow>("Bluetooth");
    ASSERT_NE(monitor, nullptr);
    ASSERT_NE(console, nullptr);

    console->findChild<QLineEdit*>("registerAddress")->setText("512");
    Click(console, "registerRead");
    Tick(2);
    EXPECT_EQ(console->findChild<QLineEdit*>("registerData")->text(), "1");
    EXPECT_TRUE(Items(monitor, "lines").contains("ATS512?<CR> Register request "))
        << Items(monitor, "lines").join("|").toStdString();

    console->findChild<QCheckBox*>("route")->setChecked(true);
    Click(console, "at");
    Tick(2);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), (std::vector<uint8_t>{0x59, 'A', 'T', 0x0D}));
    EXPECT_TRUE(Items(monitor, "lines").join('|').contains(QStringLiteral(" unknown ")));

    // Escape and the close box empty the console's list; only "Quit" closes it.
    console->close();
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(Items(console, "lines").isEmpty());
    Click(console, "quit");
    EXPECT_FALSE(window.Logic().Windows().IsOpen("Bluetooth"));
    Click(monitor, "quit");
    EXPECT_FALSE(window.Logic().Windows().IsOpen("Monitor"));
}

TEST_F(ServiceWindowsTest, TypingInTheConsoleSurvivesBytesArriving) {
    window.Action(MainWindow::kBluetooth)->trigger();
    auto* console = Top<BluetoothWindow>("Bluetooth");
    ASSERT_NE(console, nullptr);
    const char* const edits[] = {"command", "connectAddress", "registerAddress", "registerData", "counter"};
    const std::string line = "OK\r\n";
    for (const char* name : edits) {
        auto* edit = console->findChild<QLineEdit*>(QString::fromLatin1(name));
        ASSERT_NE(edit, nullptr) << name;
        edit->clear();
        QTest::keyClicks(edit, "AT+N");
        window.OnRxBytes(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int>(line.size()));
        QTest::keyClicks(edit, "AME");
        window.OnRxBytes(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int>(line.size()));
        EXPECT_EQ(edit->text().toStdString(), "AT+NAME") << name;
    }
    Click(console, "quit");
}

TEST_F(ServiceWindowsTest, LcdMemoryAndMax884Dialogs) {
    {
        LcdDialog lcd(window.Logic(), window.Logic().Windows());
        lcd.open();
        Click(&lcd, "getUCom");
        Click(&lcd, "redOn");
        auto* contrast = lcd.findChild<QSpinBox*>("contrast");
        contrast->setValue(15);
        contrast->stepBy(1);
        Tick(3);
        EXPECT_EQ(requests, (std::vector<std::vector<uint8_t>>{{0x9F, 0x28}, {0x9F, 0x24, 0x01}}));
        EXPECT_EQ(lcd.findChild<QLineEdit*>("adapterVoltage")->text(), "  1.80V");
        EXPECT_EQ(lcd.findChild<QLineEdit*>("adapterType")->text(), "Bluetooth adapter");
        EXPECT_TRUE(link.Reader().Hardware().RedLed());
    }
    EXPECT_FALSE(window.Logic().Windows().IsOpen("LCD configuration"));

    MemoryDialog memory(window.Logic(), window.Logic().Windows(), prompt);
    memory.open();
    memory.findChild<QLineEdit*>("address")->setText("11");
    memory.findChild<QLineEdit*>("data")->setText("c3");
    Click(&memory, "write");
    Tick(2);
    Click(&memory, "startDump");
    Tick(40);
    EXPECT_EQ(Items(&memory, "dump"), (QStringList{"0010: 00 c3 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f",
                                                   "0020: 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f"}));
    QTest::keyClick(&memory, Qt::Key_Escape);
    EXPECT_TRUE(memory.isVisible());

    Max884Dialog max(prompt);
    max.open();
    Click(&max, "calc");
    EXPECT_EQ(max.findChild<QLineEdit*>("rpSoll")->text(), "428571.43");
    EXPECT_EQ(max.findChild<QLineEdit*>("voutResult")->text(), " 4.13");
    EXPECT_TRUE(max.findChild<QLineEdit*>("voutResult")->isEnabled());
    EXPECT_TRUE(prompt.messages.empty());
    max.findChild<QLineEdit*>("vout")->setText("1.0");
    Click(&max, "calc");
    EXPECT_EQ(max.findChild<QLineEdit*>("rpSoll")->text(), "");
    EXPECT_EQ(max.findChild<QLineEdit*>("voutResult")->text(), "");
    EXPECT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(max.findChild<QPushButton*>("cancel")->text(), "Cancel");
}

// Following the line marks no row as selected, a long line is neither cut nor out of the scroll
// range, and what arrives while paused is shown on resume.
TEST_F(ServiceWindowsTest, MonitorFollowsWithoutSelectingAndPauseHolds) {
    window.Action(MainWindow::kMonitor)->trigger();
    auto* monitor = Top<MonitorWindow>("Monitor");
    ASSERT_NE(monitor, nullptr);
    auto* list = monitor->findChild<QListWidget*>("lines");
    monitor->findChild<QCheckBox*>("stamps")->setChecked(true);
    for (int i = 0; i < 5; ++i) {
        window.Logic().OnSendNow(CTelegram(Cmd::kVersion, Desc::kVersion));
        Tick(2);
        QTest::qWait(120);
    }
    EXPECT_TRUE(list->selectedItems().isEmpty());
    QListWidgetItem* last = list->item(list->count() - 2);
    EXPECT_GE(list->visualItemRect(last).width(), list->fontMetrics().horizontalAdvance(last->text()));

    auto* pause = monitor->findChild<QPushButton*>("pause");
    pause->click();
    EXPECT_EQ(pause->text(), "Resume");
    const int before = list->count();
    window.Logic().OnSendNow(CTelegram(Cmd::kGetSnr, Desc::kGetSnr));
    Tick(2);
    QTest::qWait(120);
    EXPECT_EQ(list->count(), before);
    pause->click();
    EXPECT_EQ(pause->text(), "Pause");
    QTest::qWait(120);
    EXPECT_GT(list->count(), before);
    EXPECT_TRUE(list->findItems(" Get snr request ", Qt::MatchEndsWith).size() == 1);
}

TEST_F(ServiceWindowsTest, MonitorSearchStepsAndFilterHides) {
    window.Action(MainWindow::kMonitor)->trigger();
    auto* monitor = Top<MonitorWindow>("Monitor");
    ASSERT_NE(monitor, nullptr);
    window.Logic().OnSendNow(CTelegram(Cmd::kVersion, Desc::kVersion));
    Tick(2);
    window.Logic().OnSendNow(CTelegram(Cmd::kGetSnr, Desc::kGetSnr));
    Tick(2);
    auto* list = monitor->findChild<QListWidget*>("lines");
    auto* search = monitor->findChild<QLineEdit*>("search");
    QTest::keyClicks(search, "VERSION");
    QTest::keyClick(search, Qt::Key_Return);
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_TRUE(list->currentItem()->text().endsWith(" Get version request "))
        << list->currentItem()->text().toStdString();
    Click(monitor, "searchNext");
    EXPECT_TRUE(list->currentItem()->text().endsWith(" version "))
        << list->currentItem()->text().toStdString();
    // Escape in the search ends the search and keeps the lines.
    const int lines = list->count();
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_EQ(list->count(), lines);

    auto* filter = monitor->findChild<QComboBox*>("filter");
    filter->setCurrentIndex(filter->findData(int{Cmd::kGetSnr}));
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) {
        if (!list->item(i)->isHidden()) {
            shown << list->item(i)->text();
        }
    }
    ASSERT_EQ(shown.size(), 2) << shown.join('|').toStdString();
    EXPECT_TRUE(shown[0].endsWith(" Get snr request "));
    EXPECT_TRUE(shown[1].endsWith(" get SNR "));
}

}  // namespace
