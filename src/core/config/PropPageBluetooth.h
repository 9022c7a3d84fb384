#pragma once

#include "core/config/ConfigPage.h"

// Page "Bluetooth": the reader's Bluetooth module. So far only the page's common machinery.
class CPropPageBluetooth final : public CConfigPage {
public:
    explicit CPropPageBluetooth(IMainWindow& mainWindow) : CConfigPage(mainWindow, "Bluetooth", 137) {}
};
