#pragma once

#include "core/config/ConfigJobPage.h"

// Page "Additional": the reader's additional configuration. So far only the page's common
// machinery; its job runs on every look of the tick, and its failures all read the same.
class CAdditional final : public CConfigJobPage {
public:
    static constexpr const char* kFailureText = "Configuration failed";

    explicit CAdditional(IMainWindow& mainWindow)
        : CConfigJobPage(mainWindow, "Additional", 146, Pacing::kEveryLook) {}

protected:
    std::string FailureMessage() const override { return kFailureText; }
};
