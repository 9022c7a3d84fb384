#include "core/diagnosis/Instrument.h"

#include "core/util/Format.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519944444;

Point Polar(int cx, int y0, double degrees, int distance) {
    const double a = degrees * kRadiansPerDegree;
    return Point{static_cast<int>(cx - std::cos(a) * distance),
                 y0 - static_cast<int>(std::sin(a) * distance)};
}

}  // namespace

void CInstrument::Configure(uint16_t left, uint16_t lift, uint16_t radius, int ticksPerUnit,
                            uint16_t labelGap) {
    m_radius = radius;
    m_left = left;
    m_lift = lift;
    m_labelGap = labelGap;
    m_band = static_cast<uint16_t>(radius / 20);
    m_tickCount = static_cast<uint8_t>(std::max(ticksPerUnit, 1) * (m_maximum - m_minimum));
    m_centreX = static_cast<uint16_t>(m_band * 3 / 2 + left + radius + labelGap + 20);
}

void CInstrument::SetRange(uint8_t minimum, uint8_t maximum, int ticksPerUnit) {
    m_minimum = minimum;
    m_maximum = maximum;
    m_tickCount = static_cast<uint8_t>(std::max(ticksPerUnit, 1) * (maximum - minimum));
}

int CInstrument::SetLabel(const std::string& text) {
    if (text.size() > kMaxLabel) {
        return 1;
    }
    m_label = text;
    return 0;
}

void CInstrument::Draw(const Area& area, int angle, Primitives& out) const {
    const Pen pen;
    const int cx = m_centreX;
    const int y0 = area.bottom - m_lift;
    const int r = m_radius;
    const int band = m_band;
    const int gap = m_labelGap;
    const double needle = std::min(angle, 180);

    out.push_back(
        {Primitive::kRect,
         pen,
         {{m_left, y0 + 10 - r - gap - band * 3 / 2 - 30}, {cx + r + gap + band * 3 / 2 + 20, y0 + 10}},
         {},
         Primitive::kLeftTop});
    if (m_tickCount > 0) {
        for (int j = 0; j <= m_tickCount; ++j) {
            const double theta = j * 180.0 / m_tickCount;
            out.push_back({Primitive::kLine,
                           pen,
                           {Polar(cx, y0, theta, r - band / 2), Polar(cx, y0, theta, r + band / 2)},
                           {},
                           Primitive::kLeftTop});
        }
    }
    const int units = m_maximum - m_minimum;
    for (int u = 0; units > 0 && u <= units; ++u) {
        const double theta = u * 180.0 / units;
        out.push_back({Primitive::kLine,
                       pen,
                       {Polar(cx, y0, theta, r - band / 2), Polar(cx, y0, theta, r + band * 3 / 2)},
                       {},
                       Primitive::kLeftTop});
        out.push_back({Primitive::kText,
                       pen,
                       {Polar(cx, y0, theta, (band + 10) / 2 + gap + r)},
                       Format("%d", u),
                       Primitive::kCenterBaseline});
    }
    out.push_back({Primitive::kLine, pen, {{cx, y0}, Polar(cx, y0, needle, r)}, {}, Primitive::kLeftTop});
    out.push_back({Primitive::kText, pen, {{cx, y0 + 30}}, m_label, Primitive::kCenterBaseline});
}
