#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/service/BluetoothDlg.h"
#include "gui/app/QtPrompt.h"
#include "gui/service/LineListView.h"

#include <QWidget>

#include <memory>

class CWindowRegistry;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The "Bluetooth" console window: binds CBluetoothDlg to its buttons, edits and monitor list.
class BluetoothWindow final : public QWidget, public IToolWindow {
    Q_OBJECT

public:
    BluetoothWindow(IMainWindow& main, CWindowRegistry& windows, IPrompt& prompt, QWidget* parent = nullptr);
    ~BluetoothWindow() override;

    CBluetoothDlg& Logic() { return m_logic; }

    // IToolWindow
    void OnRxBytes(const uint8_t* bytes, int count) override;
    void OnTxBytes(const std::string& text) override;
    void OnTick() override;
    void OnBringToFront() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* AddButton(const char* text, const char* name, void (CBluetoothDlg::*handler)());
    QPushButton* AddReaderButton(const char* text, const char* name, uint8_t subCode);
    void Collect();
    void Refresh();

    WindowPrompt m_prompt;
    CBluetoothDlg m_logic;
    CWindowRegistry& m_windows;
    QListWidget* m_list;
    QLineEdit* m_command;
    QLineEdit* m_connectAddress;
    QLineEdit* m_registerAddress;
    QLineEdit* m_registerData;
    QLineEdit* m_scriptName;
    QLineEdit* m_scriptText;
    QLineEdit* m_time;
    QLineEdit* m_counter;
    QLabel* m_progress;
    QCheckBox* m_route;
    QCheckBox* m_test;
    QCheckBox* m_debug;
    QCheckBox* m_simulation;
    QPushButton* m_background;
    std::unique_ptr<LineListView> m_view;
    bool m_quitting = false;
};
