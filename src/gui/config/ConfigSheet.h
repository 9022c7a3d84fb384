#pragma once

#include "core/app/ConfigHooks.h"
#include "core/app/WindowInterfaces.h"
#include "core/config/ConfigPages.h"

#include <QMetaObject>
#include <QTabWidget>
#include <QWidget>

// The modeless "Configuration" window: the eight pages as tabs. Each page's window counts as
// created the first time its tab is shown. Closing the window deletes it, and its destruction
// tells the main window (window closing, resource 139) so that it forgets the sheet.
class ConfigSheet final : public QWidget, public IConfigSheet, public IToolWindow {
public:
    static constexpr const char* kCaption = "Configuration";

    ConfigSheet(CConfigPages& pages, IMainWindow& mainWindow, QWidget* parent = nullptr);
    ~ConfigSheet() override;
    ConfigSheet(const ConfigSheet&) = delete;
    ConfigSheet& operator=(const ConfigSheet&) = delete;

    // The page the main window ticks and hands answers to.
    int ActivePage() const override;
    void SetActivePage(int index);
    void BringToFront() override;
    void OnBringToFront() override { BringToFront(); }

    QWidget* PageWidget(int index) const;

private:
    CConfigPages& m_pages;
    IMainWindow& m_mainWindow;
    QTabWidget* m_tabs = nullptr;
    QMetaObject::Connection m_tabChanged;
};
