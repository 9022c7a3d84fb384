#pragma once

#include "core/tags/TestToolsDlg.h"
#include "gui/tags/ToolDialog.h"

#include <QLineEdit>

// The "Testtools" window.
class TestToolsDialog final : public ToolDialog {
public:
    TestToolsDialog(IMainWindow& mainWindow, IPrompt& prompt, QWidget* parent = nullptr);
    ~TestToolsDialog() override;

    CTestToolsDlg& Logic() { return m_logic; }
    void UpdateControls() override;
    void StoreControls() override;

private:
    CTestToolsDlg m_logic;
    QLineEdit* m_countryCode;
    QLineEdit* m_nationalId;
    QLineEdit* m_amount;
};
