// The tag line that listen --json prints and the tag feed sends, and what follow makes of the
// bytes it reads back.
#include "core/tags/FeedReader.h"
#include "core/tags/TagLine.h"

#include <gtest/gtest.h>

namespace {

std::string Feed(FeedReader& reader, const std::string& bytes, size_t piece, std::string* note = nullptr) {
    std::string out;
    std::string notes;
    for (size_t i = 0; i < bytes.size(); i += piece) {
        const std::string part = bytes.substr(i, piece);
        reader.Put(reinterpret_cast<const uint8_t*>(part.data()), part.size(), out, notes);
    }
    if (note != nullptr) {
        *note = notes;
    }
    return out;
}

TEST(TagLine, FieldsBecomeOneEscapedUtf8LineThatReadsBack) {
    TagFields f;
    f.time = TagLine::TimeText(((20518LL * 24 + 5) * 60 + 6) * 60000 + 7089, -(3 * 3600 + 30 * 60));
    f.countryCode = TagLine::FieldText("  276 ");
    f.countryName = "Germany";
    f.nationalId = TagLine::FieldText("098765432101");
    f.type = TagLine::FieldText("HDX");
    f.event = TagLine::FieldText("K\xFChe \"A\\B\"\t");  // Latin-1 ü, quotes, backslash, tab
    const uint8_t frame[] = {0x00, 0x00, 0x02, 0x23, 0x0A, 0xFF};
    f.frame = TagLine::HexText(frame, sizeof frame);
    TagLine::SetNumbers(f, 276, 98765432101, "HDX");
    const std::string line = TagLine::Json(f);
    EXPECT_EQ(
        line,
        "{\"time\":\"2026-03-06T05:06:07.089-03:30\",\"country_code\":\"276\",\"country_name\":\"Germany\","
        "\"national_id\":\"098765432101\",\"type\":\"HDX\",\"event\":\"K\xC3\xBChe \\\"A\\\\B\\\"\\u0009\","
        "\"country_number\":276,\"national_number\":\"098765432101\",\"type_name\":\"HDX\","
        "\"frame\":\"000002230aff\"}\n");
    // What a format does not carry is null, and reads back as unknown.
    TagFields unknown = f;
    TagLine::SetNumbers(unknown, -1, 274877906944, "");
    const std::string nulls = TagLine::Json(unknown);
    EXPECT_NE(nulls.find("\"country_number\":null,\"national_number\":null,\"type_name\":null,"),
              std::string::npos);
    ASSERT_TRUE(TagLine::Parse(nulls, unknown));
    EXPECT_EQ(TagLine::Json(unknown), nulls);
    TagFields back;
    ASSERT_TRUE(TagLine::Parse(line, back));
    EXPECT_EQ(TagLine::Json(back), line);
    EXPECT_EQ(TagLine::Plain(back), "276 098765432101 HDX K\xC3\xBChe \"A\\B\" \n");  // the tab a blank

    // A slow reader's next line: the same bytes as if built with the count.
    f.dropped = 12;
    EXPECT_EQ(TagLine::WithDropped(line, 12), TagLine::Json(f));
    // A plain tag line has no message, an empty type and event leave no blanks.
    EXPECT_EQ(TagLine::Plain(TagFields{"", "0984", "", "123456789012", "", "", "", 0, -1, {}, {}}),
              "0984 123456789012\n");

    for (const char* bad :
         {"", "{", "[]", "{\"a\":{}}", "{\"a\":1} x", "{\"dropped\":\"3\"}", "{\"dropped\":-1}",
          "{\"a\":\"\\ud800\"}", "{\"a\":\"x\n\"}", "{\"a\" 1}", "{\"a\":1,}"}) {
        EXPECT_FALSE(TagLine::Parse(bad, back)) << bad;
    }
    ASSERT_TRUE(TagLine::Parse(" {\"event\":\"\\ud83d\\udc04\",\"n\":-1.5e3,\"t\":true,\"z\":null} ", back));
    EXPECT_EQ(back.event, "\xF0\x9F\x90\x84");
}

TEST(FeedReader, PrintsTheSameWhereverTheBytesAreCut) {
    TagFields f{
        "2026-03-06T05:06:07.089", "0276", "Germany", "098765432101", "HDX", "", "0223", 0, -1, {}, {}};
    const std::string first = TagLine::Json(f);
    f.nationalId = "000000001002";
    const std::string second = TagLine::WithDropped(TagLine::Json(f), 40);
    const std::string stream =
        first + "not json\r\n" + std::string(TagLine::kMaxLine + 5, 'x') + "\n" + second;
    for (const size_t piece : {size_t{1}, size_t{7}, stream.size()}) {
        FeedReader json(true);
        std::string note;
        EXPECT_EQ(Feed(json, stream, piece, &note), first + second) << piece;
        EXPECT_EQ(note,
                  "a line that is no tag was skipped\na line of more than 16384 bytes was skipped\n"
                  "40 tags dropped before this one: this reader fell behind\n");
        EXPECT_EQ(json.Tags(), 2u);
        EXPECT_FALSE(json.InLine());
        FeedReader plain(false);
        EXPECT_EQ(Feed(plain, stream, piece), "0276 098765432101 HDX\n0276 000000001002 HDX\n");
    }
    // Cut off in a line, and a limit that leaves the rest unread.
    FeedReader cut(true);
    EXPECT_EQ(Feed(cut, first + second.substr(0, 10), 3), first);
    EXPECT_TRUE(cut.InLine());
    FeedReader one(false);
    one.SetLimit(1);
    EXPECT_EQ(Feed(one, first + second, 5), "0276 098765432101 HDX\n");
}

}  // namespace
