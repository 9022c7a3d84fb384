#include "core/service/Stopwatch.h"

CStopwatch::CStopwatch() {
    const Clock::time_point first = Clock::now();
    m_second = Clock::now();
    m_overheadMs = std::chrono::duration<double, std::milli>(m_second - first).count();
    m_start = m_second;
}

double CStopwatch::ElapsedMs() const {
    return std::chrono::duration<double, std::milli>(Clock::now() - m_start).count() - m_overheadMs;
}
