#include "gui/config/AdditionalPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace ControlSync;

AdditionalPageWidget::AdditionalPageWidget(CAdditional& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_additional(page) {
    auto* columns = new QHBoxLayout(Body());
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    const auto button = [](QWidget* box, const char* caption, const char* name) {
        return NamedButton(box, caption, name);
    };

    // Permanent read.
    auto* permanent = new QGroupBox(QStringLiteral("Permanent read"), Body());
    auto* pl = new QGridLayout(permanent);
    m_active = new QCheckBox(QStringLiteral("Active"), permanent);
    m_active->setObjectName(QStringLiteral("addActive"));
    pl->addWidget(m_active, 0, 0);
    m_advanced = new QCheckBox(QStringLiteral("Advanced"), permanent);
    m_advanced->setObjectName(QStringLiteral("addAdvanced"));
    pl->addWidget(m_advanced, 0, 2);
    pl->addWidget(new QLabel(QStringLiteral("Slow"), permanent), 1, 0);
    m_slider = new QSlider(Qt::Horizontal, permanent);
    m_slider->setObjectName(QStringLiteral("addSlider"));
    m_slider->setRange(0, CAdditional::kSliderMax);
    m_slider->setPageStep(1);
    m_slider->setTickPosition(QSlider::TicksBelow);
    pl->addWidget(m_slider, 1, 1);
    pl->addWidget(new QLabel(QStringLiteral("Fast"), permanent), 1, 2);
    pl->addWidget(new QLabel(QStringLiteral("Timeout (min)"), permanent), 2, 0);
    m_duration = new StepEdit(permanent);
    m_duration->setObjectName(QStringLiteral("addDuration"));
    m_duration->Edit()->setValidator(digits);
    pl->addWidget(m_duration, 2, 1);
    auto* setPermanent = button(permanent, "Set", "addSetPermanent");
    pl->addWidget(setPermanent, 2, 2);
    auto* getPermanent = button(permanent, "Get", "addGetPermanent");
    pl->addWidget(getPermanent, 3, 2);
    m_advancedArea = new QWidget(permanent);
    auto* al = new QGridLayout(m_advancedArea);
    al->setContentsMargins(0, 0, 0, 0);
    m_reads = Edit("addReads", m_advancedArea);
    m_bursts = Edit("addBursts", m_advancedArea);
    m_break = Edit("addBreak", m_advancedArea);
    int row = 0;
    for (const auto& [label, edit] : {std::pair{"Reads (1...255):", m_reads}, std::pair{"Bursts:", m_bursts},
                                      std::pair{"Break:", m_break}}) {
        edit->setValidator(digits);
        FitChars(edit, 5);
        al->addWidget(new QLabel(QString::fromUtf8(label), m_advancedArea), row, 0);
        al->addWidget(edit, row++, 1);
    }
    al->addWidget(Unit(m_advancedArea, "ms"), 2, 2);
    al->setColumnStretch(3, 1);
    pl->addWidget(m_advancedArea, 4, 0, 1, 3);
    left->addWidget(permanent);

    // RF power.
    auto* power = new QGroupBox(QStringLiteral("RF Power"), Body());
    auto* rl = new QHBoxLayout(power);
    m_power = new QButtonGroup(this);
    for (const auto& [id, caption] : {std::pair{0, "Low power mode"}, std::pair{1, "High power mode"}}) {
        auto* radio = new QRadioButton(QString::fromUtf8(caption), power);
        radio->setObjectName(QStringLiteral("addPower%1").arg(id));
        m_power->addButton(radio, id);
        rl->addWidget(radio);
    }
    auto* setPower = button(power, "Set", "addSetPower");
    rl->addWidget(setPower);
    left->addWidget(power);

    // Switch off time.
    auto* switchOff = new QGroupBox(QStringLiteral("Switch off time"), Body());
    auto* sl = new QHBoxLayout(switchOff);
    sl->addWidget(new QLabel(QStringLiteral("5...600(s):"), switchOff));
    m_switchOff = Edit("addSwitchOff", switchOff);
    m_switchOff->setValidator(digits);
    sl->addWidget(m_switchOff);
    auto* setSwitchOff = button(switchOff, "Set", "addSetSwitchOff");
    sl->addWidget(setSwitchOff);
    left->addWidget(switchOff);

    // IO and access level.
    auto* io = new QGroupBox(QStringLiteral("IO"), Body());
    auto* il = new QHBoxLayout(io);
    m_leds = new QCheckBox(QStringLiteral("Use LEDs"), io);
    m_leds->setObjectName(QStringLiteral("addLeds"));
    m_beeper = new QCheckBox(QStringLiteral("Use Beeper"), io);
    m_beeper->setObjectName(QStringLiteral("addBeeper"));
    il->addWidget(m_leds);
    il->addWidget(m_beeper);
    auto* setIo = button(io, "Set", "addSetIo");
    il->addWidget(setIo);
    left->addWidget(io);
    left->addStretch(1);

    auto* access = new QGroupBox(QStringLiteral("Access level"), Body());
    auto* acl = new QHBoxLayout(access);
    m_access = new QComboBox(access);
    m_access->setObjectName(QStringLiteral("addAccess"));
    for (const char* level : CAdditional::kAccessLevels) {
        m_access->addItem(QString::fromUtf8(level));
    }
    acl->addWidget(m_access, 1);
    auto* setAccess = button(access, "Set", "addSetAccess");
    acl->addWidget(setAccess);
    right->addWidget(access);

    auto* doubles = new QGroupBox(QStringLiteral("Check for doublereads"), Body());
    auto* dl = new QHBoxLayout(doubles);
    dl->addWidget(new QLabel(QStringLiteral("0...5000:"), doubles));
    m_doubleReads = Edit("addDoubleReads", doubles);
    m_doubleReads->setValidator(digits);
    dl->addWidget(m_doubleReads);
    auto* setDoubles = button(doubles, "Set", "addSetDoubleReads");
    dl->addWidget(setDoubles);
    right->addWidget(doubles);

    // Wireless synchronization.
    auto* sync = new QGroupBox(QStringLiteral("Wireless synchronization"), Body());
    auto* yl = new QHBoxLayout(sync);
    m_sync = new StepEdit(sync);
    m_sync->setObjectName(QStringLiteral("addSync"));
    m_sync->setMinimumWidth(m_sync->fontMetrics().horizontalAdvance(QStringLiteral("0.00")) * 3);
    m_sync->Edit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*[.]?[0-9]*")), this));
    yl->addWidget(m_sync);
    yl->addWidget(new QLabel(QStringLiteral("V"), sync));
    auto* syncOn = button(sync, "On", "addSyncOn");
    auto* syncOff = button(sync, "Off", "addSyncOff");
    auto* getSync = button(sync, "Get", "addGetSync");
    yl->addWidget(syncOn);
    yl->addWidget(syncOff);
    yl->addWidget(getSync);
    right->addWidget(sync);

    // What the display shows.
    auto* info = new QGroupBox(QStringLiteral("Additional Info"), Body());
    auto* nl = new QGridLayout(info);
    m_display = new QButtonGroup(this);
    for (const auto& [id, caption] : {std::pair{0, "Display timestamp"}, std::pair{1, "Display tag info"},
                                      std::pair{2, "Display animal counter"}}) {
        auto* radio = new QRadioButton(QString::fromUtf8(caption), info);
        radio->setObjectName(QStringLiteral("addDisplay%1").arg(id));
        m_display->addButton(radio, id);
        nl->addWidget(radio, id, 0);
    }
    auto* setInfo = button(info, "Set", "addSetDisplay");
    nl->addWidget(setInfo, 2, 1);
    right->addWidget(info);

    auto* allRow = new QHBoxLayout;
    auto* getAll =
        NamedButton(Body(), "Get all", "addGetAll", " Get additional configuration of the reader ");
    auto* store = NamedButton(Body(), "Save", "addStore", " Save configuration of the reader ");
    m_extended = new QCheckBox(QStringLiteral("Extended"), Body());
    m_extended->setObjectName(QStringLiteral("addExtended"));
    allRow->addWidget(getAll);
    allRow->addWidget(store);
    allRow->addWidget(m_extended);
    allRow->addStretch(1);
    right->addLayout(allRow);
    right->addStretch(1);
    m_developerControls = {getPermanent, getSync, store, m_extended};

    for (QLineEdit* edit : {m_reads, m_bursts, m_break, m_switchOff, m_doubleReads, m_sync->Edit()}) {
        connect(edit, &QLineEdit::textEdited, this, [this] { Store(); });
    }
    connect(m_duration->Edit(), &QLineEdit::textEdited, this, [this] { m_additional.OnDurationEdited(); });
    for (QCheckBox* box : {m_active, m_leds, m_beeper, m_extended}) {
        connect(box, &QCheckBox::clicked, this, [this] { Store(); });
    }
    connect(m_power, &QButtonGroup::idClicked, this, [this] { Store(); });
    connect(m_display, &QButtonGroup::idClicked, this, [this] { Store(); });
    connect(m_access, &QComboBox::activated, this, [this] { Store(); });
    connect(m_advanced, &QCheckBox::clicked, this, [this](bool on) { m_additional.OnAdvanced(on); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        if (!IsShowing()) {
            m_additional.OnSlider(position);
        }
    });
    m_duration->SetStepHandler([this](int steps) { m_additional.OnDurationStep(steps); });
    m_sync->SetStepHandler([this](int steps) { m_additional.OnSyncLevelStep(steps); });

    connect(setPermanent, &QPushButton::clicked, this, [this] { m_additional.OnSetPermanentRead(); });
    connect(getPermanent, &QPushButton::clicked, this, [this] { m_additional.OnGetPermanentRead(); });
    connect(setPower, &QPushButton::clicked, this, [this] { m_additional.OnSetRfPower(); });
    connect(setSwitchOff, &QPushButton::clicked, this, [this] { m_additional.OnSetSwitchOff(); });
    connect(setIo, &QPushButton::clicked, this, [this] { m_additional.OnSetIo(); });
    connect(setAccess, &QPushButton::clicked, this, [this] { m_additional.OnSetAccessLevel(); });
    connect(setDoubles, &QPushButton::clicked, this, [this] { m_additional.OnSetDoubleReads(); });
    connect(syncOn, &QPushButton::clicked, this, [this] { m_additional.OnSyncOn(); });
    connect(syncOff, &QPushButton::clicked, this, [this] { m_additional.OnSyncOff(); });
    connect(getSync, &QPushButton::clicked, this, [this] { m_additional.OnGetSyncLevel(); });
    connect(setInfo, &QPushButton::clicked, this, [this] { m_additional.OnSetDisplayInfo(); });
    connect(getAll, &QPushButton::clicked, this, [this] { m_additional.OnGetAll(); });
    connect(store, &QPushButton::clicked, this, [this] { m_additional.OnStoreConfig(); });
    UpdateControls();
}

QLineEdit* AdditionalPageWidget::Edit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

void AdditionalPageWidget::ShowFields() {
    const CAdditional::Controls& c = m_additional.Fields();
    SetText(m_reads, c.reads);
    SetText(m_bursts, c.bursts);
    SetText(m_break, c.breakTime);
    SetChecked(m_active, c.active);
    if (m_slider->value() != c.slider) {
        m_slider->setValue(c.slider);
    }
    SetText(m_duration->Edit(), c.duration);
    SetChecked(m_advanced, c.advanced);
    m_advancedArea->setVisible(c.advanced);
    CheckRadio(m_power, c.highPower ? 1 : 0);
    SetText(m_switchOff, c.switchOff);
    SetChecked(m_leds, c.useLeds);
    SetChecked(m_beeper, c.useBeeper);
    m_access->setCurrentIndex(c.accessLevel);
    SetText(m_doubleReads, c.doubleReads);
    SetText(m_sync->Edit(), c.syncLevel);
    CheckRadio(m_display, c.display);
    SetChecked(m_extended, c.extended);
    for (QWidget* w : m_developerControls) {
        w->setVisible(m_additional.IsDeveloper());
    }
}

void AdditionalPageWidget::StoreFields() {
    CAdditional::Controls& c = m_additional.Fields();
    c.reads = ToStd(m_reads->text());
    c.bursts = ToStd(m_bursts->text());
    c.breakTime = ToStd(m_break->text());
    c.active = m_active->isChecked();
    c.slider = m_slider->value();
    c.duration = ToStd(m_duration->Edit()->text());
    c.advanced = m_advanced->isChecked();
    c.highPower = m_power->checkedId() == 1;
    c.switchOff = ToStd(m_switchOff->text());
    c.useLeds = m_leds->isChecked();
    c.useBeeper = m_beeper->isChecked();
    c.accessLevel = m_access->currentIndex();
    c.doubleReads = ToStd(m_doubleReads->text());
    c.syncLevel = ToStd(m_sync->Edit()->text());
    c.display = m_display->checkedId();
    c.extended = m_extended->isChecked();
}
