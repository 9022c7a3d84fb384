// The Bluetooth console against the reader that --simulate starts, over its pseudo-terminal.
#include "e2e/E2eSupport.h"

#include "gui/service/BluetoothWindow.h"

#include <QAction>

namespace {

TEST(ServiceE2e, ConsoleConfigurationScriptRunsWithTheBuiltInReader) {
    BuiltIn<> rig(AppSettings{1, 9600, 1, 0});
    ASSERT_EQ(rig.started, 0);
    auto& prompt = rig.tool.prompt;
    ASSERT_TRUE(prompt.messages.empty());
    rig.tool.window.Action(MainWindow::kBluetooth)->trigger();
    auto* console = TopLevel<BluetoothWindow>("Bluetooth");
    ASSERT_NE(console, nullptr);

    Click(console, "config");
    auto* scriptText = console->findChild<QLineEdit*>("scriptText");
    ASSERT_TRUE(WaitFor([&] { return scriptText->text() == "Configuration succes!"; }, 30000))
        << scriptText->text().toStdString();
    EXPECT_EQ(rig.sim.Reader().Module().SavedRegister(512), 4);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, "Configuration succes!");
}

}  // namespace
