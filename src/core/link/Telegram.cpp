#include "core/link/Telegram.h"

#include <algorithm>

CTelegram::CTelegram(uint8_t command, std::string description, uint8_t kind)
    : m_length(1), m_description(std::move(description)), m_kind(kind) {
    m_data[0] = command;
}

void CTelegram::ResetTo(uint8_t kind, const std::string& description) {
    m_length = 0;
    m_kind = kind;
    m_description = description;
}

int CTelegram::AppendByte(uint8_t value, int reset, uint8_t kind, const std::string& description) {
    if (reset != 0) {
        ResetTo(kind, description);
    }
    if (m_length >= kCapacity) {
        return -1;
    }
    m_data[static_cast<size_t>(m_length++)] = value;
    return 0;
}

int CTelegram::AppendBlock(const uint8_t* bytes, int count) {
    // Compared against the room left, so that no count can overflow the sum.
    if (count < 0 || count > kCapacity - 1 - m_length || (bytes == nullptr && count > 0)) {
        return -1;
    }
    std::copy_n(bytes, count, m_data.begin() + m_length);
    m_length += count;
    return 0;
}

int CTelegram::InsertByte(int position, uint8_t value, int reset, uint8_t kind,
                          const std::string& description) {
    if (reset != 0) {
        ResetTo(kind, description);
    }
    if (m_length >= kCapacity) {
        return -1;
    }
    if (position < 0 || position > m_length) {
        position = m_length;
    }
    std::copy_backward(m_data.begin() + position, m_data.begin() + m_length, m_data.begin() + m_length + 1);
    m_data[static_cast<size_t>(position)] = value;
    ++m_length;
    return 0;
}

int CTelegram::AppendWord(uint16_t value) {
    if (m_length + 2 > kCapacity) {
        return -1;
    }
    AppendByte(static_cast<uint8_t>(value >> 8));
    return AppendByte(static_cast<uint8_t>(value & 0xFF));
}

uint8_t CTelegram::Byte(int index) const {
    return index >= 0 && index < m_length ? m_data[static_cast<size_t>(index)] : 0;
}

int CTelegram::Clear() {
    m_length = 0;
    m_description.clear();
    return 0;
}

int CTelegram::CopyToRecord(TelegramRecord& record) const {
    record.length = m_length;
    record.data = m_data;
    record.description = m_description;
    record.kind = m_kind;
    record.repeat = m_repeat;
    return 0;
}
