#pragma once

#include "core/tags/EventDatabaseDlg.h"
#include "gui/tags/ToolDialog.h"

#include <QLineEdit>

// The "Event Database" window.
class EventDatabaseDialog final : public ToolDialog {
public:
    EventDatabaseDialog(IMainWindow& mainWindow, IPrompt& prompt, const std::string& path,
                        QWidget* parent = nullptr);
    ~EventDatabaseDialog() override;

    CEventDatabaseDlg& Logic() { return m_logic; }
    void UpdateControls() override;
    void StoreControls() override;

private:
    CEventDatabaseDlg m_logic;
    QLineEdit* m_id;
    QLineEdit* m_event;
    QListWidget* m_list;
};
