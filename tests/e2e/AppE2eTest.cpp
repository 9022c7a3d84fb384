// The tool's own process and its built-in reader, without a window.
#include "e2e/E2eSupport.h"

namespace {

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
