#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The link frame codec: builds outgoing frames and reassembles incoming ones byte by byte.
class CFrameParser {
public:
    static constexpr uint8_t kStx = 0x02;
    static constexpr uint8_t kEtx = 0x03;
    static constexpr uint8_t kDle = 0x10;
    static constexpr uint8_t kMarker = 0xF0;
    static constexpr uint8_t kBroadcast = 0xFF;
    static constexpr uint8_t kAck = 0x06;
    static constexpr uint8_t kNak = 0x15;
    static constexpr uint8_t kTagData = 0x23;
    static constexpr int kMaxPayload = 50;
    static constexpr int kMaxFrame = 2 * 3 + 2 * kMaxPayload + 2;  // 108: room BuildFrame needs
    // The largest legitimate answer (a sample block) is about 1005 bytes; a stream that never
    // sends ETX must not grow the buffer beyond this.
    static constexpr size_t kMaxReceive = 4096;

    enum PutResult { kNone = 0, kGood = 1, kBad = 2 };

    CFrameParser() = default;
    virtual ~CFrameParser() = default;

    static uint8_t Crc8(uint8_t crc, uint8_t data);
    static int GetCommandName(uint8_t code, std::string& name);
    static std::string CommandName(uint8_t code);

    // buffer holds the payload on entry and the frame on return; a buffer shorter than kMaxFrame
    // or a length it does not hold is refused with 0, like a payload over 50 bytes.
    int BuildFrame(std::span<uint8_t> buffer, int length, int broadcast) const;
    std::vector<uint8_t> BuildFrame(std::span<const uint8_t> payload, int broadcast = 0) const;

    int PutByte(uint8_t byte);
    int GetFrame(std::span<uint8_t> destination) const;
    const std::vector<uint8_t>& Frame() const { return m_buffer; }
    int IsEscapePending() const { return m_escape; }
    // Between an STX and its ETX.
    int IsInFrame() const { return m_inFrame; }
    void SetNodeAddress(uint8_t address) { m_nodeAddress = address; }
    uint8_t GetNodeAddress() const { return m_nodeAddress; }
    uint8_t GetAnswerCode() const;
    uint8_t GetAnswerName(std::string& name) const;

private:
    void Store(uint8_t byte);
    int Overflow();

    uint8_t m_nodeAddress = 0x01;
    uint8_t m_crc = 0;
    std::vector<uint8_t> m_buffer;
    int32_t m_escape = 0;
    int32_t m_inFrame = 0;
};
