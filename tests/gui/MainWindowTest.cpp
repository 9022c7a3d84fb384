#include "../core/app/AppFakes.h"

#include "core/app/DeveloperTools.h"
#include "core/link/Commands.h"
#include "gui/app/MainWindow.h"
#include "gui/service/UpdatePacer.h"
#include "sim/SimLink.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    explicit MainWindowTest(bool developer = false)
        : link(1, 3), window(link, prompt, MainWindowOptions{developer}) {
        link.SetReceiver([this](const uint8_t* bytes, int count) { window.OnRxBytes(bytes, count); });
        link.SetLostHandler([this] { window.OnPortLost(); });
        link.Reader().SetRequestObserver([this](uint8_t address, const std::vector<uint8_t>& payload) {
            requests.push_back({address, payload});
        });
        AppSettings settings;
        settings.port = 4;
        settings.node = 255;
        window.show();
        window.Start(settings);
    }

    template <typename T>
    T* Find(const char* name) {
        T* widget = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }
    // The line follows its texts at the views' pace: what the last of them said, once shown.
    QString Status() {
        EXPECT_TRUE(QTest::qWaitFor([] { return UpdatePacer::MsUntilNextUpdate() < 0; }, 1000));
        return Find<QLabel>("statusLine")->text();
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            link.Advance(100);
            window.Logic().OnTimer();
        }
    }

    SimLink link;
    FakePrompt prompt;
    MainWindow window;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> requests;
};

TEST_F(MainWindowTest, ConnectButtonAndLostLine) {
    auto* connect = Find<QPushButton>("connect");
    EXPECT_EQ(connect->text(), "&Disconnect");
    EXPECT_TRUE(Status().startsWith("COM4 9600 baud 8N1")) << Status().toStdString();
    QTest::mouseClick(connect, Qt::LeftButton);
    EXPECT_EQ(connect->text(), "&Connect");
    EXPECT_TRUE(Status().startsWith("Disconnected"));
    EXPECT_EQ(link.IsOpen(), 0);
    QTest::mouseClick(connect, Qt::LeftButton);
    EXPECT_EQ(link.IsOpen(), 1);

    // A lost line is told once, also to a read-all, which ends at once; Connect works again when
    // it is back.
    link.Reader().Datasets().Preload(9, 0, 0);
    window.Action(MainWindow::kDatabase)->trigger();
    CDatabaseDlg& db = window.Database()->Logic();
    db.OnGetAll();
    for (int i = 0; i < 100 && db.Done() < 2; ++i) {
        Tick();
    }
    link.Unplug();
    EXPECT_EQ(connect->text(), "&Connect");
    EXPECT_TRUE(Status().startsWith("Disconnected"));
    EXPECT_EQ(db.ProgressText(), "Connection lost after dataset 2 of 9");
    Tick(100);
    EXPECT_EQ(prompt.messages.size(), 1u);
    link.Replug();
    QTest::mouseClick(connect, Qt::LeftButton);
    EXPECT_EQ(connect->text(), "&Disconnect");
}

TEST_F(MainWindowTest, TagFromTheReaderFillsTheFourFields) {
    // The reader's texts are Latin-1.
    link.Reader().SetTransponders({{276, 98765432101ULL, 1, "K\xE4lber"}});
    link.Reader().SetTagForm(SimulatedReader::TagForm::kChar16);
    link.Reader().ReportNextTag();
    Tick();
    QCoreApplication::processEvents();  // the fields are painted on the next event-loop turn
    EXPECT_EQ(Text("countryCode"), "0276");
    EXPECT_EQ(Text("nationalId"), "098765432101");
    EXPECT_EQ(Text("tagType"), "  HDX");
    EXPECT_EQ(Text("eventText"), QString::fromUtf8("K\u00e4lber"));
    EXPECT_TRUE(Status().endsWith("      Tag data received")) << Status().toStdString();
    Tick(5);
    EXPECT_TRUE(Status().endsWith("Node ID: Global      "));
}

TEST_F(MainWindowTest, RealTimeClockMenuOpensTheSheetOnItsPage) {
    window.Action(MainWindow::kRealTimeClock)->trigger();
    ConfigSheet* sheet = window.Sheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->ActivePage(), 3);
    sheet->SetActivePage(0);
    window.Action(MainWindow::kRealTimeClock)->trigger();
    EXPECT_EQ(window.Sheet(), sheet);
    EXPECT_EQ(sheet->ActivePage(), 3);
}

TEST_F(MainWindowTest, MenuOffersOnlyWhatExists) {
    for (auto id : {MainWindow::kMonitor, MainWindow::kDatabase, MainWindow::kDiagnosis,
                    MainWindow::kTestTools, MainWindow::kEventDatabase, MainWindow::kMax884}) {
        ASSERT_NE(window.Action(id), nullptr);
        EXPECT_TRUE(window.Action(id)->isEnabled()) << id;
    }
    EXPECT_EQ(window.findChild<QPushButton*>("dtrOn"), nullptr);
    EXPECT_FALSE(Find<QComboBox>("nodeList")->isVisible());
}

class DeveloperWindowTest : public MainWindowTest {
protected:
    DeveloperWindowTest() : MainWindowTest(true) {}
};

TEST_F(DeveloperWindowTest, NodeSelectionAndTestButtonReachTheReader) {
    auto* nodes = Find<QComboBox>("nodeList");
    ASSERT_TRUE(nodes->isVisible());
    EXPECT_EQ(nodes->currentText(), "Global");
    nodes->setCurrentIndex(2);
    emit nodes->activated(2);  // what a user's pick in the list sends
    EXPECT_TRUE(Status().contains("Node ID: 01"));
    QTest::mouseClick(Find<QPushButton>("test"), Qt::LeftButton);
    link.Advance(10);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].first, 0x01);
    EXPECT_EQ(requests[0].second[0], Cmd::kShowEvent);
    QTest::mouseClick(Find<QPushButton>("dtrOff"), Qt::LeftButton);
    EXPECT_FALSE(link.GetDtr());
    QTest::mouseClick(Find<QPushButton>("dtrOn"), Qt::LeftButton);
    EXPECT_TRUE(link.GetDtr());
}

TEST_F(DeveloperWindowTest, KeyboardQuitsAndTabsInReadingOrder) {
    EXPECT_EQ(window.Action(MainWindow::kQuit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(Find<QPushButton>("configuration")->text(), "Co&nfiguration");
    EXPECT_EQ(Find<QPushButton>("quit")->text(), "&Quit");
    QStringList order;
    QWidget* w = Find<QPushButton>("connect");
    while (order.size() < 6) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisible()) {
            order << w->objectName();
        }
        w = w->nextInFocusChain();
    }
    EXPECT_EQ(order.join(' '), "connect configuration quit nodeList dtrOn dtrOff");
}

// Files the developer buttons read: only regular files of sensible size, or the window would hang.
TEST_F(DeveloperWindowTest, LoadEventsRefusesFifoAndHugeFile) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("events.evt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile huge(dir.filePath("huge.evt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(DeveloperTools::kMaxInputBytes + 1));
    for (const auto& [path, text] : {std::pair{fifo, "Not a regular file"}, {huge.fileName(), "too large"}}) {
        prompt.openPath = path.toStdString();
        QTest::mouseClick(Find<QPushButton>("loadEvents"), Qt::LeftButton);
        ASSERT_FALSE(prompt.messages.empty());
        EXPECT_NE(prompt.messages.back().first.find(text), std::string::npos) << prompt.messages.back().first;
    }
}

}  // namespace

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace {

// Answers the next modal dialog from inside its own event loop.
void WhenModal(std::function<void(QDialog*)> answer) {
    QTimer::singleShot(50, [answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
}

TEST_F(MainWindowTest, ComPropertiesChoosesPortAndBaudAndReconnects) {
    window.SetPortEnumerator([] {
        return std::vector<SystemPort>{{"/dev/ttyS2", "", ""}, {"/dev/ttyUSB0", "CP2102 USB to UART", ""}};
    });
    bool chosen = false;
    window.SetPortChosenHandler([&chosen] { chosen = true; });
    std::vector<QString> names;
    WhenModal([&names](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "COM Properties");
        auto* ports = dialog->findChild<QComboBox*>("port");
        for (int i = 0; i < ports->count(); ++i) {
            names.push_back(ports->itemText(i));
        }
        ports->setCurrentIndex(1);
        dialog->findChild<QComboBox*>("baud")->setCurrentText("115.2K");
        dialog->findChild<QCheckBox*>("reconnect")->setChecked(true);
        dialog->accept();
    });
    window.Action(MainWindow::kComport)->trigger();
    EXPECT_EQ(names, (std::vector<QString>{"COM-Port (COM3)", "CP2102 USB to UART (COM33)"}));
    EXPECT_TRUE(chosen);
    EXPECT_EQ(link.GetPortNumber(), 33);
    EXPECT_EQ(link.GetBaudRate(), 115200u);
    EXPECT_EQ(link.IsOpen(), 1);
    EXPECT_TRUE(Status().startsWith("COM33 115200 baud 8N1")) << Status().toStdString();

    WhenModal([](QDialog* dialog) {
        EXPECT_TRUE(dialog->findChild<QCheckBox*>("reconnect")->isChecked());
        dialog->findChild<QCheckBox*>("reconnect")->setChecked(false);
        dialog->reject();
    });
    window.Action(MainWindow::kComport)->trigger();
    EXPECT_EQ(link.GetPortNumber(), 33);
    EXPECT_EQ(link.IsOpen(), 1);
    AppSettings saved;
    window.Shutdown(saved);
    EXPECT_EQ(saved.port, 33);
    EXPECT_EQ(saved.baud, 115200);
    EXPECT_EQ(saved.reconnect, 1) << "taken with OK, kept on Cancel";
}

TEST_F(MainWindowTest, InfoShowsModelAndVersion) {
    QString title;
    QString version;
    WhenModal([&](QDialog* dialog) {
        title = dialog->windowTitle();
        version = dialog->findChild<QLabel*>("versionLine")->text();
        dialog->accept();
    });
    window.Action(MainWindow::kInfo)->trigger();
    EXPECT_EQ(title, "Info über Corvantelle");
    EXPECT_EQ(version, "KZT770 Version " CORVANTELLE_VERSION);
}

}  // namespace

#include "gui/app/QtPrompt.h"

#include <QMessageBox>

namespace {

// A message given while the main window is not yet on screen (the start-up connect) waits for it,
// then opens over it, wide enough that a device path is not broken.
TEST(StartUpMessage, WaitsForTheWindowAndFitsAPath) {
    QWidget parent;
    QtPrompt prompt(&parent);
    const QString path = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5XK3RJT-if00-port0");
    prompt.Message("Connection failed", "The device " + path.toStdString() + " does not exist.");
    QTest::qWait(100);
    EXPECT_EQ(parent.findChild<QMessageBox*>(), nullptr);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTest::qWait(150);
    auto* box = parent.findChild<QMessageBox*>("promptMessage");
    ASSERT_NE(box, nullptr);
    auto* label = box->findChild<QLabel*>("qt_msgbox_informativelabel");
    EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(path));
    box->close();
}

// A box that a tool window's action raises opens over that window, not over the main window.
TEST(WindowPrompts, OpenOverTheWindowWhoseActionRaisedThem) {
    SimLink link(1, 3);
    QtPrompt prompt;
    MainWindow window(link, prompt, MainWindowOptions{});
    prompt.SetParent(&window);
    window.show();
    window.Action(MainWindow::kDatabase)->trigger();
    DatabaseDialog* db = window.Database();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(db));
    const uint8_t refused[] = {0x02, 0x01, 0xF0, 0x06, 0x58, 0x05, 0x00, 0x01, 0x15, 0x00, 0x03, 0x00};
    db->Logic().OnResponse(refused, sizeof refused);
    auto* box = db->findChild<QMessageBox*>("promptMessage");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Dataset number out of range, datasets stored: 3");
}

}  // namespace
