#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/service/LcdDlg.h"
#include "core/service/Max884Dlg.h"
#include "core/service/MemoryDlg.h"
#include "gui/app/QtPrompt.h"
#include "gui/service/LineListView.h"

#include <QDialog>
#include <QSpinBox>

#include <functional>
#include <memory>

class CWindowRegistry;
class QLineEdit;
class QListWidget;

// The contrast control: only the arrows send, with the position they move to.
class ContrastSpin final : public QSpinBox {
    Q_OBJECT

public:
    using Stepped = std::function<void(int position, int delta)>;
    ContrastSpin(Stepped stepped, QWidget* parent);
    void stepBy(int steps) override;

private:
    Stepped m_stepped;
};

// "LCD configuration": modal; found by its caption for the answers while it is open.
class LcdDialog final : public QDialog, public IToolWindow {
    Q_OBJECT

public:
    LcdDialog(IMainWindow& main, CWindowRegistry& windows, QWidget* parent = nullptr);
    ~LcdDialog() override;
    CLcdDlg& Logic() { return m_logic; }
    void OnResponse(const uint8_t* frame, int length) override;

private:
    void Refresh();

    CLcdDlg m_logic;
    CWindowRegistry& m_windows;
    QLineEdit* m_temperature;
    QLineEdit* m_key;
    QLineEdit* m_battery;
    QLineEdit* m_adapterVoltage;
    QLineEdit* m_antenna;
    QLineEdit* m_adapterType;
};

// "Memory": modal; answers and ticks reach it by its caption while it is open.
class MemoryDialog final : public QDialog, public IToolWindow {
    Q_OBJECT

public:
    MemoryDialog(IMainWindow& main, CWindowRegistry& windows, IPrompt& prompt, QWidget* parent = nullptr);
    ~MemoryDialog() override;
    CMemoryDlg& Logic() { return m_logic; }
    void OnResponse(const uint8_t* frame, int length) override;
    void OnTick() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Collect();
    void Refresh();

    WindowPrompt m_prompt;
    CMemoryDlg m_logic;
    CWindowRegistry& m_windows;
    QLineEdit* m_address;
    QLineEdit* m_data;
    QLineEdit* m_start;
    QLineEdit* m_end;
    QListWidget* m_list;
    std::unique_ptr<LineListView> m_view;
};

// "MAX884": modal, talks to no device.
class Max884Dialog final : public QDialog {
    Q_OBJECT

public:
    Max884Dialog(IPrompt& prompt, QWidget* parent = nullptr);
    CMax884Dlg& Logic() { return m_logic; }

private:
    CMax884Dlg m_logic;
    WindowPrompt m_prompt;
};
