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
    m_outFree = std::max({m_outFree, m_inFree, now}) + m_byteTime * static_cast<int64_t>(count);
    return m_outFree;
}
