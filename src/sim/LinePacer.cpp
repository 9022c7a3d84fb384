#include "sim/LinePacer.h"

#include <algorithm>

LinePacer::LinePacer(uint32_t baud) {
    if (baud > 0) {
        m_byteTime = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud));
    }
}

LinePacer::Clock::time_point LinePacer::Receive(Clock::time_point now, size_t count) {
    m_inFree = std::max(m_inFree, now) + m_byteTime * static_cast<int64_t>(count);
    return m_inFree;
}

LinePacer::Clock::time_point LinePacer::Send(Clock::time_point now, size_t count) {
    // What the reader makes in answer goes out after the request's last byte came in.
    const Clock::time_point start = std::max({m_outFree, m_inFree, now});
    m_outFree = start + m_byteTime * static_cast<int64_t>(count);
    return m_latencyTimer.count() > 0 ? Hold(start + m_byteTime, count) : m_outFree;
}

LinePacer::Clock::time_point LinePacer::Hold(Clock::time_point firstArrival, size_t count) {
    Clock::time_point lastGone = m_outFree;
    for (size_t i = 0; i < count; ++i) {
        const Clock::time_point arrival = firstArrival + m_byteTime * static_cast<int64_t>(i);
        if (m_held > 0 && arrival >= m_heldSince + m_latencyTimer) {
            m_held = 0;  // the timer ran out before this byte came
        }
        if (m_held == 0) {
            m_heldSince = arrival;
        }
        if (++m_held == kAdapterBufferBytes) {
            m_held = 0;
            lastGone = arrival;
        } else {
            lastGone = m_heldSince + m_latencyTimer;
        }
    }
    return lastGone;
}
