// The whole tool road: corvantelle-sim on a pseudo-terminal, the tool's serial port, engine and
// main window.
#include "e2e/E2eSupport.h"

#include <QLabel>

namespace {

TEST(AppE2e, TagShowsUpAndAKilledSimulatorLeavesTheToolDisconnected) {
    SimProcess sim({"--tag-interval", "200", "--tag", "984:123456789012:fdx:Weigh", "--tag-form", "char16"});
    const QString device = sim.Device();
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();
    Tool tool(device);
    const auto& messages = tool.prompt.messages;
    ASSERT_TRUE(messages.empty()) << messages[0].second;

    auto* id = tool.window.findChild<QLineEdit*>("nationalId");
    ASSERT_TRUE(WaitFor([&] { return id->text() == "123456789012"; }, 5000));
    EXPECT_EQ(tool.window.findChild<QLineEdit*>("countryCode")->text(), "0984");
    EXPECT_EQ(tool.window.findChild<QLineEdit*>("eventText")->text(), "Weigh");

    sim.Process().kill();
    sim.Process().waitForFinished(5000);
    ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 5000));
    QTest::qWait(300);
    // The failed read or write with its code, then what to do about it; nothing more.
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].first.rfind("COM Error <CE-", 0), 0u) << messages[0].first;
    EXPECT_NE(messages[0].first.find(">: "), std::string::npos) << messages[0].first;
    EXPECT_EQ(messages[1].first, CReaderToolDlg::kConnectionLost);
    EXPECT_EQ(tool.window.findChild<QPushButton*>("connect")->text(), "&Connect");
    EXPECT_TRUE(tool.window.findChild<QLabel*>("statusLine")->text().startsWith("Disconnected"));
    EXPECT_EQ(tool.serial.IsOpen(), 0);
}

TEST(AppE2e, BuiltInReaderSleepsWhileNothingIsDue) {
    EmbeddedSimulator sim;
    ASSERT_EQ(sim.Start(), 0);
    QTest::qWait(500);
    EXPECT_LE(sim.Wakes(), 1);
}

// The command line is checked before a display is needed.
TEST(AppE2e, BadCommandLineEndsWithExitTwoWithoutDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(name);
    }
    for (const QStringList& arguments :
         {QStringList{"--bogus-option"}, QStringList{"--developer", "stray"}}) {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(CORVANTELLE_APP_PATH), arguments);
        ASSERT_TRUE(tool.waitForFinished(10000));
        EXPECT_EQ(tool.exitCode(), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(tool.readAllStandardError().trimmed().endsWith("try --help"));
    }
}

}  // namespace
