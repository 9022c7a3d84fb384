#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The reader's external EEPROM of 64 KiB: single bytes read and written by address, and the
// stored datasets it holds as 16-byte records, dataset n at address n × 16.
class ExternalEeprom final {
public:
    using Bodies = std::vector<std::vector<uint8_t>>;
    static constexpr size_t kSize = 64 * 1024;

    ExternalEeprom();

    static bool Owns(const uint8_t* payload, size_t count);
    bool Execute(const uint8_t* payload, size_t count, Bodies& answers);

    uint8_t At(uint16_t address) const { return m_bytes[address]; }
    void Set(uint16_t address, uint8_t value) { m_bytes[address] = value; }

private:
    std::array<uint8_t, kSize> m_bytes{};
};
