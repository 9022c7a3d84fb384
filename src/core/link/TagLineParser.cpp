#include "core/link/TagLineParser.h"

int CTagLineParser::PutChar(uint8_t byte) {
    if (byte == 0x0A) {
        if (m_crSeen == 0) {
            return 0;
        }
        m_crSeen = 0;
        if (m_buffer.size() >= kMinLine && m_buffer.size() <= kMaxLine) {
            m_line = m_buffer;
            return 1;
        }
        m_buffer.clear();
        return 0;
    }
    if (byte == 0x0D) {
        m_crSeen = 1;
        return 0;
    }
    if (byte == ' ' || (byte >= '0' && byte <= '9')) {
        // A line longer than any tag line can never complete: keep the buffer bounded.
        if (m_buffer.size() > kMaxLine) {
            m_buffer.erase(0, 1);
        }
        m_buffer.push_back(static_cast<char>(byte));
        m_crSeen = 0;
        return 0;
    }
    m_buffer.clear();
    m_crSeen = 0;
    return 0;
}
