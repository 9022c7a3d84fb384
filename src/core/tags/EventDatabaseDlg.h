#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/tags/EventDatabase.h"
#include "core/tags/ToolView.h"

#include <string>
#include <vector>

// The "Event Database" window: edits the event database file and switches the database active
// (every tag read is then looked up and its event sent to the reader) or inactive.
class CEventDatabaseDlg final : public IToolWindow {
public:
    CEventDatabaseDlg(IMainWindow& mainWindow, IPrompt& prompt, std::string path);

    void SetView(IToolView* view) { m_view = view; }
    const CEventDatabase& Database() const { return m_database; }

    // The window opens: the file gets its header if it has none, and the list is filled.
    void OnOpen();
    void OnAssign();
    void OnRemove();
    void OnActivate();
    void OnDeactivate();
    void OnShow();
    void OnSort();
    void OnQuit();
    void OnSelect(int index);

    // A tag was read while the window is open.
    void ShowTag(const std::string& id) override;

    std::string m_id;
    std::string m_event;
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    void AfterChange();
    void Update();
    void Store();

    IMainWindow& m_mainWindow;
    IPrompt& m_prompt;
    CEventDatabase m_database;
    IToolView* m_view = nullptr;
    std::vector<std::string> m_lines;
};
