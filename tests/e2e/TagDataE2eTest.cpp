// Test tools, Database and Event database windows against the tool's built-in simulated reader.
#include "../sim/TagTestSupport.h"

#include "core/tags/EventDatabase.h"
#include "core/util/Format.h"
#include "simhost/EmbeddedSimulator.h"
#include "gui/app/MainWindow.h"
#include "platform/SerialPort.h"

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}

void Click(QWidget* window, const char* name) {
    auto* button = window->findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

void Type(QWidget* window, const char* name, const QString& text) {
    auto* edit = window->findChild<QLineEdit*>(name);
    ASSERT_NE(edit, nullptr) << name;
    edit->clear();
    QTest::keyClicks(edit, text);
}

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

TEST(TagDataE2e, StoredDatasetsComeBackInGroupFilesAndAListedTagGetsItsEvent) {
    TempDir dir;
    EmbeddedSimulator sim;
    ASSERT_EQ(sim.Start(), 0);
    CSerialPort serial;
    TagPrompt prompt;
    MainWindowOptions options;
    options.dataFolder = dir.path.string();
    MainWindow window(serial, prompt, options);
    serial.SetDevicePath(sim.DevicePath());
    serial.SetReceiver([&window](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
    window.show();
    window.Start(AppSettings{1, 9600, 255, 0});
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
    QWidget* database = window.Database();
    ASSERT_NE(database, nullptr);
    database->findChild<QCheckBox*>("newFile")->setChecked(true);
    prompt.files.push_back(dir / "farm.txt");
    Click(database, "getAll");
    ASSERT_TRUE(WaitFor([&] { return window.Database()->Logic().State() == CDatabaseDlg::kIdle; }, 20000));
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
    EXPECT_TRUE(prompt.messages.empty()) << prompt.messages[0];
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
    QProcess sim;
    sim.start(QStringLiteral(CORVANTELLE_SIM_PATH),
              {"--datasets", "4095", "--group-every", "100", "--baud", "115200"});
    ASSERT_TRUE(sim.waitForStarted(5000) && sim.waitForReadyRead(5000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    CSerialPort serial;
    TagPrompt prompt;
    MainWindow window(serial, prompt, MainWindowOptions{});
    serial.SetDevicePath(device);
    serial.SetReceiver([&window](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
    window.Start(AppSettings{1, 115200, 255, 0});
    window.Action(MainWindow::kDatabase)->trigger();
    prompt.files.push_back(dir / "full.txt");
    QElapsedTimer clock;
    clock.start();
    Click(window.Database(), "getAll");
    ASSERT_TRUE(WaitFor([&] { return window.Database()->Logic().State() == CDatabaseDlg::kIdle; }, 900000));
    const double seconds = clock.elapsed() / 1000.0;
    std::printf("4095 datasets (41 groups) in %.1f s: %s\n", seconds,
                window.Database()->Logic().ProgressText().c_str());
    EXPECT_EQ(window.Database()->Logic().Lines().size(), 4095u + 1u);
    EXPECT_TRUE(prompt.messages.empty());
    sim.terminate();
    sim.waitForFinished(5000);
}

// Pictures of the windows for the documentation, not a unit test. Run it with
//   CORVANTELLE_SHOTS=docs e2e_tests --gtest_also_run_disabled_tests --gtest_filter='*Pictures*'
TEST(TagDataE2e, DISABLED_Pictures) {
    const QString folder = qEnvironmentVariable("CORVANTELLE_SHOTS", QStringLiteral("."));
    TempDir dir;
    EmbeddedSimulator sim;
    ASSERT_EQ(sim.Start(), 0);
    sim.Reader().Datasets().Preload(45, 20, DatasetMemory::PackStamp(12, 6, 9, 41, 5));
    CSerialPort serial;
    TagPrompt prompt;
    MainWindowOptions options;
    options.dataFolder = dir.path.string();
    MainWindow window(serial, prompt, options);
    serial.SetDevicePath(sim.DevicePath());
    serial.SetReceiver([&window](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
    window.show();
    window.Start(AppSettings{1, 9600, 255, 0});

    window.Action(MainWindow::kDatabase)->trigger();
    prompt.files.push_back(dir / "farm.txt");
    Click(window.Database(), "getAll");
    ASSERT_TRUE(WaitFor([&] { return window.Database()->Logic().State() == CDatabaseDlg::kIdle; }, 20000));
    window.Database()->resize(760, 460);
    window.Database()->grab().save(folder + "/database-dialog.png");

    std::ofstream(dir / "EventDatabase.txt", std::ios::binary)
        << CEventDatabase::kHeader << "\r\n984000123456789        \"Sale\"\r\n"
        << "276000000004711        \"Vaccination\"\r\n6789        \"Selection\"\r\n";
    window.Action(MainWindow::kEventDatabase)->trigger();
    sim.Reader().SetTransponders({{984, 123456789ULL, 5, {}}});
    sim.Reader().ReportNextTag();
    ASSERT_TRUE(WaitFor([&] { return !window.EventDatabase()->Logic().m_id.empty(); }, 5000));
    window.EventDatabase()->resize(520, 420);
    window.EventDatabase()->grab().save(folder + "/event-database-dialog.png");

    QTest::mouseClick(window.findChild<QPushButton*>("configuration"), Qt::LeftButton);
    window.Sheet()->SetActivePage(CConfigPages::kEvents);
    QWidget* page = window.Sheet()->PageWidget(CConfigPages::kEvents);
    Click(page, "listGet");
    ASSERT_TRUE(WaitFor([&] { return window.Pages().Events().EventList().size() == 30; }, 30000));
    window.Sheet()->grab().save(folder + "/events-page.png");
}
