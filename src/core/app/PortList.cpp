#include "core/app/PortList.h"

#include "core/link/PortDevice.h"
#include "core/util/Format.h"

#include <algorithm>

namespace {

// The longest start of text that fits in limit bytes without cutting a UTF-8 character.
std::string Utf8Prefix(const std::string& text, size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

}  // namespace

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
        const std::string suffix = Format(" (COM%d)", port);
        std::string name;
        if (device.friendlyName.empty()) {
            name = DefaultName(port);
        } else {
            // The COM number must survive any shortening: two adapters of one make differ by it.
            name = Utf8Prefix(device.friendlyName, kMaxName - suffix.size()) + suffix;
        }
        if (!device.stableName.empty()) {
            name += " - " + device.stableName;
        }
        name = Utf8Prefix(name, kMaxName);
        found.push_back({port, name});
    }
    if (found.empty()) {
        // Nothing known: the default list COM1 to COM128 stays, as on a system without a device map.
        return 0;
    }
    std::sort(found.begin(), found.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.port < b.port; });
    m_entries.fill(PortEntry{});
    std::copy(found.begin(), found.end(), m_entries.begin());
    return 1;
}
