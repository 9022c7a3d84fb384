// Diagnosis over the whole road: the built-in simulated reader on a pseudo-terminal, the tool's
// serial port, engine, main window and the Diagnosis window.
#include "e2e/E2eSupport.h"

#include "gui/diagnosis/DiagnosisWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QTemporaryDir>

#include <fstream>

namespace {

TEST(DiagnosisE2e, FdxTraceAndASampleFileThatDrawsTheSame) {
    BuiltIn<> rig;
    ASSERT_EQ(rig.started, 0);
    auto& window = rig.tool.window;
    auto& prompt = rig.tool.prompt;
    window.Action(MainWindow::kDiagnosis)->trigger();
    DiagnosisWindow* d = window.Diagnosis();
    ASSERT_NE(d, nullptr);
    auto click = [d](const char* name) {
        auto* button = d->findChild<QAbstractButton*>(QString::fromLatin1(name));
        // Near the left edge: a check box takes clicks on its box and caption only.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    };

    click("sampleFdx");
    click("start");
    const auto& samples = d->Logic().Samples();
    ASSERT_TRUE(WaitFor([&] { return samples[0] != 0; }, 5000));
    const auto first = samples;
    ASSERT_TRUE(WaitFor([&] { return samples != first; }, 5000)) << "a second block";

    click("stop");
    QTest::qWait(1200);  // an answer still on its way
    const Primitives before = d->CurrentPrimitives();
    QTemporaryDir dir;
    prompt.savePath = dir.filePath("block").toStdString();
    click("save");
    prompt.savePath = dir.filePath("zeros").toStdString();
    click("reset");
    prompt.openPath = "/dev/null";
    click("load");  // an empty file: nothing is replaced, and the user is told
    EXPECT_EQ(d->CurrentPrimitives(), before);
    prompt.openPath = dir.filePath("block.dat").toStdString();
    click("load");
    EXPECT_EQ(d->CurrentPrimitives(), before);
    prompt.openPath = dir.filePath("long.dat").toStdString();
    std::ofstream(prompt.openPath) << std::string(515, '\x7f');
    click("load");
    const decltype(prompt.messages) told{
        {"File shorter than a block: /dev/null", "It is empty; nothing was loaded."},
        {"File longer than a block: " + prompt.openPath,
         "Loaded its first 512 bytes; the other 3 were not read."}};
    EXPECT_EQ(prompt.messages, told);
}

}  // namespace
