#pragma once

#include "core/app/WindowInterfaces.h"

#include <cstdint>
#include <string>

// Drives the reader's display and signalling hardware and shows its measured voltages.
class CLcdDlg final : public IToolWindow {
public:
    static constexpr int kMaxContrast = 15;

    // The hardware buttons: each sends one request and keeps no state of it.
    enum Button {
        kBackgroundOn,
        kBackgroundOff,
        kVibrationOn,
        kVibrationOff,
        kBeeperOn,
        kBeeperOff,
        kBlueOn,
        kBlueOff,
        kGreenOn,
        kGreenOff,
        kRedOn,
        kRedOff,
        kGetTemperature,
        kGetKey,
        kGetUBat,
        kGetUCom,
        kGetUAnt,
    };

    explicit CLcdDlg(IMainWindow& main) : m_main(main) {}

    // What the edits show.
    std::string m_temperature;  // nothing the reader answers is shown here
    std::string m_key;
    std::string m_battery;
    std::string m_adapterVoltage;
    std::string m_adapterType;
    std::string m_antenna;

    // The up-down control moved by delta from position; only a position in 0..15 is sent.
    void OnContrastStep(int position, int delta);
    void OnButton(Button button);

    // IToolWindow
    void OnResponse(const uint8_t* frame, int length) override;

    static std::string AdapterType(double volts);

private:
    IMainWindow& m_main;
};
