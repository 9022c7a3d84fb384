#include "core/link/TagLineParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Feeds a byte stream and returns the indexes of the bytes that completed a line.
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

TEST(TagLineParser, LinesByLength) {
    struct Case {
        std::string stream;
        bool accepted;
        std::string line;
    };
    const Case cases[] = {
        {"12345678\r\n", false, ""},
        {"123456789\r\n", true, "123456789"},
        {"984 123456789012\r\n", true, "984 123456789012"},
        {"12345678901234567890\r\n", true, "12345678901234567890"},
        {"123456789012345678901\r\n", false, ""},
        {"         \r\n", true, "         "},
        {"984 12345678901A\r\n", false, ""},
        {"984 1234567-89012\r\n", false, ""},
        {"984 123456789012\n", false, ""},
        {"984 123456789012\r\r\n", true, "984 123456789012"},
    };
    for (const auto& c : cases) {
        CTagLineParser parser;
        const auto done = Feed(parser, c.stream);
        if (c.accepted) {
            EXPECT_EQ(done, std::vector<size_t>{c.stream.size() - 1}) << c.stream;
        } else {
            EXPECT_TRUE(done.empty()) << c.stream;
        }
        EXPECT_EQ(parser.GetLine(), c.line) << c.stream;
    }
}

TEST(TagLineParser, LfWithoutCrKeepsTheBuffer) {
    CTagLineParser parser;
    EXPECT_TRUE(Feed(parser, "984 1234\n").empty());
    EXPECT_EQ(Feed(parser, "56789012\r\n"), std::vector<size_t>{9});
    EXPECT_EQ(parser.GetLine(), "984 123456789012");
}

TEST(TagLineParser, CharacterBetweenCrAndLfCancelsTheEnd) {
    CTagLineParser parser;
    EXPECT_TRUE(Feed(parser, "984 123456789012\r5\n").empty());
    EXPECT_EQ(Feed(parser, "\r\n"), std::vector<size_t>{1});
    EXPECT_EQ(parser.GetLine(), "984 1234567890125");
}

TEST(TagLineParser, BadCharacterClearsTheBuffer) {
    CTagLineParser parser;
    EXPECT_TRUE(Feed(parser, "984 12345#6789012\r\n").empty());
    EXPECT_EQ(parser.GetLine(), "");
    EXPECT_EQ(Feed(parser, "999 000000000001\r\n").size(), 1u);
    EXPECT_EQ(parser.GetLine(), "999 000000000001");
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

TEST(TagLineParser, EndlessDigitsNeverCompleteAndStayBounded) {
    CTagLineParser parser;
    const std::string flood(100000, '7');
    EXPECT_TRUE(Feed(parser, flood + "\r\n").empty());
    EXPECT_EQ(Feed(parser, "123456789\r\n").size(), 1u);
    EXPECT_EQ(parser.GetLine(), "123456789");
}
