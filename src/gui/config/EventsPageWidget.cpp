#include "gui/config/EventsPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

void SyncLines(QListWidget* list, const std::vector<std::string>& lines, int selected) {
    const QSignalBlocker block(list);
    bool same = list->count() == static_cast<int>(lines.size());
    for (int i = 0; same && i < list->count(); ++i) {
        same = list->item(i)->text() == ControlSync::ToQt(lines[static_cast<size_t>(i)]);
    }
    if (!same) {
        list->clear();
        for (const auto& line : lines) {
            list->addItem(ControlSync::ToQt(line));
        }
    }
    if (selected >= 0 && selected < list->count()) {
        list->setCurrentRow(selected);
    }
}

void SetSpin(QSpinBox* spin, const std::string& text) {
    bool ok = false;
    const int value = ControlSync::ToQt(text).toInt(&ok);
    if (ok && spin->value() != value) {
        spin->setValue(value);
    }
}

}  // namespace

EventsPageWidget::EventsPageWidget(CProPageEvent& page, QWidget* parent)
    : ConfigPageWidget(page, parent), m_events(page) {
    auto* layout = new QHBoxLayout(Body());
    auto* left = new QVBoxLayout;

    auto* stringsBox = new QGroupBox(QStringLiteral("Event strings"), Body());
    auto* strings = new QGridLayout(stringsBox);
    for (int i = 0; i < CProPageEvent::kStrings; ++i) {
        const int row = i + 1;
        auto* edit = new QLineEdit(stringsBox);
        edit->setObjectName(QStringLiteral("eventString%1").arg(row));
        edit->setMaxLength(static_cast<int>(CProPageEvent::kMaxText));
        edit->setValidator(ControlSync::Latin1Only(edit));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(17, QLatin1Char('M'))) / 2 * 2);
        m_strings[static_cast<size_t>(i)] = edit;
        auto* read =
            NamedButton(stringsBox, "Read", QStringLiteral("eventRead%1").arg(row).toLatin1().constData());
        auto* assign = NamedButton(stringsBox, "Assign",
                                   QStringLiteral("eventAssign%1").arg(row).toLatin1().constData());
        strings->addWidget(new QLabel(QStringLiteral("Event%1:").arg(row), stringsBox), i, 0);
        strings->addWidget(edit, i, 1);
        strings->addWidget(read, i, 2);
        strings->addWidget(assign, i, 3);
        connect(edit, &QLineEdit::textEdited, this, [this] { Store(); });
        connect(read, &QPushButton::clicked, this, [this, row] { m_events.OnReadString(row); });
        connect(assign, &QPushButton::clicked, this, [this, row] { m_events.OnAssignString(row); });
    }
    left->addWidget(stringsBox);

    auto* datasetBox = new QGroupBox(QStringLiteral("Event dataset"), Body());
    auto* dataset = new QGridLayout(datasetBox);
    m_tag = new QLineEdit(datasetBox);
    m_tag->setObjectName(QStringLiteral("eventTag"));
    m_tag->setMaxLength(static_cast<int>(CProPageEvent::kMaxTagText));
    m_number = new QSpinBox(datasetBox);
    m_number->setObjectName(QStringLiteral("eventNumber"));
    m_number->setRange(1, CProPageEvent::kDatasets);
    m_event = new QSpinBox(datasetBox);
    m_event->setObjectName(QStringLiteral("eventEvent"));
    m_event->setRange(1, CProPageEvent::kStrings);
    dataset->addWidget(new QLabel(QStringLiteral("Tag:"), datasetBox), 0, 0);
    dataset->addWidget(m_tag, 0, 1, 1, 3);
    dataset->addWidget(new QLabel(QStringLiteral("Number:"), datasetBox), 1, 0);
    dataset->addWidget(m_number, 1, 1);
    dataset->addWidget(new QLabel(QStringLiteral("Event:"), datasetBox), 1, 2);
    dataset->addWidget(m_event, 1, 3);
    auto* row = new QHBoxLayout;
    auto* read = NamedButton(datasetBox, "Read", "datasetRead");
    auto* clear = NamedButton(datasetBox, "Clear", "datasetClear");
    auto* assign = NamedButton(datasetBox, "Assign", "datasetAssign");
    row->addWidget(read);
    row->addWidget(clear);
    row->addWidget(assign);
    dataset->addLayout(row, 2, 0, 1, 4);
    left->addWidget(datasetBox);

    auto* transpondersBox = new QGroupBox(QStringLiteral("Transponder list"), Body());
    auto* transponders = new QVBoxLayout(transpondersBox);
    m_transponders = new QListWidget(transpondersBox);
    m_transponders->setObjectName(QStringLiteral("transponderList"));
    auto* clearTransponders = NamedButton(transpondersBox, "Clear", "transponderClear");
    transponders->addWidget(m_transponders);
    transponders->addWidget(clearTransponders);
    left->addWidget(transpondersBox, 1);
    layout->addLayout(left);

    auto* listBox = new QGroupBox(QStringLiteral("Event list"), Body());
    auto* list = new QVBoxLayout(listBox);
    m_eventList = new QListWidget(listBox);
    m_eventList->setObjectName(QStringLiteral("eventList"));
    m_eventList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_eventList->setMinimumWidth(m_eventList->fontMetrics().horizontalAdvance(QString(44, QLatin1Char('0'))));
    list->addWidget(m_eventList, 1);
    auto* listButtons = new QHBoxLayout;
    const std::pair<const char*, const char*> names[] = {{"Get", "listGet"},
                                                         {"Clear", "listClear"},
                                                         {"Set", "listSet"},
                                                         {"Save", "listSave"},
                                                         {"Load", "listLoad"}};
    std::array<QPushButton*, 5> b{};
    for (size_t i = 0; i < b.size(); ++i) {
        b[i] = NamedButton(listBox, names[i].first, names[i].second);
        listButtons->addWidget(b[i]);
    }
    list->addLayout(listButtons);
    layout->addWidget(listBox, 1);

    connect(m_tag, &QLineEdit::textEdited, this, [this] { Store(); });
    connect(m_number, &QSpinBox::valueChanged, this, [this] { Store(); });
    connect(m_event, &QSpinBox::valueChanged, this, [this] { Store(); });
    connect(read, &QPushButton::clicked, this, [this] { m_events.OnReadDataset(); });
    connect(clear, &QPushButton::clicked, this, [this] { m_events.OnClearDataset(); });
    connect(assign, &QPushButton::clicked, this, [this] { m_events.OnAssignDataset(); });
    connect(clearTransponders, &QPushButton::clicked, this, [this] { m_events.OnClearTransponders(); });
    connect(m_transponders, &QListWidget::currentRowChanged, this,
            [this](int index) { m_events.OnSelectTransponder(index); });
    connect(m_eventList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { m_events.FillFromLine(m_eventList->row(item) + 1); });
    connect(b[0], &QPushButton::clicked, this, [this] { m_events.OnListGet(); });
    connect(b[1], &QPushButton::clicked, this, [this] {
        m_events.OnListClear();
        // The question may have left the sheet behind the main window.
        window()->raise();
        window()->activateWindow();
    });
    connect(b[2], &QPushButton::clicked, this, [this] { m_events.OnListSet(); });
    connect(b[3], &QPushButton::clicked, this, [this] { m_events.OnListSave(); });
    connect(b[4], &QPushButton::clicked, this, [this] { m_events.OnListLoad(); });
    UpdateControls();
}

void EventsPageWidget::ShowFields() {
    for (size_t i = 0; i < m_strings.size(); ++i) {
        ControlSync::SetText(m_strings[i], m_events.m_strings[i]);
    }
    ControlSync::SetText(m_tag, m_events.m_tagText);
    const QSignalBlocker blockNumber(m_number);
    const QSignalBlocker blockEvent(m_event);
    SetSpin(m_number, m_events.m_number);
    SetSpin(m_event, m_events.m_event);
    SyncLines(m_transponders, m_events.Transponders(), m_events.SelectedTransponder());
    SyncLines(m_eventList, m_events.EventList(), m_events.SelectedEvent());
}

void EventsPageWidget::StoreFields() {
    for (size_t i = 0; i < m_strings.size(); ++i) {
        m_events.m_strings[i] = ControlSync::ToStd(m_strings[i]->text());
    }
    m_events.m_tagText = ControlSync::ToStd(m_tag->text());
    m_events.m_number = ControlSync::ToStd(m_number->cleanText());
    m_events.m_event = ControlSync::ToStd(m_event->cleanText());
}
