#pragma once

#include "../app/AppFakes.h"

#include "core/app/WindowInterfaces.h"
#include "core/service/LineList.h"

#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The main window as a tool window sees it: keeps what it is asked to queue or send at once.
class FakeMain final : public IMainWindow {
public:
    void OnSendTelegram(const CTelegram& telegram) override { queued.push_back(telegram); }
    void OnSendNow(const CTelegram& telegram) override { sentNow.push_back(telegram); }
    void OnMainCommand(MainCommand command, int argument) override {
        commands.push_back({command, argument});
    }

    static Bytes Payload(const CTelegram& t) { return Bytes(t.Data(), t.Data() + t.GetLength()); }
    std::vector<Bytes> Payloads() const {
        std::vector<Bytes> out;
        for (const auto& t : queued) {
            out.push_back(Payload(t));
        }
        return out;
    }

    std::vector<CTelegram> queued;
    std::vector<CTelegram> sentNow;
    std::vector<std::pair<MainCommand, int>> commands;
};

// A received frame as the main window routes it: STX to the CRC byte, no escapes, no ETX.
inline Bytes RoutedFrame(Bytes body) {
    CFrameParser parser;
    const Bytes wire = AnswerWire(std::move(body));
    for (const uint8_t b : wire) {
        if (parser.PutByte(b) == CFrameParser::kGood) {
            return parser.Frame();
        }
    }
    return {};
}

inline Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline std::vector<std::string> LinesOf(const LineList& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.Size(); ++i) {
        out.push_back(list.At(i));
    }
    return out;
}
