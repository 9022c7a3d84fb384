#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The reader's signalling hardware and measurements as the service requests reach them:
// vibration, backlight, beeper, LEDs and the Bluetooth module's power and connection requests,
// key state, battery, adapter and antenna voltages, and the display temperature.
class ServiceHardware final {
public:
    using Bodies = std::vector<std::vector<uint8_t>>;

    // Raw ADC values as the reader reports them.
    static constexpr uint16_t kBatteryRaw = 3712;
    static constexpr uint16_t kBluetoothAdapterRaw = 0x0170;  // 1.80 V: a Bluetooth adapter
    static constexpr uint8_t kAntennaRaw = 128;
    static constexpr uint8_t kTemperature = 23;

    // Codes and sub-codes owned here (the payload starts with the command code).
    static bool Owns(const uint8_t* payload, size_t count);
    // Carries out a request and appends its answer body; false when the reader refuses it.
    bool Execute(const uint8_t* payload, size_t count, Bodies& answers);

    bool Vibration() const { return m_vibration; }
    bool Backlight() const { return m_backlight; }
    bool Beeper() const { return m_beeper; }
    bool BlueLed() const { return m_blue; }
    bool GreenLed() const { return m_green; }
    bool RedLed() const { return m_red; }
    bool ModulePowered() const { return m_modulePowered; }
    uint8_t Keys() const { return m_keys; }
    void SetKeys(uint8_t keys) { m_keys = keys; }
    void SetAdapterRaw(uint16_t raw) { m_adapterRaw = raw; }

private:
    bool m_vibration = false;
    bool m_backlight = false;
    bool m_beeper = false;
    bool m_blue = false;
    bool m_green = false;
    bool m_red = false;
    bool m_modulePowered = true;
    uint8_t m_keys = 0;
    uint16_t m_adapterRaw = kBluetoothAdapterRaw;
};
