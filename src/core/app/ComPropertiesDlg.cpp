#include "core/app/ComPropertiesDlg.h"

const std::vector<std::string>& CComPropertiesDlg::BaudRates() {
    // The two rates the reader runs at; offering more would only have them fall back to 9600.
    static const std::vector<std::string> rates{"9600", "115.2K"};
    return rates;
}

const std::vector<std::string>& CComPropertiesDlg::DataBits() {
    static const std::vector<std::string> bits{"5", "6", "7", "8"};
    return bits;
}

const std::vector<std::string>& CComPropertiesDlg::Parities() {
    static const std::vector<std::string> parities{"Even", "Mark", "None", "Odd", "Space"};
    return parities;
}

const std::vector<std::string>& CComPropertiesDlg::StopBits() {
    static const std::vector<std::string> bits{"1", "1.5", "2"};
    return bits;
}

CComPropertiesDlg::CComPropertiesDlg(const std::array<PortEntry, CPortList::kEntries>& entries,
                                     int preselectedPort, int baud)
    : m_baudText(baud == 115200 ? "115.2K" : "9600"), m_entries(entries), m_preselected(preselectedPort) {}

std::vector<std::string> CComPropertiesDlg::PortNames() const {
    std::vector<std::string> names;
    for (const auto& e : m_entries) {
        if (e.name.empty()) {
            break;
        }
        names.push_back(e.name);
    }
    return names;
}

int CComPropertiesDlg::InitialSelection() const {
    const auto names = PortNames();
    for (size_t i = 0; i < names.size(); ++i) {
        if (m_entries[i].port == m_preselected) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CComPropertiesDlg::OnOk(const std::string& selectedName, const std::string& baudText) {
    m_baudText = baudText;
    m_chosenPort = -1;
    for (const auto& e : m_entries) {
        if (e.name.empty()) {
            break;
        }
        if (e.name == selectedName) {
            m_chosenPort = e.port;
            break;
        }
    }
    m_chosenBaud = BaudFromText(baudText);
    return m_chosenPort;
}
