#pragma once

#include "core/config/ConfigPage.h"

// Page "Output format": the reader's custom output format. So far only the page's common
// machinery.
class CPropPageOutputFormat final : public CConfigPage {
public:
    explicit CPropPageOutputFormat(IMainWindow& mainWindow) : CConfigPage(mainWindow, "Output format", 148) {}
};
