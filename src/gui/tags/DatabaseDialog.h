#pragma once

#include "core/tags/DatabaseDlg.h"
#include "gui/tags/ToolDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>

// The "Database" window.
class DatabaseDialog final : public ToolDialog {
public:
    DatabaseDialog(IMainWindow& mainWindow, IPrompt& prompt, QWidget* parent = nullptr);
    ~DatabaseDialog() override;

    CDatabaseDlg& Logic() { return m_logic; }
    void UpdateControls() override;
    void StoreControls() override;

private:
    CDatabaseDlg m_logic;
    QLineEdit* m_amount;
    QSpinBox* m_number;
    QLineEdit* m_countryCode;
    QLabel* m_countryName;
    QLineEdit* m_id;
    QLineEdit* m_tagType;
    QLineEdit* m_date;
    QLineEdit* m_time;
    QLineEdit* m_separation;
    QCheckBox* m_newFile;
    QListWidget* m_list;
    QProgressBar* m_progress;
    QLabel* m_progressText;
    QPushButton* m_stop;
};
