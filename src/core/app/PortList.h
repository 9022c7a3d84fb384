#pragma once

#include <array>
#include <string>
#include <vector>

struct PortEntry {
    int port = 0;      // 0 = empty entry
    std::string name;  // at most 131 characters
};

// A serial device as the system reports it.
struct SystemPort {
    std::string device;        // "/dev/ttyUSB0"
    std::string friendlyName;  // the device's own description, empty when unknown
    std::string stableName;    // its /dev/serial/by-id name, empty when none
};

// The list of serial ports offered in "COM Properties": 128 entries, used ones first, sorted by
// port number, each under "COM-Port (COM%d)" or the device's own name.
class CPortList {
public:
    static constexpr int kEntries = 128;
    static constexpr size_t kMaxName = 131;

    CPortList();
    virtual ~CPortList() = default;

    // Builds the list from the system's devices; non-zero when at least one port was found.
    int EnumeratePorts(const std::vector<SystemPort>& devices);
    const std::array<PortEntry, kEntries>& Entries() const { return m_entries; }
    static std::string DefaultName(int port);

private:
    std::array<PortEntry, kEntries> m_entries;
};
