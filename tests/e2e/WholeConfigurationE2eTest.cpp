// The whole configuration through the real widgets and the built-in simulated reader: read, edit,
// save, reset, load, apply, read again.
#include "e2e/E2eSupport.h"

#include "core/link/Commands.h"

#include <QLabel>
#include <QTemporaryDir>

namespace {

TEST(WholeConfigurationE2e, SavedConfigurationGoesBackIntoAResetReader) {
    BuiltIn<> rig;
    ASSERT_EQ(rig.started, 0);
    auto& tool = rig.tool;
    QTemporaryDir dir;
    tool.prompt.savePath = dir.filePath("reader").toStdString();
    tool.prompt.openPath = dir.filePath("reader.cfg").toStdString();
    ASSERT_NE(tool.OpenSheet(), nullptr);
    QWidget* reader = tool.window.Sheet()->PageWidget(0);
    auto* status = reader->findChild<QLabel*>("pageStatus");
    auto* timeout = reader->findChild<QLineEdit*>("readerTimeout");
    auto* switchOff = tool.window.Sheet()->PageWidget(5)->findChild<QLineEdit*>("addSwitchOff");
    const auto waitStatus = [&](const QString& text) {
        return WaitFor([&] { return status->text() == "      " + text; }, 15000);
    };

    Click(reader, "bandRead");
    ASSERT_TRUE(waitStatus("Read configuration success")) << status->text().toStdString();
    EXPECT_EQ(timeout->text(), "5000");
    EXPECT_EQ(switchOff->text(), "7");

    timeout->setText("3000");
    switchOff->setText("30");
    Click(reader, "bandSave");
    EXPECT_EQ(status->text(), "      Saved reader.cfg");

    Click(reader, "bandResetAll");
    QTest::qWait(500);
    Click(reader, "bandRead");
    ASSERT_TRUE(waitStatus("Read configuration success"));
    EXPECT_EQ(switchOff->text(), "7");

    Click(reader, "bandLoad");
    EXPECT_EQ(status->text(), "      Loaded reader.cfg: 17 settings");
    EXPECT_EQ(timeout->text(), "3000");
    EXPECT_EQ(switchOff->text(), "30");
    Click(reader, "bandApply");
    ASSERT_TRUE(waitStatus("Write configuration success")) << status->text().toStdString();
    timeout->clear();
    switchOff->clear();
    Click(reader, "bandRead");
    ASSERT_TRUE(waitStatus("Read configuration success"));
    EXPECT_EQ(timeout->text(), "3000");
    EXPECT_EQ(switchOff->text(), "30");
    EXPECT_EQ(rig.sim.Reader().GetSavedConfig(CfgAddr::kTimeout), 30);
    EXPECT_TRUE(tool.prompt.messages.empty());
}

}  // namespace
