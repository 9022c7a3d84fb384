#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The reader's memory of datasets read in the field: up to 4095 records of 13 bytes (the 9-byte
// tag record and a 32-bit time stamp), group markers among them. Command 0xA0 stores, 0x58 asks
// for the amount, reads one by number and clears them all.
class DatasetMemory final {
public:
    using Bodies = std::vector<std::vector<uint8_t>>;
    using Record = std::array<uint8_t, 13>;

    static constexpr size_t kCapacity = 4095;

    static bool Owns(uint8_t code);
    // Carries out a request and appends its answer; false when the reader refuses it.
    // stamp: the time stamp word of the reader's clock, for a store.
    bool Execute(uint8_t code, const uint8_t* args, size_t count, uint32_t stamp, Bodies& answers);

    size_t Count() const { return m_records.size(); }
    const Record& At(size_t index) const { return m_records[index]; }
    // Fills the memory with count made-up datasets, a group marker at every groupEvery-th place
    // (0: none); false when count is more than the memory holds.
    bool Preload(size_t count, size_t groupEvery, uint32_t stamp);
    void Clear() { m_records.clear(); }

    // Month, day, hour, minute and second packed as the reader stores them.
    static uint32_t PackStamp(int month, int day, int hour, int minute, int second);

private:
    std::vector<Record> m_records;
};
