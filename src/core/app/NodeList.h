#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The node selection of the main window: "Global", "PLV580", "01", then "04".."0f" and "11".."ef".
// The frame's control bytes 0x02, 0x03 and 0x10 cannot be node addresses and have no entry.
namespace NodeList {

constexpr int kEntries = 238;

// Built once: the status line looks its entry up for every frame received.
const std::vector<std::string>& Entries();
uint8_t IndexToAddress(int index);
// The entry standing for an address, or -1 when it has none.
int AddressToIndex(uint8_t address);

}  // namespace NodeList
