#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct ParseCase {
    const char* args;
    int result;
    const char* says;  // part of the message
};

std::vector<std::string> Split(const char* text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

class CliParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CliParse, ResultAndMessage) {
    CliOptions options;
    std::string message;
    EXPECT_EQ(CliArgs::Parse(Split(GetParam().args), options, message), GetParam().result) << message;
    EXPECT_NE(message.find(GetParam().says), std::string::npos) << message;
    if (GetParam().result == CliArgs::kUsage) {
        EXPECT_NE(message.find("Usage: corvantelle-cli"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliParse,
    ::testing::Values(
        ParseCase{"", CliArgs::kUsage, "no command given"},
        ParseCase{"--simulate frobnicate", CliArgs::kUsage, "unknown command frobnicate"},
        ParseCase{"--bogus info", CliArgs::kUsage, "unknown option --bogus"},
        ParseCase{"info", CliArgs::kUsage, "choose the reader"},
        ParseCase{"--simulate --port /dev/x info", CliArgs::kUsage, "exclude each other"},
        ParseCase{"--port /dev/x --port=/dev/y info", CliArgs::kUsage, "--port given twice"},
        ParseCase{"--port= info", CliArgs::kUsage, "--port needs a device path"},
        ParseCase{"--simulate=1 info", CliArgs::kUsage, "--simulate takes no value"},
        ParseCase{"--simulate listen --json=1", CliArgs::kUsage, "unknown option --json=1 for listen"},
        ParseCase{"--port", CliArgs::kUsage, "--port needs a value"},
        ParseCase{"--com 0 info", CliArgs::kUsage, "from 1 to 128"},
        ParseCase{"--com 3x info", CliArgs::kUsage, "from 1 to 128"},
        ParseCase{"--simulate --baud 4800 info", CliArgs::kUsage, "--baud takes"},
        ParseCase{"--simulate --node 0x02 info", CliArgs::kUsage, "--node takes"},
        ParseCase{"--simulate --node 256 info", CliArgs::kUsage, "--node takes"},
        ParseCase{"--simulate config", CliArgs::kUsage, "config needs one of"},
        ParseCase{"--simulate config erase", CliArgs::kUsage, "config needs one of"},
        ParseCase{"--simulate config write", CliArgs::kUsage, "needs one FILE.cfg"},
        ParseCase{"--simulate config diff a.cfg b.cfg", CliArgs::kUsage, "needs one FILE.cfg"},
        ParseCase{"--simulate config read -o", CliArgs::kUsage, "-o needs a value"},
        ParseCase{"--simulate clock set", CliArgs::kUsage, "clock needs one of"},
        ParseCase{"--simulate listen --count 0", CliArgs::kUsage, "--count takes"},
        ParseCase{"--simulate listen --count", CliArgs::kUsage, "--count needs a value"},
        ParseCase{"--simulate listen --ascii", CliArgs::kUsage, "unknown option --ascii for listen"},
        ParseCase{"--simulate info extra", CliArgs::kUsage, "unexpected argument"},
        ParseCase{"--simulate send", CliArgs::kUsage, "at least the command byte"},
        ParseCase{"--simulate send 0g", CliArgs::kUsage, "hex bytes"},
        ParseCase{"--simulate send 123", CliArgs::kUsage, "hex bytes"},
        ParseCase{"--simulate datasets", CliArgs::kUsage,
                  "datasets needs one of: count, get, clear, download"},
        ParseCase{"--simulate datasets get 0", CliArgs::kUsage, "from 1 to 4095"},
        ParseCase{"--simulate datasets download --per-group", CliArgs::kUsage, "needs -o FILE"},
        ParseCase{"--simulate datasets download --csv --per-group -o a", CliArgs::kUsage, "not --csv"},
        ParseCase{"--simulate datasets count --fast", CliArgs::kUsage,
                  "unknown option --fast for datasets count"},
        ParseCase{
            "--simulate send 00112233445566778899001122334455667788990011223344556677889900112233445566778899"
            "00112233445566778899 00",
            CliArgs::kUsage, "at most 50 bytes; 51 given"},
        ParseCase{"--simulate follow", CliArgs::kUsage, "takes no reader option"},
        ParseCase{"follow --feed", CliArgs::kUsage, "unknown option --feed for follow"},
        ParseCase{"follow --socket", CliArgs::kUsage, "--socket needs a value"},
        ParseCase{"follow --json --count 2 --seconds 3 --socket /run/x", CliArgs::kRun, ""},
        ParseCase{"--simulate listen --feed --json", CliArgs::kRun, ""},
        ParseCase{"--help", CliArgs::kPrinted, "Exit status"},
        ParseCase{"--version", CliArgs::kPrinted, "corvantelle-cli "},
        ParseCase{"listen --help", CliArgs::kPrinted, "--count N"},
        ParseCase{"config --help", CliArgs::kPrinted, "config diff [--allow-defaults] FILE.cfg"},
        ParseCase{"config write --help", CliArgs::kPrinted, "config write [--allow-defaults] FILE.cfg"},
        ParseCase{"--simulate config read --allow-defaults", CliArgs::kUsage,
                  "unknown option --allow-defaults"},
        ParseCase{"clock --help", CliArgs::kPrinted, "clock sync"}, ParseCase{"ports", CliArgs::kRun, ""}));

TEST(CliParseValues, ReaderAndCommandOptionsLand) {
    CliOptions o;
    std::string message;
    ASSERT_EQ(CliArgs::Parse(Split("--com 33 --baud 115200 --node 0x04 send 29 0x32 3334"), o, message),
              CliArgs::kRun);
    EXPECT_EQ(o.link, CliOptions::Link::kCom);
    EXPECT_EQ(o.com, 33);
    EXPECT_EQ(o.baud, 115200u);
    EXPECT_EQ(o.node, 0x04);
    EXPECT_EQ(o.payload, (std::vector<uint8_t>{0x29, 0x32, 0x33, 0x34}));
    ASSERT_EQ(CliArgs::Parse(Split("--port /dev/pts/3 listen --json --count 3 --seconds 9"), o, message),
              CliArgs::kRun);
    EXPECT_EQ(o.path, "/dev/pts/3");
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.count, 3);
    EXPECT_EQ(o.seconds, 9);
    o = CliOptions{};
    ASSERT_EQ(CliArgs::Parse(Split("--port=r1 --baud=19200 config read -o -"), o, message), CliArgs::kRun);
    EXPECT_EQ(o.path, "r1");
    EXPECT_EQ(o.baud, 19200u);
    EXPECT_EQ(o.output, "");
}

}  // namespace
