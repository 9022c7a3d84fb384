#include "gui/service/BluetoothWindow.h"

#include "core/app/WindowRegistry.h"
#include "core/link/Commands.h"
#include "gui/config/ControlSync.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLineEdit* Edit(const char* name, QWidget* parent, bool readOnly = false) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(readOnly);
    edit->setValidator(ControlSync::Latin1Only(edit));
    return edit;
}

QCheckBox* Check(const char* text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

}  // namespace

BluetoothWindow::BluetoothWindow(IMainWindow& main, CWindowRegistry& windows, IPrompt& prompt,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompt(prompt, this), m_logic(main, m_prompt), m_windows(windows) {
    setWindowTitle(QString::fromLatin1(Caption::kBluetooth));
    setAttribute(Qt::WA_DeleteOnClose);

    // Left column: module commands and the reader's own requests.
    auto* left = new QGridLayout;
    left->addWidget(AddButton("AT", "at", &CBluetoothDlg::OnAt), 0, 0);
    auto* quit = new QPushButton(QStringLiteral("Quit"), this);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setDefault(true);
    left->addWidget(quit, 0, 1);
    left->addWidget(AddButton("ESC", "esc", &CBluetoothDlg::OnEsc), 1, 0);
    left->addWidget(new QLabel(QStringLiteral("Module:"), this), 2, 0);
    auto* onOff = new QHBoxLayout;
    onOff->addWidget(AddReaderButton("On", "moduleOn", Sub9F::kBluetoothOn));
    onOff->addWidget(AddReaderButton("Off", "moduleOff", Sub9F::kBluetoothOff));
    left->addLayout(onOff, 2, 1);
    left->addWidget(AddReaderButton("Connect BT", "connectBt", Sub9F::kConnectBluetooth), 3, 0, 1, 2);
    left->addWidget(AddReaderButton("Hang up BT", "hangUpBt", Sub9F::kHangUpBluetooth), 4, 0, 1, 2);
    left->addWidget(AddButton("Connect", "connect", &CBluetoothDlg::OnConnect), 5, 0);
    m_connectAddress = Edit("connectAddress", this);
    left->addWidget(m_connectAddress, 5, 1);
    left->setRowStretch(6, 1);

    auto* pairing = new QGroupBox(QStringLiteral("Pairing"), this);
    auto* pairingLayout = new QGridLayout(pairing);
    pairingLayout->addWidget(AddButton("Start", "pairingStart", &CBluetoothDlg::OnStartPairing), 0, 0);
    pairingLayout->addWidget(AddButton("Abort", "abort", &CBluetoothDlg::OnAbort), 0, 1);
    pairingLayout->addWidget(AddButton("Connect", "pairingConnect", &CBluetoothDlg::OnPairingConnect), 0, 2);
    pairingLayout->addWidget(AddButton("Config", "config", &CBluetoothDlg::OnConfig), 0, 3);
    pairingLayout->addWidget(AddReaderButton("VelmoPairing", "velmoPairing", Sub9F::kStartPairing), 1, 0, 1,
                             2);
    pairingLayout->addWidget(AddReaderButton("VelmoConnect", "velmoConnect", Sub9F::kStartBtConnect), 1, 2, 1,
                             2);
    pairingLayout->addWidget(AddReaderButton("VelmoDrop", "velmoDrop", Sub9F::kStartBtDrop), 2, 0, 1, 2);
    pairingLayout->addWidget(AddReaderButton("VelmoPeer", "velmoPeer", Sub9F::kStartBtDrop2), 2, 2, 1, 2);
    m_scriptName = Edit("scriptName", pairing, true);
    m_scriptText = Edit("scriptText", pairing, true);
    pairingLayout->addWidget(m_scriptName, 3, 0, 1, 4);
    pairingLayout->addWidget(m_scriptText, 4, 0, 1, 4);
    pairingLayout->addWidget(new QLabel(QStringLiteral("Time:"), pairing), 5, 0);
    m_time = Edit("time", pairing, true);
    pairingLayout->addWidget(m_time, 5, 1, 1, 2);
    m_counter = Edit("counter", pairing);
    m_counter->setMaximumWidth(60);
    pairingLayout->addWidget(m_counter, 5, 3);
    m_progress = new QLabel(pairing);
    m_progress->setObjectName(QStringLiteral("progress"));
    pairingLayout->addWidget(m_progress, 6, 0, 1, 4);

    auto* registers = new QGroupBox(QStringLiteral("Register"), this);
    auto* registerLayout = new QGridLayout(registers);
    m_registerAddress = Edit("registerAddress", registers);
    m_registerData = Edit("registerData", registers);
    registerLayout->addWidget(new QLabel(QStringLiteral("Address:"), registers), 0, 0);
    registerLayout->addWidget(m_registerAddress, 0, 1, 1, 2);
    registerLayout->addWidget(new QLabel(QStringLiteral("Data:"), registers), 1, 0);
    registerLayout->addWidget(m_registerData, 1, 1, 1, 2);
    registerLayout->addWidget(AddButton("Read", "registerRead", &CBluetoothDlg::OnRegisterRead), 2, 0);
    registerLayout->addWidget(AddButton("Write", "registerWrite", &CBluetoothDlg::OnRegisterWrite), 2, 1);
    registerLayout->addWidget(AddButton("Save", "registerSave", &CBluetoothDlg::OnRegisterSave), 2, 2);
    registerLayout->setRowStretch(3, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(pairing, 1);
    top->addWidget(registers);

    auto* commandRow = new QHBoxLayout;
    m_command = Edit("command", this);
    commandRow->addWidget(m_command, 1);
    commandRow->addWidget(AddButton("Send", "send", &CBluetoothDlg::OnSend));
    commandRow->addWidget(AddButton("WLAN", "wlan", &CBluetoothDlg::OnWlan));
    m_simulation = Check("Simulation", "simulation", this);
    commandRow->addWidget(m_simulation);
    commandRow->addWidget(AddButton("Set", "setName", &CBluetoothDlg::OnSetName));
    commandRow->addWidget(AddReaderButton("Get", "getName", Sub9F::kGetFriendlyName));

    auto* monitor = new QGroupBox(QStringLiteral("Monitor"), this);
    auto* monitorLayout = new QVBoxLayout(monitor);
    auto* monitorRow = new QHBoxLayout;
    auto* clear = new QPushButton(QStringLiteral("Clear"), monitor);
    clear->setObjectName(QStringLiteral("clear"));
    monitorRow->addWidget(clear);
    m_route = Check("Route", "route", monitor);
    m_test = Check("Test", "test", monitor);
    m_debug = Check("Debug", "debug", monitor);
    monitorRow->addWidget(m_route);
    monitorRow->addWidget(m_test);
    monitorRow->addWidget(m_debug);
    m_background = AddButton("Background", "background", &CBluetoothDlg::OnBackground);
    monitorRow->addWidget(m_background);
    monitorRow->addStretch(1);
    m_list = new QListWidget(monitor);
    m_list->setObjectName(QStringLiteral("lines"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    monitorLayout->addLayout(monitorRow);
    monitorLayout->addWidget(m_list, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(commandRow);
    layout->addWidget(monitor, 1);
    resize(860, 620);

    m_view = std::make_unique<LineListView>(m_list, m_logic.Lines());
    connect(clear, &QPushButton::clicked, this, [this] {
        m_logic.OnClear();
        m_view->Sync();
    });
    connect(quit, &QPushButton::clicked, this, [this] {
        m_quitting = true;
        m_logic.OnQuit();
        close();
    });
    for (QCheckBox* box : {m_route, m_test, m_debug, m_simulation}) {
        connect(box, &QCheckBox::toggled, this, [this] { Collect(); });
    }
    Refresh();
    m_windows.Register(Caption::kBluetooth, this);
}

BluetoothWindow::~BluetoothWindow() {
    if (m_windows.Find(Caption::kBluetooth) == this) {
        m_windows.Unregister(Caption::kBluetooth);
    }
}

QPushButton* BluetoothWindow::AddButton(const char* text, const char* name,
                                        void (CBluetoothDlg::*handler)()) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, handler] {
        Collect();
        (m_logic.*handler)();
        Refresh();
        m_view->ScheduleSync();
    });
    return button;
}

QPushButton* BluetoothWindow::AddReaderButton(const char* text, const char* name, uint8_t subCode) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, subCode] {
        Collect();
        m_logic.OnReaderRequest(subCode);
    });
    return button;
}

void BluetoothWindow::Collect() {
    m_logic.m_command = ControlSync::ToStd(m_command->text());
    m_logic.m_connectAddress = ControlSync::ToStd(m_connectAddress->text());
    m_logic.m_registerAddress = ControlSync::ToStd(m_registerAddress->text());
    m_logic.m_registerData = ControlSync::ToStd(m_registerData->text());
    m_logic.m_counter = ControlSync::ToStd(m_counter->text());
    m_logic.m_route = m_route->isChecked();
    m_logic.m_test = m_test->isChecked();
    m_logic.m_debug = m_debug->isChecked();
    m_logic.m_simulation = m_simulation->isChecked();
}

void BluetoothWindow::Refresh() {
    ControlSync::SetText(m_command, m_logic.m_command);
    ControlSync::SetText(m_connectAddress, m_logic.m_connectAddress);
    ControlSync::SetText(m_registerAddress, m_logic.m_registerAddress);
    ControlSync::SetText(m_registerData, m_logic.m_registerData);
    ControlSync::SetText(m_scriptName, m_logic.m_scriptName);
    ControlSync::SetText(m_scriptText, m_logic.m_scriptText);
    ControlSync::SetText(m_time, m_logic.m_time);
    ControlSync::SetText(m_counter, m_logic.m_counter);
    m_progress->setText(ControlSync::ToQt(m_logic.Progress()));
    m_background->setText(m_logic.BackgroundState() != 0 ? QStringLiteral("Background *")
                                                         : QStringLiteral("Background"));
}

void BluetoothWindow::OnRxBytes(const uint8_t* bytes, int count) {
    // What the user typed since the last look goes into the logic first: Refresh writes the
    // logic's copies back, and bytes arrive while the user types.
    Collect();
    m_logic.OnRxBytes(bytes, count);
    Refresh();
    m_view->ScheduleSync();
}

void BluetoothWindow::OnTxBytes(const std::string& text) {
    m_logic.OnTxBytes(text);
    m_view->ScheduleSync();
}

void BluetoothWindow::OnTick() {
    Collect();
    m_logic.OnTick();
    Refresh();
}

void BluetoothWindow::OnBringToFront() {
    show();
    raise();
    activateWindow();
}

void BluetoothWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        m_logic.OnClear();
        m_view->Sync();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BluetoothWindow::closeEvent(QCloseEvent* event) {
    // The close box empties the monitor like Escape; only "Quit" closes the console.
    if (!m_quitting) {
        event->ignore();
        m_logic.OnClear();
        m_view->Sync();
        return;
    }
    QWidget::closeEvent(event);
}
