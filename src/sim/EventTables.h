#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The reader's own event tables: three event strings and 30 event datasets, each assigning one
// string to one transponder (service command 0x9F), and the event the tool last asked it to show
// (command 0x5B).
class EventTables final {
public:
    using Bodies = std::vector<std::vector<uint8_t>>;

    static constexpr size_t kStrings = 3;
    static constexpr size_t kDatasets = 30;
    static constexpr size_t kMaxText = 16;
    // Result bytes of a refused dataset assignment.
    static constexpr uint8_t kOutOfRange = 0x15;
    static constexpr uint8_t kInUse = 0x16;

    struct Dataset {
        bool used = false;
        std::array<uint8_t, 8> isoCode{};
        uint8_t event = 0;
    };

    EventTables();

    static bool Owns(uint8_t code, const uint8_t* args, size_t count);
    bool Execute(uint8_t code, const uint8_t* args, size_t count, Bodies& answers);

    const std::string& String(size_t number) const { return m_strings[number - 1]; }
    const Dataset& DatasetAt(size_t number) const { return m_datasets[number - 1]; }
    void SetDataset(size_t number, const Dataset& dataset) { m_datasets[number - 1] = dataset; }
    // The 24-byte event record of the last show-event request; empty before the first.
    const std::vector<uint8_t>& LastShownEvent() const { return m_shown; }

private:
    bool ExecuteService(uint8_t sub, const uint8_t* args, size_t count, Bodies& answers);

    std::array<std::string, kStrings> m_strings;
    std::array<Dataset, kDatasets> m_datasets{};
    std::vector<uint8_t> m_shown;
};
