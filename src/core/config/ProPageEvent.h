#pragma once

#include "core/config/ConfigPage.h"

// Page "Events": event strings and event datasets. So far only the page's common machinery.
class CProPageEvent final : public CConfigPage {
public:
    explicit CProPageEvent(IMainWindow& mainWindow) : CConfigPage(mainWindow, "Events", 140) {}
};
