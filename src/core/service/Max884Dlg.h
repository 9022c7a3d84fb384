#pragma once

#include "core/app/Prompt.h"

#include <array>
#include <string>

// Sizes the divider of a MAX884 regulator: Vout = 1.2 × (1 + R1 / RP). From the wanted voltage
// and R1 it finds the pair of E12 resistors whose parallel value comes closest to the needed RP.
class CMax884Dlg final {
public:
    static constexpr int kTableSize = 84;
    static constexpr double kReferenceVolts = 1.2;

    // Inputs, as typed.
    std::string m_vout = "4.0";
    std::string m_r1 = "1000000";
    std::string m_rpMin = "100000";
    std::string m_rpMax = "1000000";
    std::string m_rnMax = "1000000";
    // Results, as shown.
    std::string m_voutResult;
    std::string m_rpSoll;
    std::string m_rpIst;
    std::string m_r2;
    std::string m_r3;

    // "Calc": 0 when a pair was found, -1 when none qualifies or a field is not a number (the
    // user is told which field).
    int OnCalc(IPrompt& prompt);

    static std::array<double, kTableSize> BuildTable();
};
