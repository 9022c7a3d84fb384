#pragma once

#include <string>

// Where the settings live: the registry on the original platform, an INI file here.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // The stored text, or the default when the value is missing or not a text.
    virtual std::string ReadSetting(const std::string& section, const std::string& name,
                                    const std::string& fallback) = 0;
    // 1 on success, 0 when the store cannot be written.
    virtual int WriteSetting(const std::string& section, const std::string& name,
                             const std::string& text) = 0;
};

// The four persisted settings; zero before loading as in the application object.
struct AppSettings {
    static constexpr const char* kSection = "Settings";

    int port = 0;
    int baud = 0;
    int node = 0;
    int eventDatabase = 0;
    // Reopen a device that went away once it returns. Off until loaded (and so in every setup
    // built by hand); a store that lacks it gives on.
    int reconnect = 0;

    void Load(ISettingsStore& store);
    void Save(ISettingsStore& store) const;
    // "comport" is "port,baud"; a part that is not a number leaves its field as it was.
    void ParseComport(const std::string& text);
};
