#pragma once

#include "core/app/Settings.h"

// The settings in an INI file under the user's configuration folder (XDG_CONFIG_HOME), as
// organisation "Torvimek electronic", application "Corvantelle".
class QtSettingsStore final : public ISettingsStore {
public:
    static constexpr const char* kOrganisation = "Torvimek electronic";
    static constexpr const char* kApplication = "Corvantelle";

    std::string ReadSetting(const std::string& section, const std::string& name,
                            const std::string& fallback) override;
    int WriteSetting(const std::string& section, const std::string& name, const std::string& text) override;
};
