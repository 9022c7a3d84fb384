#include "gui/tags/EventDatabaseDialog.h"

#include "gui/config/ControlSync.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

EventDatabaseDialog::EventDatabaseDialog(IMainWindow& mainWindow, IPrompt& prompt, const std::string& path,
                                         QWidget* parent)
    : ToolDialog("Event Database", prompt, parent), m_logic(mainWindow, Prompt(), path) {
    setObjectName(QStringLiteral("eventDatabaseDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* file = new QLabel(QStringLiteral("File: ") + QString::fromStdString(path), this);
    file->setObjectName(QStringLiteral("file"));
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(file);
    auto* form = new QFormLayout;
    m_id = new QLineEdit(this);
    m_id->setObjectName(QStringLiteral("id"));
    m_event = new QLineEdit(this);
    m_event->setObjectName(QStringLiteral("event"));
    m_event->setValidator(ControlSync::Latin1Only(m_event));
    form->addRow(QStringLiteral("ID:"), m_id);
    form->addRow(QStringLiteral("Event:"), m_event);
    layout->addLayout(form);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QString(36, QLatin1Char('0'))));
    layout->addWidget(m_list, 1);
    auto* grid = new QGridLayout;
    const char* captions[][2] = {
        {"Assign", "assign"}, {"Remove", "remove"}, {"Activate", "activate"}, {"Deactivate", "deactivate"},
        {"Show", "show"},     {"Sort", "sort"},     {"Quit", "quit"}};
    QPushButton* buttons[7];
    for (int i = 0; i < 7; ++i) {
        buttons[i] = Button(captions[i][0], captions[i][1]);
        grid->addWidget(buttons[i], i / 4, i % 4);
    }
    layout->addLayout(grid);
    connect(buttons[0], &QPushButton::clicked, this, [this] { m_logic.OnAssign(); });
    connect(buttons[1], &QPushButton::clicked, this, [this] { m_logic.OnRemove(); });
    connect(buttons[2], &QPushButton::clicked, this, [this] { m_logic.OnActivate(); });
    connect(buttons[3], &QPushButton::clicked, this, [this] { m_logic.OnDeactivate(); });
    connect(buttons[4], &QPushButton::clicked, this, [this] { m_logic.OnShow(); });
    connect(buttons[5], &QPushButton::clicked, this, [this] { m_logic.OnSort(); });
    connect(buttons[6], &QPushButton::clicked, this, &QWidget::close);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_logic.OnSelect(row); });
    m_logic.SetView(this);
    m_logic.OnOpen();
}

EventDatabaseDialog::~EventDatabaseDialog() {
    m_logic.SetView(nullptr);
    m_logic.OnQuit();
}

void EventDatabaseDialog::UpdateControls() {
    ControlSync::SetText(m_id, m_logic.m_id);
    ControlSync::SetText(m_event, m_logic.m_event);
    const QSignalBlocker block(m_list);
    // A sort reorders the lines: the list is small enough to refill.
    m_list->clear();
    SyncList(m_list, m_logic.Lines(), -1);
}

void EventDatabaseDialog::StoreControls() {
    m_logic.m_id = ControlSync::ToStd(m_id->text());
    m_logic.m_event = ControlSync::ToStd(m_event->text());
}
