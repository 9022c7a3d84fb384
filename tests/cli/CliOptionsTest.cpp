#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> Split(const char* text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

TEST(CliParse, ResultAndMessage) {
    const struct {
        const char* args;
        int result;
        const char* says;  // part of the message
    } rows[] = {
        {"", CliArgs::kUsage, "no command given"},
        {"--simulate frobnicate", CliArgs::kUsage, "unknown command frobnicate"},
        {"--bogus info", CliArgs::kUsage, "unknown option --bogus"},
        {"info", CliArgs::kUsage, "choose the reader"},
        {"--simulate --port /dev/x info", CliArgs::kUsage, "exclude each other"},
        {"--port /dev/x --port=/dev/y info", CliArgs::kUsage, "--port given twice"},
        {"--port= info", CliArgs::kUsage, "--port needs a device path"},
        {"--simulate=1 info", CliArgs::kUsage, "--simulate takes no value"},
        {"--simulate listen --json=1", CliArgs::kUsage, "unknown option --json=1 for listen"},
        {"--port", CliArgs::kUsage, "--port needs a value"},
        {"--com 0 info", CliArgs::kUsage, "from 1 to 128"},
        {"--com 3x info", CliArgs::kUsage, "from 1 to 128"},
        {"--simulate --baud 4800 info", CliArgs::kUsage, "--baud takes"},
        {"--simulate --node 0x02 info", CliArgs::kUsage, "--node takes"},
        {"--simulate --node 256 info", CliArgs::kUsage, "--node takes"},
        {"--simulate config", CliArgs::kUsage, "config needs one of"},
        {"--simulate config erase", CliArgs::kUsage, "config needs one of"},
        {"--simulate config write", CliArgs::kUsage, "needs one FILE.cfg"},
        {"--simulate config diff a.cfg b.cfg", CliArgs::kUsage, "needs one FILE.cfg"},
        {"--simulate config read -o", CliArgs::kUsage, "-o needs a value"},
        {"--simulate clock set", CliArgs::kUsage, "clock needs one of"},
        {"--simulate listen --count 0", CliArgs::kUsage, "--count takes"},
        {"--simulate listen --count", CliArgs::kUsage, "--count needs a value"},
        {"--simulate listen --ascii", CliArgs::kUsage, "unknown option --ascii for listen"},
        {"--simulate info extra", CliArgs::kUsage, "unexpected argument"},
        {"--simulate send", CliArgs::kUsage, "at least the command byte"},
        {"--simulate send 0g", CliArgs::kUsage, "hex bytes"},
        {"--simulate send 123", CliArgs::kUsage, "hex bytes"},
        {"--simulate datasets", CliArgs::kUsage, "datasets needs one of: count, get, clear, download"},
        {"--simulate datasets get 0", CliArgs::kUsage, "from 1 to 4095"},
        {"--simulate datasets download --per-group", CliArgs::kUsage, "needs -o FILE"},
        {"--simulate datasets download --csv --per-group -o a", CliArgs::kUsage, "not --csv"},
        {"--simulate datasets count --fast", CliArgs::kUsage, "unknown option --fast for datasets count"},
        {"--simulate send 00112233445566778899001122334455667788990011223344556677889900112233445566778899"
         "00112233445566778899 00",
         CliArgs::kUsage, "at most 50 bytes; 51 given"},
        {"--simulate follow", CliArgs::kUsage, "takes no reader option"},
        {"follow --feed", CliArgs::kUsage, "unknown option --feed for follow"},
        {"follow --socket", CliArgs::kUsage, "--socket needs a value"},
        {"follow --json --count 2 --seconds 3 --socket /run/x", CliArgs::kRun, ""},
        {"--simulate listen --feed --json", CliArgs::kRun, ""},
        {"--help", CliArgs::kPrinted, "Exit status"},
        {"--version", CliArgs::kPrinted, "corvantelle-cli "},
        {"listen --help", CliArgs::kPrinted, "--count N"},
        {"config --help", CliArgs::kPrinted, "config diff [--allow-defaults] FILE.cfg"},
        {"config write --help", CliArgs::kPrinted, "config write [--allow-defaults] FILE.cfg"},
        {"--simulate config read --allow-defaults", CliArgs::kUsage, "unknown option --allow-defaults"},
        {"clock --help", CliArgs::kPrinted, "clock sync"},
        {"ports", CliArgs::kRun, ""},
    };
    for (const auto& row : rows) {
        CliOptions options;
        std::string message;
        EXPECT_EQ(CliArgs::Parse(Split(row.args), options, message), row.result)
            << row.args << ": " << message;
        EXPECT_NE(message.find(row.says), std::string::npos) << row.args << ": " << message;
        if (row.result == CliArgs::kUsage) {
            EXPECT_NE(message.find("Usage: corvantelle-cli"), std::string::npos) << row.args;
        }
    }
}

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
