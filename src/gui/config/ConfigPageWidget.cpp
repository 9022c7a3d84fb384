#include "gui/config/ConfigPageWidget.h"

#include "gui/config/ControlSync.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include <algorithm>

void ConfigPageWidget::FitChars(QLineEdit* field, int chars) {
    QStyleOptionFrame option;
    option.initFrom(field);
    const QFontMetrics metrics = field->fontMetrics();
    // One character more for the line edit's inner margins and the cursor.
    const QSize text(metrics.horizontalAdvance(QString(chars + 1, QLatin1Char('0'))), metrics.height());
    field->setFixedWidth(field->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, field).width());
}

QLabel* ConfigPageWidget::Unit(QWidget* parent, const char* unit) {
    return new QLabel(QString::fromUtf8(unit), parent);
}

QPushButton* ConfigPageWidget::NamedButton(QWidget* parent, const char* caption, const char* name,
                                           const char* tip) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    if (tip != nullptr) {
        button->setToolTip(QString::fromUtf8(tip));
    }
    return button;
}

ConfigPageWidget::ConfigPageWidget(CConfigPage& page, QWidget* parent) : QWidget(parent), m_page(page) {
    auto* root = new QVBoxLayout(this);
    m_body = new QWidget(this);
    root->addWidget(m_body, 1);

    auto* band = new QHBoxLayout;
    root->addLayout(band);
    auto add = [&](const char* caption, const char* name) {
        QPushButton* button = NamedButton(this, caption, name);
        band->addWidget(button);
        return button;
    };
    m_apply = add("&Apply", "bandApply");
    m_read = add("&Read", "bandRead");
    m_resetAll = add("R&eset all", "bandResetAll");
    m_load = add("&Load", "bandLoad");
    m_save = add("&Save", "bandSave");
    band->addStretch(1);
    m_quit = add("&Quit", "bandQuit");
    m_apply->setToolTip(QStringLiteral(" Write the configuration of all pages to the reader "));
    m_read->setToolTip(QStringLiteral(" Read the whole configuration of the reader "));
    m_load->setToolTip(QStringLiteral(" Load a configuration file into the pages "));
    m_save->setToolTip(QStringLiteral(" Save the configuration of all pages to a file "));
    connect(m_apply, &QPushButton::clicked, this, [this] { m_page.OnApply(); });
    connect(m_read, &QPushButton::clicked, this, [this] { m_page.OnRead(); });
    connect(m_load, &QPushButton::clicked, this, [this] { m_page.OnLoad(); });
    connect(m_save, &QPushButton::clicked, this, [this] { m_page.OnSave(); });
    m_resetAll->setToolTip(QStringLiteral(" Set configuration of the reader to default values "));
    connect(m_resetAll, &QPushButton::clicked, this, [this] { m_page.OnResetAll(); });
    connect(m_quit, &QPushButton::clicked, this, [this] { m_page.OnQuit(); });

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("pageProgress"));
    m_progress->setTextVisible(false);
    root->addWidget(m_progress);
    m_status = new ElidedLabel(this);
    m_status->setObjectName(QStringLiteral("pageStatus"));
    root->addWidget(m_status);

    m_page.SetView(this);
    UpdateControls();
}

ConfigPageWidget::~ConfigPageWidget() {
    if (m_page.View() == this) {
        m_page.SetView(nullptr);
    }
}

void ConfigPageWidget::PlaceBandLastInTabOrder() {
    // The band is made before the page's own controls, so Tab would visit it first; the eye
    // reads the page's controls first and the band below them last.
    QWidget* last = nullptr;
    for (QWidget* w = nextInFocusChain(); w != this && isAncestorOf(w); w = w->nextInFocusChain()) {
        if (m_body->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) != 0) {
            last = w;
        }
    }
    if (last == nullptr) {
        return;
    }
    for (QPushButton* button : {m_apply, m_read, m_resetAll, m_load, m_save, m_quit}) {
        setTabOrder(last, button);
        last = button;
    }
}

void ConfigPageWidget::UpdateControls() {
    m_showing = true;
    ShowFields();
    m_status->SetFullText(ControlSync::ToQt(m_page.StatusText()));
    m_showing = false;
    UpdateProgress();
}

void ConfigPageWidget::StoreControls() {
    // Setting a control while showing must not copy half-shown values back.
    if (!m_showing) {
        StoreFields();
    }
}

void ConfigPageWidget::UpdateProgress() {
    const int low = m_page.ProgressLow();
    // An empty range would turn the bar into a busy indicator.
    m_progress->setRange(low, std::max(m_page.ProgressHigh(), low + 1));
    m_progress->setValue(m_page.ProgressPosition());
}
