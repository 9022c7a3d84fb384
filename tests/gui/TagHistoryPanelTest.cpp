// The tag history under the main window's tag fields, fed by the simulated reader.
#include "../core/app/AppFakes.h"

#include "gui/app/MainWindow.h"
#include "gui/app/TagHistoryPanel.h"
#include "gui/service/UpdatePacer.h"
#include "sim/SimLink.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(TagHistoryPanel, OpensCountsRepeatsExportsAndClears) {
    SimLink link(1, 3);
    FakePrompt prompt;
    MainWindow window(link, prompt, MainWindowOptions{});
    link.SetReceiver([&](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
    window.Start(AppSettings{1, 9600, 1, 0});
    window.show();
    auto* table = window.findChild<QTableView*>(QStringLiteral("historyTable"));
    ASSERT_NE(table, nullptr);
    EXPECT_FALSE(table->isVisible());
    // Closed again, the window is as it was.
    auto* toggle = window.findChild<QToolButton*>(QStringLiteral("historyToggle"));
    const QSize closed = window.size();
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_GT(window.height(), closed.height() + 100);
    QTest::mouseClick(toggle, Qt::LeftButton);
    QTest::qWait(100);
    EXPECT_EQ(window.size(), closed);
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(table->isVisible());

    // The same calf twice within the repeat window, another animal between.
    link.Reader().SetTransponders(
        {{276, 4711, 5, "K\xE4lber"}, {276, 42, 1, ""}, {276, 4711, 5, "K\xE4lber"}});
    for (int i = 0; i < 3; ++i) {
        link.Reader().ReportNextTag();
        link.Advance(100);
    }
    QApplication::processEvents();
    const QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, TagHistoryModel::kEvent).data().toString(), QString::fromUtf8("K\u00e4lber"));
    EXPECT_EQ(model->index(0, TagHistoryModel::kCount).data().toString(), QString::fromUtf8("2 (\u00d72)"));
    EXPECT_EQ(model->index(1, TagHistoryModel::kType).data().toString(), "  HDX");

    QTemporaryDir dir;
    prompt.savePath = dir.filePath(QStringLiteral("reads.csv")).toStdString();
    auto* exportButton = window.findChild<QPushButton*>(QStringLiteral("historyExport"));
    QTest::mouseClick(exportButton, Qt::LeftButton);
    QFile file(dir.filePath(QStringLiteral("reads.csv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString csv = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(
        csv.startsWith(QStringLiteral("Time,Country code,Country,National ID,Type,Event,Count,Repeats\r\n")));
    EXPECT_TRUE(csv.contains(QString::fromUtf8(",000000004711,FDX-B,K\u00e4lber,2,1\r\n")))
        << csv.toStdString();
    prompt.savePath = dir.filePath(QStringLiteral("gone/reads.csv")).toStdString();
    QTest::mouseClick(exportButton, Qt::LeftButton);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, "The tag history was not saved");

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("historyClear")), Qt::LeftButton);
    EXPECT_EQ(model->rowCount(), 0);
}

// A reader streaming at 115200 baud: batches of 64 bytes, each handled in a turn of its own.
// The views follow at ten updates a second, yet no read is lost and the newest one shows at the
// next update, which is never more than 100 ms away.
TEST(TagHistoryPanel, BusyLineShowsEveryReadAndTheLastOneSoon) {
    SimLink link(1, 3);
    FakePrompt prompt;
    MainWindow window(link, prompt, MainWindowOptions{});
    window.Start(AppSettings{1, 9600, 1, 0});
    window.show();
    window.History()->SetOpen(true);
    auto* id = window.findChild<QLineEdit*>(QStringLiteral("nationalId"));
    std::vector<uint8_t> wire;
    constexpr int kTags = 400;
    for (uint64_t n = 0; n < kTags; ++n) {
        const auto frame = SimulatedReader::BuildAnswerFrame(
            1, SimulatedReader::BuildTagReport({276, 5000 + n, 5, "Stall 3"},
                                               SimulatedReader::TagForm::kChar16));
        wire.insert(wire.end(), frame.begin(), frame.end());
    }
    int stale = 0;
    for (size_t at = 0; at < wire.size(); at += 64) {
        window.OnRxBytes(wire.data() + at, static_cast<int>(std::min<size_t>(64, wire.size() - at)));
        QApplication::processEvents();
        const std::string shown =
            window.History()->History().Size() > 0
                ? window.History()->History().At(window.History()->History().Size() - 1).nationalId
                : std::string();
        if (id->text().toStdString() != shown) {
            ++stale;
            const int due = UpdatePacer::MsUntilNextUpdate();
            ASSERT_GE(due, 0) << "a newer tag than the one shown, and no update coming";
            ASSERT_LE(due, UpdatePacer::kBusyIntervalMs);
        }
    }
    EXPECT_GT(stale, 0) << "a busy line is followed at a pace, not on every batch";
    ASSERT_TRUE(QTest::qWaitFor([] { return UpdatePacer::MsUntilNextUpdate() < 0; }, 1000));
    EXPECT_EQ(id->text(), QStringLiteral("%1").arg(5000 + kTags - 1, 12, 10, QLatin1Char('0')));
    EXPECT_EQ(window.History()->History().Reads(), kTags);
    EXPECT_EQ(window.History()->Model().rowCount(), kTags);
    EXPECT_EQ(window.History()->Model().index(kTags - 1, TagHistoryModel::kNationalId).data().toString(),
              id->text());
}

}  // namespace
