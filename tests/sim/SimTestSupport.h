#pragma once

#include "core/link/FrameParser.h"
#include "sim/SimulatedReader.h"

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct Received {
    std::vector<Bytes> frames;  // STX to CRC byte
    Bytes answerCodes;
    int badFrames = 0;
};

inline Received Decode(const Bytes& bytes) {
    Received r;
    CFrameParser parser;
    for (const uint8_t b : bytes) {
        const int result = parser.PutByte(b);
        if (result == CFrameParser::kGood) {
            r.frames.push_back(parser.Frame());
            r.answerCodes.push_back(parser.GetAnswerCode());
        }
        r.badFrames += result == CFrameParser::kBad ? 1 : 0;
    }
    return r;
}

inline Bytes RequestFrame(const Bytes& payload, uint8_t node = 1, bool broadcast = false) {
    CFrameParser codec;
    codec.SetNodeAddress(node);
    return codec.BuildFrame(payload, broadcast ? 1 : 0);
}

inline Bytes Ask(SimulatedReader& reader, const Bytes& payload, uint8_t node = 1, bool broadcast = false) {
    const auto frame = RequestFrame(payload, node, broadcast);
    reader.Receive(frame.data(), frame.size());
    return reader.TakeOutput();
}

// Status byte up to the byte before the CRC.
inline Bytes Body(const Bytes& frame) {
    return frame.size() < 5 ? Bytes{} : Bytes(frame.begin() + 3, frame.end() - 1);
}

// Empty unless the request brings exactly one good frame.
inline Bytes AnswerBody(SimulatedReader& reader, const Bytes& payload, uint8_t node = 1,
                        bool broadcast = false) {
    const auto r = Decode(Ask(reader, payload, node, broadcast));
    return r.frames.size() == 1 && r.badFrames == 0 ? Body(r.frames[0]) : Bytes{};
}
