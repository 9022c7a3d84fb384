#include "gui/app/QtPrompt.h"

#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

constexpr int kPollMs = 50;
// A window that never comes up (no window manager, a hidden start) must not swallow messages.
constexpr int kMaxWaitMs = 5000;
constexpr int kMinTextWidth = 360;

// Wide enough that the longest word (a device path, a file path) stays on one line.
int TextWidth(const QWidget* widget, const QString& text) {
    const QFontMetrics metrics(widget->font());
    int width = kMinTextWidth;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        width = std::max(width, metrics.horizontalAdvance(word) + metrics.averageCharWidth());
    }
    if (const QScreen* screen = widget->screen()) {
        width = std::min(width, screen->availableGeometry().width() * 4 / 5);
    }
    return width;
}

}  // namespace

bool QtPrompt::ParentOnScreen() const {
    return m_parent != nullptr && m_parent->isVisible() && m_parent->windowHandle() != nullptr &&
           m_parent->windowHandle()->isExposed();
}

void QtPrompt::Message(const std::string& text, const std::string& detail) {
    m_pending.push_back({text, detail});
    ShowWhenOnScreen();
}

void QtPrompt::ShowWhenOnScreen() {
    if (m_parent == nullptr || ParentOnScreen() || m_waitedMs >= kMaxWaitMs) {
        auto pending = std::move(m_pending);
        m_pending.clear();
        m_waitedMs = 0;
        for (const auto& message : pending) {
            Show(message);
        }
        return;
    }
    if (m_waiting) {
        return;
    }
    m_waiting = true;
    // The parent as context: the poll ends with it.
    QTimer::singleShot(kPollMs, m_parent, [this] {
        m_waiting = false;
        m_waitedMs += kPollMs;
        ShowWhenOnScreen();
    });
}

void QtPrompt::Show(const Pending& message) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Corvantelle"),
                                QString::fromStdString(message.text), QMessageBox::Ok, m_parent);
    const QString detail = QString::fromStdString(message.detail);
    if (!detail.isEmpty()) {
        box->setInformativeText(detail);
        box->setIcon(QMessageBox::Warning);
    }
    const int width = TextWidth(box, QString::fromStdString(message.text) + QLatin1Char(' ') + detail);
    box->setStyleSheet(
        QStringLiteral("QLabel#qt_msgbox_label, QLabel#qt_msgbox_informativelabel { min-width: %1px; }")
            .arg(width));
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

std::string QtPrompt::SaveFileNameProposing(const std::string& filter, const std::string& name) {
    // The dialog asks before it replaces an existing file.
    return QFileDialog::getSaveFileName(m_parent, QString(),
                                        QDir::current().filePath(QString::fromStdString(name)),
                                        QString::fromStdString(filter))
        .toStdString();
}

WindowPrompt::WindowPrompt(IPrompt& application, QWidget* window)
    : m_application(application), m_onScreen(dynamic_cast<QtPrompt*>(&application) != nullptr) {
    SetWindow(window);
}

void WindowPrompt::SetWindow(QWidget* window) {
    m_window = window;
    m_own.SetParent(window);
}

IPrompt& WindowPrompt::Target() {
    if (m_onScreen && m_window != nullptr && m_window->isVisible()) {
        return m_own;
    }
    return m_application;
}

void WindowPrompt::Message(const std::string& text, const std::string& detail) {
    Target().Message(text, detail);
}

bool WindowPrompt::YesNo(const std::string& text) {
    return Target().YesNo(text);
}

std::string WindowPrompt::OpenFileName(const std::string& filter) {
    return Target().OpenFileName(filter);
}

std::string WindowPrompt::SaveFileName(const std::string& filter) {
    return Target().SaveFileName(filter);
}

std::string WindowPrompt::SaveFileNameProposing(const std::string& filter, const std::string& name) {
    return Target().SaveFileNameProposing(filter, name);
}

bool WindowPrompt::IsMessageOpen() const {
    return m_own.IsMessageOpen() || m_application.IsMessageOpen();
}
