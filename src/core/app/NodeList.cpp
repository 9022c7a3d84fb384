#include "core/app/NodeList.h"

#include "core/util/Format.h"

namespace NodeList {

const std::vector<std::string>& Entries() {
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> list{"Global", "PLV580", "01"};
        list.reserve(kEntries);
        for (int a = 0x04; a <= 0x0F; ++a) {
            list.push_back(Format("%02x", a));
        }
        for (int a = 0x11; a <= 0xEF; ++a) {
            list.push_back(Format("%02x", a));
        }
        return list;
    }();
    return entries;
}

uint8_t IndexToAddress(int index) {
    if (index <= 0) {
        return 0xFF;
    }
    if (index == 1) {
        return 0xF4;
    }
    if (index == 2) {
        return 0x01;
    }
    if (index <= 14) {
        return static_cast<uint8_t>(index + 1);
    }
    return static_cast<uint8_t>(index + 2);
}

int AddressToIndex(uint8_t address) {
    if (address == 0xFF) {
        return 0;
    }
    if (address == 0xF4) {
        return 1;
    }
    if (address == 0x01) {
        return 2;
    }
    if (address >= 0x04 && address <= 0x0F) {
        return address - 1;
    }
    if (address >= 0x11 && address <= 0xEF) {
        return address - 2;
    }
    return -1;
}

}  // namespace NodeList
