#pragma once

#include "core/app/WindowRegistry.h"

// Which of the tool's windows the main window hands what, in the order they get it. A window that
// is not open gets nothing; Caption::kClient is a program driving the engine without windows.
namespace Dispatch {

// Every received byte, before it is parsed, and the text of every transmission.
inline constexpr const char* kLineWindows[] = {Caption::kMonitor, Caption::kBluetooth, Caption::kClient};
// Every received frame that is not an echo, late answers included.
inline constexpr const char* kResponseWindows[] = {Caption::kTestTools, Caption::kMemory,
                                                   Caption::kDatabase, Caption::kLcdConfiguration,
                                                   Caption::kDiagnosis};
// After those, every such frame but a late answer, which this client would take for the answer
// to its next request.
inline constexpr const char* kAnsweredWindows[] = {Caption::kClient};
// The 100 ms tick, for the windows that pace their own requests.
inline constexpr const char* kTickWindows[] = {Caption::kMemory, Caption::kDatabase, Caption::kTestTools,
                                               Caption::kBluetooth, Caption::kClient};

// A lost port, for the windows whose running job it ends.
inline constexpr const char* kLineLostWindows[] = {Caption::kDatabase};

}  // namespace Dispatch
