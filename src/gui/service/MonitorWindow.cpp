#include "gui/service/MonitorWindow.h"

#include "core/app/WindowRegistry.h"
#include "core/util/TextFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
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
      m_prompt(prompt) {
    setWindowTitle(QString::fromLatin1(Caption::kMonitor));
    setAttribute(Qt::WA_DeleteOnClose);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lines"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(true);
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
    auto* save = Button("Save...", "save", this);
    auto* clear = Button("Clear", "clear", this);
    auto* quit = Button("Quit", "quit", this);

    auto* side = new QVBoxLayout;
    side->addWidget(format);
    side->addWidget(m_stamps);
    side->addWidget(m_pause);
    side->addWidget(m_pauseCount);
    side->addWidget(save);
    side->addStretch(1);
    side->addWidget(clear);
    side->addWidget(quit);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(side);
    resize(820, 420);

    m_view = std::make_unique<LineListView>(m_list, m_logic.Lines(), [this](const LineList& lines, size_t i) {
        const std::string text =
            m_stamps->isChecked() ? CMonitorDlg::StampedLine(lines.At(i), lines.StampAt(i)) : lines.At(i);
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    });

    connect(m_ascii, &QCheckBox::toggled, this, [this](bool on) { m_logic.m_ascii = on; });
    connect(m_newLine, &QCheckBox::toggled, this, [this](bool on) { m_logic.m_newLine = on; });
    connect(m_stamps, &QCheckBox::toggled, this, [this] { m_view->Rebuild(); });
    connect(m_pause, &QPushButton::toggled, this, [this](bool on) {
        m_logic.SetPaused(on);
        ShowPauseCount();
        m_view->ScheduleSync();
    });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_logic.OnClear();
        m_view->Sync();
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

void MonitorWindow::OnSave() {
    const std::string path = m_prompt.SaveFileName("Text files (*.txt)");
    if (path.empty()) {
        return;
    }
    std::string error;
    const std::string text = m_logic.Text(0, m_logic.Lines().Size(), m_stamps->isChecked());
    if (WriteTextFileAtomically(path, text, error) != 0) {
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

void MonitorWindow::closeEvent(QCloseEvent* event) {
    if (!m_quitting) {
        m_quitting = true;
        m_logic.OnQuit();
    }
    QWidget::closeEvent(event);
}
