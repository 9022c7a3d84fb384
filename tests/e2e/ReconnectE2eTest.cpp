// A reader that goes away and comes back under the same link name while the tool runs.
#include "e2e/E2eSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(ReconnectE2e, SimulatorRestartedOnTheSameLinkIsReopenedUntilDisconnect) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("reader"));
    const QStringList arguments = {"--link", link, "--tag-interval", "100", "--tag", "276:4711:hdx"};
    auto sim = std::make_unique<SimProcess>(arguments);
    ASSERT_FALSE(sim->Device().isEmpty());
    CSerialPort serial;
    FakePrompt prompt;
    serial.SetDevicePath(link);
    MainWindow window(serial, prompt, MainWindowOptions{});
    window.AttachSerialPort(serial);
    QStringList lines;
    QObject::connect(&window, &MainWindow::statusLineChanged, [&lines](const QString& l) { lines << l; });
    window.show();
    window.Start(AppSettings{1, 9600, 255, 0, 1});
    auto* id = window.findChild<QLineEdit*>("nationalId");
    auto* button = window.findChild<QPushButton*>("connect");
    auto tagsFlow = [id] {
        id->clear();
        return WaitFor([id] { return id->text() == "000000004711"; }, 5000);
    };
    // How often a status text came up; a run of lines that keep it counts once.
    auto shown = [&lines](const char* text) {
        int count = 0;
        bool on = false;
        for (const QString& line : lines) {
            count += line.endsWith(QLatin1String(text)) && !on ? 1 : 0;
            on = line.endsWith(QLatin1String(text));
        }
        return count;
    };
    ASSERT_TRUE(tagsFlow());

    // Killed: its link is left dangling until the new simulator replaces it.
    sim->Process().kill();
    ASSERT_TRUE(WaitFor([&] { return shown(CReaderToolDlg::kConnectionLost) == 1; }, 5000));
    EXPECT_EQ(button->text(), "&Disconnect") << "the wait is ended with Disconnect";
    sim = std::make_unique<SimProcess>(arguments);
    ASSERT_FALSE(sim->Device().isEmpty());
    ASSERT_TRUE(tagsFlow()) << "tags flow again without a click";
    EXPECT_EQ(shown(CReaderToolDlg::kReconnected), 1);
    EXPECT_EQ(shown(CReaderToolDlg::kConnectionLost), 1);
    EXPECT_TRUE(prompt.messages.empty()) << "no box to click away: " << prompt.messages[0].first;

    // Ended cleanly, the link goes with it, as a by-id link does when the adapter is pulled.
    sim->Process().terminate();
    ASSERT_TRUE(WaitFor([&] { return shown(CReaderToolDlg::kConnectionLost) == 2; }, 5000));
    QTest::qWait(2300);
    EXPECT_LE(window.Logic().Reconnect().Attempts(), 3) << "one quiet try a second";
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), "&Connect");
    EXPECT_FALSE(lines.back().endsWith(CReaderToolDlg::kConnectionLost)) << lines.back().toStdString();
    sim = std::make_unique<SimProcess>(arguments);
    ASSERT_FALSE(sim->Device().isEmpty());
    QTest::qWait(2500);
    EXPECT_EQ(serial.IsOpen(), 0) << "no reconnect after Disconnect";
    EXPECT_EQ(shown(CReaderToolDlg::kReconnected), 1);
    EXPECT_TRUE(prompt.messages.empty());
}

}  // namespace
