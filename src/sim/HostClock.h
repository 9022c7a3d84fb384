#pragma once

#include "sim/SimulatedReader.h"

#include <ctime>

// A simulated reader's clock starts at this computer's local time, as a reader set by its owner
// would: what it stamps (datasets, the clock page) then carries today's date.
inline void SetClockFromHost(SimulatedReader& reader) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) != nullptr) {
        reader.SetClock(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec);
    }
}
