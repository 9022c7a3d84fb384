#include "gui/app/QtPrompt.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

void QtPrompt::Message(const std::string& text, const std::string& detail) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Corvantelle"),
                                QString::fromStdString(text), QMessageBox::Ok, m_parent);
    if (!detail.empty()) {
        box->setInformativeText(QString::fromStdString(detail));
        box->setIcon(QMessageBox::Warning);
    }
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("promptMessage"));
    ++m_openMessages;
    QObject::connect(box, &QMessageBox::finished, box, [this] { --m_openMessages; });
    box->open();
}

bool QtPrompt::YesNo(const std::string& text) {
    return QMessageBox::question(m_parent, QStringLiteral("Corvantelle"), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string QtPrompt::OpenFileName(const std::string& filter) {
    return QFileDialog::getOpenFileName(m_parent, QString(), QDir::currentPath(),
                                        QString::fromStdString(filter))
        .toStdString();
}

std::string QtPrompt::SaveFileName(const std::string& filter) {
    return QFileDialog::getSaveFileName(m_parent, QString(), QDir::currentPath(),
                                        QString::fromStdString(filter))
        .toStdString();
}

std::string QtPrompt::SaveFileNameAs(const std::string& filter, const std::string& proposed) {
    return QFileDialog::getSaveFileName(m_parent, QString(),
                                        QDir::current().filePath(QString::fromStdString(proposed)),
                                        QString::fromStdString(filter))
        .toStdString();
}
