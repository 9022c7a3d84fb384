// The service tools against the reader that --simulate starts, over its pseudo-terminal.
#include "e2e/E2eSupport.h"

#include "gui/service/BluetoothWindow.h"
#include "gui/service/MonitorWindow.h"

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

TEST(ServiceE2e, ConsoleAndMonitorWithTheBuiltInReader) {
    BuiltIn<> rig(AppSettings{1, 9600, 1, 0});
    ASSERT_EQ(rig.started, 0);
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
    EXPECT_EQ(rig.sim.Reader().Module().SavedRegister(512), 4);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, "Configuration succes!");
}

}  // namespace
