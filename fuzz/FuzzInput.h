#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Takes the fuzzer's bytes piece by piece: a control byte now and then, the rest as line data.
class FuzzInput final {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_rest(data, size) {}

    bool Empty() const { return m_rest.empty(); }
    uint8_t Byte() {
        if (m_rest.empty()) {
            return 0;
        }
        const uint8_t b = m_rest.front();
        m_rest = m_rest.subspan(1);
        return b;
    }
    // Up to count bytes, fewer at the end.
    std::span<const uint8_t> Take(size_t count) {
        const size_t n = count < m_rest.size() ? count : m_rest.size();
        const auto out = m_rest.first(n);
        m_rest = m_rest.subspan(n);
        return out;
    }

private:
    std::span<const uint8_t> m_rest;
};
