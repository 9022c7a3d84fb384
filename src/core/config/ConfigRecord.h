#pragma once

#include <array>
#include <cstdint>
#include <string>

// The whole reader configuration as one value, filled and shown by the configuration pages and
// carried by configuration files and the whole-configuration sequences.
struct ConfigRecord {
    uint8_t format = 0;
    uint8_t timeout = 0;
    uint8_t startCharacter = 0;
    uint8_t syncLevel = 0;
    uint8_t timing = 0;
    std::string version{};
    std::string serialNumber{};
    uint16_t permanentReadBreak = 0;
    uint16_t permanentReadBursts = 0;
    uint8_t permanentReadReads = 0;
    uint8_t permanentReadActive = 0;
    uint16_t switchOffTime = 0;
    uint8_t syncLevelRead = 0;
    uint8_t ioFlags = 0;
    uint8_t rfPower = 0;
    uint8_t bluetoothMode = 0;
    std::array<uint8_t, 3> customFormat{};
    uint8_t accessLevel = 0;
    uint16_t doubleReadTime = 0;
    uint8_t displayInfo = 0;
};
