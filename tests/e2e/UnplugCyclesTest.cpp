// A reader pulled and plugged back again and again under a running tool: each time the tool says
// what failed and "Connection lost" once, shows itself disconnected, comes back with Connect, and
// keeps no descriptor or thread behind.
#include "e2e/E2eSupport.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>

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
    const QStringList arguments = {"--link",     link,     "--tag-interval", "50",
                                   "--tag-form", "char16", "--tag",          "984:123456789012:fdx:Weigh"};
    auto sim = std::make_unique<SimProcess>(arguments);
    ASSERT_TRUE(sim->Device().startsWith("/dev/"));
    Tool tool(link);
    const auto& messages = tool.prompt.messages;
    ASSERT_TRUE(messages.empty()) << messages[0].second;
    auto* id = tool.window.findChild<QLineEdit*>("nationalId");
    auto* connect = tool.window.findChild<QPushButton*>("connect");
    ASSERT_TRUE(WaitFor([&] { return id->text() == "123456789012"; }, 5000));
    EXPECT_EQ(tool.window.findChild<QLineEdit*>("countryCode")->text(), "0984");
    EXPECT_EQ(tool.window.findChild<QLineEdit*>("eventText")->text(), "Weigh");
    const int descriptors = Entries("/proc/self/fd");
    const int threads = Entries("/proc/self/task");

    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        sim->Process().kill();
        sim->Process().waitForFinished(5000);
        sim.reset();
        ASSERT_TRUE(WaitFor([&] { return Lost(tool.prompt) == cycle; }, 5000)) << "cycle " << cycle;
        if (cycle == 1) {
            QTest::qWait(300);
            // The failed read or write with its code, then what to do about it; nothing more.
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_EQ(messages[0].first.rfind("COM Error <CE-", 0), 0u) << messages[0].first;
            EXPECT_NE(messages[0].first.find(">: "), std::string::npos) << messages[0].first;
            EXPECT_EQ(messages[1].first, CReaderToolDlg::kConnectionLost);
            EXPECT_EQ(connect->text(), "&Connect");
            EXPECT_TRUE(tool.window.findChild<QLabel*>("statusLine")->text().startsWith("Disconnected"));
            EXPECT_EQ(tool.serial.IsOpen(), 0);
        }
        sim = std::make_unique<SimProcess>(arguments);
        ASSERT_FALSE(sim->Device().isEmpty()) << "cycle " << cycle;
        id->clear();
        QTest::mouseClick(connect, Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return id->text() == "123456789012"; }, 5000)) << "cycle " << cycle;
    }
    QTest::qWait(100);
    EXPECT_EQ(Lost(tool.prompt), kCycles) << "one message per pulled reader";
    EXPECT_EQ(Entries("/proc/self/fd"), descriptors);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
}

}  // namespace
