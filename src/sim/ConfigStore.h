#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The reader's configuration: the configuration addresses 0x30..0x3E and the additional block of
// command 0x60, each as the reader works with it and as it last saved it, and the node address it
// answers to on the line. A new node address is only a stored value until the reader starts again:
// the line address is read from the saved configuration at start, so a tool that sets, saves and
// reads back at the old address in any order is still answered there.
class ConfigStore final {
public:
    using Bodies = std::vector<std::vector<uint8_t>>;

    static constexpr uint8_t kDefaultFormat = 1;  // ASCII
    static constexpr uint8_t kDefaultTimeout = 50;
    static constexpr uint8_t kDefaultDelay = 1;
    static constexpr uint8_t kDefaultStartCharacter = 'I';
    static constexpr uint8_t kDefaultTiming = 0;

    // Highest values the reader can hold where not every byte is a setting.
    static constexpr uint8_t kMaxMode = 2;
    static constexpr uint8_t kMaxHdxBlock = 17;
    static constexpr uint8_t kMaxTiming = 3;
    static constexpr uint8_t kMaxAccessLevel = 2;
    static constexpr uint8_t kMaxDisplayInfo = 2;
    static constexpr uint8_t kMaxBluetoothMode = 1;  // master or slave
    static constexpr uint16_t kMaxDoubleReadTime = 5000;
    static constexpr uint16_t kMinSwitchOffTime = 500;  // 10 ms units: 5 s to 600 s
    static constexpr uint16_t kMaxSwitchOffTime = 60000;

    explicit ConfigStore(uint8_t startNode);

    // Reset all, set, get and save configuration, and the additional configuration.
    static bool Owns(uint8_t code);
    // Carries out a request of an owned code and appends its answer bodies (status byte first);
    // false when the reader refuses it, which leaves everything as it was.
    bool Execute(uint8_t code, const uint8_t* args, size_t count, Bodies& answers);

    uint8_t LineAddress() const { return m_lineAddress; }
    int Get(uint8_t address) const;  // -1 outside the configuration addresses
    int GetSaved(uint8_t address) const;
    // The saved configuration comes back, node address included.
    void Restart();

    static bool IsUsableNode(uint8_t address);
    // The answer body of 0x60 0x14, status byte first.
    std::vector<uint8_t> AdditionalBlock() const;

private:
    static constexpr size_t kCount = 15;  // addresses 0x30..0x3E

    struct Additional {
        uint16_t permanentBreak = 0;
        uint16_t permanentBursts = 120;
        uint8_t permanentReads = 5;
        uint8_t permanentActive = 0;
        uint16_t switchOffTime = 700;
        uint8_t ioFlags = 3;
        uint8_t rfPower = 0;
        uint8_t bluetoothMode = 1;
        std::array<uint8_t, 3> customFormat{0x01, 0x00, 0x00};
        uint8_t accessLevel = 2;
        uint16_t doubleReadTime = 0;
        uint8_t displayInfo = 0;
    };

    void LoadDefaults();
    bool SetConfig(uint8_t address, uint8_t value);
    bool ExecuteAdditional(const uint8_t* args, size_t count, Bodies& answers);
    uint8_t& At(uint8_t address);

    std::array<uint8_t, kCount> m_config{};
    std::array<uint8_t, kCount> m_saved{};
    Additional m_additional;
    Additional m_savedAdditional;
    uint8_t m_defaultNode;
    uint8_t m_lineAddress;
};
