#pragma once

#include "core/config/PropPageBluetooth.h"
#include "gui/config/ConfigPageWidget.h"

#include <QButtonGroup>
#include <QLineEdit>

// The window of the "Bluetooth" page.
class BluetoothPageWidget final : public ConfigPageWidget {
public:
    explicit BluetoothPageWidget(CPropPageBluetooth& page, QWidget* parent = nullptr);

protected:
    void ShowFields() override;
    void StoreFields() override;

private:
    CPropPageBluetooth& m_bluetooth;
    QLineEdit* m_peer = nullptr;
    QLineEdit* m_name = nullptr;
    QButtonGroup* m_mode = nullptr;
    QButtonGroup* m_enable = nullptr;
    QList<QWidget*> m_developerControls;
};
