#include "core/service/Max884Dlg.h"

#include "core/util/Format.h"

#include <cmath>

namespace {

// A field that does not begin with a number would leave the calculation with an undefined value:
// it stops here, naming the field.
bool Read(IPrompt& prompt, const std::string& text, const char* label, double& value) {
    if (ParseDouble(text, value) && std::isfinite(value)) {
        return true;
    }
    prompt.Message(Format("%s is not a number", label));
    return false;
}

}  // namespace

std::array<double, CMax884Dlg::kTableSize> CMax884Dlg::BuildTable() {
    // In tenths, so that 8.2 × 100000 is 820000 exactly and a pair can meet a limit exactly.
    static constexpr int kE12Tenths[] = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};
    std::array<double, kTableSize> table{};
    size_t i = 0;
    double decade = 1.0;
    for (int d = 0; d < 7; ++d, decade *= 10.0) {
        for (const int tenths : kE12Tenths) {
            table[i++] = tenths * decade / 10.0;
        }
    }
    return table;
}

int CMax884Dlg::OnCalc(IPrompt& prompt) {
    const auto table = BuildTable();
    // Results of an earlier calculation must not stand beside input they do not belong to.
    for (std::string* result : {&m_rpSoll, &m_r2, &m_r3, &m_rpIst, &m_voutResult}) {
        result->clear();
    }
    double vout = 0;
    double r1 = 0;
    if (!Read(prompt, m_vout, "Vout (V)", vout) || !Read(prompt, m_r1, "R1 (Ohm)", r1)) {
        return -1;
    }
    // The regulator cannot go below its 1.2 V reference; the divider would need a negative
    // resistor.
    if (vout <= kReferenceVolts) {
        prompt.Message(Format("Vout (V) must be above %.1f", kReferenceVolts));
        return -1;
    }
    const double rpSoll = r1 / (vout * 0.8333333333333334 - 1.0);
    m_rpSoll = Format("%8.2f", rpSoll);
    double rpMax = 0;
    double rpMin = 0;
    double rnMax = 0;
    if (!Read(prompt, m_rpMax, "RP max (Ohm)", rpMax) || !Read(prompt, m_rpMin, "RP min (Ohm)", rpMin) ||
        !Read(prompt, m_rnMax, "Rn max (Ohm)", rnMax)) {
        return -1;
    }
    double best = 0.1 * rpSoll;
    int bestI = -1;
    int bestJ = -1;
    for (int i = 0; i < kTableSize; ++i) {
        for (int j = i; j < kTableSize; ++j) {
            const double a = table[static_cast<size_t>(i)];
            const double b = table[static_cast<size_t>(j)];
            const double p = a * b / (a + b);
            if (p >= rpMin && p <= rpMax && a <= rnMax && b <= rnMax && std::fabs(rpSoll - p) < best) {
                best = std::fabs(rpSoll - p);
                bestI = i;
                bestJ = j;
            }
        }
    }
    if (bestI < 0) {
        return -1;
    }
    const double r2 = table[static_cast<size_t>(bestI)];
    const double r3 = table[static_cast<size_t>(bestJ)];
    const double rpIst = r2 * r3 / (r2 + r3);
    m_r2 = Format("%8.2f", r2);
    m_r3 = Format("%8.2f", r3);
    m_rpIst = Format("%8.2f", rpIst);
    m_voutResult = Format("%5.2f", (r1 / rpIst + 1.0) * kReferenceVolts);
    return 0;
}
