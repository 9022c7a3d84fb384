// The service tools against the reader that --simulate starts, over its pseudo-terminal.
#include "../core/app/AppFakes.h"

#include "simhost/EmbeddedSimulator.h"
#include "gui/app/MainWindow.h"
#include "gui/service/BluetoothWindow.h"
#include "gui/service/MonitorWindow.h"
#include "gui/service/ServiceDialogs.h"
#include "platform/SerialPort.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}

template <typename T>
T* TopLevel(const char* caption) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowTitle() == QLatin1String(caption) && w->isVisible()) {
            return qobject_cast<T*>(w);
        }
    }
    return nullptr;
}

QStringList Items(QWidget* parent, const char* name) {
    QStringList out;
    auto* list = parent->findChild<QListWidget*>(QString::fromLatin1(name));
    for (int i = 0; list != nullptr && i < list->count(); ++i) {
        out << list->item(i)->text();
    }
    return out;
}

TEST(ServiceE2e, ConsoleMonitorAndMemoryWithTheBuiltInReader) {
    EmbeddedSimulator sim;
    ASSERT_EQ(sim.Start(), 0);
    CSerialPort serial;
    FakePrompt prompt;
    MainWindow window(serial, prompt, MainWindowOptions{});
    serial.SetDevicePath(sim.DevicePath());
    serial.SetReceiver([&window](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
    window.show();
    window.Start(AppSettings{1, 9600, 1, 0});
    ASSERT_TRUE(prompt.messages.empty());

    window.Action(MainWindow::kMonitor)->trigger();
    window.Action(MainWindow::kBluetooth)->trigger();
    auto* monitor = TopLevel<MonitorWindow>("Monitor");
    auto* console = TopLevel<BluetoothWindow>("Bluetooth");
    ASSERT_NE(monitor, nullptr);
    ASSERT_NE(console, nullptr);

    // A configuration read shows up with the answered command's name.
    QTest::mouseClick(window.findChild<QPushButton*>("configuration"), Qt::LeftButton);
    ASSERT_NE(window.Sheet(), nullptr);
    QTest::mouseClick(window.Sheet()->PageWidget(0)->findChild<QPushButton*>("readerGetAll"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Items(monitor, "lines").join('|').contains(" get config "); }, 8000));

    // The configuration script runs to success against the simulated module.
    QTest::mouseClick(console->findChild<QPushButton*>("config"), Qt::LeftButton);
    auto* scriptText = console->findChild<QLineEdit*>("scriptText");
    ASSERT_TRUE(WaitUntil([&] { return scriptText->text() == "Configuration succes!"; }, 30000))
        << scriptText->text().toStdString();
    EXPECT_EQ(sim.Reader().Module().SavedRegister(512), 4);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, "Configuration succes!");

    // The dump reads back what "Write" put into the EEPROM.
    MemoryDialog memory(window.Logic(), window.Logic().Windows(), prompt, &window);
    memory.open();
    memory.findChild<QLineEdit*>("address")->setText("1e");
    memory.findChild<QLineEdit*>("data")->setText("ab");
    QTest::mouseClick(memory.findChild<QPushButton*>("write"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return sim.Reader().Eeprom().At(0x1E) == 0xAB; }, 5000));
    QTest::mouseClick(memory.findChild<QPushButton*>("startDump"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Items(&memory, "dump").size() == 2; }, 15000));
    EXPECT_EQ(Items(&memory, "dump")[0], "0010: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d ab 0f");
}

}  // namespace
