#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the command line asked for. Plain C++, so the parsing is tested without a port.
struct CliOptions {
    enum class Link { kNone, kPath, kCom, kSimulate };

    Link link = Link::kNone;
    std::string path;
    int com = 0;
    uint32_t baud = 9600;
    uint8_t node = 0xFF;  // "Global": whatever reader is on the line answers

    // "ports", "info", "listen", "config read", "config write", "config diff", "clock get",
    // "clock sync", "monitor", "send", "datasets count", "datasets get", "datasets clear",
    // "datasets download", "follow".
    std::string command;
    bool json = false;
    int count = 0;               // listen, follow: stop after this many tags; 0 = no limit
    int seconds = 0;             // listen, monitor, follow: stop after this long; 0 = no limit
    bool feed = false;           // listen: serve the local tag feed meanwhile
    std::string socket;          // follow: the feed's socket; empty = the first tool's
    std::string output;          // config read -o, datasets download -o
    std::string file;            // config write / diff
    bool allowDefaults = false;  // config write / diff: a file without every section
    bool ascii = false;
    bool timestamps = false;
    std::vector<uint8_t> payload;  // send
    int number = 0;                // datasets get
    bool csv = false;              // datasets download
    bool perGroup = false;
    bool yes = false;  // datasets clear
    bool fast = false;
};

namespace CliArgs {

enum Result { kRun = 0, kPrinted = 1, kUsage = 2 };

constexpr uint32_t kBauds[] = {9600, 19200, 38400, 57600, 115200};

// kRun with options filled; kPrinted with a help or version text for stdout in message;
// kUsage with the reason and the usage line for stderr in message.
int Parse(const std::vector<std::string>& args, CliOptions& options, std::string& message);

}  // namespace CliArgs
