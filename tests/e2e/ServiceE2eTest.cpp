// The service tools against the reader that --simulate starts, over its pseudo-terminal.
#include "e2e/E2eSupport.h"

#include "gui/service/BluetoothWindow.h"
#include "gui/service/MonitorWindow.h"
#include "gui/service/ServiceDialogs.h"

#include <QAction>
#include <QListWidget>

namespace {

QStringList Items(QWidget* parent, const char* name) {
    QStringList out;
    auto* list = parent->findChild<QListWidget*>(QString::fromLatin1(name));
    for (int i = 0; list != nullptr && i < list->count(); ++i) {
        out << list->item(i)->text();
    }
    return out;
}

TEST(ServiceE2e, ConsoleMonitorAndMemoryWithTheBuiltInReader) {
    BuiltIn<> rig(AppSettings{1, 9600, 1, 0});
    ASSERT_EQ(rig.started, 0);
    auto& sim = rig.sim;
    auto& window = rig.tool.window;
    auto& prompt = rig.tool.prompt;
    ASSERT_TRUE(prompt.messages.empty());

    window.Action(MainWindow::kMonitor)->trigger();
    window.Action(MainWindow::kBluetooth)->trigger();
    auto* monitor = TopLevel<MonitorWindow>("Monitor");
    auto* console = TopLevel<BluetoothWindow>("Bluetooth");
    ASSERT_NE(monitor, nullptr);
    ASSERT_NE(console, nullptr);

    // A configuration read shows up with the answered command's name.
    ASSERT_NE(rig.tool.OpenSheet(), nullptr);
    Click(window.Sheet()->PageWidget(0), "readerGetAll");
    ASSERT_TRUE(WaitFor([&] { return Items(monitor, "lines").join('|').contains(" get config "); }, 8000));

    // The configuration script runs to success against the simulated module.
    Click(console, "config");
    auto* scriptText = console->findChild<QLineEdit*>("scriptText");
    ASSERT_TRUE(WaitFor([&] { return scriptText->text() == "Configuration succes!"; }, 30000))
        << scriptText->text().toStdString();
    EXPECT_EQ(sim.Reader().Module().SavedRegister(512), 4);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, "Configuration succes!");

    // The dump reads back what "Write" put into the EEPROM.
    MemoryDialog memory(window.Logic(), window.Logic().Windows(), prompt, &window);
    memory.open();
    memory.findChild<QLineEdit*>("address")->setText("1e");
    memory.findChild<QLineEdit*>("data")->setText("ab");
    Click(&memory, "write");
    ASSERT_TRUE(WaitFor([&] { return sim.Reader().Eeprom().At(0x1E) == 0xAB; }, 5000));
    Click(&memory, "startDump");
    ASSERT_TRUE(WaitFor([&] { return Items(&memory, "dump").size() == 2; }, 15000));
    EXPECT_EQ(Items(&memory, "dump")[0], "0010: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d ab 0f");
}

}  // namespace
