#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/config/ConfigPage.h"
#include "core/link/FrameParser.h"
#include "core/link/Telegram.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// Kept in their own namespace: other test folders have fakes of the same names.
namespace config_test {

using Bytes = std::vector<uint8_t>;

// Records everything the pages hand to the main window.
class FakeMainWindow final : public IMainWindow {
public:
    void OnSendTelegram(const CTelegram& telegram) override { sent.push_back(telegram); }
    void OnSendNow(const CTelegram& telegram) override { sentNow.push_back(telegram); }
    void OnMainCommand(MainCommand command, int argument) override {
        commands.emplace_back(static_cast<int>(command), argument);
    }

    static Bytes BytesOf(const CTelegram& t) { return Bytes(t.Data(), t.Data() + t.GetLength()); }
    Bytes Last() const { return sent.empty() ? Bytes{} : BytesOf(sent.back()); }
    std::vector<Bytes> AllBytes() const {
        std::vector<Bytes> out;
        for (const CTelegram& t : sent) {
            out.push_back(BytesOf(t));
        }
        return out;
    }

    std::vector<CTelegram> sent;
    std::vector<CTelegram> sentNow;
    std::vector<std::pair<int, int>> commands;
};

class FakePrompt final : public IPrompt {
public:
    void Message(const std::string& text, const std::string& /*detail*/) override {
        messages.push_back(text);
    }
    bool YesNo(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    std::string OpenFileName(const std::string& /*filter*/) override { return {}; }
    std::string SaveFileName(const std::string& /*filter*/) override { return {}; }

    bool answer = true;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
};

// A frame as the reader sends it and the frame receiver delivers it: STX, node, 0xF0, status,
// command code, data, CRC (no ETX, no escapes).
inline Bytes ReaderFrame(uint8_t status, uint8_t command, std::initializer_list<uint8_t> data = {}) {
    Bytes frame{CFrameParser::kStx, 0x01, CFrameParser::kMarker, status, command};
    frame.insert(frame.end(), data.begin(), data.end());
    uint8_t crc = 0;
    for (const uint8_t b : frame) {
        crc = CFrameParser::Crc8(crc, b);
    }
    frame.push_back(crc);
    return frame;
}

inline Bytes Ack(uint8_t command, std::initializer_list<uint8_t> data = {}) {
    return ReaderFrame(CFrameParser::kAck, command, data);
}

inline Bytes Nak(uint8_t command, std::initializer_list<uint8_t> data = {}) {
    return ReaderFrame(0x15, command, data);
}

inline void Answer(CConfigPage& page, const Bytes& frame) {
    page.OnAnswer(static_cast<int>(frame.size()), frame.data());
}

inline void Tick(CConfigPage& page, int ticks = 1) {
    for (int i = 0; i < ticks; ++i) {
        page.OnTick();
    }
}

}  // namespace config_test

using namespace config_test;  // NOLINT: test helpers only
