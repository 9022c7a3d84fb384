#include "gui/app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutDialog::AboutDialog(const QString& versionLine, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Info über Corvantelle"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/corvantelle.png")));
    auto* version = new QLabel(versionLine, this);
    version->setObjectName(QStringLiteral("versionLine"));
    auto* copyright = new QLabel(QStringLiteral("Reader tool for Corvantelle animal-ID readers"), this);
    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(copyright);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(texts, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString AboutDialog::VersionLine() {
    return QStringLiteral("KZT770 Version %1").arg(QStringLiteral(CORVANTELLE_VERSION));
}
