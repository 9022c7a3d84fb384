// The whole tool road: corvantelle-sim on a pseudo-terminal, the tool's serial port, engine and
// main window.
#include "e2e/E2eSupport.h"

#include "core/link/Commands.h"
#include "simhost/EmbeddedSimulator.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(AppE2e, TagShowsUpAndAKilledSimulatorLeavesTheToolDisconnected) {
    SimProcess sim({"--tag-interval", "200", "--tag", "984:123456789012:fdx:Weigh", "--tag-form", "char16"});
    const QString device = sim.Device();
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();
    Tool tool(device);
    // Plain references: a lambda may not capture a structured binding before C++20's fix.
    auto& prompt = tool.prompt;
    auto& window = tool.window;
    ASSERT_TRUE(prompt.messages.empty()) << prompt.messages[0].second;

    auto* id = window.findChild<QLineEdit*>("nationalId");
    ASSERT_TRUE(WaitFor([&] { return id->text() == "123456789012"; }, 5000));
    EXPECT_EQ(window.findChild<QLineEdit*>("countryCode")->text(), "0984");
    EXPECT_EQ(window.findChild<QLineEdit*>("eventText")->text(), "Weigh");

    sim.Process().kill();
    sim.Process().waitForFinished(5000);
    ASSERT_TRUE(WaitFor([&] { return !prompt.messages.empty(); }, 5000));
    QTest::qWait(300);
    // The failed read or write with its code, then what to do about it; nothing more.
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[0].first.rfind("COM Error <CE-", 0), 0u) << prompt.messages[0].first;
    EXPECT_NE(prompt.messages[0].first.find(">: "), std::string::npos) << prompt.messages[0].first;
    EXPECT_EQ(prompt.messages[1].first, CReaderToolDlg::kConnectionLost);
    EXPECT_EQ(window.findChild<QPushButton*>("connect")->text(), "&Connect");
    EXPECT_TRUE(window.findChild<QLabel*>("statusLine")->text().startsWith("Disconnected"));
    EXPECT_EQ(tool.serial.IsOpen(), 0);
}

// What --simulate does: the simulated reader inside the tool, on its own pseudo-terminal.
TEST(AppE2e, ReaderPageSetsTimeoutAndReadsItBackWithTheBuiltInReader) {
    EmbeddedSimulator sim;
    ASSERT_EQ(sim.Start(), 0);
    Tool tool(sim.DevicePath());
    auto& prompt = tool.prompt;
    auto& window = tool.window;
    QTest::mouseClick(window.findChild<QPushButton*>("configuration"), Qt::LeftButton);
    ASSERT_NE(window.Sheet(), nullptr);
    QWidget* reader = window.Sheet()->PageWidget(0);
    auto* timeout = reader->findChild<QLineEdit*>("readerTimeout");
    auto* status = reader->findChild<QLabel*>("pageStatus");
    timeout->setText("3000");
    QTest::mouseClick(reader->findChild<QPushButton*>("readerSetTimeout"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return status->text() == "      Set timeout success"; }, 8000))
        << status->text().toStdString();
    timeout->clear();
    QTest::mouseClick(reader->findChild<QPushButton*>("readerGetAll"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return timeout->text() == "3000"; }, 8000)) << timeout->text().toStdString();
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(sim.Reader().GetConfig(CfgAddr::kTimeout), 30);
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
