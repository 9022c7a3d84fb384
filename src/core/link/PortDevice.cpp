#include "core/link/PortDevice.h"

#include <array>
#include <cstdlib>

namespace {

constexpr std::array<const char*, 4> kFamilies = {"ttyS", "ttyUSB", "ttyACM", "rfcomm"};
constexpr int kPerFamily = 32;

}  // namespace

std::string DeviceForPort(int port) {
    if (port < 1 || port > kPerFamily * static_cast<int>(kFamilies.size())) {
        return {};
    }
    const int family = (port - 1) / kPerFamily;
    return std::string("/dev/") + kFamilies[static_cast<size_t>(family)] +
           std::to_string((port - 1) % kPerFamily);
}

int PortForDevice(const std::string& device) {
    std::string name = device;
    if (name.rfind("/dev/", 0) == 0) {
        name.erase(0, 5);
    }
    for (size_t f = 0; f < kFamilies.size(); ++f) {
        const std::string prefix = kFamilies[f];
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::string digits = name.substr(prefix.size());
        // "ttyS01" is not the node of COM2: only the kernel's own spelling maps back.
        if (digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos ||
            (digits.size() == 2 && digits[0] == '0')) {
            return 0;
        }
        const int index = std::atoi(digits.c_str());
        if (index >= kPerFamily) {
            return 0;
        }
        return static_cast<int>(f) * kPerFamily + index + 1;
    }
    return 0;
}
