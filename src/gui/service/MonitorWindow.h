#pragma once

#include "core/app/Prompt.h"
#include "gui/app/QtPrompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/service/MonitorDlg.h"
#include "gui/service/LineListView.h"

#include <QWidget>

#include <memory>

class CWindowRegistry;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The "Monitor" window: binds CMonitorDlg to its list and check boxes. What arrives is handed
// to the logic at once; the list follows once per event-loop turn, so a busy line at 115200 baud
// costs one list update per turn, not one per batch.
class MonitorWindow final : public QWidget, public IToolWindow {
    Q_OBJECT

public:
    MonitorWindow(IMainWindow& main, CWindowRegistry& windows, IPrompt& prompt, QWidget* parent = nullptr);
    ~MonitorWindow() override;

    CMonitorDlg& Logic() { return m_logic; }

    // IToolWindow
    void OnRxBytes(const uint8_t* bytes, int count) override;
    void OnTxBytes(const std::string& text) override;
    void OnBringToFront() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSave();
    void CopySelection();
    void ShowPauseCount();
    QLayout* BuildSearchRow();
    void OnSearchChanged();
    void OnStep(bool forward);
    void OnFilterChanged();
    void ShowMatchCount();

    CMonitorDlg m_logic;
    CWindowRegistry& m_windows;
    WindowPrompt m_prompt;
    QListWidget* m_list;
    QCheckBox* m_ascii;
    QCheckBox* m_newLine;
    QCheckBox* m_stamps;
    QPushButton* m_pause;
    QLabel* m_pauseCount;
    QLineEdit* m_search = nullptr;
    QCheckBox* m_hex = nullptr;
    QLabel* m_matches = nullptr;
    QComboBox* m_filter = nullptr;
    std::unique_ptr<LineListView> m_view;
    bool m_quitting = false;
};
