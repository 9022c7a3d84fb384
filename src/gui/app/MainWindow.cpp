#include "gui/app/MainWindow.h"

#include "core/app/DeveloperTools.h"
#include "core/app/NodeList.h"
#include "core/util/Format.h"
#include "gui/app/AboutDialog.h"
#include "gui/app/ComPropertiesDialog.h"
#include "gui/app/TagFeedDialog.h"
#include "gui/app/TagHistoryPanel.h"
#include "gui/config/ConfigSheet.h"
#include "gui/diagnosis/DiagnosisWindow.h"
#include "gui/service/BluetoothWindow.h"
#include "gui/service/MonitorWindow.h"
#include "gui/service/ServiceDialogs.h"
#include "gui/service/UpdatePacer.h"
#include "platform/SerialPort.h"
#include "platform/TagFeed.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// --verbose: the round trip the engine learns from the line, each time it changes.
Q_LOGGING_CATEGORY(lcLine, "corvantelle.line", QtInfoMsg)

namespace {

QFont TagFont() {
    // "Courier New" where it exists; Liberation Mono has the same metrics.
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(34);
    font.setWeight(QFont::Bold);
    return font;
}

QLineEdit* TagField(const QFont& font, int characters, const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFont(font);
    field->setObjectName(QString::fromLatin1(name));
    field->setFocusPolicy(Qt::ClickFocus);
    const int width = QFontMetrics(font).horizontalAdvance(QString(characters, QLatin1Char('0')));
    field->setMinimumWidth(width + 16);
    if (characters <= 5) {
        field->setMaximumWidth(width + 16);
    }
    return field;
}

// Asks for a file and reads it whole; false when cancelled or unreadable (the user is told).
// Only a regular file of sensible size: a FIFO or a device would block the window, a huge file
// exhaust memory. Opened without blocking and checked on the open descriptor, so nothing can be
// swapped in between the check and the read.
bool ReadChosenFile(IPrompt& prompt, const char* filter, std::string& path, std::string& content) {
    path = prompt.OpenFileName(filter);
    if (path.empty()) {
        return false;
    }
    const int fd = ::open(QFile::encodeName(QString::fromStdString(path)).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        prompt.Message("Cannot read " + path);
        return false;
    }
    std::string refusal;
    if (!S_ISREG(info.st_mode)) {
        refusal = "Not a regular file: " + path;
    } else if (info.st_size > DeveloperTools::kMaxInputBytes) {
        refusal = Format("File too large (more than %d MiB): ", DeveloperTools::kMaxInputBytes >> 20) + path;
    }
    if (refusal.empty()) {
        content.clear();
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
            content.append(buffer, static_cast<size_t>(n));
            if (content.size() > static_cast<size_t>(DeveloperTools::kMaxInputBytes)) {
                refusal =
                    Format("File too large (more than %d MiB): ", DeveloperTools::kMaxInputBytes >> 20) +
                    path;
                break;
            }
        }
        if (refusal.empty() && n < 0) {
            refusal = "Cannot read " + path;
        }
    }
    ::close(fd);
    if (!refusal.empty()) {
        content.clear();
        prompt.Message(refusal);
        return false;
    }
    return true;
}

}  // namespace

MainWindow::MainWindow(ILinkPort& port, IPrompt& prompt, MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      m_port(port),
      m_prompt(prompt),
      m_options(options),
      m_logic(std::make_unique<CReaderToolDlg>(port, *this, prompt)),
      m_sheetPrompt(prompt),
      m_pages(std::make_unique<CConfigPages>(*m_logic, m_sheetPrompt)),
      m_timer(new QTimer(this)) {
    m_logic->SetConfigPages(m_pages.get());
    const std::string folder = m_options.dataFolder.empty() ? std::string(".") : m_options.dataFolder;
    m_eventDatabasePath = folder + "/" + CEventDatabase::kFileName;
    m_logic->SetEventLookup(
        [path = m_eventDatabasePath](const std::string& id, std::array<uint8_t, 24>& record) {
            return CEventDatabase(path).LookupEvent(id, record) == 0;
        });
    // Without the system's list the names are missing, nothing else.
    m_countryNames.Load(CCountryNames::kSystemList);
    m_logic->SetConfigSequence(&m_sequence);
    m_pages->SetDeveloper(m_options.developer);
    setWindowTitle(QString::fromLatin1(Caption::kMain));
    setWindowIcon(QIcon(QStringLiteral(":/corvantelle.png")));
    BuildMenu();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* picture = new QLabel(central);
    const QPixmap art(QStringLiteral(":/reader.png"));
    picture->setPixmap(art);
    picture->setObjectName(QStringLiteral("picture"));

    // Mnemonics that no menu title takes (Alt+F is "&File").
    m_connect = new QPushButton(QStringLiteral("&Connect"), central);
    m_connect->setObjectName(QStringLiteral("connect"));
    m_configuration = new QPushButton(QStringLiteral("Co&nfiguration"), central);
    m_configuration->setObjectName(QStringLiteral("configuration"));
    auto* quit = new QPushButton(QStringLiteral("&Quit"), central);
    quit->setObjectName(QStringLiteral("quit"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_connect);
    buttons->addWidget(m_configuration);
    buttons->addStretch(1);
    buttons->addWidget(quit);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addStretch(1);
    top->addLayout(buttons);
    layout->addLayout(top);
    layout->addWidget(BuildTagGroup());
    m_history = new TagHistoryPanel(prompt, &m_countryNames, central);
    m_tagPacer = std::make_unique<UpdatePacer>(this, [this] { PaintTagFields(); });
    m_statusPacer = std::make_unique<UpdatePacer>(this, [this] { PaintStatusLine(); });
    layout->addWidget(m_history, 1);

    // The node selection: hidden unless the tool runs for a developer; "Global" reaches any reader.
    m_nodeGroup = new QGroupBox(QStringLiteral("Node"), central);
    m_nodeList = new QComboBox(m_nodeGroup);
    m_nodeList->setObjectName(QStringLiteral("nodeList"));
    for (const auto& entry : NodeList::Entries()) {
        m_nodeList->addItem(QString::fromStdString(entry));
    }
    auto* nodeLayout = new QHBoxLayout(m_nodeGroup);
    nodeLayout->addWidget(m_nodeList);
    nodeLayout->addStretch(1);
    m_nodeGroup->setVisible(m_options.developer);
    layout->addWidget(m_nodeGroup);
    if (m_options.developer) {
        layout->addWidget(BuildDeveloperControls());
    }

    m_statusLine = new ElidedLabel(central);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    m_statusLine->setFrameShape(QFrame::Panel);
    m_statusLine->setFrameShadow(QFrame::Sunken);
    layout->addWidget(m_statusLine);
    setCentralWidget(central);

    // Tab goes the way the eye reads: the buttons top to bottom, then the controls below them.
    QWidget* previous = m_connect;
    for (QWidget* next : std::initializer_list<QWidget*>{m_configuration, quit, m_nodeList}) {
        setTabOrder(previous, next);
        previous = next;
    }
    if (QWidget* developerGroup = central->findChild<QGroupBox*>(QStringLiteral("developer"))) {
        for (QWidget* child : developerGroup->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            setTabOrder(previous, child);
            previous = child;
        }
    }

    connect(m_connect, &QPushButton::clicked, this, [this] { m_logic->OnConnectButton(); });
    connect(m_configuration, &QPushButton::clicked, this, [this] { m_logic->OnConfigurationButton(); });
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_nodeList, &QComboBox::activated, this, [this](int index) { m_logic->OnNodeSelected(index); });
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_logic->OnTimer();
        if (lcLine().isDebugEnabled()) {
            std::string line = m_logic->DescribeLine();
            if (line != m_lineReported) {
                qCDebug(lcLine).noquote() << line.c_str();
                m_lineReported = std::move(line);
            }
        }
    });
}

MainWindow::~MainWindow() {
    if (!m_shutDown) {
        AppSettings discard;
        Shutdown(discard);
    }
}

QWidget* MainWindow::BuildTagGroup() {
    auto* group = new QGroupBox(QStringLiteral("Received Tag"));
    const QFont font = TagFont();
    m_countryCode = TagField(font, 5, "countryCode", group);
    m_nationalId = TagField(font, 12, "nationalId", group);
    m_tagType = TagField(font, 5, "tagType", group);
    m_eventText = TagField(font, 16, "eventText", group);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Countrycode:"), group), 0, 0);
    grid->addWidget(m_countryCode, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("ID:"), group), 0, 2);
    grid->addWidget(m_nationalId, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Typ:"), group), 1, 0);
    grid->addWidget(m_tagType, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Event:"), group), 1, 2);
    grid->addWidget(m_eventText, 1, 3);
    grid->setColumnStretch(3, 1);
    return group;
}

QWidget* MainWindow::BuildDeveloperControls() {
    auto* group = new QGroupBox(QStringLiteral("Developer"));
    group->setObjectName(QStringLiteral("developer"));
    auto* row = new QHBoxLayout(group);
    auto add = [&](const char* caption, const char* name) {
        auto* button = new QPushButton(QString::fromLatin1(caption), group);
        button->setObjectName(QString::fromLatin1(name));
        row->addWidget(button);
        return button;
    };
    connect(add("DTR On", "dtrOn"), &QPushButton::clicked, this, [this] { m_logic->OnDtrOn(); });
    connect(add("DTR Off", "dtrOff"), &QPushButton::clicked, this, [this] { m_logic->OnDtrOff(); });
    m_testConnect = new QCheckBox(QStringLiteral("Connect test"), group);
    m_testConnect->setObjectName(QStringLiteral("testConnect"));
    m_testConnect->setToolTip(QStringLiteral("Send a connect request on every free timer tick"));
    row->addWidget(m_testConnect);
    connect(m_testConnect, &QCheckBox::toggled, this, [this](bool on) { m_logic->SetTestMode(on); });
    connect(add("Test", "test"), &QPushButton::clicked, this, [this] { m_logic->OnTestButton(); });
    connect(add("Build CC", "buildCc"), &QPushButton::clicked, this, [this] { OnBuildCountryCodes(false); });
    connect(add("Build CC32", "buildCc32"), &QPushButton::clicked, this,
            [this] { OnBuildCountryCodes(true); });
    connect(add("Load events", "loadEvents"), &QPushButton::clicked, this, [this] { OnLoadEvents(); });
    row->addStretch(1);
    return group;
}

void MainWindow::BuildMenu() {
    auto add = [this](QMenu* menu, const char* text, CommandId id, bool enabled) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setData(static_cast<int>(id));
        action->setEnabled(enabled);
        m_actions.emplace_back(id, action);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* quit = add(file, "&Quit", kQuit, true);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);
    QMenu* settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    m_settingsMenu = settings;
    connect(add(settings, "&Comport", kComport, true), &QAction::triggered, this, [this] { OnComport(); });
    // Tool windows not built yet stay visible but disabled, so the menu keeps its shape.
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    connect(add(tools, "&Monitor", kMonitor, true), &QAction::triggered, this, [this] {
        OpenToolWindow(m_monitorWindow, Caption::kMonitor,
                       [this] { return new MonitorWindow(*m_logic, m_logic->Windows(), m_prompt, this); });
    });
    connect(add(tools, "&Database", kDatabase, true), &QAction::triggered, this, [this] { OnDatabase(); });
    QMenu* configure = tools->addMenu(QStringLiteral("&Configure"));
    connect(add(configure, "&LCD display", kLcdDisplay, true), &QAction::triggered, this, [this] {
        LcdDialog dialog(*m_logic, m_logic->Windows(), this);
        dialog.exec();
    });
    connect(add(configure, "&Bluetooth", kBluetooth, true), &QAction::triggered, this, [this] {
        OpenToolWindow(m_bluetoothWindow, Caption::kBluetooth,
                       [this] { return new BluetoothWindow(*m_logic, m_logic->Windows(), m_prompt, this); });
    });
    connect(add(configure, "&Real time clock", kRealTimeClock, true), &QAction::triggered, this,
            [this] { m_logic->OnRealTimeClock(); });
    connect(add(configure, "M&emory", kMemory, true), &QAction::triggered, this, [this] {
        MemoryDialog dialog(*m_logic, m_logic->Windows(), m_prompt, this);
        dialog.exec();
    });
    connect(add(tools, "M&AX884", kMax884, true), &QAction::triggered, this, [this] {
        Max884Dialog dialog(m_prompt, this);
        dialog.exec();
    });
    connect(add(tools, "D&iagnosis", kDiagnosis, true), &QAction::triggered, this, [this] { OnDiagnosis(); });
    connect(add(tools, "&Event database", kEventDatabase, true), &QAction::triggered, this,
            [this] { OnEventDatabase(); });
    QMenu* test = menuBar()->addMenu(QStringLiteral("T&est"));
    connect(add(test, "&Testtools", kTestTools, true), &QAction::triggered, this, [this] { OnTestTools(); });
    QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
    connect(add(help, "&Info", kInfo, true), &QAction::triggered, this, [this] { OnInfo(); });
}

QAction* MainWindow::Action(CommandId id) const {
    for (const auto& [actionId, action] : m_actions) {
        if (actionId == id) {
            return action;
        }
    }
    return nullptr;
}

void MainWindow::SetTagFeed(TagFeed* feed) {
    m_logic->Windows().Register(Caption::kAnimalCounter, feed);
    QAction* action = m_settingsMenu->addAction(QStringLiteral("Tag &feed..."));
    action->setData(static_cast<int>(kTagFeed));
    m_actions.emplace_back(kTagFeed, action);
    connect(action, &QAction::triggered, this, [this, feed] {
        TagFeedDialog dialog(*feed, this);
        dialog.exec();
    });
}

void MainWindow::OnPortLost() {
    m_logic->OnPortLost();
}

void MainWindow::AttachSerialPort(CSerialPort& serial) {
    serial.SetReceiver([this](const uint8_t* bytes, int count) { OnRxBytes(bytes, count); });
    serial.SetLostHandler([this] { OnPortLost(); });
    serial.SetErrorHandler([this](const std::string& text) { OnComError(text); });
}

void MainWindow::Start(const AppSettings& settings) {
    m_logic->Start(settings, m_enumerate ? m_enumerate() : std::vector<SystemPort>{});
    m_nodeList->setCurrentIndex(m_logic->NodeIndex());
    m_timer->start(100);
    m_logic->UpdateStatusLine();
}

void MainWindow::Shutdown(AppSettings& settings) {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    // Not from inside one of the sheet's own handlers: it can go at once, before the pages and
    // the logic it reports to.
    delete m_sheet;
    delete m_eventDatabase;
    delete m_testTools;
    delete m_database;
    // They leave the window registry as they go, so before the logic that holds it.
    delete m_monitorWindow;
    delete m_bluetoothWindow;
    if (m_diagnosis != nullptr) {
        m_logic->Windows().Unregister(Caption::kDiagnosis);
        delete m_diagnosis;
    }
    m_timer->stop();
    m_logic->Shutdown(settings);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    DestroyConfigSheet();
    QMainWindow::closeEvent(event);
}

void MainWindow::ShowTagFields(const std::string& countryCode, const std::string& nationalId,
                               const std::string& tagType, const std::string& eventText) {
    m_history->AddTag(countryCode, nationalId, tagType, eventText);
    // A reader streaming at 115200 baud reports a few hundred tags a second; repainting the four
    // large fields for each cost more than the rest of the window, and nobody reads them faster
    // than ten times a second anyway.
    m_lastTag = {countryCode, nationalId, tagType, eventText};
    m_tagPacer->Request();
}

void MainWindow::PaintTagFields() {
    // The reader's texts are single bytes of Latin-1 ("K\xE4lber"), not UTF-8.
    auto show = [](QLineEdit* field, const std::string& text) {
        const QString latin1 = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        // Setting a line edit's text redraws it even when nothing changed; a reader repeating one
        // animal changes nothing.
        if (field->text() != latin1) {
            field->setText(latin1);
            return true;
        }
        return false;
    };
    const auto& [countryCode, nationalId, tagType, eventText] = m_lastTag;
    if (show(m_countryCode, countryCode)) {
        bool numeric = false;
        const int code = QString::fromStdString(countryCode).trimmed().toInt(&numeric);
        m_countryCode->setToolTip(numeric ? QString::fromStdString(m_countryNames.Name(code)) : QString());
    }
    show(m_nationalId, nationalId);
    show(m_tagType, tagType);
    show(m_eventText, eventText);
}

void MainWindow::ShowStatusLine(const std::string& text) {
    // Every frame changes the line twice ("connected", then "tag data received"); only the last
    // text of a turn can be seen, so the label follows at the pace of the other views.
    m_statusText = text;
    if (m_statusText != m_statusShown) {
        m_statusPacer->Request();
    }
    if (isSignalConnected(QMetaMethod::fromSignal(&MainWindow::statusLineChanged))) {
        emit statusLineChanged(QString::fromStdString(text));
    }
}

void MainWindow::PaintStatusLine() {
    m_statusShown = m_statusText;
    m_statusLine->SetFullText(QString::fromStdString(m_statusShown));
}

void MainWindow::ShowConnectCaption(const std::string& caption) {
    m_connect->setText(QLatin1Char('&') + QString::fromStdString(caption));
}

IConfigSheet* MainWindow::CreateConfigSheet() {
    m_sheet = new ConfigSheet(*m_pages, *m_logic, this);
    m_sheetPrompt.SetWindow(m_sheet);
    m_sheet->show();
    return m_sheet;
}

void MainWindow::ShowConfigPage(int index) {
    if (m_sheet != nullptr) {
        m_sheet->SetActivePage(index);
    }
}

void MainWindow::DestroyConfigSheet() {
    // Called from the sheet's own "Quit" button: it deletes itself once the click is over.
    if (m_sheet != nullptr) {
        m_sheet->close();
    }
}

void MainWindow::OpenToolWindow(QPointer<QWidget>& window, const char* caption,
                                const std::function<QWidget*()>& make) {
    if (window == nullptr || !m_logic->Windows().IsOpen(caption)) {
        delete window;
        window = make();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::OnComport() {
    CComPropertiesDlg logic =
        m_logic->BeginComProperties(m_enumerate ? m_enumerate() : std::vector<SystemPort>{});
    ComPropertiesDialog dialog(logic, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted && logic.ChosenPort() >= 0 && m_onPortChosen) {
        m_onPortChosen();
    }
    // "OK" without a port still takes the other choices (reconnecting by itself).
    m_logic->EndComProperties(accepted ? &logic : nullptr);
}

void MainWindow::OnInfo() {
    AboutDialog dialog(AboutDialog::VersionLine(), this);
    dialog.exec();
}

void MainWindow::OnBuildCountryCodes(bool thirtyTwo) {
    std::string input;
    std::string content;
    if (!ReadChosenFile(m_prompt, "Data Files (*.txt)", input, content)) {
        return;
    }
    const QString output = QString::fromStdString(DeveloperTools::CountryCodeOutputPath(input, thirtyTwo));
    QFile file(output);
    const std::string table = DeveloperTools::BuildCountryCodeTable(content, thirtyTwo);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(table.data(), static_cast<qint64>(table.size())) != static_cast<qint64>(table.size())) {
        m_prompt.Message("Cannot write " + output.toStdString());
    }
}

void MainWindow::OnLoadEvents() {
    std::string path;
    std::string content;
    if (!ReadChosenFile(m_prompt, "Data Files (*.evt)", path, content)) {
        return;
    }
    m_eventList = DeveloperTools::ReadEventList(content);
}

DiagnosisWindow* MainWindow::Diagnosis() const {
    return m_diagnosis;
}

void MainWindow::OnDiagnosis() {
    if (m_diagnosis != nullptr) {
        m_diagnosis->raise();
        m_diagnosis->activateWindow();
        return;
    }
    m_diagnosis = new DiagnosisWindow(*m_logic, m_prompt, m_options.developer, this);
    m_logic->Windows().Register(Caption::kDiagnosis, &m_diagnosis->Logic());
    m_diagnosis->show();
}

// The tool windows: one of each; a second menu choice brings the open one to the front.
template <typename Dialog>
static void Raise(Dialog* dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void MainWindow::OnDatabase() {
    if (m_database == nullptr) {
        m_database = new DatabaseDialog(*m_logic, m_prompt, this);
        m_database->Logic().SetCountryNames([this](int code) { return m_countryNames.Name(code); });
        m_logic->Windows().Register(Caption::kDatabase, &m_database->Logic());
    }
    Raise(m_database.data());
}

void MainWindow::OnTestTools() {
    if (m_testTools == nullptr) {
        m_testTools = new TestToolsDialog(*m_logic, m_prompt, this);
        m_logic->Windows().Register(Caption::kTestTools, &m_testTools->Logic());
    }
    Raise(m_testTools.data());
}

void MainWindow::OnEventDatabase() {
    if (m_eventDatabase == nullptr) {
        m_eventDatabase = new EventDatabaseDialog(*m_logic, m_prompt, m_eventDatabasePath, this);
        m_logic->Windows().Register(Caption::kEventDatabase, &m_eventDatabase->Logic());
    }
    Raise(m_eventDatabase.data());
}
