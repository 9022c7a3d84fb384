#include "sim/ServiceHardware.h"

#include "core/link/Commands.h"
#include "sim/AnswerBody.h"

namespace {

std::vector<uint8_t> ServiceAck(uint8_t sub, std::initializer_list<uint8_t> data = {}) {
    std::vector<uint8_t> body = AckBody(Cmd::kService, {sub});
    body.insert(body.end(), data.begin(), data.end());
    return body;
}

bool IsSwitch(uint8_t sub) {
    return sub == Sub9F::kBlueLed || sub == Sub9F::kRedLed || sub == Sub9F::kGreenLed ||
           sub == Sub9F::kBeeper;
}

}  // namespace

bool ServiceHardware::Owns(const uint8_t* payload, size_t count) {
    if (count == 0) {
        return false;
    }
    if (payload[0] == Cmd::kSetLcdTemperature || payload[0] == Cmd::kGetAmplitude) {
        return true;
    }
    if (payload[0] != Cmd::kService || count < 2) {
        return false;
    }
    const uint8_t sub = payload[1];
    return (sub >= Sub9F::kVibrationOn && sub <= Sub9F::kGetUBat) ||
           (sub >= Sub9F::kStartPairing && sub <= Sub9F::kGetUCom);
}

bool ServiceHardware::Execute(const uint8_t* payload, size_t count, Bodies& answers) {
    if (payload[0] == Cmd::kSetLcdTemperature) {
        answers.push_back(AckBody(Cmd::kSetLcdTemperature, {kTemperature}));
        return true;
    }
    if (payload[0] == Cmd::kGetAmplitude) {
        // The measured value, 16 bits high byte first; the antenna voltage is its low byte.
        answers.push_back(AckBody(Cmd::kGetAmplitude, {0x00, kAntennaRaw}));
        return true;
    }
    const uint8_t sub = payload[1];
    if (IsSwitch(sub)) {
        if (count < 3 || payload[2] > 1) {
            return false;
        }
        const bool on = payload[2] == 1;
        (sub == Sub9F::kBlueLed    ? m_blue
         : sub == Sub9F::kRedLed   ? m_red
         : sub == Sub9F::kGreenLed ? m_green
                                   : m_beeper) = on;
        answers.push_back(ServiceAck(sub));
        return true;
    }
    switch (sub) {
        case Sub9F::kVibrationOn:
        case Sub9F::kVibrationOff:
            m_vibration = sub == Sub9F::kVibrationOn;
            break;
        case Sub9F::kBluetoothOn:
        case Sub9F::kBluetoothOff:
            m_modulePowered = sub == Sub9F::kBluetoothOn;
            break;
        case Sub9F::kLcdBackgroundOn:
        case Sub9F::kLcdBackgroundOff:
            m_backlight = sub == Sub9F::kLcdBackgroundOn;
            break;
        case Sub9F::kGetUBat:
            answers.push_back(ServiceAck(sub, {kBatteryRaw >> 8, kBatteryRaw & 0xFF}));
            return true;
        case Sub9F::kGetButton:
            answers.push_back(ServiceAck(sub, {m_keys}));
            return true;
        case Sub9F::kGetUCom:
            answers.push_back(ServiceAck(
                sub, {static_cast<uint8_t>(m_adapterRaw >> 8), static_cast<uint8_t>(m_adapterRaw & 0xFF)}));
            return true;
        case Sub9F::kStartPairing:
        case Sub9F::kStartBtConnect:
        case Sub9F::kStartBtDrop:
        case Sub9F::kStartBtDrop2:
            break;
        default:
            return false;
    }
    answers.push_back(ServiceAck(sub));
    return true;
}
