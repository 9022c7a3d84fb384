#include "core/link/FrameParser.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

bool IsControl(uint8_t b) {
    return b == CFrameParser::kStx || b == CFrameParser::kEtx || b == CFrameParser::kDle;
}

constexpr std::pair<uint8_t, const char*> kCommandNames[] = {
    {0x01, " connect "},
    {0x09, " version "},
    {0x0A, " get SNR "},
    {0x18, " reset all "},
    {0x22, " get single ID "},
    {0x23, " tag data "},
    {0x24, " get last ID "},
    {0x28, " set config "},
    {0x29, " get config "},
    {0x2A, " save config "},
    {0x2C, " set time "},
    {0x2D, " get time "},
    {0x2E, " set date "},
    {0x2F, " get date "},
    {0x30, " retransmit "},
    {0x40, " set io "},
    {0x41, " get io "},
    {0x43, " get tuning "},
    {0x80, " set snr "},
    {0x81, " set tuning "},
    {0x82, " get phase "},
    {0x83, " get amplitude "},
    {0x84, " set field "},
    {0x85, " get RSSI "},
    {0x86, " get phase and voltage "},
    {0x87, " start tuning "},
    {0x89, " get trim data "},
    {0x8A, " set trim data "},
    {0x8B, " get status "},
    {0x90, " hdx sample "},
    {0x91, " start sample "},
    {0x93, " start fdx sample "},
    {0x94, " reset dsp "},
    {0x95, " reset avr "},
    {0x96, " get dsp sample "},
    {0x97, " set baudrate "},
    {0x98, " start ub sample "},
};

// The register steps bit by bit, least significant first; since the data bits shift in lockstep
// with the register, a whole byte step depends only on register XOR byte, so it is looked up.
constexpr uint8_t Crc8Bitwise(uint8_t crc, uint8_t data) {
    for (int i = 0; i < 8; ++i) {
        if (((crc ^ data) & 0x01) != 0) {
            crc = static_cast<uint8_t>((crc >> 1) ^ 0xB8);
        } else {
            crc = static_cast<uint8_t>(crc >> 1);
        }
        data = static_cast<uint8_t>(data >> 1);
    }
    return crc;
}

constexpr std::array<uint8_t, 256> MakeCrcTable() {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[static_cast<size_t>(i)] = Crc8Bitwise(static_cast<uint8_t>(i), 0x00);
    }
    return table;
}

constexpr std::array<uint8_t, 256> kCrcTable = MakeCrcTable();

static_assert(kCrcTable[0x61 ^ 0x00] == Crc8Bitwise(0x00, 0x61));

}  // namespace

uint8_t CFrameParser::Crc8(uint8_t crc, uint8_t data) {
    return kCrcTable[static_cast<uint8_t>(crc ^ data)];
}

int CFrameParser::GetCommandName(uint8_t code, std::string& name) {
    name = CommandName(code);
    return 0;
}

std::string CFrameParser::CommandName(uint8_t code) {
    for (const auto& [c, n] : kCommandNames) {
        if (c == code) {
            return n;
        }
    }
    return " unknown ";
}

int CFrameParser::BuildFrame(std::span<uint8_t> buffer, int length, int broadcast) const {
    if (length > kMaxPayload || length < 0 || buffer.size() < static_cast<size_t>(kMaxFrame)) {
        return 0;
    }
    std::array<uint8_t, kMaxPayload> payload{};
    std::copy_n(buffer.begin(), length, payload.begin());
    int n = 0;
    buffer[n++] = 0x00;
    buffer[n++] = 0x00;
    buffer[n++] = kStx;
    uint8_t crc = Crc8(0x00, kStx);
    const uint8_t address = broadcast == 1 ? kBroadcast : m_nodeAddress;
    buffer[n++] = address;
    crc = Crc8(crc, address);
    buffer[n++] = kMarker;
    crc = Crc8(crc, kMarker);
    for (int i = 0; i < length; ++i) {
        const uint8_t b = payload[static_cast<size_t>(i)];
        if (IsControl(b)) {
            buffer[n++] = kDle;
            crc = Crc8(crc, kDle);
        }
        crc = Crc8(crc, b);
        buffer[n++] = b;
    }
    // The CRC byte is escaped by the register value, and a DLE changes the register: the byte
    // sent after the DLE is the register after it, taken literally by the receiver.
    if (IsControl(crc)) {
        buffer[n++] = kDle;
        crc = Crc8(crc, kDle);
    }
    buffer[n++] = crc;
    buffer[n++] = kEtx;
    return n;
}

std::vector<uint8_t> CFrameParser::BuildFrame(std::span<const uint8_t> payload, int broadcast) const {
    std::array<uint8_t, kMaxFrame> buffer{};
    if (payload.size() > static_cast<size_t>(kMaxPayload)) {
        return {};
    }
    std::copy(payload.begin(), payload.end(), buffer.begin());
    const int n = BuildFrame(buffer, static_cast<int>(payload.size()), broadcast);
    return {buffer.begin(), buffer.begin() + n};
}

void CFrameParser::Store(uint8_t byte) {
    m_buffer.push_back(byte);
    m_crc = Crc8(m_crc, byte);
}

int CFrameParser::Overflow() {
    // Treated as a frame with a bad CRC; the rest of it is ignored until the next STX.
    m_inFrame = 0;
    m_escape = 0;
    m_buffer.clear();
    return kBad;
}

int CFrameParser::PutByte(uint8_t byte) {
    if (m_escape != 0) {
        m_escape = 0;
        if (m_inFrame != 0) {
            if (m_buffer.size() >= kMaxReceive) {
                return Overflow();
            }
            Store(byte);
        }
        return kNone;
    }
    switch (byte) {
        case kStx:
            m_buffer.clear();
            m_crc = 0x00;
            m_inFrame = 1;
            Store(byte);
            return kNone;
        case kEtx:
            if (m_inFrame == 0) {
                return kNone;
            }
            m_inFrame = 0;
            return m_crc == 0x00 ? kGood : kBad;
        case kDle:
            if (m_inFrame != 0) {
                m_escape = 1;
                m_crc = Crc8(m_crc, kDle);
            }
            return kNone;
        default:
            if (m_inFrame != 0) {
                if (m_buffer.size() >= kMaxReceive) {
                    return Overflow();
                }
                Store(byte);
            }
            return kNone;
    }
}

int CFrameParser::GetFrame(std::span<uint8_t> destination) const {
    const size_t n = std::min(m_buffer.size(), destination.size());
    std::copy_n(m_buffer.begin(), n, destination.begin());
    return static_cast<int>(n);
}

uint8_t CFrameParser::GetAnswerCode() const {
    if (m_buffer.size() < 4) {
        return 0xFF;
    }
    if (m_buffer[3] == kAck) {
        return m_buffer.size() > 4 ? m_buffer[4] : 0xFF;
    }
    if (m_buffer[3] == kTagData) {
        return kTagData;
    }
    return 0xFF;
}

uint8_t CFrameParser::GetAnswerName(std::string& name) const {
    name.clear();
    const uint8_t code = GetAnswerCode();
    if (code != 0xFF) {
        GetCommandName(code, name);
    }
    return code;
}
