#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

// The 9-byte tag record of stored and event datasets (least significant byte first).
struct TagRecord {
    std::array<uint8_t, 9> bytes{};
};

// The texts shown for a transponder, decoded from a tag data message or a tag record.
class CTransponderId {
public:
    CTransponderId() = default;
    virtual ~CTransponderId() = default;

    // frame: the received frame as the frame parser delivers it (STX first, CRC byte last). Fields
    // that the message cuts short stay empty; what it carries in full is shown.
    void DecodeTagData(std::span<const uint8_t> frame);
    void DecodeTagRecord(std::span<const uint8_t, 9> record);
    void DecodeTagRecord(const TagRecord& record) { DecodeTagRecord(std::span(record.bytes)); }

    std::string GetCountryCode() const { return m_countryCode; }
    std::string GetNationalId() const { return m_nationalId; }
    std::string GetTagType() const { return m_tagType; }
    std::string GetEventText() const { return m_eventText; }

    // text: "ccc nnnnnnnnnnnn"; code receives the 8-byte ISO code. 0, or -1 for a bad country code.
    static int EncodeTagText(const std::string& text, std::array<uint8_t, 8>& code);
    static std::array<uint8_t, 5> NationalIdToBytes(const std::string& text);
    static bool IsHexDigit(char c);

    // The tag in numbers, whatever output format the reader sends it in; what the format does
    // not carry stays unknown (-1).
    struct Numbers {
        int country = -1;       // 0..1023
        int64_t national = -1;  // 0..274877906943
        int type = -1;          // kTypeHdx, kTypeH4002, kTypeFdxB or another code
    };
    static Numbers NumbersOfTagData(std::span<const uint8_t> frame);
    // "HDX", "H4002", "FDX-B"; empty for another code.
    static std::string TypeName(int type);

    static constexpr uint8_t kTypeHdx = 1;
    static constexpr uint8_t kTypeH4002 = 2;
    static constexpr uint8_t kTypeFdxB = 5;

private:
    void DecodeIsoCode(const uint8_t* code);

    std::string m_countryCode;
    std::string m_nationalId;
    std::string m_tagType;
    std::string m_eventText;
};
