#pragma once

#include "core/app/Prompt.h"

#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

// Message boxes and file dialogs for the logic. Messages do not block: a lost device is reported
// from inside the port's error handling, where a nested event loop would be unwelcome. Messages
// given before the parent window is on screen (the start-up connect) wait for it, so that they
// open over it and not alone in a corner.
class QtPrompt final : public IPrompt {
public:
    explicit QtPrompt(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void Message(const std::string& text, const std::string& detail) override;
    bool YesNo(const std::string& text) override;
    std::string OpenFileName(const std::string& filter) override;
    std::string SaveFileName(const std::string& filter) override;
    std::string SaveFileNameProposing(const std::string& filter, const std::string& name) override;
    bool IsMessageOpen() const override { return m_openMessages > 0 || !m_pending.empty(); }

private:
    struct Pending {
        std::string text;
        std::string detail;
    };
    bool ParentOnScreen() const;
    void ShowWhenOnScreen();
    void Show(const Pending& message);

    QWidget* m_parent;
    int m_openMessages = 0;
    std::vector<Pending> m_pending;
    bool m_waiting = false;
    int m_waitedMs = 0;
};

// A window's own prompt: a box or file dialog that an action in a tool window raises opens over
// that window and keeps it in front, instead of raising the main window above it. While the
// window is not on screen (not yet shown, closing) and behind an application prompt that is no
// QtPrompt (a test's), everything goes to the application's prompt.
class WindowPrompt final : public IPrompt {
public:
    explicit WindowPrompt(IPrompt& application, QWidget* window = nullptr);
    void SetWindow(QWidget* window);

    void Message(const std::string& text, const std::string& detail = {}) override;
    bool YesNo(const std::string& text) override;
    std::string OpenFileName(const std::string& filter) override;
    std::string SaveFileName(const std::string& filter) override;
    std::string SaveFileNameProposing(const std::string& filter, const std::string& name) override;
    bool IsMessageOpen() const override;

private:
    IPrompt& Target();

    IPrompt& m_application;
    const bool m_onScreen;
    QtPrompt m_own;
    QPointer<QWidget> m_window;
};
