#pragma once

#include <chrono>

// Measures the time from the last line sent to the next answer, less what measuring itself costs.
class CStopwatch {
public:
    using Clock = std::chrono::steady_clock;

    CStopwatch();
    virtual ~CStopwatch() = default;

    void Start() { m_start = Clock::now(); }
    double ElapsedMs() const;

private:
    Clock::time_point m_start;
    Clock::time_point m_second;
    double m_overheadMs = 0.0;
};
