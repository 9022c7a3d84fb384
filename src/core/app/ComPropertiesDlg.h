#pragma once

#include "core/app/PortList.h"

#include <array>
#include <string>
#include <vector>

// "COM Properties": which port and baud rate the tool connects with.
class CComPropertiesDlg final {
public:
    static const std::vector<std::string>& BaudRates();
    static const std::vector<std::string>& DataBits();
    static const std::vector<std::string>& Parities();
    static const std::vector<std::string>& StopBits();
    static constexpr const char* kCaption = "COM Properties";

    CComPropertiesDlg(const std::array<PortEntry, CPortList::kEntries>& entries, int preselectedPort,
                      int baud);

    // The names for the port list, in order, up to the first empty one.
    std::vector<std::string> PortNames() const;
    // The entry selected when the dialog opens, -1 for none.
    int InitialSelection() const;

    // "OK" with the selected port text and the baud text: the chosen port number (-1 for none).
    int OnOk(const std::string& selectedName, const std::string& baudText);
    static uint32_t BaudFromText(const std::string& text) { return text == "115.2K" ? 115200u : 9600u; }

    int ChosenPort() const { return m_chosenPort; }
    uint32_t ChosenBaud() const { return m_chosenBaud; }

    std::string m_baudText;
    std::string m_dataBits = "8";
    std::string m_parity = "None";
    std::string m_stopBits = "1";
    // "Reconnect automatically": reopen the device by itself when it returns after going away.
    bool m_reconnect = true;

private:
    std::array<PortEntry, CPortList::kEntries> m_entries;
    int m_preselected;
    int m_chosenPort = -1;
    uint32_t m_chosenBaud = 9600;
};
