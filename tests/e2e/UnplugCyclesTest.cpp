// A reader pulled and plugged back again and again under a running tool: each time the tool says
// "Connection lost" once, comes back with Connect, and keeps no descriptor or thread behind.
#include "e2e/E2eSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

int Entries(const char* folder) {
    return static_cast<int>(
        QDir(QString::fromUtf8(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

int Lost(const FakePrompt& prompt) {
    return static_cast<int>(std::count_if(prompt.messages.begin(), prompt.messages.end(), [](const auto& m) {
        return m.first == CReaderToolDlg::kConnectionLost;
    }));
}

TEST(UnplugCycles, HundredRestartsOfTheReaderUnderARunningTool) {
    constexpr int kCycles = 100;
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("reader"));
    const QStringList arguments = {"--link", link, "--tag-interval", "50", "--tag", "276:4711:hdx"};
    auto sim = std::make_unique<SimProcess>(arguments);
    ASSERT_FALSE(sim->Device().isEmpty());
    Tool tool(link);
    auto& prompt = tool.prompt;
    auto* id = tool.window.findChild<QLineEdit*>("nationalId");
    auto* connect = tool.window.findChild<QPushButton*>("connect");
    ASSERT_TRUE(WaitFor([&] { return id->text() == "000000004711"; }, 5000));
    const int descriptors = Entries("/proc/self/fd");
    const int threads = Entries("/proc/self/task");

    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        sim->Process().kill();
        sim->Process().waitForFinished(5000);
        sim.reset();
        ASSERT_TRUE(WaitFor([&] { return Lost(prompt) == cycle; }, 5000)) << "cycle " << cycle;
        sim = std::make_unique<SimProcess>(arguments);
        ASSERT_FALSE(sim->Device().isEmpty()) << "cycle " << cycle;
        id->clear();
        QTest::mouseClick(connect, Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return id->text() == "000000004711"; }, 5000)) << "cycle " << cycle;
    }
    QTest::qWait(100);
    EXPECT_EQ(Lost(prompt), kCycles) << "one message per pulled reader";
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
}

}  // namespace
