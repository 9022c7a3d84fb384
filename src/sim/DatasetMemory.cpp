#include "sim/DatasetMemory.h"

#include "core/link/Commands.h"
#include "core/link/FrameParser.h"
#include "sim/AnswerBody.h"

namespace {
constexpr uint8_t kStore = 0x04;
constexpr uint8_t kStoreSimulated = 0x05;
constexpr uint8_t kNotStored = 0x15;
}  // namespace

bool DatasetMemory::Owns(uint8_t code) {
    return code == Cmd::kDatasets || code == Cmd::kStoreTagData;
}

uint32_t DatasetMemory::PackStamp(int month, int day, int hour, int minute, int second) {
    return static_cast<uint32_t>(month & 0x0F) | static_cast<uint32_t>(day & 0x1F) << 4 |
           static_cast<uint32_t>(hour & 0x1F) << 9 | static_cast<uint32_t>(minute & 0x7F) << 14 |
           static_cast<uint32_t>(second & 0x7F) << 21;
}

bool DatasetMemory::Preload(size_t count, size_t groupEvery, uint32_t stamp) {
    if (count > kCapacity) {
        return false;
    }
    m_records.clear();
    for (size_t n = 1; n <= count; ++n) {
        Record r{};
        if (groupEvery == 0 || n % groupEvery != 0) {
            // 276 Germany, national IDs counting from 1000, FDX-B.
            const uint64_t national = 1000 + n;
            for (size_t i = 0; i < 4; ++i) {
                r[i] = static_cast<uint8_t>(national >> (8 * i));
            }
            r[4] = static_cast<uint8_t>(((national >> 32) & 0x3F) | ((276 & 3) << 6));
            r[5] = static_cast<uint8_t>(276 >> 2);
            r[7] = 0x80;
            r[8] = 5;
        }
        for (size_t i = 0; i < 4; ++i) {
            r[9 + i] = static_cast<uint8_t>(stamp >> (24 - 8 * i));
        }
        m_records.push_back(r);
    }
    return true;
}

bool DatasetMemory::Execute(uint8_t code, const uint8_t* args, size_t count, uint32_t stamp,
                            Bodies& answers) {
    if (count < 1) {
        return false;
    }
    const uint8_t sub = args[0];
    if (code == Cmd::kStoreTagData) {
        if ((sub != kStore && sub != kStoreSimulated) || count < 10) {
            return false;
        }
        if (m_records.size() >= kCapacity) {
            // Memory full: refused with the sub-code, so that a run of stores ends.
            answers.push_back({kNotStored, code, sub});
            return true;
        }
        Record r{};
        std::copy(args + 1, args + 10, r.begin());
        for (size_t i = 0; i < 4; ++i) {
            r[9 + i] = static_cast<uint8_t>(stamp >> (24 - 8 * i));
        }
        m_records.push_back(r);
        answers.push_back(AckBody(code, {sub}));
        return true;
    }
    const auto stored = static_cast<uint16_t>(m_records.size());
    switch (sub) {
        case Sub58::kGetAmount:
            answers.push_back(
                AckBody(code, {sub, static_cast<uint8_t>(stored >> 8), static_cast<uint8_t>(stored)}));
            return true;
        case Sub58::kClearAll:
            m_records.clear();
            answers.push_back(AckBody(code, {sub}));
            return true;
        case Sub58::kReadDataset: {
            if (count < 3) {
                return false;
            }
            const size_t n = static_cast<size_t>(args[1] << 8 | args[2]);
            if (n == 0 || n > m_records.size()) {
                answers.push_back(
                    AckBody(code, {sub, args[1], args[2], kNotStored, static_cast<uint8_t>(stored >> 8),
                                   static_cast<uint8_t>(stored)}));
                return true;
            }
            auto body = AckBody(code, {sub, args[1], args[2], CFrameParser::kAck});
            const Record& r = m_records[n - 1];
            body.insert(body.end(), r.begin(), r.end());
            answers.push_back(std::move(body));
            return true;
        }
        default:
            return false;
    }
}
