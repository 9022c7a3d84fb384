#pragma once

// What the tag benchmarks share: a port that takes everything, a prompt that asks nothing, and
// one second of tag data messages as a reader streams them at 115200 baud.
#include "core/app/LinkPort.h"
#include "core/app/Prompt.h"
#include "sim/SimulatedReader.h"

#include <string>
#include <vector>

namespace tagstream {

using Bytes = std::vector<uint8_t>;

constexpr size_t kBytesPerSecond = 11520;
constexpr size_t kBatch = 64;  // about 5.6 ms of line at 115200 baud: a turn of its own

class OpenPort final : public ILinkPort {
public:
    int Open() override { return 1; }
    int Close() override { return 1; }
    int IsOpen() const override { return 1; }
    int Write(const uint8_t*, int) override { return 1; }
    void SetPortNumber(int) override {}
    int GetPortNumber() const override { return 1; }
    void SetBaudRate(uint32_t) override {}
    int SetDtr() override { return 1; }
    int ClearDtr() override { return 1; }
};

class Quiet final : public IPrompt {
public:
    void Message(const std::string&, const std::string&) override {}
    bool YesNo(const std::string&) override { return false; }
    std::string OpenFileName(const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&) override { return {}; }
};

// Different animals, so that every read is a row of its own: the dearer case for the history.
inline Bytes OneSecondOfTags(uint64_t& next) {
    Bytes wire;
    while (wire.size() < kBytesPerSecond) {
        const SimulatedReader::Transponder tag{276, next++, 5, "K\xE4lber 17"};
        const Bytes frame = SimulatedReader::BuildAnswerFrame(
            1, SimulatedReader::BuildTagReport(tag, SimulatedReader::TagForm::kChar16));
        wire.insert(wire.end(), frame.begin(), frame.end());
    }
    wire.resize(kBytesPerSecond);
    return wire;
}

}  // namespace tagstream
