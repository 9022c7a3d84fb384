#include "gui/service/MonitorWindow.h"

#include "core/app/WindowRegistry.h"
#include "core/util/LocalTime.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"
#include "gui/service/PlainTextDelegate.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPushButton* Button(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace

MonitorWindow::MonitorWindow(IMainWindow& main, CWindowRegistry& windows, IPrompt& prompt, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_logic(main, [] { return static_cast<int64_t>(QTime::currentTime().msecsSinceStartOfDay()); }),
      m_windows(windows),
      m_prompt(prompt, this) {
    setWindowTitle(QString::fromLatin1(Caption::kMonitor));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lines"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(true);
    // The longest line: a time stamp, 50 bytes sent as hex with their description, or 100
    // received characters with the answer's name; 3000 pixels at the least.
    auto* delegate = new PlainTextDelegate(m_list);
    constexpr int kLongestLine = 240;
    delegate->SetMinimumWidth(
        std::max(3000, m_list->fontMetrics().horizontalAdvance(QString(kLongestLine, u'0'))));
    m_list->setItemDelegate(delegate);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* format = new QGroupBox(QStringLiteral("Format"), this);
    m_ascii = new QCheckBox(QStringLiteral("ASCII"), format);
    m_ascii->setObjectName(QStringLiteral("ascii"));
    m_newLine = new QCheckBox(QStringLiteral("New line"), format);
    m_newLine->setObjectName(QStringLiteral("newLine"));
    m_ascii->setChecked(m_logic.m_ascii);
    m_newLine->setChecked(m_logic.m_newLine);
    auto* formatLayout = new QVBoxLayout(format);
    formatLayout->addWidget(m_ascii);
    formatLayout->addWidget(m_newLine);

    m_stamps = new QCheckBox(QStringLiteral("Time stamps"), this);
    m_stamps->setObjectName(QStringLiteral("stamps"));
    m_pause = Button("Pause", "pause", this);
    m_pause->setCheckable(true);
    m_pauseCount = new QLabel(this);
    m_pauseCount->setObjectName(QStringLiteral("pauseCount"));
    // How late the reader answers, as the engine learns it: what a technician on a Bluetooth link
    // looks for when requests seem to go unanswered.
    auto* roundTrip = new QLabel(this);
    roundTrip->setObjectName(QStringLiteral("roundTrip"));
    roundTrip->setWordWrap(true);
    roundTrip->setMaximumWidth(150);
    auto* roundTripTimer = new QTimer(this);
    const auto showRoundTrip = [roundTrip, &main] {
        const IRequestTiming* timing = main.Timing();
        roundTrip->setText(timing != nullptr ? QString::fromStdString(timing->DescribeLine()) : QString());
    };
    connect(roundTripTimer, &QTimer::timeout, this, showRoundTrip);
    roundTripTimer->start(1000);
    showRoundTrip();
    auto* save = Button("Save...", "save", this);
    auto* clear = Button("Clear", "clear", this);
    auto* quit = Button("Quit", "quit", this);

    auto* side = new QVBoxLayout;
    side->addWidget(format);
    side->addWidget(m_stamps);
    side->addWidget(m_pause);
    side->addWidget(m_pauseCount);
    side->addWidget(roundTrip);
    side->addWidget(save);
    side->addStretch(1);
    side->addWidget(clear);
    side->addWidget(quit);
    auto* listColumn = new QVBoxLayout;
    listColumn->addLayout(BuildSearchRow());
    listColumn->addWidget(m_list, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(listColumn, 1);
    layout->addLayout(side);
    resize(1000, 460);

    m_view = std::make_unique<LineListView>(m_list, m_logic.Lines(), [this](const LineList& lines, size_t i) {
        const std::string text =
            m_stamps->isChecked() ? CMonitorDlg::StampedLine(lines.At(i), lines.StampAt(i)) : lines.At(i);
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    });
    m_view->SetDecorator([this](QListWidgetItem* item, size_t i) {
        // Only what changes: every change of an item is a signal and a redraw of its row.
        const bool hide = !m_logic.Shows(i);
        if (item->isHidden() != hide) {
            item->setHidden(hide);
        }
        const bool match = m_logic.Matches(i);
        if (match != (item->background().style() != Qt::NoBrush)) {
            item->setBackground(match ? QBrush(QColor(255, 236, 140)) : QBrush());
        }
    });

    connect(m_ascii, &QCheckBox::toggled, this, [this](bool on) { m_logic.m_ascii = on; });
    connect(m_newLine, &QCheckBox::toggled, this, [this](bool on) { m_logic.m_newLine = on; });
    connect(m_stamps, &QCheckBox::toggled, this, [this] { m_view->Rebuild(); });
    connect(m_pause, &QPushButton::toggled, this, [this](bool on) {
        m_pause->setText(on ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        m_logic.SetPaused(on);
        ShowPauseCount();
        m_view->ScheduleSync();
    });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_logic.OnClear();
        m_view->SetFollow(true);
        m_view->Sync();
        ShowMatchCount();
    });
    connect(quit, &QPushButton::clicked, this, [this] {
        m_quitting = true;
        m_logic.OnQuit();
        close();
    });
    auto* copy = new QShortcut(QKeySequence::Copy, m_list);
    connect(copy, &QShortcut::activated, this, [this] { CopySelection(); });
    m_windows.Register(Caption::kMonitor, this);
}

MonitorWindow::~MonitorWindow() {
    if (m_windows.Find(Caption::kMonitor) == this) {
        m_windows.Unregister(Caption::kMonitor);
    }
}

void MonitorWindow::OnRxBytes(const uint8_t* bytes, int count) {
    m_logic.OnRxBytes(bytes, count);
    if (m_logic.IsPaused()) {
        ShowPauseCount();
    }
    m_view->ScheduleSync();
}

void MonitorWindow::OnTxBytes(const std::string& text) {
    m_logic.OnTxBytes(text);
    if (m_logic.IsPaused()) {
        ShowPauseCount();
    }
    m_view->ScheduleSync();
}

void MonitorWindow::OnBringToFront() {
    show();
    raise();
    activateWindow();
}

void MonitorWindow::ShowPauseCount() {
    m_pauseCount->setText(m_logic.IsPaused() ? QStringLiteral("%1 bytes, %2 sent")
                                                   .arg(m_logic.PausedBytes())
                                                   .arg(m_logic.PausedTransmissions())
                                             : QString());
}

QLayout* MonitorWindow::BuildSearchRow() {
    auto* findLabel = new QLabel(QStringLiteral("&Find:"), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setClearButtonEnabled(true);
    m_search->setPlaceholderText(QStringLiteral("text, or bytes with Hex"));
    findLabel->setBuddy(m_search);
    m_search->installEventFilter(this);
    m_hex = new QCheckBox(QStringLiteral("He&x"), this);
    m_hex->setObjectName(QStringLiteral("searchHex"));
    m_hex->setToolTip(QStringLiteral("Find bytes such as 02 01 f0, in hex and in ASCII lines"));
    auto* previous = Button("&Previous", "searchPrevious", this);
    auto* next = Button("&Next", "searchNext", this);
    m_matches = new QLabel(this);
    m_matches->setObjectName(QStringLiteral("matches"));
    m_matches->setMinimumWidth(m_matches->fontMetrics().horizontalAdvance(QStringLiteral("9999 matches")));
    auto* showLabel = new QLabel(QStringLiteral("&Show:"), this);
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->addItem(QStringLiteral("All lines"), -1);
    m_filter->addItem(QStringLiteral("Transmitted"), -2);
    m_filter->addItem(QStringLiteral("Received frames"), -3);
    for (const auto& [code, name] : CMonitorDlg::FilterCommands()) {
        m_filter->addItem(
            QStringLiteral("%1 (%2)").arg(QString::fromStdString(name)).arg(code, 2, 16, QLatin1Char('0')),
            int{code});
    }
    m_filter->setMaxVisibleItems(20);
    // As wide as the usual choices; the long command names still show in the open list.
    m_filter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_filter->setMinimumContentsLength(16);
    showLabel->setBuddy(m_filter);

    auto* row = new QHBoxLayout;
    row->addWidget(findLabel);
    row->addWidget(m_search, 1);
    row->addWidget(m_hex);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(m_matches);
    row->addSpacing(12);
    row->addWidget(showLabel);
    row->addWidget(m_filter);

    connect(m_search, &QLineEdit::textChanged, this, [this] { OnSearchChanged(); });
    connect(m_hex, &QCheckBox::toggled, this, [this] { OnSearchChanged(); });
    connect(m_search, &QLineEdit::returnPressed, this,
            [this] { OnStep(!(QApplication::keyboardModifiers() & Qt::ShiftModifier)); });
    connect(previous, &QPushButton::clicked, this, [this] { OnStep(false); });
    connect(next, &QPushButton::clicked, this, [this] { OnStep(true); });
    connect(m_filter, &QComboBox::currentIndexChanged, this, [this] { OnFilterChanged(); });
    auto* findNext = new QShortcut(QKeySequence::FindNext, this);
    connect(findNext, &QShortcut::activated, this, [this] { OnStep(true); });
    auto* findPrevious = new QShortcut(QKeySequence::FindPrevious, this);
    connect(findPrevious, &QShortcut::activated, this, [this] { OnStep(false); });
    // The count follows the traffic at a pace that costs nothing on a busy line.
    auto* recount = new QTimer(this);
    connect(recount, &QTimer::timeout, this, [this] {
        if (m_logic.IsSearching()) {
            ShowMatchCount();
        }
    });
    recount->start(1000);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    return row;
}

void MonitorWindow::OnSearchChanged() {
    const bool valid = m_logic.SetSearch(m_search->text().toStdString(), m_hex->isChecked()) == 0;
    m_search->setStyleSheet(valid ? QString() : QStringLiteral("QLineEdit { background: #ffd0d0; }"));
    m_search->setToolTip(valid ? QString() : QStringLiteral("Not bytes: write them as 02 01 f0 or 0201f0"));
    if (!m_logic.IsSearching()) {
        m_view->SetFollow(true);
    }
    m_view->Redecorate();
    ShowMatchCount();
}

void MonitorWindow::OnStep(bool forward) {
    m_view->Sync();
    const long long index = m_logic.Step(forward);
    ShowMatchCount();
    if (index < 0) {
        return;
    }
    // Stay on the match while traffic goes on arriving below it.
    m_view->SetFollow(false);
    QListWidgetItem* item = m_list->item(static_cast<int>(index));
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

void MonitorWindow::OnFilterChanged() {
    const int data = m_filter->currentData().toInt();
    switch (data) {
        case -1:
            m_logic.SetFilter(CMonitorDlg::Filter::kAll);
            break;
        case -2:
            m_logic.SetFilter(CMonitorDlg::Filter::kTransmitted);
            break;
        case -3:
            m_logic.SetFilter(CMonitorDlg::Filter::kReceivedFrames);
            break;
        default:
            m_logic.SetFilter(CMonitorDlg::Filter::kCommand, static_cast<uint8_t>(data));
            break;
    }
    m_view->Redecorate();
    ShowMatchCount();
    if (const long long current = m_logic.CurrentMatch();
        current >= 0 && !m_list->item(static_cast<int>(current))->isHidden()) {
        m_list->scrollToItem(m_list->item(static_cast<int>(current)), QAbstractItemView::PositionAtCenter);
    } else {
        m_list->scrollToBottom();
    }
}

void MonitorWindow::ShowMatchCount() {
    if (!m_logic.IsSearching()) {
        m_matches->clear();
        return;
    }
    const size_t count = m_logic.MatchCount();
    m_matches->setText(count == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(count));
}

void MonitorWindow::OnSave() {
    const std::string path = CMonitorDlg::WithTextExtension(
        m_prompt.SaveFileNameProposing("Text files (*.txt)", CMonitorDlg::SaveName(LocalTimeNow())));
    if (path.empty()) {
        return;
    }
    std::string error;
    const std::string text = m_logic.Text(0, m_logic.Lines().Size(), m_stamps->isChecked());
    if (!WriteFileAtomically(path, text, error)) {
        m_prompt.Message("The monitor lines were not saved", error);
    }
}

void MonitorWindow::CopySelection() {
    QStringList lines;
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->isSelected()) {
            lines << m_list->item(row)->text();
        }
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void MonitorWindow::keyPressEvent(QKeyEvent* event) {
    // Escape clears the list, as the "Clear" button carries the window's cancel command.
    if (event->key() == Qt::Key_Escape) {
        m_logic.OnClear();
        m_view->Sync();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool MonitorWindow::eventFilter(QObject* watched, QEvent* event) {
    // Escape in the search field ends the search; nobody means to throw the traffic away there.
    if (watched == m_search && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_search->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
    if (!m_quitting) {
        m_quitting = true;
        m_logic.OnQuit();
    }
    QWidget::closeEvent(event);
}
