// The whole configuration through the real widgets and the built-in simulated reader: read, edit,
// save, reset, load, apply, read again.
#include "e2e/E2eSupport.h"

#include "core/link/Commands.h"
#include "simhost/EmbeddedSimulator.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(WholeConfigurationE2e, SavedConfigurationGoesBackIntoAResetReader) {
    EmbeddedSimulator sim;
    ASSERT_EQ(sim.Start(), 0);
    Tool tool(sim.DevicePath());
    auto& window = tool.window;
    QTemporaryDir dir;
    tool.prompt.savePath = dir.filePath("reader").toStdString();
    tool.prompt.openPath = dir.filePath("reader.cfg").toStdString();
    QTest::mouseClick(window.findChild<QPushButton*>("configuration"), Qt::LeftButton);
    ASSERT_NE(window.Sheet(), nullptr);
    QWidget* reader = window.Sheet()->PageWidget(0);
    QWidget* additional = window.Sheet()->PageWidget(5);
    auto* status = reader->findChild<QLabel*>("pageStatus");
    auto* timeout = reader->findChild<QLineEdit*>("readerTimeout");
    auto* switchOff = additional->findChild<QLineEdit*>("addSwitchOff");
    const auto band = [&](const char* name) {
        QTest::mouseClick(reader->findChild<QPushButton*>(name), Qt::LeftButton);
    };
    const auto waitStatus = [&](const QString& text) {
        return WaitFor([&] { return status->text() == "      " + text; }, 15000);
    };

    band("bandRead");
    ASSERT_TRUE(waitStatus("Read configuration success")) << status->text().toStdString();
    EXPECT_EQ(timeout->text(), "5000");
    EXPECT_EQ(switchOff->text(), "7");

    timeout->setText("3000");
    switchOff->setText("30");
    band("bandSave");
    EXPECT_EQ(status->text(), "      Saved reader.cfg");

    band("bandResetAll");
    QTest::qWait(500);
    band("bandRead");
    ASSERT_TRUE(waitStatus("Read configuration success"));
    EXPECT_EQ(switchOff->text(), "7");

    band("bandLoad");
    EXPECT_EQ(status->text(), "      Loaded reader.cfg: 17 settings");
    EXPECT_EQ(timeout->text(), "3000");
    EXPECT_EQ(switchOff->text(), "30");
    band("bandApply");
    ASSERT_TRUE(waitStatus("Write configuration success")) << status->text().toStdString();
    timeout->clear();
    switchOff->clear();
    band("bandRead");
    ASSERT_TRUE(waitStatus("Read configuration success"));
    EXPECT_EQ(timeout->text(), "3000");
    EXPECT_EQ(switchOff->text(), "30");
    EXPECT_EQ(sim.Reader().GetSavedConfig(CfgAddr::kTimeout), 30);
    EXPECT_TRUE(tool.prompt.messages.empty());
}

}  // namespace
