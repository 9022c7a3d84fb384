#include "gui/app/TagFeedDialog.h"

#include "platform/TagFeed.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TagFeedDialog::TagFeedDialog(TagFeed& feed, QWidget* parent)
    : QDialog(parent),
      m_feed(feed),
      m_enabled(new QCheckBox(QStringLiteral("Offer every tag to other programs on this computer"))),
      m_path(new QLineEdit),
      m_clients(new QLabel),
      m_note(new QLabel) {
    setWindowTitle(QStringLiteral("Tag feed"));
    m_enabled->setObjectName(QStringLiteral("feedEnabled"));
    m_path->setObjectName(QStringLiteral("feedPath"));
    m_path->setReadOnly(true);
    m_path->setMinimumWidth(m_path->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 44);
    m_clients->setObjectName(QStringLiteral("feedClients"));
    m_note->setObjectName(QStringLiteral("feedNote"));
    m_note->setWordWrap(true);
    auto* explain = new QLabel(
        QStringLiteral("Each tag the reader reports goes to every connected program as one JSON line, as "
                       "<tt>corvantelle-cli listen --json</tt> prints it. Read it with "
                       "<tt>corvantelle-cli follow</tt> or any program that opens the local socket below."));
    explain->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Socket:"), m_path);
    form->addRow(QStringLiteral("Readers now:"), m_clients);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addWidget(explain);
    layout->addLayout(form);
    layout->addWidget(m_note);
    layout->addWidget(buttons);

    m_enabled->setChecked(m_feed.IsEnabled());
    connect(m_enabled, &QCheckBox::toggled, this, [this](bool on) {
        QString note;  // the same as the feed's Note() afterwards
        m_feed.SetEnabled(on, note);
        Show();
    });
    connect(&m_feed, &TagFeed::clientsChanged, this, [this] { Show(); });
    Show();
}

void TagFeedDialog::Show() {
    const bool listening = m_feed.IsListening();
    m_path->setText(listening ? m_feed.Path() : TagFeed::DefaultPath());
    m_path->setEnabled(listening);
    m_clients->setText(listening ? QString::number(m_feed.Clients())
                                 : QStringLiteral("none, the feed is off"));
    QString text = m_feed.Note();
    if (listening && m_feed.Path() != TagFeed::DefaultPath()) {
        // The long paths of the feed's own note wrap badly here; the path is in the field above.
        text = QStringLiteral(
                   "Another tool already feeds tags at \"tags\" in this folder, so this one uses "
                   "\"%1\". Read it with<br><tt>corvantelle-cli follow --socket %2</tt>")
                   .arg(QFileInfo(m_feed.Path()).fileName(), m_feed.Path().toHtmlEscaped());
    } else if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    m_note->setText(text);
    m_note->setVisible(!text.isEmpty());
    adjustSize();
}
