#include "core/tags/TransponderId.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A tag data message as the frame receiver keeps it: STX, address, marker, command code, fields.
// Nothing follows the last field, so a decoder that reads one byte too far leaves the allocation.
Bytes Message(const Bytes& fields) {
    Bytes frame = {0x02, 0x01, 0xF0, 0x23};
    frame.insert(frame.end(), fields.begin(), fields.end());
    frame.shrink_to_fit();
    return frame;
}

Bytes Text(const std::string& s) {
    return {s.begin(), s.end()};
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// Character form: ID length byte, ID characters, type field, the further field's length byte and,
// when that is not 0, four unused bytes and the event field.
Bytes CharacterFields(const std::string& id, char prefix, char type, uint8_t further,
                      const std::string& event) {
    Bytes f = Join({{static_cast<uint8_t>(id.size() + 1)},
                    Text(id),
                    {0x03, static_cast<uint8_t>(prefix), static_cast<uint8_t>(type), further}});
    if (further != 0) {
        f.insert(f.end(), {0xAA, 0xBB, 0xCC, 0xDD});
        f.push_back(static_cast<uint8_t>(event.size() + 1));
        f.insert(f.end(), event.begin(), event.end());
    }
    return f;
}

struct Texts {
    std::string country;
    std::string national;
    std::string type;
    std::string event;
};

void ExpectTexts(const CTransponderId& id, const Texts& t, const std::string& what) {
    EXPECT_EQ(id.GetCountryCode(), t.country) << what;
    EXPECT_EQ(id.GetNationalId(), t.national) << what;
    EXPECT_EQ(id.GetTagType(), t.type) << what;
    EXPECT_EQ(id.GetEventText(), t.event) << what;
}

const Texts kNothing = {"", "", "", ""};

struct MessageCase {
    const char* what;
    Bytes fields;
    Texts texts;
};

const Bytes kIsoCode = {0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80};  // 0984 123456789012

// Complete messages of every form; a cut anywhere inside one must give nothing.
const MessageCase kMessages[] = {
    {"16 characters with an event",
     CharacterFields("0984123456789012", '0', '5', 0x05, "Sheep"),
     {"0984", "123456789012", "FDX-B", "Sheep"}},
    {"16 characters, HDX",
     CharacterFields("0276000000000042", '0', '1', 0x00, ""),
     {"0276", "000000000042", "  HDX", ""}},
    {"16 characters, unnamed type keeps both characters",
     CharacterFields("0276000000000042", '0', '2', 0x00, ""),
     {"0276", "000000000042", "02", ""}},
    {"lower-case hexadecimal passes",
     CharacterFields("00ff0000abcdef12", 'x', '9', 0x00, ""),
     {"00ff", "0000abcdef12", "x9", ""}},
    {"10 characters",
     CharacterFields("1234567890", '0', '5', 0x01, "Cow 7"),
     {"", "1234567890", "FDX-B", "Cow 7"}},
    {"event length 1 is an empty event",
     CharacterFields("0984123456789012", '0', '5', 0x05, ""),
     {"0984", "123456789012", "FDX-B", ""}},
    {"8 binary bytes",
     Join({{0x09}, {0x03, 0xD8, 0x00, 0x1C, 0xBE, 0x99, 0x1A, 0x14}, {0x03, 0x02, 0x05}}),
     {"03d8", "001cbe991a14", "FDX-B", ""}},
    {"8 binary bytes, HDX",
     Join({{0x09}, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, {0x03, 0x02, 0x01}}),
     {"0001", "020304050607", "  HDX", ""}},
    {"8 binary bytes, H4002 shows the prefix byte",
     Join({{0x09}, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, {0x03, 0xAB, 0x02}}),
     {"0001", "020304050607", "ab", ""}},
    {"5 binary bytes",
     Join({{0x06}, {0xDE, 0xAD, 0xBE, 0xEF, 0x01}, {0x03, 0x02, 0x05}}),
     {"", "deadbeef01", "FDX-B", ""}},
    {"13 binary bytes",
     Join({{0x0E}, kIsoCode, {0x11, 0x22, 0x33, 0x44, 0x55}, {0x03, 0x02, 0x01}}),
     {"0984", "123456789012", "  HDX", ""}},
    {"13 binary bytes, unnamed type",
     Join({{0x0E}, kIsoCode, {0, 0, 0, 0, 0}, {0x03, 0x07, 0x09}}),
     {"0984", "123456789012", "07", ""}},
};

}  // namespace

TEST(DecodeTagData, EveryForm) {
    for (const auto& c : kMessages) {
        CTransponderId id;
        id.DecodeTagData(Message(c.fields));
        ExpectTexts(id, c.texts, c.what);
    }
}

TEST(DecodeTagData, NoFurtherFieldMeansNoEvent) {
    // Bytes behind a further-field length of 0 look like an event field but are not one.
    Bytes fields = CharacterFields("0984123456789012", '0', '5', 0x00, "");
    fields.insert(fields.end(), {0xAA, 0xBB, 0xCC, 0xDD, 0x06, 'G', 'h', 'o', 's', 't'});
    CTransponderId id;
    id.DecodeTagData(Message(fields));
    ExpectTexts(id, {"0984", "123456789012", "FDX-B", ""}, "further field 0");
}

TEST(DecodeTagData, MessagesThatGiveNothing) {
    const MessageCase cases[] = {
        {"a G among the characters", CharacterFields("0984123456789G12", '0', '5', 0x05, "Sheep"), kNothing},
        {"a blank among the characters", CharacterFields("0984 23456789012", '0', '5', 0x05, "Sheep"),
         kNothing},
        {"10 characters with a sign", CharacterFields("-123456789", '0', '5', 0x00, ""), kNothing},
        {"8 bytes starting with 0xFF",
         Join({{0x09}, {0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, {3, 2, 5}}), kNothing},
        {"ID length byte 0", {0x00, 0x03, 0x02, 0x05}, kNothing},
        {"an ID of 7 bytes", Join({{0x08}, Bytes(7, 0x11), {3, 2, 5}}), kNothing},
        {"an ID of 255 bytes", Join({{0xFF}, Bytes(254, 0x31), {3, 0x30, 0x35, 0}}), kNothing},
        {"no fields at all", {}, kNothing},
    };
    for (const auto& c : cases) {
        CTransponderId id;
        id.DecodeTagData(Message(c.fields));
        ExpectTexts(id, c.texts, c.what);
    }
}

TEST(DecodeTagData, EmptyIdNeedsNothingBehindIt) {
    CTransponderId id;
    id.DecodeTagData(Message({0x01}));
    ExpectTexts(id, {"", "Empty ID", "", ""}, "length byte 1");
    id.DecodeTagData(Message({0x01, 0x03, 0x02, 0x05}));
    ExpectTexts(id, {"", "Empty ID", "", ""}, "length byte 1 with a type field");
}

TEST(DecodeTagData, TruncatedMessagesGiveNothingAndStayInside) {
    for (const auto& c : kMessages) {
        const Bytes full = Message(c.fields);
        for (size_t cut = 0; cut < full.size(); ++cut) {
            // Exactly sized, so that a read past the end is a read past the allocation.
            Bytes shorter(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
            shorter.shrink_to_fit();
            CTransponderId id;
            id.DecodeTagData(shorter);
            ExpectTexts(id, kNothing, std::string(c.what) + " cut to " + std::to_string(cut));
        }
    }
    CTransponderId id;
    id.DecodeTagData(nullptr, 0);
    ExpectTexts(id, kNothing, "no frame");
}

TEST(DecodeTagData, EventLengthBeyondTheFrame) {
    // The event field claims 200 characters but the frame ends after 5.
    Bytes fields = CharacterFields("0984123456789012", '0', '5', 0x05, "Sheep");
    fields[fields.size() - 6] = 201;
    CTransponderId id;
    id.DecodeTagData(Message(fields));
    ExpectTexts(id, kNothing, "event field longer than the frame");
}

TEST(DecodeTagData, EachMessageReplacesAllTexts) {
    CTransponderId id;
    id.DecodeTagData(Message(kMessages[0].fields));
    ExpectTexts(id, kMessages[0].texts, "first");
    id.DecodeTagData(Message({0x01}));
    ExpectTexts(id, {"", "Empty ID", "", ""}, "second");
    id.DecodeTagData(Message(kMessages[0].fields));
    Bytes cut = Message(kMessages[0].fields);
    cut.resize(10);
    id.DecodeTagData(cut);
    ExpectTexts(id, kNothing, "a truncated message after a good one");
}

TEST(DecodeTagRecord, Records) {
    struct Case {
        std::array<uint8_t, 9> record;
        Texts texts;
    };
    const Case cases[] = {
        {{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0x05}, {"0984", "123456789012", "FDX-B", ""}},
        {{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0x01}, {"0984", "123456789012", "  HDX", ""}},
        {{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0x02}, {"0984", "123456789012", "02", ""}},
        {{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0xAB}, {"0984", "123456789012", "ab", ""}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x3F, 0x00, 0x00, 0x00, 0x05}, {"0000", "274877906943", "FDX-B", ""}},
        {{0x00, 0x00, 0x00, 0x00, 0xC0, 0xFF, 0x00, 0x00, 0x05}, {"1023", "000000000000", "FDX-B", ""}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, {"1023", "274877906943", "00", ""}},
        {{0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x05}, {"0001", "000000000001", "FDX-B", ""}},
    };
    for (const auto& c : cases) {
        TagRecord record;
        record.bytes = c.record;
        CTransponderId id;
        id.DecodeTagRecord(record);
        ExpectTexts(id, c.texts, c.texts.country + " " + c.texts.national + " " + c.texts.type);
    }
}

TEST(DecodeTagRecord, LeavesTheEventText) {
    CTransponderId id;
    id.DecodeTagData(Message(kMessages[0].fields));
    TagRecord record;
    record.bytes = {0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x01};
    id.DecodeTagRecord(record);
    ExpectTexts(id, {"0001", "000000000001", "  HDX", "Sheep"}, "record after message");
}

TEST(EncodeTagText, TypedIds) {
    struct Case {
        const char* text;
        int result;
        std::array<uint8_t, 8> code;
    };
    constexpr std::array<uint8_t, 8> kUntouched = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    const Case cases[] = {
        {"0984 123456789012", 0, {0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80}},
        {"984 123456789012", 0, {0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80}},
        {"   0984   123456789012  ", 0, {0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80}},
        {"984123456789012", 0, {0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80}},
        {"1000 1", 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x19, 0x00, 0x80}},
        {"999 274877906943", 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF9, 0x00, 0x80}},
        {"1 274877906944", 0, {0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80}},  // bit 38 dropped
        {"1 0", 0, {0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80}},
        {"984", 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0xF6, 0x00, 0x80}},
        {"984 12.9", 0, {0x0C, 0x00, 0x00, 0x00, 0x00, 0xF6, 0x00, 0x80}},
        {"0 1", -1, kUntouched},
        {"", -1, kUntouched},
        {"000", -1, kUntouched},
        {"abc 1", -1, kUntouched},
        {"-5 1", -1, kUntouched},
    };
    for (const auto& c : cases) {
        std::array<uint8_t, 8> code = kUntouched;
        EXPECT_EQ(CTransponderId::EncodeTagText(c.text, code), c.result) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
    }
}

TEST(EncodeTagText, RoundTripThroughTheRecord) {
    for (const char* text :
         {"0984 123456789012", "0276 000000000042", "0999 274877906943", "0001 000000000000"}) {
        std::array<uint8_t, 8> code{};
        ASSERT_EQ(CTransponderId::EncodeTagText(text, code), 0);
        TagRecord record;
        std::copy(code.begin(), code.end(), record.bytes.begin());
        record.bytes[8] = CTransponderId::kTypeFdxB;
        CTransponderId id;
        id.DecodeTagRecord(record);
        EXPECT_EQ(id.GetCountryCode() + " " + id.GetNationalId(), text);
    }
}

TEST(NationalIdToBytes, LeastSignificantFirst) {
    struct Case {
        const char* text;
        std::array<uint8_t, 5> bytes;
    };
    const Case cases[] = {
        {"123456789012", {0x14, 0x1A, 0x99, 0xBE, 0x1C}},
        {"256", {0x00, 0x01, 0x00, 0x00, 0x00}},
        {"0", {0x00, 0x00, 0x00, 0x00, 0x00}},
        {"1099511627775", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"1099511627776", {0x00, 0x00, 0x00, 0x00, 0x00}},
        {"  42 ", {0x2A, 0x00, 0x00, 0x00, 0x00}},
        {"", {0x00, 0x00, 0x00, 0x00, 0x00}},
        {"cow", {0x00, 0x00, 0x00, 0x00, 0x00}},
        {"-5", {0x00, 0x00, 0x00, 0x00, 0x00}},
        {"1e300", {0x00, 0x00, 0x00, 0x00, 0x00}},
        {"inf", {0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CTransponderId::NationalIdToBytes(c.text), c.bytes) << c.text;
    }
}

TEST(IsHexDigit, ExactlyTheHexadecimalCharacters) {
    std::string accepted;
    for (int c = 0; c < 256; ++c) {
        if (CTransponderId::IsHexDigit(static_cast<char>(c))) {
            accepted.push_back(static_cast<char>(c));
        }
    }
    EXPECT_EQ(accepted, "0123456789ABCDEFabcdef");
}
