#pragma once

#include "core/app/Prompt.h"
#include "core/app/WindowInterfaces.h"
#include "core/config/ConfigPage.h"
#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "core/link/Telegram.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Own namespace: other test folders have fakes of the same names.
namespace config_test {

using Bytes = std::vector<uint8_t>;

class FakeMainWindow final : public IMainWindow {
public:
    void OnSendTelegram(const CTelegram& telegram) override { sent.push_back(telegram); }
    void OnSendNow(const CTelegram& /*telegram*/) override {}
    void OnMainCommand(MainCommand command, int argument) override {
        commands.emplace_back(static_cast<int>(command), argument);
    }

    static Bytes BytesOf(const CTelegram& t) { return Bytes(t.Data(), t.Data() + t.GetLength()); }
    Bytes Last() const { return sent.empty() ? Bytes{} : BytesOf(sent.back()); }
    std::string LastText() const { return sent.empty() ? "" : sent.back().GetDescription(); }
    std::vector<Bytes> AllBytes() const {
        std::vector<Bytes> out;
        for (const CTelegram& t : sent) {
            out.push_back(BytesOf(t));
        }
        return out;
    }

    std::vector<CTelegram> sent;
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
    std::vector<std::string> questions;
    std::vector<std::string> messages;
};

// As the frame receiver delivers it: STX, node, marker, status, command, data, CRC (no ETX, no escapes).
inline Bytes ReaderFrame(uint8_t status, uint8_t command, std::initializer_list<uint8_t> data = {}) {
    // Sized once: growing a vector built from a five-byte list trips GCC's bounds warning.
    Bytes frame(5 + data.size() + 1);
    const uint8_t head[] = {CFrameParser::kStx, 0x01, CFrameParser::kMarker, status, command};
    std::copy(std::begin(head), std::end(head), frame.begin());
    std::copy(data.begin(), data.end(), frame.begin() + 5);
    uint8_t crc = 0;
    for (size_t i = 0; i + 1 < frame.size(); ++i) {
        crc = CFrameParser::Crc8(crc, frame[i]);
    }
    frame.back() = crc;
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

// An answering reader for a one-item set job started before: acknowledges the set, answers the
// read-back five ticks later with `readBack`. Returns all that was sent.
inline std::vector<Bytes> AnswerSetJob(FakeMainWindow& main, CConfigPage& page, uint8_t readBack) {
    Tick(page);
    Answer(page, Ack(Cmd::kSetConfig));
    Tick(page, 5);
    Answer(page, Ack(Cmd::kGetConfig, {readBack}));
    return main.AllBytes();
}

// Ticks a page; when answering, the reader acknowledges each request at once and reads back what
// was set, except for the addresses in `stuck`, which keep their old value.
struct JobRun {
    std::vector<std::pair<int, Bytes>> sendings;  // tick, request
    std::map<int, std::string> messages;          // tick -> message shown from that tick on
    std::map<uint8_t, uint8_t> stuck;

    void Run(FakeMainWindow& main, CConfigPage& page, int ticks, bool answering) {
        std::map<uint8_t, uint8_t> stored;
        std::string last = page.Message();
        for (int t = 1; t <= ticks; ++t) {
            const size_t before = main.sent.size();
            page.OnTick();
            for (size_t i = before; i < main.sent.size(); ++i) {
                const Bytes b = FakeMainWindow::BytesOf(main.sent[i]);
                sendings.emplace_back(t, b);
                if (answering && b[0] == Cmd::kSetConfig) {
                    stored[b[1]] = stuck.count(b[1]) != 0 ? stuck[b[1]] : b[2];
                }
                if (answering) {
                    Answer(page, b[0] == Cmd::kGetConfig ? Ack(b[0], {stored[b[1]]}) : Ack(b[0]));
                }
            }
            if (page.Message() != last) {
                last = page.Message();
                messages[t] = last;
            }
        }
        messages.erase(50);  // a request's own message expiring is not of interest
    }
};

// Sunday 8 March 2026, 14:07:09.
inline std::tm PinnedTime() {
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 2, t.tm_mday = 8, t.tm_hour = 14, t.tm_min = 7, t.tm_sec = 9;
    return t;
}

}  // namespace config_test

using namespace config_test;  // NOLINT: test helpers only
