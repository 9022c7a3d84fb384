#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One tag as other programs read it: the JSON object that `listen --json` prints and the local
// tag feed sends, and the plain line that `listen` prints. Texts are UTF-8.
struct TagFields {
    std::string time;  // local time with its offset from UTC, "2026-12-07T09:15:02.250+01:00"
    std::string countryCode;
    std::string countryName;
    std::string nationalId;
    std::string type;
    std::string event;
    std::string frame;     // the tag data message as hex; empty for a plain ASCII tag line
    uint64_t dropped = 0;  // lines this reader missed just before this one
    // The same tag whatever the reader's output format, for programs; unknown when the format
    // does not carry it (JSON null): the country code as a number, the national ID as 12
    // digits, the type by name.
    int countryNumber = -1;
    std::string nationalNumber;
    std::string typeName;
};

namespace TagLine {

// The longest line a reader of the feed accepts; a tag line is a few hundred bytes.
constexpr size_t kMaxLine = 16 * 1024;

// A field as the engine shows it (Latin-1, blank-padded) as it goes into a line.
std::string FieldText(const std::string& latin1);
// Milliseconds since 1970 in local time (the offset already added), and that offset in
// seconds east of UTC: "2026-12-07T09:15:02.250+01:00".
std::string TimeText(int64_t localMs, int offsetSeconds);
// The numbers of a tag in fields: country 0..1023 or -1, national ID 0..274877906943 or -1.
void SetNumbers(TagFields& fields, int country, int64_t national, const std::string& typeName);
std::string HexText(const uint8_t* bytes, size_t count);

// One line, '\n' included; "dropped" comes first and only when not zero.
std::string Json(const TagFields& fields);
// "0276 098765432101 HDX Vaccinate\n": empty fields and their blanks left out.
std::string Plain(const TagFields& fields);
// A Json() line with "dropped" set, as Json() would have written it: the feed marks the next
// line a slow reader gets without building it again.
std::string WithDropped(std::string_view line, uint64_t dropped);

// Reads a line back. False for anything but one JSON object (nothing nested, strings, numbers,
// true, false, null); keys it does not know are skipped, missing ones stay empty.
bool Parse(std::string_view line, TagFields& fields);

}  // namespace TagLine
