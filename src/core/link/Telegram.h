#pragma once

#include <array>
#include <cstdint>
#include <string>

// How the main window puts a request on the line.
enum TelegramKind : uint8_t {
    kKindFrame = 1,   // a link frame built by CFrameParser::BuildFrame (every reader request)
    kKindRaw = 2,     // the bytes as they stand
    kKindText = 0x10  // a text line; a CR is appended unless the line is "^"
};

// The plain record the sending path works on: the same fields as CTelegram.
struct TelegramRecord {
    int32_t length = 0;
    std::array<uint8_t, 200> data{};
    std::string description;
    uint8_t kind = 0;
    int32_t repeat = 1;
};

// One request to the reader: command code first, then its parameters.
class CTelegram {
public:
    static constexpr int kCapacity = 200;

    CTelegram() = default;
    CTelegram(uint8_t command, std::string description, uint8_t kind = kKindFrame);
    virtual ~CTelegram() = default;
    CTelegram(const CTelegram&) = default;
    CTelegram& operator=(const CTelegram&) = default;

    int AppendByte(uint8_t value, int reset = 0, uint8_t kind = kKindFrame,
                   const std::string& description = {});
    int AppendBlock(const uint8_t* bytes, int count);
    int InsertByte(int position, uint8_t value, int reset = 0, uint8_t kind = kKindFrame,
                   const std::string& description = {});
    // A 16-bit value, high byte first as the reader expects it.
    int AppendWord(uint16_t value);

    int GetLength() const { return m_length; }
    int Clear();
    void SetKind(uint8_t kind) { m_kind = kind; }
    uint8_t GetKind() const { return m_kind; }
    int IsRepeat() const { return m_repeat; }
    void ClearRepeat() { m_repeat = 0; }
    int CopyToRecord(TelegramRecord& record) const;

    const uint8_t* Data() const { return m_data.data(); }
    // 0 for an index outside the held bytes, so a caller's off-by-one cannot read stale data.
    uint8_t Byte(int index) const;
    uint8_t Command() const { return m_data[0]; }
    const std::string& GetDescription() const { return m_description; }
    void SetDescription(std::string description) { m_description = std::move(description); }

private:
    void ResetTo(uint8_t kind, const std::string& description);

    int32_t m_length = 0;
    std::array<uint8_t, kCapacity> m_data{};
    std::string m_description;
    uint8_t m_kind = 0;
    int32_t m_repeat = 1;
};
