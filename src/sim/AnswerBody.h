#pragma once

#include "core/link/FrameParser.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// The body of an acknowledge: status byte, the command code answered, then the data.
inline std::vector<uint8_t> AckBody(uint8_t code, std::initializer_list<uint8_t> data = {}) {
    std::vector<uint8_t> body{CFrameParser::kAck, code};
    body.insert(body.end(), data.begin(), data.end());
    return body;
}
