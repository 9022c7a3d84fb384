#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// The reader's receiver as the diagnosis commands see it: sample blocks of the FDX and HDX
// channels and of the supply voltage UB, and the received signal strength. Every block is new,
// with noise, and the same sequence comes back for the same seed.
class SignalSource final {
public:
    using Bodies = std::vector<std::vector<uint8_t>>;

    static constexpr size_t kBlockBytes = 512;
    // Sample rates that the tool's time grid assumes: 512 samples over 8.47 ms (FDX) and
    // 15.761 ms (HDX), 256 UB values over 27.377 ms.
    static constexpr double kFdxRate = 512 / 8.47e-3;
    static constexpr double kHdxRate = 512 / 15.761439588688946e-3;
    static constexpr double kUbRate = 256 / 27.376863753213367e-3;
    // FDX-B: 134.2 kHz / 32 bits per second; HDX: 134.2 kHz (0) and 124.2 kHz (1), 16 cycles a bit.
    static constexpr double kFdxBitRate = 134200.0 / 32;
    static constexpr double kHdxLow = 134200.0;
    static constexpr double kHdxHigh = 124200.0;
    // UB in steps of 21.5 V / 1024.
    static constexpr double kUbVoltsPerStep = 21.5 / 1024;

    explicit SignalSource(uint32_t seed = 1);
    void Seed(uint32_t seed);

    // Get RSSI and the three sample starts.
    static bool Owns(uint8_t code);
    // Appends the answer of an owned code; false (refused) for any other.
    bool Execute(uint8_t code, Bodies& answers);

    std::vector<uint8_t> FdxBlock();
    std::vector<uint8_t> HdxBlock();
    std::vector<uint8_t> UbBlock();
    uint8_t NextRssi();

private:
    double Noise(double sigma);
    uint8_t Clamp(double v) const;

    std::mt19937 m_random;
    double m_rssi = 140.0;
    std::vector<bool> m_fdxTelegram;
    std::vector<bool> m_hdxTelegram;
};
