// A reader that goes away and comes back under the same link name while the tool runs.
#include "e2e/E2eSupport.h"

#include <QTemporaryDir>

#include <memory>

TEST(ReconnectE2e, SimulatorRestartedOnTheSameLinkIsReopenedUntilDisconnect) {
    QTemporaryDir dir;
    const QStringList arguments = {"--link", dir.filePath("reader"), "--tag-interval", "100",
                                   "--tag",  "276:4711:hdx"};
    std::unique_ptr<SimProcess> sim;
    const auto restart = [&] {
        sim = std::make_unique<SimProcess>(arguments);
        return !sim->Device().isEmpty();
    };
    ASSERT_TRUE(restart());
    Tool tool(dir.filePath("reader"), {1, 9600, 255, 0, 1});
    auto& window = tool.window;
    int lost = 0, reconnected = 0;  // each run of status lines that shows the text counts once
    QString last;
    QObject::connect(&window, &MainWindow::statusLineChanged, [&](const QString& line) {
        lost +=
            line.endsWith(CReaderToolDlg::kConnectionLost) && !last.endsWith(CReaderToolDlg::kConnectionLost);
        reconnected +=
            line.endsWith(CReaderToolDlg::kReconnected) && !last.endsWith(CReaderToolDlg::kReconnected);
        last = line;
    });
    auto* id = window.findChild<QLineEdit*>("nationalId");
    auto* button = window.findChild<QPushButton*>("connect");
    auto tagsFlow = [id] {
        id->clear();
        return WaitFor([id] { return id->text() == "000000004711"; }, 5000);
    };
    ASSERT_TRUE(tagsFlow());

    // Killed, its link dangles until the next simulator replaces it.
    sim->Process().kill();
    ASSERT_TRUE(WaitFor([&] { return lost == 1; }, 5000));
    EXPECT_EQ(button->text(), "&Stop reconnecting");
    EXPECT_TRUE(last.startsWith("Reconnecting to " + dir.filePath("reader") + " (attempt "))
        << last.toStdString();
    ASSERT_TRUE(restart());
    ASSERT_TRUE(tagsFlow()) << "tags flow again without a click";
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(reconnected, 1);
    EXPECT_TRUE(tool.prompt.messages.empty()) << "no box to click away: " << tool.prompt.messages[0].first;

    // Ended cleanly, its link goes too, as a by-id link goes with a pulled adapter.
    sim->Process().terminate();
    ASSERT_TRUE(WaitFor([&] { return lost == 2; }, 5000));
    QTest::qWait(2300);
    EXPECT_LE(window.Logic().Reconnect().Attempts(), 3) << "one quiet try a second";
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), "&Connect");
    EXPECT_FALSE(last.endsWith(CReaderToolDlg::kConnectionLost)) << last.toStdString();
    ASSERT_TRUE(restart());
    QTest::qWait(2500);
    EXPECT_EQ(tool.serial.IsOpen(), 0) << "no reconnect after Disconnect";
    EXPECT_EQ(reconnected, 1);
    EXPECT_TRUE(tool.prompt.messages.empty());
}
