#pragma once

#include "core/link/FrameParser.h"
#include "sim/SimulatedReader.h"

#include <cstdint>
#include <vector>

// What came out of a simulated reader, as the tool's own receiver sees it.
struct Received {
    std::vector<std::vector<uint8_t>> frames;  // good frames, STX to CRC byte
    std::vector<uint8_t> answerCodes;          // GetAnswerCode of each good frame
    int badFrames = 0;                         // frames with a wrong CRC
};

inline Received Decode(const std::vector<uint8_t>& bytes) {
    Received r;
    CFrameParser parser;
    for (const uint8_t b : bytes) {
        const int result = parser.PutByte(b);
        if (result == CFrameParser::kGood) {
            r.frames.push_back(parser.Frame());
            r.answerCodes.push_back(parser.GetAnswerCode());
        } else if (result == CFrameParser::kBad) {
            ++r.badFrames;
        }
    }
    return r;
}

// A request framed the way the tool frames it.
inline std::vector<uint8_t> RequestFrame(const std::vector<uint8_t>& payload, uint8_t node = 1,
                                         bool broadcast = false) {
    CFrameParser codec;
    codec.SetNodeAddress(node);
    return codec.BuildFrame(payload.data(), static_cast<int>(payload.size()), broadcast ? 1 : 0);
}

inline std::vector<uint8_t> Ask(SimulatedReader& reader, const std::vector<uint8_t>& payload,
                                uint8_t node = 1, bool broadcast = false) {
    const auto frame = RequestFrame(payload, node, broadcast);
    reader.Receive(frame.data(), frame.size());
    return reader.TakeOutput();
}

// Frame bytes from the status byte up to the one before the CRC.
inline std::vector<uint8_t> Body(const std::vector<uint8_t>& frame) {
    if (frame.size() < 5) {
        return {};
    }
    return {frame.begin() + 3, frame.end() - 1};
}
