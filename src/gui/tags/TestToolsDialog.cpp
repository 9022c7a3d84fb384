#include "gui/tags/TestToolsDialog.h"

#include "gui/config/ControlSync.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QVBoxLayout>

TestToolsDialog::TestToolsDialog(IMainWindow& mainWindow, IPrompt& prompt, QWidget* parent)
    : ToolDialog("Testtools", prompt, parent), m_logic(mainWindow, Prompt()) {
    setObjectName(QStringLiteral("testToolsDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_countryCode = new QLineEdit(this);
    m_countryCode->setObjectName(QStringLiteral("countryCode"));
    m_nationalId = new QLineEdit(this);
    m_nationalId->setObjectName(QStringLiteral("nationalId"));
    m_nationalId->setMaxLength(static_cast<int>(CTestToolsDlg::kMaxNationalId));
    m_amount = new QLineEdit(this);
    m_amount->setObjectName(QStringLiteral("amount"));
    form->addRow(QStringLiteral("Country code (001...899):"), m_countryCode);
    form->addRow(QStringLiteral("National identification code:"), m_nationalId);
    form->addRow(QStringLiteral("Amount of Tags:"), m_amount);
    layout->addLayout(form);
    auto* grid = new QGridLayout;
    auto* store = Button("Store", "store");
    auto* separator = Button("Separator", "separator");
    auto* sim = Button("Sim", "sim");
    auto* reset = Button("Reset", "reset");
    auto* boot = Button("Boot", "boot");
    auto* voltage = Button("Get Voltage", "getVoltage");
    auto* ok = Button("OK", "ok");
    grid->addWidget(store, 0, 0);
    grid->addWidget(separator, 0, 1);
    grid->addWidget(sim, 0, 2);
    grid->addWidget(reset, 1, 0);
    grid->addWidget(boot, 1, 1);
    grid->addWidget(voltage, 1, 2);
    grid->addWidget(ok, 2, 2);
    layout->addLayout(grid);

    connect(store, &QPushButton::clicked, this, [this] { m_logic.OnStore(); });
    connect(separator, &QPushButton::clicked, this, [this] { m_logic.OnSeparator(); });
    connect(sim, &QPushButton::clicked, this, [this] { m_logic.OnSim(); });
    connect(reset, &QPushButton::clicked, this, [this] { m_logic.OnReset(); });
    connect(boot, &QPushButton::clicked, this, [this] { m_logic.OnBoot(); });
    connect(voltage, &QPushButton::clicked, this, [this] { m_logic.OnGetVoltage(); });
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    m_logic.SetView(this);
    UpdateControls();
}

TestToolsDialog::~TestToolsDialog() {
    m_logic.SetView(nullptr);
    m_logic.OnOk();
}

void TestToolsDialog::UpdateControls() {
    ControlSync::SetText(m_countryCode, m_logic.m_countryCode);
    ControlSync::SetText(m_nationalId, m_logic.m_nationalId);
    ControlSync::SetText(m_amount, m_logic.m_amount);
}

void TestToolsDialog::StoreControls() {
    m_logic.m_countryCode = ControlSync::ToStd(m_countryCode->text());
    m_logic.m_nationalId = ControlSync::ToStd(m_nationalId->text());
    m_logic.m_amount = ControlSync::ToStd(m_amount->text());
}
