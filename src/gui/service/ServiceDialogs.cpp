#include "gui/service/ServiceDialogs.h"

#include "core/app/WindowRegistry.h"
#include "gui/config/ControlSync.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* Edit(const char* name, QWidget* parent, bool readOnly) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(readOnly);
    edit->setValidator(ControlSync::Latin1Only(edit));
    return edit;
}

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ContrastSpin::ContrastSpin(Stepped stepped, QWidget* parent)
    : QSpinBox(parent), m_stepped(std::move(stepped)) {
    // Typed values are not sent; only the arrows are.
    lineEdit()->setReadOnly(true);
}

void ContrastSpin::stepBy(int steps) {
    m_stepped(value(), steps);
    QSpinBox::stepBy(steps);
}

// ---- LCD configuration ----

LcdDialog::LcdDialog(IMainWindow& main, CWindowRegistry& windows, QWidget* parent)
    : QDialog(parent), m_logic(main), m_windows(windows) {
    setWindowTitle(QString::fromLatin1(Caption::kLcdConfiguration));
    auto* grid = new QGridLayout;
    int row = 0;
    auto* contrast =
        new ContrastSpin([this](int position, int delta) { m_logic.OnContrastStep(position, delta); }, this);
    contrast->setObjectName(QStringLiteral("contrast"));
    contrast->setRange(0, CLcdDlg::kMaxContrast);
    contrast->setValue(0);
    grid->addWidget(new QLabel(QStringLiteral("Contrast:"), this), row, 0);
    grid->addWidget(contrast, row++, 1);

    auto addGet = [&](const char* label, const char* editName, const char* buttonName,
                      CLcdDlg::Button button) {
        QLineEdit* edit = Edit(editName, this, true);
        QPushButton* get = Button("Get", buttonName, this);
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(get, row++, 2);
        connect(get, &QPushButton::clicked, this, [this, button] { m_logic.OnButton(button); });
        return edit;
    };
    m_temperature = addGet("Temperature:", "temperature", "getTemperature", CLcdDlg::kGetTemperature);

    const struct {
        const char* label;
        const char* name;
        CLcdDlg::Button on;
        CLcdDlg::Button off;
    } pairs[] = {
        {"Background:", "background", CLcdDlg::kBackgroundOn, CLcdDlg::kBackgroundOff},
        {"Vibration:", "vibration", CLcdDlg::kVibrationOn, CLcdDlg::kVibrationOff},
        {"Beeper:", "beeper", CLcdDlg::kBeeperOn, CLcdDlg::kBeeperOff},
        {"Blue LED:", "blue", CLcdDlg::kBlueOn, CLcdDlg::kBlueOff},
        {"Green LED:", "green", CLcdDlg::kGreenOn, CLcdDlg::kGreenOff},
        {"Red LED:", "red", CLcdDlg::kRedOn, CLcdDlg::kRedOff},
    };
    for (const auto& pair : pairs) {
        auto* on = Button("On", (std::string(pair.name) + "On").c_str(), this);
        auto* off = Button("Off", (std::string(pair.name) + "Off").c_str(), this);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(on);
        buttons->addWidget(off);
        grid->addWidget(new QLabel(QString::fromLatin1(pair.label), this), row, 0);
        grid->addLayout(buttons, row++, 1);
        connect(on, &QPushButton::clicked, this, [this, b = pair.on] { m_logic.OnButton(b); });
        connect(off, &QPushButton::clicked, this, [this, b = pair.off] { m_logic.OnButton(b); });
    }
    m_key = addGet("Key:", "key", "getKey", CLcdDlg::kGetKey);
    m_battery = addGet("UBat:", "battery", "getUBat", CLcdDlg::kGetUBat);
    m_adapterVoltage = addGet("Ucom:", "adapterVoltage", "getUCom", CLcdDlg::kGetUCom);
    m_antenna = addGet("Uant:", "antenna", "getUAnt", CLcdDlg::kGetUAnt);
    m_adapterType = Edit("adapterType", this, true);
    m_adapterType->setEnabled(false);
    grid->addWidget(m_adapterType, row++, 1, 1, 2);
    auto* quit = new QPushButton(QStringLiteral("Quit"), this);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setDefault(true);
    connect(quit, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(quit, 0, Qt::AlignHCenter);
    m_windows.Register(Caption::kLcdConfiguration, this);
}

LcdDialog::~LcdDialog() {
    if (m_windows.Find(Caption::kLcdConfiguration) == this) {
        m_windows.Unregister(Caption::kLcdConfiguration);
    }
}

void LcdDialog::OnResponse(const uint8_t* frame, int length) {
    m_logic.OnResponse(frame, length);
    Refresh();
}

void LcdDialog::Refresh() {
    ControlSync::SetText(m_temperature, m_logic.m_temperature);
    ControlSync::SetText(m_key, m_logic.m_key);
    ControlSync::SetText(m_battery, m_logic.m_battery);
    ControlSync::SetText(m_adapterVoltage, m_logic.m_adapterVoltage);
    ControlSync::SetText(m_antenna, m_logic.m_antenna);
    ControlSync::SetText(m_adapterType, m_logic.m_adapterType);
}

// ---- Memory ----

MemoryDialog::MemoryDialog(IMainWindow& main, CWindowRegistry& windows, IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_prompt(prompt, this), m_logic(main, m_prompt), m_windows(windows) {
    setWindowTitle(QString::fromLatin1(Caption::kMemory));
    m_address = Edit("address", this, false);
    m_data = Edit("data", this, false);
    auto* read = Button("Read", "read", this);
    auto* write = Button("Write", "write", this);
    auto* top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("Address:"), this), 0, 0);
    top->addWidget(m_address, 0, 1);
    top->addWidget(read, 0, 2);
    top->addWidget(new QLabel(QStringLiteral("Data:"), this), 1, 0);
    top->addWidget(m_data, 1, 1);
    top->addWidget(write, 1, 2);
    top->setColumnStretch(3, 1);

    auto* dump = new QGroupBox(QStringLiteral("Hexdump"), this);
    m_list = new QListWidget(dump);
    m_list->setObjectName(QStringLiteral("dump"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setUniformItemSizes(true);
    m_list->setMinimumWidth(QFontMetrics(m_list->font()).horizontalAdvance(QString(60, QLatin1Char('0'))));
    m_start = Edit("start", dump, false);
    m_end = Edit("end", dump, false);
    m_start->setMaximumWidth(60);
    m_end->setMaximumWidth(60);
    auto* startDump = Button("Start", "startDump", dump);
    auto* getDatasets = Button("Get", "getDatasets", dump);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Startaddress:"), dump));
    range->addWidget(m_start);
    range->addWidget(new QLabel(QStringLiteral("Endaddress:"), dump));
    range->addWidget(m_end);
    range->addWidget(startDump);
    range->addWidget(getDatasets);
    range->addStretch(1);
    auto* dumpLayout = new QVBoxLayout(dump);
    dumpLayout->addWidget(m_list, 1);
    dumpLayout->addLayout(range);

    auto* quit = new QPushButton(QStringLiteral("Quit"), this);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(dump, 1);
    layout->addWidget(quit, 0, Qt::AlignHCenter);

    m_view = std::make_unique<LineListView>(m_list, m_logic.Lines());
    auto bind = [this](QPushButton* button, void (CMemoryDlg::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            Collect();
            (m_logic.*handler)();
            Refresh();
        });
    };
    bind(read, &CMemoryDlg::OnRead);
    bind(write, &CMemoryDlg::OnWrite);
    bind(startDump, &CMemoryDlg::OnStartDump);
    bind(getDatasets, &CMemoryDlg::OnGetDatasets);
    connect(quit, &QPushButton::clicked, this, &QDialog::accept);
    Refresh();
    m_windows.Register(Caption::kMemory, this);
}

MemoryDialog::~MemoryDialog() {
    if (m_windows.Find(Caption::kMemory) == this) {
        m_windows.Unregister(Caption::kMemory);
    }
}

void MemoryDialog::Collect() {
    m_logic.m_address = ControlSync::ToStd(m_address->text());
    m_logic.m_data = ControlSync::ToStd(m_data->text());
    m_logic.m_start = ControlSync::ToStd(m_start->text());
    m_logic.m_end = ControlSync::ToStd(m_end->text());
}

void MemoryDialog::Refresh() {
    ControlSync::SetText(m_address, m_logic.m_address);
    ControlSync::SetText(m_data, m_logic.m_data);
    ControlSync::SetText(m_start, m_logic.m_start);
    ControlSync::SetText(m_end, m_logic.m_end);
    m_view->Sync();
}

void MemoryDialog::OnResponse(const uint8_t* frame, int length) {
    Collect();
    m_logic.OnResponse(frame, length);
    Refresh();
}

void MemoryDialog::OnTick() {
    m_logic.OnTick();
}

void MemoryDialog::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the dialog; a dump may be running.
    if (event->key() == Qt::Key_Escape) {
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- MAX884 ----

Max884Dialog::Max884Dialog(IPrompt& prompt, QWidget* parent) : QDialog(parent), m_prompt(prompt, this) {
    setWindowTitle(QStringLiteral("MAX884"));
    struct Field {
        const char* label;
        const char* name;
        std::string CMax884Dlg::*value;
        bool input;
    };
    static const Field kInputs[] = {
        {"Vout (V):", "vout", &CMax884Dlg::m_vout, true},
        {"R1 (Ohm):", "r1", &CMax884Dlg::m_r1, true},
        {"RP min (Ohm):", "rpMin", &CMax884Dlg::m_rpMin, true},
        {"RP max (Ohm):", "rpMax", &CMax884Dlg::m_rpMax, true},
        {"Rn max (Ohm):", "rnMax", &CMax884Dlg::m_rnMax, true},
    };
    static const Field kOutputs[] = {
        {"Vout (V):", "voutResult", &CMax884Dlg::m_voutResult, false},
        {"RPsoll (Ohm):", "rpSoll", &CMax884Dlg::m_rpSoll, false},
        {"RPist (Ohm):", "rpIst", &CMax884Dlg::m_rpIst, false},
        {"R2 (Ohm):", "r2", &CMax884Dlg::m_r2, false},
        {"R3 (Ohm):", "r3", &CMax884Dlg::m_r3, false},
    };
    auto* grid = new QGridLayout;
    std::vector<std::pair<QLineEdit*, std::string CMax884Dlg::*>> inputs;
    std::vector<std::pair<QLineEdit*, std::string CMax884Dlg::*>> outputs;
    for (int i = 0; i < 5; ++i) {
        QLineEdit* in = Edit(kInputs[i].name, this, false);
        in->setText(ControlSync::ToQt(m_logic.*kInputs[i].value));
        grid->addWidget(new QLabel(QString::fromLatin1(kInputs[i].label), this), i, 0);
        grid->addWidget(in, i, 1);
        inputs.emplace_back(in, kInputs[i].value);
        // Read-only, not disabled: a result must stay readable and copyable.
        QLineEdit* out = Edit(kOutputs[i].name, this, true);
        grid->addWidget(new QLabel(QString::fromLatin1(kOutputs[i].label), this), i, 2);
        grid->addWidget(out, i, 3);
        outputs.emplace_back(out, kOutputs[i].value);
    }
    auto* calc = Button("Calc", "calc", this);
    grid->addWidget(calc, 5, 1);
    grid->setColumnMinimumWidth(2, 20);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = Button("Cancel", "cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    connect(calc, &QPushButton::clicked, this, [this, inputs, outputs] {
        for (const auto& [edit, field] : inputs) {
            m_logic.*field = ControlSync::ToStd(edit->text());
        }
        m_logic.OnCalc(m_prompt);
        for (const auto& [edit, field] : outputs) {
            ControlSync::SetText(edit, m_logic.*field);
        }
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}
