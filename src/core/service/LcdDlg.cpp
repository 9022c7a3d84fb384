#include "core/service/LcdDlg.h"

#include "core/link/Commands.h"
#include "core/util/Format.h"

namespace {

struct Request {
    uint8_t code;
    int sub;    // -1: none
    int value;  // -1: none
    const char* description;
};

Request RequestOf(CLcdDlg::Button button) {
    using B = CLcdDlg;
    switch (button) {
        case B::kBackgroundOn:
            return {Cmd::kService, Sub9F::kLcdBackgroundOn, -1, Desc::kLcdBackgroundOn};
        case B::kBackgroundOff:
            return {Cmd::kService, Sub9F::kLcdBackgroundOff, -1, Desc::kLcdBackgroundOff};
        case B::kVibrationOn:
            return {Cmd::kService, Sub9F::kVibrationOn, -1, Desc::kVibrationOn};
        case B::kVibrationOff:
            return {Cmd::kService, Sub9F::kVibrationOff, -1, Desc::kVibrationOff};
        case B::kBeeperOn:
            return {Cmd::kService, Sub9F::kBeeper, 1, Desc::kBeeperOn};
        case B::kBeeperOff:
            return {Cmd::kService, Sub9F::kBeeper, 0, Desc::kBeeperOff};
        // The reader's texts name the blue LED for all three; the sub-code tells them apart.
        case B::kBlueOn:
            return {Cmd::kService, Sub9F::kBlueLed, 1, Desc::kBlueLedOn};
        case B::kBlueOff:
            return {Cmd::kService, Sub9F::kBlueLed, 0, Desc::kBlueLedOff};
        case B::kGreenOn:
            return {Cmd::kService, Sub9F::kGreenLed, 1, Desc::kBlueLedOn};
        case B::kGreenOff:
            return {Cmd::kService, Sub9F::kGreenLed, 0, Desc::kBlueLedOff};
        case B::kRedOn:
            return {Cmd::kService, Sub9F::kRedLed, 1, Desc::kBlueLedOn};
        case B::kRedOff:
            return {Cmd::kService, Sub9F::kRedLed, 0, Desc::kBlueLedOff};
        case B::kGetTemperature:
            return {Cmd::kSetLcdTemperature, -1, -1, Desc::kSetLcdTemperature};
        case B::kGetKey:
            return {Cmd::kService, Sub9F::kGetButton, -1, Desc::kGetButton};
        case B::kGetUBat:
            return {Cmd::kService, Sub9F::kGetUBat, -1, Desc::kGetUBat};
        case B::kGetUCom:
            return {Cmd::kService, Sub9F::kGetUCom, -1, Desc::kGetUCom};
        case B::kGetUAnt:
            break;
    }
    return {Cmd::kGetAmplitude, -1, -1, Desc::kGetVoltage};
}

}  // namespace

void CLcdDlg::OnContrastStep(int position, int delta) {
    const int next = position + delta;
    if (next < 0 || next > kMaxContrast) {
        return;
    }
    CTelegram request(Cmd::kSetLcdContrast, Desc::kSetLcdContrast, kKindFrame);
    request.AppendByte(static_cast<uint8_t>(next));
    request.ClearRepeat();
    m_main.OnSendTelegram(request);
}

void CLcdDlg::OnButton(Button button) {
    const Request r = RequestOf(button);
    CTelegram request(r.code, r.description, kKindFrame);
    if (r.sub >= 0) {
        request.AppendByte(static_cast<uint8_t>(r.sub));
    }
    if (r.value >= 0) {
        request.AppendByte(static_cast<uint8_t>(r.value));
    }
    // The temperature request alone is left to the main window to repeat.
    if (button != kGetTemperature) {
        request.ClearRepeat();
    }
    m_main.OnSendTelegram(request);
}

std::string CLcdDlg::AdapterType(double volts) {
    if (volts >= 1.4 && volts <= 1.8) {
        return "Bluetooth adapter";
    }
    if (volts >= 2.0 && volts <= 2.4) {
        return "RS232 adapter";
    }
    return "Unknown adapter";
}

void CLcdDlg::OnResponse(const uint8_t* frame, int length) {
    // Data bytes must lie before the CRC byte that ends the frame.
    auto has = [length](int position) { return position < length - 1; };
    if (!has(4) || frame[3] != 0x06) {
        return;
    }
    if (frame[4] == Cmd::kGetAmplitude && has(6)) {
        m_antenna = Format("%6.2fV", frame[6] * 1.88 + 67.1);
        return;
    }
    if (frame[4] != Cmd::kService || !has(6)) {
        return;
    }
    switch (frame[5]) {
        case Sub9F::kGetUBat:
            if (has(7)) {
                m_battery = Format("%d", frame[6] * 256 + frame[7]);
            }
            break;
        case Sub9F::kGetButton:
            m_key = Format("%d", frame[6]);
            break;
        case Sub9F::kGetUCom:
            if (has(7)) {
                const double volts = (frame[6] * 256 + frame[7]) * 0.0048828125;
                m_adapterVoltage = Format("%6.2fV", volts);
                m_adapterType = AdapterType(volts);
            }
            break;
        default:
            break;
    }
}
