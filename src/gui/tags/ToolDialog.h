#pragma once

#include "core/tags/ToolView.h"
#include "gui/app/QtPrompt.h"

#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include <string>
#include <vector>

// What the tag data windows share: a top-level window that tells its logic when it closes, named
// buttons, and a list box that follows the logic's lines without refilling itself each time.
class ToolDialog : public QWidget, public IToolView {
public:
    ToolDialog(const char* caption, IPrompt& prompt, QWidget* parent);

protected:
    // What the window's logic asks the user, over this window.
    IPrompt& Prompt() { return m_prompt; }
    QPushButton* Button(const char* caption, const char* name);
    // Appends what is new; refills only when the lines were replaced.
    static void SyncList(QListWidget* list, const std::vector<std::string>& lines, int selected);

private:
    WindowPrompt m_prompt;
};
