#pragma once

#include <cstdint>
#include <string>

// Receives the plain ASCII tag lines ("%03d %012lld" CR LF) of a reader in its simple output mode.
class CTagLineParser {
public:
    static constexpr size_t kMinLine = 9;
    static constexpr size_t kMaxLine = 20;

    CTagLineParser() = default;
    virtual ~CTagLineParser() = default;

    int PutChar(uint8_t byte);
    std::string GetLine() const { return m_line; }
    void Reset() { m_buffer.clear(); }

private:
    std::string m_buffer;
    int32_t m_crSeen = 0;
    std::string m_line;
};
