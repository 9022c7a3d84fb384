#include "core/app/PortList.h"

#include "core/link/PortDevice.h"
#include "core/util/Format.h"

#include <algorithm>

CPortList::CPortList() {
    for (int i = 0; i < kEntries; ++i) {
        m_entries[static_cast<size_t>(i)] = {i + 1, DefaultName(i + 1)};
    }
}

std::string CPortList::DefaultName(int port) {
    return Format("COM-Port (COM%d)", port);
}

int CPortList::EnumeratePorts(const std::vector<SystemPort>& devices) {
    std::vector<PortEntry> found;
    for (const auto& device : devices) {
        const int port = PortForDevice(device.device);
        if (port == 0 || found.size() >= static_cast<size_t>(kEntries)) {
            continue;
        }
        if (std::any_of(found.begin(), found.end(), [port](const PortEntry& e) { return e.port == port; })) {
            continue;
        }
        std::string name = device.friendlyName.empty() ? DefaultName(port)
                                                       : device.friendlyName + Format(" (COM%d)", port);
        if (!device.stableName.empty()) {
            name += " - " + device.stableName;
        }
        if (name.size() > kMaxName) {
            name.resize(kMaxName);
        }
        found.push_back({port, name});
    }
    if (found.empty()) {
        // Nothing known: the default list COM1 to COM128 stays, as on a system without a device map.
        return 0;
    }
    std::sort(found.begin(), found.end(), [](const PortEntry& a, const PortEntry& b) { return a.port < b.port; });
    m_entries.fill(PortEntry{});
    std::copy(found.begin(), found.end(), m_entries.begin());
    return 1;
}
