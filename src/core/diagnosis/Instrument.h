#pragma once

#include "core/diagnosis/Primitives.h"

#include <cstdint>
#include <string>

// A semicircular needle gauge: 0 degrees points left, 90 up, 180 right.
class CInstrument {
public:
    static constexpr size_t kMaxLabel = 99;

    virtual ~CInstrument() = default;

    void Configure(uint16_t left, uint16_t lift, uint16_t radius, int ticksPerUnit, uint16_t labelGap);
    void SetRange(uint8_t minimum, uint8_t maximum, int ticksPerUnit);
    // 0, or 1 for a text longer than kMaxLabel, which leaves the label as it was.
    int SetLabel(const std::string& text);
    // Appends the gauge with the needle at angle degrees (above 180 drawn as 180).
    void Draw(const Area& area, int angle, Primitives& out) const;

    uint16_t Radius() const { return m_radius; }
    uint16_t Left() const { return m_left; }
    uint16_t Lift() const { return m_lift; }
    uint8_t TickCount() const { return m_tickCount; }
    uint16_t Band() const { return m_band; }
    uint16_t LabelGap() const { return m_labelGap; }
    uint8_t Minimum() const { return m_minimum; }
    uint8_t Maximum() const { return m_maximum; }
    uint16_t CentreX() const { return m_centreX; }
    const std::string& Label() const { return m_label; }

private:
    uint16_t m_radius = 150;
    uint16_t m_left = 100;
    uint16_t m_lift = 50;
    uint8_t m_tickCount = 5;
    uint16_t m_band = 3;
    uint16_t m_labelGap = 10;
    uint8_t m_minimum = 0;
    uint8_t m_maximum = 5;
    uint16_t m_centreX = 284;
    std::string m_label = "Instrument";
};
