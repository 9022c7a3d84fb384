#include "sim/ExternalEeprom.h"

#include "core/link/Commands.h"
#include "sim/AnswerBody.h"

ExternalEeprom::ExternalEeprom() {
    // Erased cells read 0xFF; the first record holds a recognisable pattern.
    m_bytes.fill(0xFF);
    for (uint8_t i = 0; i < 0x20; ++i) {
        m_bytes[0x10 + i] = i;
    }
}

bool ExternalEeprom::Owns(const uint8_t* payload, size_t count) {
    return count >= 1 && (payload[0] == Cmd::kReadEeprom || payload[0] == Cmd::kWriteEeprom ||
                          (payload[0] == Cmd::kService && count >= 2 && payload[1] == Sub9F::kReadDataset));
}

bool ExternalEeprom::Execute(const uint8_t* payload, size_t count, Bodies& answers) {
    if (payload[0] == Cmd::kReadEeprom) {
        if (count < 3) {
            return false;
        }
        const auto address = static_cast<uint16_t>((payload[1] << 8) | payload[2]);
        answers.push_back(AckBody(Cmd::kReadEeprom, {m_bytes[address]}));
        return true;
    }
    if (payload[0] == Cmd::kWriteEeprom) {
        if (count < 4) {
            return false;
        }
        const auto address = static_cast<uint16_t>((payload[1] << 8) | payload[2]);
        m_bytes[address] = payload[3];
        answers.push_back(AckBody(Cmd::kWriteEeprom));
        return true;
    }
    if (count < 4) {
        return false;
    }
    const auto number = static_cast<uint16_t>((payload[2] << 8) | payload[3]);
    std::vector<uint8_t> body = AckBody(Cmd::kService, {Sub9F::kReadDataset});
    for (int i = 0; i < 16; ++i) {
        body.push_back(m_bytes[static_cast<uint16_t>(number * 16 + i)]);
    }
    answers.push_back(std::move(body));
    return true;
}
