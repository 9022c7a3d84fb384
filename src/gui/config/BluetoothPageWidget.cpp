#include "gui/config/BluetoothPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace ControlSync;

BluetoothPageWidget::BluetoothPageWidget(CPropPageBluetooth& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_bluetooth(page) {
    auto* layout = new QVBoxLayout(Body());
    const auto row = [&](QWidget* parentWidget) {
        auto* l = new QHBoxLayout(parentWidget);
        return l;
    };

    auto* top = new QWidget(Body());
    auto* tl = row(top);
    tl->setContentsMargins(0, 0, 0, 0);
    auto* enable = NamedButton(top, "Enable", "btEnable", " Switch the Bluetooth module on ");
    auto* disable = NamedButton(top, "Disable", "btDisable", " Switch the Bluetooth module off ");
    tl->addWidget(enable);
    tl->addWidget(disable);
    tl->addStretch(1);
    layout->addWidget(top);

    auto* peer = new QGroupBox(QStringLiteral("Peer address"), Body());
    auto* pl = row(peer);
    m_peer = new QLineEdit(peer);
    m_peer->setObjectName(QStringLiteral("btPeer"));
    m_peer->setValidator(Latin1Only(this));
    pl->addWidget(m_peer, 1);
    auto* assign = NamedButton(peer, "Assign", "btAssign");
    auto* readPeer = NamedButton(peer, "Read", "btReadPeer");
    pl->addWidget(assign);
    pl->addWidget(readPeer);
    layout->addWidget(peer);

    auto* mode = new QGroupBox(QStringLiteral("Mode"), Body());
    auto* ml = row(mode);
    m_mode = new QButtonGroup(this);
    const auto radios = [](QButtonGroup* group, QGroupBox* box, QHBoxLayout* l, const char* first,
                           const char* second, const char* name) {
        for (const auto& [id, caption] : {std::pair{0, first}, std::pair{1, second}}) {
            auto* radio = new QRadioButton(QString::fromUtf8(caption), box);
            radio->setObjectName(QStringLiteral("%1%2").arg(QString::fromUtf8(name)).arg(id));
            group->addButton(radio, id);
            l->addWidget(radio);
        }
        l->addStretch(1);
    };
    radios(m_mode, mode, ml, "Master", "Slave", "btMode");
    auto* setMode = NamedButton(mode, "Set", "btSetMode");
    auto* getMode = NamedButton(mode, "Get", "btGetMode");
    ml->addWidget(setMode);
    ml->addWidget(getMode);
    layout->addWidget(mode);

    // The developer's controls.
    auto* switching = new QGroupBox(QStringLiteral("Enable/Disable"), Body());
    auto* sl = row(switching);
    m_enable = new QButtonGroup(this);
    radios(m_enable, switching, sl, "Enable", "Disable", "btSwitch");
    auto* setEnable = NamedButton(switching, "Set", "btSetEnable");
    auto* getEnable = NamedButton(switching, "Get", "btGetEnable");
    sl->addWidget(setEnable);
    sl->addWidget(getEnable);
    layout->addWidget(switching);

    auto* name = new QGroupBox(QStringLiteral("Friendly name"), Body());
    auto* nl = row(name);
    m_name = new QLineEdit(name);
    m_name->setObjectName(QStringLiteral("btName"));
    m_name->setValidator(Latin1Only(this));
    m_name->setMaxLength(static_cast<int>(CPropPageBluetooth::kFriendlyNameField));
    nl->addWidget(m_name, 1);
    auto* setName = NamedButton(name, "Set", "btSetName");
    auto* getName = NamedButton(name, "Get", "btGetName");
    nl->addWidget(setName);
    nl->addWidget(getName);
    layout->addWidget(name);

    auto* link = new QWidget(Body());
    auto* ll = row(link);
    ll->setContentsMargins(0, 0, 0, 0);
    auto* connectButton = NamedButton(link, "Connect", "btConnect");
    auto* hangUp = NamedButton(link, "Hang up", "btHangUp");
    ll->addWidget(connectButton);
    ll->addWidget(hangUp);
    ll->addStretch(1);
    layout->addWidget(link);
    layout->addStretch(1);
    m_developerControls = {switching, name, link};

    for (QLineEdit* edit : {m_peer, m_name}) {
        connect(edit, &QLineEdit::textEdited, this, [this] { Store(); });
    }
    connect(m_mode, &QButtonGroup::idClicked, this, [this] { Store(); });
    connect(m_enable, &QButtonGroup::idClicked, this, [this] { Store(); });
    connect(enable, &QPushButton::clicked, this, [this] { m_bluetooth.OnEnable(); });
    connect(disable, &QPushButton::clicked, this, [this] { m_bluetooth.OnDisable(); });
    connect(assign, &QPushButton::clicked, this, [this] { m_bluetooth.OnAssign(); });
    connect(readPeer, &QPushButton::clicked, this, [this] { m_bluetooth.OnReadPeerAddress(); });
    connect(setMode, &QPushButton::clicked, this, [this] { m_bluetooth.OnSetMode(); });
    connect(getMode, &QPushButton::clicked, this, [this] { m_bluetooth.OnGetMode(); });
    connect(setEnable, &QPushButton::clicked, this, [this] { m_bluetooth.OnSetEnable(); });
    connect(getEnable, &QPushButton::clicked, this, [this] { m_bluetooth.OnGetEnable(); });
    connect(setName, &QPushButton::clicked, this, [this] { m_bluetooth.OnSetFriendlyName(); });
    connect(getName, &QPushButton::clicked, this, [this] { m_bluetooth.OnGetFriendlyName(); });
    connect(connectButton, &QPushButton::clicked, this, [this] { m_bluetooth.OnConnect(); });
    connect(hangUp, &QPushButton::clicked, this, [this] { m_bluetooth.OnHangUp(); });
    UpdateControls();
}

void BluetoothPageWidget::ShowFields() {
    const auto& c = m_bluetooth.Fields();
    SetText(m_peer, c.peerAddress);
    SetText(m_name, c.friendlyName);
    CheckRadio(m_mode, c.mode);
    CheckRadio(m_enable, c.enable);
    for (QWidget* w : m_developerControls) {
        w->setVisible(m_bluetooth.IsDeveloper());
    }
}

void BluetoothPageWidget::StoreFields() {
    auto& c = m_bluetooth.Fields();
    c.peerAddress = ToStd(m_peer->text());
    c.friendlyName = ToStd(m_name->text());
    c.mode = m_mode->checkedId();
    c.enable = m_enable->checkedId();
}
