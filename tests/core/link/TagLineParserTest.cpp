#include "core/link/TagLineParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Indexes of the bytes that completed a line.
std::vector<size_t> Feed(CTagLineParser& parser, const std::string& stream) {
    std::vector<size_t> done;
    for (size_t i = 0; i < stream.size(); ++i) {
        if (parser.PutChar(static_cast<uint8_t>(stream[i])) == 1) {
            done.push_back(i);
        }
    }
    return done;
}

}  // namespace

TEST(TagLineParser, StreamsAndTheLineTheyComplete) {
    const struct {
        std::string stream;
        bool accepted;  // completed by the last byte only
        std::string line;
    } cases[] = {
        {"12345678\r\n", false, ""},
        {"123456789\r\n", true, "123456789"},
        {"12345678901234567890\r\n", true, "12345678901234567890"},
        {"123456789012345678901\r\n", false, ""},
        {"         \r\n", true, "         "},
        {"984 12345678901A\r\n", false, ""},
        {"984 123456789012\n", false, ""},
        {"984 123456789012\r\r\n", true, "984 123456789012"},
        {"984 1234\n56789012\r\n", true, "984 123456789012"},      // LF without CR keeps the buffer
        {"984 123456789012\r5\n\r\n", true, "984 1234567890125"},  // a character cancels the CR
        {"984 12345#6789012\r\n999 000000000001\r\n", true, "999 000000000001"},  // a bad one clears
        {std::string(100000, '7') + "\r\n123456789\r\n", true, "123456789"},      // bounded, recovers
    };
    for (const auto& c : cases) {
        CTagLineParser parser;
        const auto done = Feed(parser, c.stream);
        EXPECT_EQ(done, c.accepted ? std::vector<size_t>{c.stream.size() - 1} : std::vector<size_t>{})
            << c.stream.substr(0, 40);
        EXPECT_EQ(parser.GetLine(), c.line) << c.stream.substr(0, 40);
    }
}

TEST(TagLineParser, ConsumerResetsBetweenLines) {
    CTagLineParser parser;
    EXPECT_EQ(Feed(parser, "984 123456789012\r\n").size(), 1u);
    parser.Reset();
    EXPECT_EQ(parser.GetLine(), "984 123456789012") << "Reset keeps the last line";
    EXPECT_EQ(Feed(parser, "276 000000000042\r\n").size(), 1u);
    EXPECT_EQ(parser.GetLine(), "276 000000000042");
    // Without a Reset the next characters pile onto the old ones and the line is too long.
    EXPECT_TRUE(Feed(parser, "276 000000000043\r\n").empty());
    EXPECT_EQ(parser.GetLine(), "276 000000000042");
}
