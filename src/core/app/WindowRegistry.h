#pragma once

#include "core/app/WindowInterfaces.h"

#include <string>
#include <utility>
#include <vector>

// The tool's own windows, found by their exact caption as the main window addresses them.
namespace Caption {
inline constexpr const char* kMain = "Corvantelle";
inline constexpr const char* kMonitor = "Monitor";
inline constexpr const char* kBluetooth = "Bluetooth";
inline constexpr const char* kMemory = "Memory";
inline constexpr const char* kDatabase = "Database";
inline constexpr const char* kTestTools = "Testtools";
inline constexpr const char* kLcdConfiguration = "LCD configuration";
inline constexpr const char* kDiagnosis = "Diagnosis";
inline constexpr const char* kRealTimeClock = "Real time clock";
inline constexpr const char* kAnimalCounter = "Animal Counter";
inline constexpr const char* kConfiguration = "Configuration";
inline constexpr const char* kEventDatabase = "Event Database";
// A front end without windows (the command-line program): gets every received batch, every
// transmission text, every answer and every tick, on the same road as the windows.
inline constexpr const char* kClient = "Client";
}  // namespace Caption

class CWindowRegistry final {
public:
    // A second window under the same caption replaces the first.
    void Register(const std::string& caption, IToolWindow* window);
    void Unregister(const std::string& caption);
    IToolWindow* Find(const std::string& caption) const;
    bool IsOpen(const std::string& caption) const { return Find(caption) != nullptr; }

private:
    std::vector<std::pair<std::string, IToolWindow*>> m_windows;
};
