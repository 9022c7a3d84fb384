#include "gui/config/ReaderPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace ControlSync;

namespace {
constexpr std::array<const char*, 3> kModeCaptions = {"Master", "Slave Continuous", "Slave Request"};
}  // namespace

ReaderPageWidget::ReaderPageWidget(CPropPageReader& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_reader(page) {
    auto* columns = new QHBoxLayout(Body());
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);

    // Output format.
    auto* formatBox = new QGroupBox(QStringLiteral("Output format"), Body());
    auto* formatLayout = new QGridLayout(formatBox);
    m_formats = new QButtonGroup(this);
    for (int i = 0; i < CPropPageReader::kFormatCount; ++i) {
        auto* radio = new QRadioButton(
            QString::fromUtf8(CPropPageReader::kFormatCaptions[static_cast<size_t>(i)]), formatBox);
        radio->setObjectName(QStringLiteral("readerFormat%1").arg(i));
        m_formats->addButton(radio, i);
        formatLayout->addWidget(radio, i % 5, i / 5);
    }
    m_scp = new QCheckBox(QStringLiteral("SCP Format"), formatBox);
    m_scp->setObjectName(QStringLiteral("readerScp"));
    formatLayout->addWidget(m_scp, 5, 0);
    m_offId = new QCheckBox(QStringLiteral("Off ID"), formatBox);
    m_offId->setObjectName(QStringLiteral("readerOffId"));
    formatLayout->addWidget(m_offId, 6, 0);
    m_idTime = new QCheckBox(QStringLiteral("ID time"), formatBox);
    m_idTime->setObjectName(QStringLiteral("readerIdTime"));
    formatLayout->addWidget(m_idTime, 6, 1);
    auto* setFormat = Button("Set", "readerSetFormat", " Configure selected output format of the reader ");
    formatLayout->addWidget(setFormat, 5, 1);
    // The choices stay together at the top however tall the window is.
    auto* left = new QVBoxLayout;
    left->addWidget(formatBox);
    left->addStretch(1);
    columns->addLayout(left);

    // Single parameters, version and serial number.
    auto* right = new QVBoxLayout;
    columns->addLayout(right);
    auto* grid = new QGridLayout;
    // The buttons stay beside their fields on a wide window.
    grid->setColumnStretch(4, 1);
    right->addLayout(grid);
    int row = 0;
    auto addRow = [&](const char* label, QLineEdit* edit, QPushButton* button, QPushButton* extra = nullptr,
                      const char* unit = nullptr) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), Body()), row, 0);
        auto* field = new QHBoxLayout;
        field->addWidget(edit);
        if (unit != nullptr) {
            field->addWidget(Unit(Body(), unit));
        }
        field->addStretch(1);
        grid->addLayout(field, row, 1);
        grid->addWidget(button, row, 2);
        if (extra != nullptr) {
            grid->addWidget(extra, row, 3);
        }
        ++row;
    };
    m_delay = Edit("readerDelay");
    m_delay->setValidator(digits);
    auto* setDelay = Button("Set", "readerSetDelay", " Configure delay time of the reader ");
    FitChars(m_delay, 5);
    addRow("Delaytime", m_delay, setDelay, nullptr, "ms");
    m_timeout = Edit("readerTimeout");
    m_timeout->setValidator(digits);
    auto* setTimeout = Button("Set", "readerSetTimeout", " Configure timeout value for slave request mode ");
    FitChars(m_timeout, 5);
    addRow("Timeout", m_timeout, setTimeout, nullptr, "ms");
    m_startCharacter = Edit("readerStartCharacter");
    m_startCharacter->setValidator(Latin1Only(this));
    auto* setStart = Button("Set", "readerSetStartCharacter");
    addRow("Start character", m_startCharacter, setStart);
    m_version = Edit("readerVersion");
    m_version->setReadOnly(true);
    auto* getVersion = Button("Get", "readerGetVersion");
    addRow("Version", m_version, getVersion);
    m_serialNumber = Edit("readerSerialNumber");
    m_serialNumber->setMaxLength(6);
    m_serialNumber->setValidator(Latin1Only(this));
    FitChars(m_serialNumber, 6);
    auto* getSerial = Button("Get", "readerGetSerialNumber");
    m_setSerialNumber = Button("Set", "readerSetSerialNumber");
    addRow("Serial number", m_serialNumber, getSerial, m_setSerialNumber);

    auto* allRow = new QHBoxLayout;
    right->addLayout(allRow);
    auto* getAll = Button("Get All", "readerGetAll", " Get configuration of the reader ");
    auto* store = Button("Save", "readerStore", " Save configuration of the reader ");
    allRow->addWidget(getAll);
    allRow->addWidget(store);
    allRow->addStretch(1);

    // The developer's controls.
    m_developerArea = new QWidget(Body());
    auto* dev = new QGridLayout(m_developerArea);
    dev->setContentsMargins(0, 0, 0, 0);
    auto* modeBox = new QGroupBox(QStringLiteral("Mode"), m_developerArea);
    auto* modeLayout = new QVBoxLayout(modeBox);
    m_modes = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(kModeCaptions.size()); ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(kModeCaptions[static_cast<size_t>(i)]), modeBox);
        radio->setObjectName(QStringLiteral("readerMode%1").arg(i));
        m_modes->addButton(radio, i);
        modeLayout->addWidget(radio);
    }
    auto* setMode = Button("Set", "readerSetMode", " Configure selected operating mode of the reader ");
    modeLayout->addWidget(setMode);
    dev->addWidget(modeBox, 0, 0, 3, 1);

    dev->addWidget(new QLabel(QStringLiteral("Node:"), m_developerArea), 0, 1);
    m_node = Edit("readerNode");
    // Node and block are shown and read as hex, with or without "0x".
    auto* hex =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("(0[xX])?[0-9a-fA-F]*")), this);
    m_node->setValidator(hex);
    dev->addWidget(m_node, 0, 2);
    auto* setNode = Button("Set", "readerSetNode", " Configure node address of the reader ");
    dev->addWidget(setNode, 0, 3);
    dev->addWidget(new QLabel(QStringLiteral("Block:"), m_developerArea), 1, 1);
    m_block = Edit("readerBlock");
    m_block->setValidator(hex);
    dev->addWidget(m_block, 1, 2);
    auto* setBlock = Button("Set", "readerSetBlock", " Configure block number of HDX transponder ");
    dev->addWidget(setBlock, 1, 3);
    auto* program = Button("Program", "readerProgram", "Write complete configuration to reader");
    dev->addWidget(program, 2, 1, 1, 3);

    auto* typeBox = new QGroupBox(QStringLiteral("Transponder"), m_developerArea);
    auto* typeLayout = new QGridLayout(typeBox);
    for (int i = 0; i < CPropPageReader::kTransponderCount; ++i) {
        auto* box = new QCheckBox(
            QString::fromUtf8(CPropPageReader::kTransponderCaptions[static_cast<size_t>(i)]), typeBox);
        box->setObjectName(QStringLiteral("readerTransponder%1").arg(i));
        m_transponders[static_cast<size_t>(i)] = box;
        typeLayout->addWidget(box, i / 3, i % 3);
        connect(box, &QCheckBox::clicked, this, [this] { Store(); });
    }
    m_t = new QCheckBox(QStringLiteral("T"), typeBox);
    typeLayout->addWidget(m_t, 1, 2);
    // Reading the types is all the reader supports; this button has nothing to send.
    auto* setTypes = Button("Set", "readerSetTransponder", " Configure activated transponder types ");
    typeLayout->addWidget(setTypes, 2, 0);
    dev->addWidget(typeBox, 3, 0, 1, 4);
    right->addWidget(m_developerArea);
    right->addStretch(1);

    // What the user changes goes to the page at once.
    for (QLineEdit* edit : {m_delay, m_timeout, m_startCharacter, m_serialNumber, m_node, m_block}) {
        connect(edit, &QLineEdit::textEdited, this, [this] { Store(); });
    }
    for (QCheckBox* box : {m_scp, m_offId, m_idTime, m_t}) {
        connect(box, &QCheckBox::clicked, this, [this] { Store(); });
    }
    connect(m_modes, &QButtonGroup::idClicked, this, [this] { Store(); });
    connect(m_formats, &QButtonGroup::idClicked, this, [this](int id) {
        Store();
        m_reader.OnFormatChosen(id);
    });

    connect(setFormat, &QPushButton::clicked, this, [this] { m_reader.OnSetFormat(); });
    connect(setDelay, &QPushButton::clicked, this, [this] { m_reader.OnSetDelay(); });
    connect(setTimeout, &QPushButton::clicked, this, [this] { m_reader.OnSetTimeout(); });
    connect(setStart, &QPushButton::clicked, this, [this] { m_reader.OnSetStartCharacter(); });
    connect(getVersion, &QPushButton::clicked, this, [this] { m_reader.OnGetVersion(); });
    connect(getSerial, &QPushButton::clicked, this, [this] { m_reader.OnGetSerialNumber(); });
    connect(getAll, &QPushButton::clicked, this, [this] { m_reader.OnGetAll(); });
    connect(store, &QPushButton::clicked, this, [this] { m_reader.OnStoreConfig(); });
    connect(setMode, &QPushButton::clicked, this, [this] { m_reader.OnSetMode(); });
    connect(setNode, &QPushButton::clicked, this, [this] { m_reader.OnSetNode(); });
    connect(setBlock, &QPushButton::clicked, this, [this] { m_reader.OnSetBlock(); });
    connect(program, &QPushButton::clicked, this, [this] { m_reader.OnProgram(); });
    connect(m_setSerialNumber, &QPushButton::clicked, this, [this] { m_reader.OnSetSerialNumber(); });

    UpdateControls();
}

QPushButton* ReaderPageWidget::Button(const char* caption, const char* name, const char* tip) {
    return NamedButton(Body(), caption, name, tip);
}

QLineEdit* ReaderPageWidget::Edit(const char* name) {
    auto* edit = new QLineEdit(Body());
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

void ReaderPageWidget::ShowFields() {
    const CPropPageReader::Controls& c = m_reader.Fields();
    CheckRadio(m_formats, c.format);
    SetChecked(m_scp, c.scpChecked);
    m_scp->setEnabled(c.scpEnabled);
    SetChecked(m_offId, c.offIdChecked);
    SetChecked(m_idTime, c.idTimeChecked);
    SetText(m_delay, c.delay);
    SetText(m_timeout, c.timeout);
    SetText(m_startCharacter, c.startCharacter);
    SetText(m_version, c.version);
    SetText(m_serialNumber, c.serialNumber);
    CheckRadio(m_modes, c.mode);
    SetText(m_node, c.node);
    SetText(m_block, c.block);
    for (size_t i = 0; i < m_transponders.size(); ++i) {
        SetChecked(m_transponders[i], c.transponders[i]);
    }
    SetChecked(m_t, c.tChecked);

    const bool developer = m_reader.IsDeveloper();
    m_developerArea->setVisible(developer);
    m_offId->setVisible(developer);
    m_idTime->setVisible(developer);
    m_setSerialNumber->setVisible(developer);
}

void ReaderPageWidget::StoreFields() {
    CPropPageReader::Controls& c = m_reader.Fields();
    c.format = m_formats->checkedId();
    c.scpChecked = m_scp->isChecked();
    c.offIdChecked = m_offId->isChecked();
    c.idTimeChecked = m_idTime->isChecked();
    c.delay = ToStd(m_delay->text());
    c.timeout = ToStd(m_timeout->text());
    c.startCharacter = ToStd(m_startCharacter->text());
    c.version = ToStd(m_version->text());
    c.serialNumber = ToStd(m_serialNumber->text());
    c.mode = m_modes->checkedId();
    c.node = ToStd(m_node->text());
    c.block = ToStd(m_block->text());
    for (size_t i = 0; i < m_transponders.size(); ++i) {
        c.transponders[i] = m_transponders[i]->isChecked();
    }
    c.tChecked = m_t->isChecked();
}
