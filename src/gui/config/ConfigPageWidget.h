#pragma once

#include "core/config/ConfigPage.h"
#include "core/config/PageView.h"
#include "gui/app/ElidedLabel.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

// The window of one configuration page: the page's own controls above the bottom band (Apply,
// Read, Reset all, Load, Save, Quit, the progress bar and the status line). It only copies values
// between its controls and the page logic and calls the logic's handlers.
class ConfigPageWidget : public QWidget, public IPageView {
public:
    explicit ConfigPageWidget(CConfigPage& page, QWidget* parent = nullptr);
    ~ConfigPageWidget() override;
    ConfigPageWidget(const ConfigPageWidget&) = delete;
    ConfigPageWidget& operator=(const ConfigPageWidget&) = delete;

    void UpdateControls() final;
    void StoreControls() final;
    void UpdateProgress() final;

    CConfigPage& Page() { return m_page; }
    // Call once the page's own controls exist: Tab then visits them before the bottom band.
    void PlaceBandLastInTabOrder();

protected:
    // Where the page's own controls go.
    QWidget* Body() { return m_body; }
    // A button tests and tooltips can find by its name.
    static QPushButton* NamedButton(QWidget* parent, const char* caption, const char* name,
                                    const char* tip = nullptr);
    // A field as wide as its longest value and no wider, at any font size and scale: stretched
    // across a wide window a two-digit field would read as a text box.
    static void FitChars(QLineEdit* field, int chars);
    // A unit beside the field it belongs to.
    static QLabel* Unit(QWidget* parent, const char* unit);
    // The page's own controls from and to its logic.
    virtual void ShowFields() {}
    virtual void StoreFields() {}
    // Connect a user's edit of a control to this, so the logic always holds what is shown.
    void Store() { StoreControls(); }
    bool IsShowing() const { return m_showing; }

private:
    CConfigPage& m_page;
    QWidget* m_body = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_read = nullptr;
    QPushButton* m_resetAll = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_quit = nullptr;
    QProgressBar* m_progress = nullptr;
    ElidedLabel* m_status = nullptr;
    bool m_showing = false;
};
