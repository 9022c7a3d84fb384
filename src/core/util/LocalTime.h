#pragma once

#include <ctime>
#include <functional>

// The PC's local time, replaceable so that tests get the same file names and dates every run.
using LocalClock = std::function<std::tm()>;

inline std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}
