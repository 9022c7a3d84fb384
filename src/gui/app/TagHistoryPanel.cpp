#include "gui/app/TagHistoryPanel.h"

#include "gui/service/PlainTextDelegate.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kShrinkDelayMs = 50;
constexpr int kOpenWidth = 820;

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TagHistoryModel::TagHistoryModel(TagHistory& history, QObject* parent)
    : QAbstractTableModel(parent), m_history(history), m_pacer(this, [this] { Sync(); }) {
    m_shownFirst = history.FirstNumber();
    m_shownRows = static_cast<int>(history.Size());
    history.MarkSeen();
}

int TagHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownRows;
}

int TagHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant TagHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kTitles[kColumns] = {"Time", "Countrycode", "Country", "ID",
                                                  "Typ",  "Event",       "Count"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(kTitles[section]) : QVariant();
}

QVariant TagHistoryModel::data(const QModelIndex& index, int role) const {
    // Until the next Sync the view may still ask for a row that went at the front.
    const size_t number = m_shownFirst + static_cast<size_t>(index.row());
    if (!index.isValid() || number < m_history.FirstNumber() || number >= m_history.EndNumber()) {
        return {};
    }
    const TagHistory::Row& row = m_history.At(number - m_history.FirstNumber());
    if (role == Qt::ToolTipRole) {
        if (index.column() == kTime) {
            return QString::fromLatin1(TagHistory::TimeText(row.firstMs).c_str()) +
                   (row.repeats > 0 ? QStringLiteral(" to ") +
                                          QString::fromLatin1(TagHistory::TimeText(row.lastMs).c_str() + 11)
                                    : QString());
        }
        if (index.column() == kCount && row.repeats > 0) {
            return QStringLiteral("Read %1 more times within the repeat window").arg(row.repeats);
        }
        return {};
    }
    if (role == Qt::TextAlignmentRole && index.column() == kCount) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case kTime:
            return QString::fromLatin1(TagHistory::TimeText(row.firstMs).c_str() + 11);
        case kCountryCode:
            return Latin1(row.countryCode);
        case kCountry:
            return QString::fromStdString(m_history.CountryName(row));
        case kNationalId:
            return Latin1(row.nationalId);
        case kType:
            return Latin1(row.tagType);
        case kEvent:
            return Latin1(row.eventText);
        case kCount:
            return row.repeats > 0 ? QStringLiteral("%1 (\u00d7%2)").arg(row.count).arg(row.repeats + 1)
                                   : QString::number(row.count);
        default:
            return {};
    }
}

void TagHistoryModel::ScheduleSync() {
    m_pacer.Request();
}

void TagHistoryModel::Sync() {
    if (m_history.WasCleared()) {
        beginResetModel();
        m_shownFirst = m_history.FirstNumber();
        m_shownRows = static_cast<int>(m_history.Size());
        m_history.MarkSeen();
        endResetModel();
        return;
    }
    const size_t first = m_history.FirstNumber();
    if (first > m_shownFirst) {
        const int drop =
            static_cast<int>(std::min<size_t>(first - m_shownFirst, static_cast<size_t>(m_shownRows)));
        if (drop > 0) {
            beginRemoveRows({}, 0, drop - 1);
            m_shownRows -= drop;
            m_shownFirst = first;
            endRemoveRows();
        }
        m_shownFirst = first;
    }
    const size_t changed = std::max(m_history.ChangedFrom(), m_shownFirst);
    const size_t shownEnd = m_shownFirst + static_cast<size_t>(m_shownRows);
    if (changed < shownEnd) {
        emit dataChanged(index(static_cast<int>(changed - m_shownFirst), 0),
                         index(m_shownRows - 1, kColumns - 1));
    }
    const int added = static_cast<int>(m_history.EndNumber() - shownEnd);
    if (added > 0) {
        beginInsertRows({}, m_shownRows, m_shownRows + added - 1);
        m_shownRows += added;
        endInsertRows();
    }
    m_history.MarkSeen();
    emit Synced();
}

TagHistoryPanel::TagHistoryPanel(IPrompt& prompt, const CCountryNames* names, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_history(names), m_model(m_history, this) {
    setObjectName(QStringLiteral("tagHistory"));
    m_toggle = new QToolButton(this);
    m_toggle->setObjectName(QStringLiteral("historyToggle"));
    m_toggle->setText(QStringLiteral("Tag &history"));
    m_toggle->setCheckable(true);
    m_toggle->setAutoRaise(true);
    m_toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toggle->setArrowType(Qt::RightArrow);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("historySummary"));

    m_body = new QWidget(this);
    m_table = new QTableView(m_body);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setModel(&m_model);
    m_table->setItemDelegate(new PlainTextDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights: the view never measures a hundred thousand rows.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(TagHistoryModel::kEvent, QHeaderView::Stretch);
    // Wide enough for what the column holds and its title, no wider: the event text gets the rest.
    const QFontMetrics cells(m_table->font());
    const QFontMetrics titles(m_table->horizontalHeader()->font());
    const std::pair<int, const char*> samples[] = {{TagHistoryModel::kTime, "00:00:00.000"},
                                                   {TagHistoryModel::kCountryCode, "0000"},
                                                   {TagHistoryModel::kCountry, "manufacturer code"},
                                                   {TagHistoryModel::kNationalId, "000000000000"},
                                                   {TagHistoryModel::kType, "FDX-B"},
                                                   {TagHistoryModel::kCount, "999 (\u00d79)"}};
    for (const auto& [column, sample] : samples) {
        const QString title = m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        m_table->setColumnWidth(column, std::max(cells.horizontalAdvance(QString::fromUtf8(sample)),
                                                 titles.horizontalAdvance(title)) +
                                            18);
    }
    m_table->setMinimumHeight(m_table->verticalHeader()->defaultSectionSize() * 5);

    auto* repeatLabel = new QLabel(QStringLiteral("Repeat within:"), m_body);
    m_repeatSeconds = new QSpinBox(m_body);
    m_repeatSeconds->setObjectName(QStringLiteral("repeatSeconds"));
    m_repeatSeconds->setRange(0, 600);
    m_repeatSeconds->setSuffix(QStringLiteral(" s"));
    m_repeatSeconds->setSpecialValueText(QStringLiteral("off"));
    m_repeatSeconds->setValue(static_cast<int>(m_history.RepeatWindowMs() / 1000));
    m_repeatSeconds->setToolTip(
        QStringLiteral("Reads of the same animal within this time count on its row instead of adding one"));
    repeatLabel->setBuddy(m_repeatSeconds);
    auto* clear = new QPushButton(QStringLiteral("Clear"), m_body);
    clear->setObjectName(QStringLiteral("historyClear"));
    auto* exportCsv = new QPushButton(QStringLiteral("Export CSV..."), m_body);
    exportCsv->setObjectName(QStringLiteral("historyExport"));

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(m_toggle);
    header->addWidget(m_summary, 1);
    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(repeatLabel);
    controls->addWidget(m_repeatSeconds);
    controls->addStretch(1);
    controls->addWidget(clear);
    controls->addWidget(exportCsv);
    auto* bodyLayout = new QVBoxLayout(m_body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(m_table, 1);
    bodyLayout->addLayout(controls);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(header);
    layout->addWidget(m_body, 1);
    m_body->hide();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    ShowSummary();

    connect(m_toggle, &QToolButton::toggled, this, [this](bool open) { SetOpen(open); });
    connect(clear, &QPushButton::clicked, this, [this] { OnClear(); });
    connect(exportCsv, &QPushButton::clicked, this, [this] { OnExport(); });
    connect(m_repeatSeconds, &QSpinBox::valueChanged, this,
            [this](int seconds) { m_history.SetRepeatWindowMs(int64_t{seconds} * 1000); });
    // New rows scroll into view only for a reader who is looking at the newest ones.
    auto* bar = m_table->verticalScrollBar();
    connect(&m_model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this, bar] { m_follow = bar->value() == bar->maximum(); });
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_follow) {
            m_table->scrollToBottom();
        }
    });
    connect(&m_model, &TagHistoryModel::Synced, this, [this] { ShowSummary(); });
}

void TagHistoryPanel::AddTag(const std::string& countryCode, const std::string& nationalId,
                             const std::string& tagType, const std::string& eventText) {
    if (m_history.Add(countryCode, nationalId, tagType, eventText)) {
        m_model.ScheduleSync();
    }
}

bool TagHistoryPanel::IsOpen() const {
    return m_toggle->isChecked();
}

void TagHistoryPanel::SetOpen(bool open) {
    if (m_toggle->isChecked() != open) {
        m_toggle->setChecked(open);  // comes back here through toggled
        return;
    }
    if (m_body->isVisibleTo(this) == open) {
        return;
    }
    m_toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    QWidget* top = window();
    const int before = top->height();
    m_body->setVisible(open);
    setSizePolicy(QSizePolicy::Preferred, open ? QSizePolicy::Expanding : QSizePolicy::Maximum);
    // The window grows by about ten rows and the buttons below them, and gives back what it grew
    // by when the history closes, unless the user made it fill the screen.
    if (top == this || !top->isVisible() ||
        (top->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        m_grownBy = 0;
        m_widenedBy = 0;
    } else if (open) {
        const int grow = m_table->verticalHeader()->defaultSectionSize() * 11 +
                         m_table->horizontalHeader()->sizeHint().height() +
                         m_repeatSeconds->sizeHint().height() + 2 * std::max(0, layout()->spacing());
        top->layout()->activate();
        // What was asked for, not read back: a window system may apply it later.
        const int height = std::max(before + grow, top->minimumSizeHint().height());
        // Wide enough that event texts and country names are not cut short.
        const int width = std::max(top->width(), kOpenWidth);
        m_grownBy = height - before;
        m_widenedBy = width - top->width();
        top->resize(width, height);
    } else {
        // Not at once: the window's minimum still counts the table until the layouts have heard
        // of it, and an X server without a window manager keeps the larger size when asked too
        // early (seen on Xvfb).
        const int height = before - m_grownBy;
        const int width = top->width() - m_widenedBy;
        QTimer::singleShot(kShrinkDelayMs, top, [top, width, height] {
            top->resize(std::max(width, top->minimumSizeHint().width()),
                        std::max(height, top->minimumSizeHint().height()));
        });
        m_widenedBy = 0;
        m_grownBy = 0;
    }
    if (open) {
        m_table->scrollToBottom();
    }
}

void TagHistoryPanel::ShowSummary() {
    QString text = QStringLiteral("%1 reads, %2 rows").arg(m_history.Reads()).arg(m_history.Size());
    const std::string note = m_history.DroppedNote();
    if (!note.empty()) {
        text += QStringLiteral("  \u2014  ") + QString::fromStdString(note);
    }
    if (!m_saved.isEmpty()) {
        text += QStringLiteral("  \u2014  ") + m_saved;
    }
    m_summary->setText(text);  // nothing to lay out or paint when it is the same
}

void TagHistoryPanel::OnClear() {
    m_history.Clear();
    m_saved.clear();
    m_model.Sync();
}

void TagHistoryPanel::OnExport() {
    const std::string path = m_prompt.SaveFileNameProposing("CSV files (*.csv)", "tag-history.csv");
    if (path.empty()) {
        return;
    }
    std::string error;
    if (m_history.ExportCsv(path, error) != 0) {
        m_saved.clear();
        ShowSummary();
        m_prompt.Message("The tag history was not saved", error);
        return;
    }
    m_saved = QStringLiteral("%1 rows saved to %2").arg(m_history.Size()).arg(QString::fromStdString(path));
    ShowSummary();
}
