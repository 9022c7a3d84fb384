#include "core/link/FrameParser.h"
#include "core/tags/TransponderId.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The message as it travels (framed by the reader, CRC byte included) and as the frame receiver
// delivers it, exactly sized so that reading one byte too far leaves the allocation.
Bytes Message(const Bytes& fields) {
    Bytes payload = {CFrameParser::kTagData};
    payload.insert(payload.end(), fields.begin(), fields.end());
    const CFrameParser sender;
    CFrameParser receiver;
    int result = CFrameParser::kNone;
    for (const uint8_t b : sender.BuildFrame(payload)) {
        result = receiver.PutByte(b);
    }
    EXPECT_EQ(result, CFrameParser::kGood) << "the test message must fit one frame";
    Bytes frame = receiver.Frame();
    frame.shrink_to_fit();
    return frame;
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
                    Bytes(id.begin(), id.end()),
                    {0x03, static_cast<uint8_t>(prefix), static_cast<uint8_t>(type), further}});
    if (further != 0) {
        f.insert(f.end(), {0xAA, 0xBB, 0xCC, 0xDD, static_cast<uint8_t>(event.size() + 1)});
        f.insert(f.end(), event.begin(), event.end());
    }
    return f;
}

std::string Shown(const CTransponderId& id) {
    return id.GetCountryCode() + "|" + id.GetNationalId() + "|" + id.GetTagType() + "|" + id.GetEventText();
}

const char* const kNothing = "|||";
const char* const kEmptyId = "|Empty ID||";

struct MessageCase {
    Bytes fields;
    const char* shown;
};

const Bytes kIsoCode = {0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80};  // 0984 123456789012

const MessageCase kMessages[] = {
    {CharacterFields("0984123456789012", '0', '5', 0x05, "Sheep"), "0984|123456789012|FDX-B|Sheep"},
    {CharacterFields("0276000000000042", '0', '1', 0x00, ""), "0276|000000000042|  HDX|"},
    {CharacterFields("00ff0000abcdef12", 'x', '9', 0x00, ""), "00ff|0000abcdef12|x9|"},
    {CharacterFields("1234567890", '0', '5', 0x01, "Cow 7"), "|1234567890|FDX-B|Cow 7"},
    {Join({{0x09, 0x03, 0xD8, 0x00, 0x1C, 0xBE, 0x99, 0x1A, 0x14}, {0x03, 0x02, 0x05}}),
     "03d8|001cbe991a14|FDX-B|"},
    {Join({{0x09, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, {0x03, 0xAB, 0x02}}),
     "0001|020304050607|ab|"},
    {Join({{0x06, 0xDE, 0xAD, 0xBE, 0xEF, 0x01}, {0x03, 0x02, 0x05}}), "|deadbeef01|FDX-B|"},
    {Join({{0x0E}, kIsoCode, {0x11, 0x22, 0x33, 0x44, 0x55}, {0x03, 0x02, 0x01}}),
     "0984|123456789012|  HDX|"},
};

// Decoded after a message with every text set, so that each case also shows what it leaves over.
std::string Decoded(const Bytes& frame) {
    CTransponderId id;
    id.DecodeTagData(Message(kMessages[0].fields));
    id.DecodeTagData(frame);
    return Shown(id);
}

}  // namespace

TEST(DecodeTagData, OddAndBadMessages) {
    Bytes ghost = CharacterFields("0984123456789012", '0', '5', 0x00, "");
    ghost.insert(ghost.end(), {0xAA, 0xBB, 0xCC, 0xDD, 0x06, 'G', 'h', 'o', 's', 't'});
    Bytes longEvent = kMessages[0].fields;
    // Claims 200 characters, the frame ends after 5 (one more than what is there, which would take
    // the CRC byte, is the cut test's last cut).
    longEvent[longEvent.size() - 6] = 201;
    Bytes noEvent = kMessages[0].fields;
    noEvent[noEvent.size() - 6] = 1;
    const MessageCase cases[] = {
        {ghost, "0984|123456789012|FDX-B|"},  // behind a further-field length of 0 is no event
        {longEvent, "0984|123456789012|FDX-B|"},
        {noEvent, "0984|123456789012|FDX-B|"},
        {{0x01}, kEmptyId},
        {CharacterFields("0984123456789G12", '0', '5', 0x05, "Sheep"), kNothing},
        {Join({{0x09, 0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}, {3, 2, 5}}), kNothing},
        {{0x00, 0x03, 0x02, 0x05}, kNothing},
        {Join({{0x08}, Bytes(7, 0x11), {3, 2, 5}}), kNothing},
        {Join({{0xFF}, Bytes(20, 0x31), {3, 0x30, 0x35, 0}}), kNothing},
        {{}, kNothing},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Decoded(Message(cases[i].fields)), cases[i].shown) << "case " << i;
    }
}

// A message cut short loses only the fields it no longer holds whole: ID first, then the type,
// then the event. The CRC byte behind the cut is never taken for a field.
TEST(DecodeTagData, EveryFormAndWhatSurvivesACut) {
    for (size_t m = 0; m < std::size(kMessages); ++m) {
        const Bytes& fields = kMessages[m].fields;
        EXPECT_EQ(Decoded(Message(fields)), kMessages[m].shown);
        const std::string full = kMessages[m].shown;
        const size_t idEnd = fields[0];    // one past the last ID byte
        const size_t typeEnd = idEnd + 3;  // length byte, prefix, code
        const std::string withType = full.substr(0, full.rfind('|') + 1);
        const std::string idOnly = withType.substr(0, withType.rfind('|', withType.size() - 2) + 1) + "|";
        for (size_t cut = 0; cut < fields.size(); ++cut) {
            const std::string expected = cut < idEnd ? kNothing : cut < typeEnd ? idOnly : withType;
            EXPECT_EQ(
                Decoded(Message(Bytes(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(cut)))),
                expected)
                << "message " << m << " cut to " << cut;
        }
    }
    CTransponderId id;
    id.DecodeTagData({});
    EXPECT_EQ(Shown(id), kNothing);
}

TEST(DecodeTagRecord, Records) {
    const std::pair<std::array<uint8_t, 9>, const char*> cases[] = {
        {{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0x05}, "0984|123456789012|FDX-B|"},
        {{0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80, 0xAB}, "0984|123456789012|ab|"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x3F, 0x00, 0x00, 0x00, 0x05}, "0000|274877906943|FDX-B|"},
        {{0x00, 0x00, 0x00, 0x00, 0xC0, 0xFF, 0x00, 0x00, 0x05}, "1023|000000000000|FDX-B|"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}, "1023|274877906943|00|"},
    };
    for (const auto& [bytes, shown] : cases) {
        CTransponderId id;
        id.DecodeTagRecord(TagRecord{bytes});
        EXPECT_EQ(Shown(id), shown);
    }
    // A record carries no event: the last message's event text stays.
    CTransponderId id;
    id.DecodeTagData(Message(kMessages[0].fields));
    id.DecodeTagRecord(TagRecord{{0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x01}});
    EXPECT_EQ(Shown(id), "0001|000000000001|  HDX|Sheep");
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
        {"abc 1", -1, kUntouched},
        {"-5 1", -1, kUntouched},
    };
    for (const auto& c : cases) {
        std::array<uint8_t, 8> code = kUntouched;
        EXPECT_EQ(CTransponderId::EncodeTagText(c.text, code), c.result) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
    }
}

TEST(NationalIdToBytes, LeastSignificantFirst) {
    const std::pair<const char*, std::array<uint8_t, 5>> cases[] = {
        {"123456789012", {0x14, 0x1A, 0x99, 0xBE, 0x1C}},
        {"256", {0x00, 0x01, 0x00, 0x00, 0x00}},
        {"1099511627775", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"  42 ", {0x2A, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(CTransponderId::NationalIdToBytes(text), bytes) << text;
    }
    for (const char* text : {"0", "1099511627776", "", "cow", "-5", "1e300", "inf"}) {
        EXPECT_EQ(CTransponderId::NationalIdToBytes(text), (std::array<uint8_t, 5>{})) << text;
    }
}
