// Test tools, Database and Event database windows against the tool's built-in simulated reader.
#include "../sim/TagTestSupport.h"
#include "e2e/E2eSupport.h"

#include "core/tags/EventDatabase.h"
#include "core/util/Format.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>

#include <sstream>

namespace {

// The national IDs of a dataset file, after its two header lines.
std::vector<std::string> IdsIn(const std::string& path) {
    std::istringstream in(ReadAll(path));
    std::vector<std::string> ids;
    std::string line;
    for (int n = 0; std::getline(in, line); ++n) {
        if (n >= 2) {
            ids.push_back(line.substr(5, 12));
        }
    }
    return ids;
}

std::vector<std::string> Ids(int from, int to) {
    std::vector<std::string> ids;
    for (int i = from; i <= to; ++i) {
        ids.push_back(Format("%012d", i));
    }
    return ids;
}

MainWindowOptions DataIn(const TempDir& dir) {
    MainWindowOptions options;
    options.dataFolder = dir.path.string();
    return options;
}

// The Database window's "Get all" into the file the dialog is given, to its end.
bool DownloadAll(MainWindow& window, TagPrompt& prompt, const std::string& file, int ms) {
    window.Action(MainWindow::kDatabase)->trigger();
    prompt.files.push_back(file);
    Click(window.Database(), "getAll");
    return WaitFor([&] { return window.Database()->Logic().State() == CDatabaseDlg::kIdle; }, ms);
}

TEST(TagDataE2e, StoredDatasetsComeBackInGroupFilesAndAListedTagGetsItsEvent) {
    TempDir dir;
    BuiltIn<TagPrompt> rig({1, 9600, 255, 0}, DataIn(dir));
    ASSERT_EQ(rig.started, 0);
    auto& sim = rig.sim;
    auto& window = rig.tool.window;
    const auto& memory = sim.Reader().Datasets();

    window.Action(MainWindow::kTestTools)->trigger();
    QWidget* tools = window.TestTools();
    ASSERT_NE(tools, nullptr);
    Type(tools, "countryCode", "276");
    Type(tools, "nationalId", "5000");
    Type(tools, "amount", "10");
    Click(tools, "store");
    ASSERT_TRUE(WaitFor([&] { return memory.Count() == 10; }, 15000)) << memory.Count();
    Click(tools, "separator");
    ASSERT_TRUE(WaitFor([&] { return memory.Count() == 11; }, 5000));
    Type(tools, "amount", "15");
    Click(tools, "store");
    ASSERT_TRUE(WaitFor([&] { return memory.Count() == 26; }, 20000)) << memory.Count();

    window.Action(MainWindow::kDatabase)->trigger();
    ASSERT_NE(window.Database(), nullptr);
    window.Database()->findChild<QCheckBox*>("newFile")->setChecked(true);
    ASSERT_TRUE(DownloadAll(window, rig.tool.prompt, dir / "farm.txt", 20000));
    EXPECT_EQ(IdsIn(dir / "farm_Group_001.txt"), Ids(5000, 5009));
    EXPECT_EQ(IdsIn(dir / "farm_Group_002.txt"), Ids(5011, 5025));  // the separator took 5010

    sim.Reader().SetTransponders({{984, 123456789012ULL, 5, {}}});
    window.Action(MainWindow::kEventDatabase)->trigger();
    QWidget* events = window.EventDatabase();
    ASSERT_NE(events, nullptr);
    Type(events, "id", "123456789012");
    Type(events, "event", "Sale");
    Click(events, "assign");
    Click(events, "activate");
    sim.Reader().SetTagInterval(300);
    ASSERT_TRUE(WaitFor([&] { return !sim.Reader().Events().LastShownEvent().empty(); }, 5000));
    const auto& record = sim.Reader().Events().LastShownEvent();
    EXPECT_EQ(std::string(record.begin() + 8, record.end()), "Sale            ");
    EXPECT_EQ(events->findChild<QLineEdit*>("event")->text(), "Sale            ");
    EXPECT_TRUE(rig.tool.prompt.messages.empty()) << rig.tool.prompt.messages[0];
    AppSettings saved;
    window.Shutdown(saved);
    EXPECT_EQ(saved.eventDatabase, 1);
}

}  // namespace

// A measured run, not a unit test (about 7 minutes): every dataset of a full reader memory
// downloaded from corvantelle-sim at the pace of a 115200 baud line. Run it with
//   e2e_tests --gtest_also_run_disabled_tests --gtest_filter='*FullMemory*'
TEST(TagDataE2e, DISABLED_FullMemoryDownloadTime) {
    TempDir dir;
    SimProcess sim({"--datasets", "4095", "--group-every", "100", "--baud", "115200"});
    const QString device = sim.Device();
    ASSERT_FALSE(device.isEmpty());
    ToolWith<TagPrompt> tool(device, {1, 115200, 255, 0});
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(DownloadAll(tool.window, tool.prompt, dir / "full.txt", 900000));
    const auto& logic = tool.window.Database()->Logic();
    std::printf("4095 datasets (41 groups) in %.1f s: %s\n", clock.elapsed() / 1000.0,
                logic.ProgressText().c_str());
    EXPECT_EQ(logic.Lines().size(), 4095u + 1u);
    EXPECT_TRUE(tool.prompt.messages.empty());
    sim.Process().terminate();
    sim.Process().waitForFinished(5000);
}

// Pictures of the windows for the documentation, not a unit test. Run it with
//   CORVANTELLE_SHOTS=docs e2e_tests --gtest_also_run_disabled_tests --gtest_filter='*Pictures*'
TEST(TagDataE2e, DISABLED_Pictures) {
    const QString folder = qEnvironmentVariable("CORVANTELLE_SHOTS", QStringLiteral("."));
    TempDir dir;
    BuiltIn<TagPrompt> rig({1, 9600, 255, 0}, DataIn(dir));
    ASSERT_EQ(rig.started, 0);
    auto& window = rig.tool.window;
    rig.sim.Reader().Datasets().Preload(45, 20, DatasetMemory::PackStamp(12, 6, 9, 41, 5));

    ASSERT_TRUE(DownloadAll(window, rig.tool.prompt, dir / "farm.txt", 20000));
    window.Database()->resize(760, 460);
    window.Database()->grab().save(folder + "/database-dialog.png");

    std::ofstream(dir / "EventDatabase.txt", std::ios::binary)
        << CEventDatabase::kHeader << "\r\n984000123456789        \"Sale\"\r\n"
        << "276000000004711        \"Vaccination\"\r\n6789        \"Selection\"\r\n";
    window.Action(MainWindow::kEventDatabase)->trigger();
    rig.sim.Reader().SetTransponders({{984, 123456789ULL, 5, {}}});
    rig.sim.Reader().ReportNextTag();
    ASSERT_TRUE(WaitFor([&] { return !window.EventDatabase()->Logic().m_id.empty(); }, 5000));
    window.EventDatabase()->resize(520, 420);
    window.EventDatabase()->grab().save(folder + "/event-database-dialog.png");

    ASSERT_NE(rig.tool.OpenSheet(), nullptr);
    window.Sheet()->SetActivePage(CConfigPages::kEvents);
    Click(window.Sheet()->PageWidget(CConfigPages::kEvents), "listGet");
    ASSERT_TRUE(WaitFor([&] { return window.Pages().Events().EventList().size() == 30; }, 30000));
    window.Sheet()->grab().save(folder + "/events-page.png");
}
