#include "cli/CliOptions.h"

#include "core/app/NodeList.h"
#include "core/link/FrameParser.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

namespace {

constexpr const char* kMainHelp =
    "Usage: corvantelle-cli [--port PATH | --com N | --simulate] [--baud RATE] [--node N] COMMAND\n"
    "\n"
    "Talks to a Corvantelle reader from scripts and terminals. Data goes to standard output,\n"
    "messages to standard error.\n"
    "\n"
    "Reader:\n"
    "  --port PATH     the serial device (/dev/ttyUSB0, /dev/serial/by-id/..., a pseudo-terminal)\n"
    "  --com N         the port by its COM number (COM33 = /dev/ttyUSB0; see 'ports')\n"
    "  --simulate      a simulated reader inside this program\n"
    "  --baud RATE     9600, 19200, 38400, 57600 or 115200 (default 9600)\n"
    "  --node N        node address, decimal or 0x.. (default 0xFF, any reader)\n"
    "  --help          this text; COMMAND --help for a command\n"
    "  --version       the program's version\n"
    "\n"
    "Commands:\n"
    "  ports                        serial ports found, with COM numbers and by-id names\n"
    "  info                         version and serial number\n"
    "  listen [--json] [--count N] [--seconds S] [--feed]\n"
    "                               every tag as a line, or JSON Lines with --json\n"
    "  follow [--json] [--count N] [--seconds S] [--socket PATH]\n"
    "                               the tags of a running tool, from its local tag feed\n"
    "  config read [-o FILE.cfg]    the whole configuration as .cfg text\n"
    "  config write FILE.cfg        write the configuration, then read it back and compare\n"
    "      --allow-defaults         write the defaults for sections the file does not hold\n"
    "  config diff FILE.cfg         what differs between the reader and the file\n"
    "  datasets count | get N | clear --yes\n"
    "                               the datasets stored in the reader: their number, one of them,\n"
    "                               or erase them all\n"
    "  datasets download [-o FILE] [--csv] [--per-group] [--fast]\n"
    "                               every stored dataset, as the Database window's text or as CSV\n"
    "  clock get | clock sync       the reader's clock; sync sets it from this computer\n"
    "  monitor [--ascii] [--timestamps] [--seconds S]\n"
    "                               raw traffic, named frames\n"
    "  send HEX...                  one framed request; the answer as hex with its name\n"
    "\n"
    "Options take their value as \"--port PATH\" or \"--port=PATH\"; a PATH without a slash is a\n"
    "file in the current folder. \"-o -\" is standard output.\n"
    "\n"
    "Exit status: 0 success; 1 the reader refused, did not answer, or a comparison differs;\n"
    "2 usage error; 3 the port could not be opened (follow: no tool is running);\n"
    "130 stopped with Ctrl-C.\n";

const std::map<std::string, std::string>& CommandHelp() {
    static const std::map<std::string, std::string> help = {
        {"ports",
         "Usage: corvantelle-cli ports\n\nLists the serial ports of this computer: COM number, device, "
         "description and /dev/serial/by-id name.\n"},
        {"info", "Usage: corvantelle-cli [READER] info\n\nPrints the reader's version and serial number.\n"},
        {"listen",
         "Usage: corvantelle-cli [READER] listen [--json] [--count N] [--seconds S] [--feed]\n\n"
         "Prints every tag the reader reports, one per line (\"0984 123456789012 FDX-B Vaccinate\").\n"
         "  --json        JSON Lines: time, country code, country name, national id, type, event,\n"
         "                and the tag data message as hex (frame)\n"
         "  --count N     stop after N tags\n"
         "  --seconds S   stop after S seconds\n"
         "  --feed        meanwhile offer the tags to other programs on the local tag feed, as the\n"
         "                window does (see follow)\n"
         "Ctrl-C stops; the exit status is 130. A lost reader (unplugged, switched off) ends it with\n"
         "\"Connection lost\" and exit status 1.\n"},
        {"follow",
         "Usage: corvantelle-cli follow [--json] [--count N] [--seconds S] [--socket PATH]\n\n"
         "Prints the tags of a running tool (the window, or listen --feed) while it owns the\n"
         "port: the same lines as listen, read from its local tag feed. No reader option needed.\n"
         "  --json          the feed's JSON lines as they come\n"
         "  --count N       stop after N tags\n"
         "  --seconds S     stop after S seconds\n"
         "  --socket PATH   a feed other than the first tool's ($XDG_RUNTIME_DIR/corvantelle/tags)\n"
         "A line that says \"N tags dropped\" on standard error means this reader fell behind.\n"
         "Exit status: 0 done; 1 the tool went away; 130 Ctrl-C; 3 no tool is running.\n"},
        {"config",
         "Usage: corvantelle-cli [READER] config read [-o FILE.cfg]\n"
         "       corvantelle-cli [READER] config write [--allow-defaults] FILE.cfg\n"
         "       corvantelle-cli [READER] config diff [--allow-defaults] FILE.cfg\n\n"
         "read   the whole configuration, as .cfg text to standard output or to FILE (\".cfg\"\n"
         "       added to a name without an extension)\n"
         "write  writes FILE to the reader, reads it back; exit 0 only when every value matches\n"
         "diff   lists the sections that differ; exit 0 when equal, 1 when not\n"
         "A file with a value the reader does not take is refused before anything is sent, and so\n"
         "is one that lacks sections, unless --allow-defaults lets their defaults be written.\n"},
        {"datasets",
         "Usage: corvantelle-cli [READER] datasets count\n"
         "       corvantelle-cli [READER] datasets get N\n"
         "       corvantelle-cli [READER] datasets clear --yes\n"
         "       corvantelle-cli [READER] datasets download [-o FILE] [--csv] [--per-group] [--fast]\n\n"
         "count     prints how many datasets the reader holds\n"
         "get N     prints dataset N (1 to 4095) as \"0276,000000001001,FDX-B,05:12:07,10:30:15\"\n"
         "clear     erases every dataset in the reader; refused without --yes\n"
         "download  reads them all: the lines of the Database window's files (a header, a\n"
         "          \"Group n\" line at each group) to standard output, or to FILE.txt with -o\n"
         "  -o FILE       write FILE (- for standard output); for text \".txt\" is added to a name\n"
         "                without an extension, as the Database window does\n"
         "  --csv         CSV with a header row: number,group,country_code,national_id,\n"
         "                tag_type,date,time (group markers give no row, they start the next group)\n"
         "  --per-group   one file per group, FILE_Group_001.txt, ... (needs -o, not with --csv)\n"
         "  --fast        the next request as soon as an answer arrives, not once per 100 ms tick\n"
         "A progress bar is drawn on standard error when it is a terminal. Ctrl-C stops; what\n"
         "was read stays in FILE, and the exit status is 130.\n"},
        {"clock",
         "Usage: corvantelle-cli [READER] clock get | clock sync\n\n"
         "get   prints the reader's clock as YYYY-MM-DD hh:mm:ss\n"
         "sync  sets the reader's clock from this computer's local time\n"},
        {"monitor",
         "Usage: corvantelle-cli [READER] monitor [--ascii] [--timestamps] [--seconds S]\n\n"
         "Prints the raw traffic: each transmission as one line, received bytes as hex (or\n"
         "characters with --ascii), a line per frame labelled with the answered command.\n"
         "Ctrl-C stops; the exit status is 130.\n"},
        {"send",
         "Usage: corvantelle-cli [READER] send HEX...\n\n"
         "Sends one framed request (command code first, at most 50 bytes, e.g. \"send 09\" or\n"
         "\"send 29 32\") and prints the answer frame as hex with its name.\n"},
    };
    return help;
}

std::string Usage(const std::string& reason) {
    return "corvantelle-cli: " + reason +
           "\nUsage: corvantelle-cli [--port PATH | --com N | --simulate] "
           "[--baud RATE] [--node N] COMMAND (see --help)\n";
}

bool ParseInt(const std::string& text, int& value, int low, int high) {
    int base = 10;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.size() > 2 && (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)) {
        base = 16;
        first += 2;
    }
    const auto [end, error] = std::from_chars(first, last, value, base);
    return first != last && error == std::errc() && end == last && value >= low && value <= high;
}

bool ParseHex(const std::string& token, std::vector<uint8_t>& bytes) {
    std::string digits = token;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) {
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 0; i < digits.size(); i += 2) {
        uint8_t b = 0;
        const auto [end, error] = std::from_chars(digits.data() + i, digits.data() + i + 2, b, 16);
        if (error != std::errc() || end != digits.data() + i + 2) {
            return false;
        }
        bytes.push_back(b);
    }
    return true;
}

}  // namespace

int CliArgs::Parse(const std::vector<std::string>& args, CliOptions& o, std::string& message) {
    size_t i = 0;
    // "--port=PATH" is "--port PATH": the value rides along with its option.
    std::optional<std::string> inlineValue;
    auto split = [&](const std::string& arg) {
        const size_t equals = arg.find('=');
        if (arg.rfind("--", 0) != 0 || equals == std::string::npos) {
            inlineValue.reset();
            return arg;
        }
        inlineValue = arg.substr(equals + 1);
        return arg.substr(0, equals);
    };
    auto value = [&](const std::string& name, std::string& out) {
        if (inlineValue) {
            out = *inlineValue;
            inlineValue.reset();
            return true;
        }
        if (i + 1 >= args.size()) {
            message = Usage(name + " needs a value");
            return false;
        }
        out = args[++i];
        return true;
    };
    std::string linkGiven;
    auto setLink = [&](CliOptions::Link link, const std::string& name) {
        if (linkGiven == name) {
            message = Usage(name + " given twice; name one reader");
            return false;
        }
        if (!linkGiven.empty()) {
            message = Usage("--port, --com and --simulate exclude each other");
            return false;
        }
        linkGiven = name;
        o.link = link;
        return true;
    };
    // An option that takes no value must not swallow one silently.
    auto noValue = [&](const std::string& name) {
        if (inlineValue) {
            message = Usage(name + " takes no value");
            return false;
        }
        return true;
    };
    // Options before the command.
    for (; i < args.size() && args[i].rfind("-", 0) == 0; ++i) {
        const std::string a = split(args[i]);
        std::string v;
        if (a == "--help" || a == "-h") {
            message = kMainHelp;
            return kPrinted;
        }
        if (a == "--version") {
            message = std::string("corvantelle-cli ") + CORVANTELLE_VERSION + "\n";
            return kPrinted;
        }
        if (a == "--simulate") {
            if (!noValue(a) || !setLink(CliOptions::Link::kSimulate, a)) {
                return kUsage;
            }
        } else if (a == "--port") {
            if (!setLink(CliOptions::Link::kPath, a) || !value(a, o.path)) {
                return kUsage;
            }
            if (o.path.empty()) {
                message = Usage("--port needs a device path");
                return kUsage;
            }
        } else if (a == "--com") {
            if (!setLink(CliOptions::Link::kCom, a) || !value(a, v)) {
                return kUsage;
            }
            if (!ParseInt(v, o.com, 1, 128)) {
                message = Usage("--com takes a port number from 1 to 128, not \"" + v + "\"");
                return kUsage;
            }
        } else if (a == "--baud") {
            int baud = 0;
            if (!value(a, v)) {
                return kUsage;
            }
            if (!ParseInt(v, baud, 1, 1000000) ||
                std::find(std::begin(kBauds), std::end(kBauds), static_cast<uint32_t>(baud)) ==
                    std::end(kBauds)) {
                message = Usage("--baud takes 9600, 19200, 38400, 57600 or 115200, not \"" + v + "\"");
                return kUsage;
            }
            o.baud = static_cast<uint32_t>(baud);
        } else if (a == "--node") {
            int node = 0;
            if (!value(a, v)) {
                return kUsage;
            }
            if (!ParseInt(v, node, 0, 255) || NodeList::AddressToIndex(static_cast<uint8_t>(node)) < 0) {
                message = Usage("--node takes a reader address (0x01, 0x04..0xEF, 0xFF), not \"" + v + "\"");
                return kUsage;
            }
            o.node = static_cast<uint8_t>(node);
        } else {
            message = Usage("unknown option " + a);
            return kUsage;
        }
    }
    if (i >= args.size()) {
        message = Usage("no command given");
        return kUsage;
    }
    std::string word = args[i++];
    const auto& help = CommandHelp();
    const auto topic = help.find(word);
    if (topic == help.end()) {
        message = Usage("unknown command " + word);
        return kUsage;
    }
    if (std::find(args.begin() + static_cast<std::ptrdiff_t>(i), args.end(), "--help") != args.end() ||
        std::find(args.begin() + static_cast<std::ptrdiff_t>(i), args.end(), "-h") != args.end()) {
        message = topic->second;
        return kPrinted;
    }
    if (word == "config" || word == "clock" || word == "datasets") {
        const std::vector<std::string> subs =
            word == "config"  ? std::vector<std::string>{"read", "write", "diff"}
            : word == "clock" ? std::vector<std::string>{"get", "sync"}
                              : std::vector<std::string>{"count", "get", "clear", "download"};
        if (i >= args.size() || std::find(subs.begin(), subs.end(), args[i]) == subs.end()) {
            std::string list;
            for (const auto& sub : subs) {
                list += (list.empty() ? "" : ", ") + sub;
            }
            message = Usage(word + " needs one of: " + list);
            return kUsage;
        }
        word += " " + args[i++];
    }
    o.command = word;
    inlineValue.reset();
    std::vector<std::string> positional;
    for (; i < args.size(); ++i) {
        const std::string a = o.command == "send" ? args[i] : split(args[i]);
        std::string v;
        int n = 0;
        const bool tags = o.command == "listen" || o.command == "follow";
        if (inlineValue && a != "--socket" && a != "--count" && a != "--seconds" && a != "--output") {
            message = Usage("unknown option " + args[i] + " for " + o.command);
            return kUsage;
        }
        if (tags && a == "--json") {
            o.json = true;
        } else if (o.command == "listen" && a == "--feed") {
            o.feed = true;
        } else if (o.command == "follow" && a == "--socket") {
            if (!value(a, o.socket)) {
                return kUsage;
            }
        } else if (tags && a == "--count") {
            if (!value(a, v)) {
                return kUsage;
            }
            if (!ParseInt(v, n, 1, 1000000000)) {
                message = Usage("--count takes a positive number, not \"" + v + "\"");
                return kUsage;
            }
            o.count = n;
        } else if ((tags || o.command == "monitor") && a == "--seconds") {
            if (!value(a, v)) {
                return kUsage;
            }
            if (!ParseInt(v, n, 1, 24 * 3600 * 365)) {
                message = Usage("--seconds takes a positive number, not \"" + v + "\"");
                return kUsage;
            }
            o.seconds = n;
        } else if (o.command == "monitor" && a == "--ascii") {
            o.ascii = true;
        } else if (o.command == "monitor" && a == "--timestamps") {
            o.timestamps = true;
        } else if (o.command == "datasets clear" && a == "--yes") {
            o.yes = true;
        } else if ((o.command == "config write" || o.command == "config diff") && a == "--allow-defaults") {
            o.allowDefaults = true;
        } else if (o.command == "datasets download" && a == "--csv") {
            o.csv = true;
        } else if (o.command == "datasets download" && a == "--per-group") {
            o.perGroup = true;
        } else if (o.command == "datasets download" && a == "--fast") {
            o.fast = true;
        } else if ((o.command == "config read" || o.command == "datasets download") &&
                   (a == "-o" || a == "--output")) {
            if (!value(a, o.output)) {
                return kUsage;
            }
            // "-o -" is standard output, as everywhere else.
            if (o.output == "-") {
                o.output.clear();
            }
        } else if (a.size() > 1 && a[0] == '-' && o.command != "send") {
            message = Usage("unknown option " + a + " for " + o.command);
            return kUsage;
        } else {
            positional.push_back(a);
        }
    }
    if (o.command == "config write" || o.command == "config diff") {
        if (positional.size() != 1) {
            message = Usage(o.command + " needs one FILE.cfg");
            return kUsage;
        }
        o.file = positional[0];
    } else if (o.command == "send") {
        for (const auto& token : positional) {
            if (!ParseHex(token, o.payload)) {
                message = Usage("send takes hex bytes such as 09 or 2932, not \"" + token + "\"");
                return kUsage;
            }
        }
        if (o.payload.empty()) {
            message = Usage("send needs at least the command byte");
            return kUsage;
        }
        if (o.payload.size() > static_cast<size_t>(CFrameParser::kMaxPayload)) {
            message =
                Usage("a request holds at most 50 bytes; " + std::to_string(o.payload.size()) + " given");
            return kUsage;
        }
    } else if (o.command == "datasets get") {
        if (positional.size() != 1 || !ParseInt(positional[0], o.number, 1, 4095)) {
            message = Usage("datasets get takes one dataset number from 1 to 4095");
            return kUsage;
        }
    } else if (!positional.empty()) {
        message = Usage("unexpected argument \"" + positional[0] + "\" for " + o.command);
        return kUsage;
    }
    if (o.command == "datasets clear" && !o.yes) {
        message = Usage("datasets clear erases every dataset in the reader; confirm with --yes");
        return kUsage;
    }
    if (o.perGroup && (o.output.empty() || o.csv)) {
        message = Usage("--per-group writes files: it needs -o FILE and the text format, not --csv");
        return kUsage;
    }
    if (o.command == "follow" && o.link != CliOptions::Link::kNone) {
        message = Usage("follow reads a running tool's tag feed; it takes no reader option");
        return kUsage;
    }
    if (o.command != "ports" && o.command != "follow" && o.link == CliOptions::Link::kNone) {
        message = Usage("choose the reader with --port PATH, --com N or --simulate");
        return kUsage;
    }
    return kRun;
}
