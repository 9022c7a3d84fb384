#pragma once

#include "core/app/Prompt.h"

class QWidget;

// Message boxes and file dialogs for the logic. Messages do not block: a lost device is reported
// from inside the port's error handling, where a nested event loop would be unwelcome.
class QtPrompt final : public IPrompt {
public:
    explicit QtPrompt(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void Message(const std::string& text, const std::string& detail) override;
    bool YesNo(const std::string& text) override;
    std::string OpenFileName(const std::string& filter) override;
    std::string SaveFileName(const std::string& filter) override;
    std::string SaveFileNameAs(const std::string& filter, const std::string& proposed) override;
    bool IsMessageOpen() const override { return m_openMessages > 0; }

private:
    QWidget* m_parent;
    int m_openMessages = 0;
};
