#include "core/tags/EventDatabaseDlg.h"

CEventDatabaseDlg::CEventDatabaseDlg(IMainWindow& mainWindow, IPrompt& prompt, std::string path)
    : m_mainWindow(mainWindow), m_prompt(prompt), m_database(std::move(path)) {}

void CEventDatabaseDlg::OnOpen() {
    std::string error;
    if (!m_database.EnsureHeader(error)) {
        m_prompt.Message(CEventDatabase::kDatabaseError, error);
    }
    OnShow();
}

void CEventDatabaseDlg::OnShow() {
    m_lines = m_database.ListLines();
    Update();
}

void CEventDatabaseDlg::AfterChange() {
    m_id.clear();
    m_event.clear();
    OnShow();
}

// The edits are copied before any question: a tag read while it is open fills them anew, and
// the entry changed must stay the one the user asked for. They are emptied only when the change
// was made, so that a refusal leaves the user's typing to correct.
void CEventDatabaseDlg::OnAssign() {
    Store();
    const std::string id = m_id;
    const std::string event = m_event;
    if (m_database.Assign(id, event, m_prompt)) {
        AfterChange();
    }
}

void CEventDatabaseDlg::OnRemove() {
    Store();
    const std::string id = m_id;
    const std::string event = m_event;
    if (m_database.Remove(id, event, m_prompt)) {
        AfterChange();
    }
}

void CEventDatabaseDlg::OnSort() {
    m_database.Sort(m_prompt);
    OnShow();
}

void CEventDatabaseDlg::OnActivate() {
    m_mainWindow.OnMainCommand(MainCommand::kEventDatabase, 1);
}

void CEventDatabaseDlg::OnDeactivate() {
    m_mainWindow.OnMainCommand(MainCommand::kEventDatabase, 0);
}

void CEventDatabaseDlg::OnQuit() {
    m_mainWindow.OnMainCommand(MainCommand::kWindowClosing, Resource::kEventDatabase);
}

void CEventDatabaseDlg::OnSelect(int index) {
    if (index < 0 || index >= static_cast<int>(m_lines.size())) {
        return;
    }
    CEventDatabase::SplitEntryLine(m_lines[static_cast<size_t>(index)], m_id, m_event);
    Update();
}

void CEventDatabaseDlg::ShowTag(const std::string& id) {
    m_id = id;
    m_event = m_database.FindEvent(id);
    Update();
}

void CEventDatabaseDlg::Update() {
    if (m_view != nullptr) {
        m_view->UpdateControls();
    }
}

void CEventDatabaseDlg::Store() {
    if (m_view != nullptr) {
        m_view->StoreControls();
    }
}
