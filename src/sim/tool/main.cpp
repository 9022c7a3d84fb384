// corvantelle-sim: a simulated reader behind a pseudo-terminal, for trying the tool, demonstrations
// and end-to-end tests without hardware.

#include "core/link/CommandNames.h"
#include "core/link/Commands.h"
#include "core/util/Format.h"
#include "sim/HostClock.h"
#include "sim/LinePacer.h"
#include "sim/PtyTransport.h"
#include "sim/SimulatedReader.h"

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

constexpr int kIdleWaitMs = 10;
constexpr int kSplitWaitMs = 2;  // a pause between split batches, so they reach the client apart
constexpr size_t kMaxUnsent = 64 * 1024;

constexpr const char* kHelp =
    "Usage: corvantelle-sim [options]\n"
    "A simulated Corvantelle reader on a pseudo-terminal. The first line written to standard\n"
    "output is the device path to open; the program runs until SIGINT, SIGTERM or SIGHUP.\n"
    "While no program has the device open, what the reader sends is lost, as on a real line.\n"
    "\n"
    "  --link PATH          also make PATH a symbolic link to the device (removed at exit); a\n"
    "                       link another running simulator serves is refused\n"
    "  --node N             node address of the reader, decimal or 0x.. (default 1)\n"
    "  --tag-interval MS    report the next transponder every MS milliseconds (default 0 = off)\n"
    "  --tag-form FORM      char16, char10, bin8, bin5, bin13 or line (default char16)\n"
    "  --tag CC:ID[:TYPE[:EVENT]]\n"
    "                       a transponder in the field: country code, national ID, type hdx,\n"
    "                       fdx or h4002 (default fdx), event text; repeat for several\n"
    "  --seed N             seed of the fault generator and the receiver signals (default 1)\n"
    "  --drop PERCENT       lose this share of the answers\n"
    "  --corrupt PERCENT    send this share of the frames with a wrong CRC\n"
    "  --echo               send every received byte straight back, as a half-duplex line does\n"
    "  --delay MS           send answers MS milliseconds late\n"
    "  --jitter MS          vary each answer's delay by up to MS milliseconds either way; answers\n"
    "                       keep their order, as on a serial line\n"
    "  --one-at-a-time      work through requests one at a time, as a slow reader does: each\n"
    "                       answer leaves --delay after the one before it\n"
    "  --refuse CODE[:SUB]  refuse requests with this command code (and sub-code, for 0x58,\n"
    "                       0x60 and 0x9F) with a non-acknowledge; repeat for several\n"
    "  --refuse-percent P   refuse this share of all requests with a non-acknowledge\n"
    "  --split              deliver the output in random small pieces\n"
    "  --noise              put random bytes (never STX) before frames and tag lines\n"
    "  --datasets N         start with N stored datasets (0..4095)\n"
    "  --group-every M      make every M-th of them a group marker (default 0 = none)\n"
    "  --baud B             carry bytes both ways as a serial line at B baud, 8N1, would (default:\n"
    "                       as fast as the pseudo-terminal takes them)\n"
    "  --latency-timer MS   hold what the reader sends as a USB-serial adapter with this latency\n"
    "                       timer does: bytes are handed on when MS milliseconds have passed\n"
    "                       since the first one held, or at once when 62 are held (default 0 = no\n"
    "                       adapter; 16 is the usual setting, 1 what a driver asked for low\n"
    "                       latency sets)\n"
    "  --bt-silent          the Bluetooth module never answers\n"
    "  --bt-register N=V    the module's S register N reads back V, whatever was written\n"
    "  --verbose            log every request on standard error, at the end the bytes carried\n"
    "  --help               show this text\n";

void Print(FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
}

constexpr long long kMaxNumber = 0xFFFFFFFFFFLL;  // above every value an option takes

// A whole non-negative number, decimal or 0x..; nothing may follow it, and it may not overflow.
bool ParseNumber(const std::string& text, long long& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const char* allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) {
        return false;
    }
    const int base = hex ? 16 : 10;
    value = 0;
    for (const char c : digits) {
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * base + digit;
        if (value > kMaxNumber) {
            return false;
        }
    }
    return true;
}

bool ParseRange(const std::string& text, long long low, long long high, int& value) {
    long long v = 0;
    if (!ParseNumber(text, v) || v < low || v > high) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

// CODE or CODE:SUB; a sub-code only for the codes whose requests carry one.
bool ParseRefusal(const std::string& text, SimulatedReader::Refusal& refusal) {
    const size_t colon = text.find(':');
    int code = 0;
    if (!ParseRange(text.substr(0, colon), 0, 255, code)) {
        return false;
    }
    refusal = {static_cast<uint8_t>(code), -1};
    if (colon == std::string::npos) {
        return true;
    }
    return Cmd::IsMultiFunction(refusal.code) && ParseRange(text.substr(colon + 1), 0, 255, refusal.subCode);
}

bool ParseTagForm(const std::string& text, SimulatedReader::TagForm& form) {
    using F = SimulatedReader::TagForm;
    static constexpr std::pair<const char*, F> kForms[] = {{"char16", F::kChar16}, {"char10", F::kChar10},
                                                           {"bin8", F::kBin8},     {"bin5", F::kBin5},
                                                           {"bin13", F::kBin13},   {"line", F::kLine}};
    for (const auto& [name, f] : kForms) {
        if (text == name) {
            form = f;
            return true;
        }
    }
    return false;
}

bool ParseTag(const std::string& text, SimulatedReader::Transponder& t) {
    std::vector<std::string> parts;
    size_t start = 0;
    // The event text is the rest, colons included.
    while (parts.size() < 3) {
        const size_t colon = text.find(':', start);
        if (colon == std::string::npos) {
            break;
        }
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(text.substr(start));
    if (parts.size() < 2) {
        return false;
    }
    long long country = 0;
    long long national = 0;
    if (!ParseNumber(parts[0], country) || country > 1023 || !ParseNumber(parts[1], national) ||
        national > 0x3FFFFFFFFFLL) {
        return false;
    }
    t = {};
    t.countryCode = static_cast<uint16_t>(country);
    t.nationalId = static_cast<uint64_t>(national);
    if (parts.size() >= 3) {
        if (parts[2] == "hdx") {
            t.type = 1;
        } else if (parts[2] == "h4002") {
            t.type = 2;
        } else if (parts[2] == "fdx" || parts[2].empty()) {
            t.type = 5;
        } else {
            return false;
        }
    }
    if (parts.size() >= 4) {
        if (parts[3].size() > SimulatedReader::kMaxEventText) {
            return false;
        }
        t.eventText = parts[3];
    }
    return true;
}

struct Options {
    std::string link;
    int node = 1;
    int tagInterval = 0;
    SimulatedReader::TagForm tagForm = SimulatedReader::TagForm::kChar16;
    std::vector<SimulatedReader::Transponder> tags;
    long long seed = 1;
    SimulatedReader::Faults faults;
    BluetoothModule::Faults module;
    bool verbose = false;
    int datasets = 0;
    int groupEvery = 0;
    int baud = 0;
    int latencyTimerMs = 0;
};

constexpr std::string_view kValueOptions[] = {
    "--link",     "--node",        "--tag-interval", "--tag-form",    "--tag",          "--seed",
    "--drop",     "--corrupt",     "--delay",        "--jitter",      "--refuse",       "--refuse-percent",
    "--datasets", "--group-every", "--baud",         "--bt-register", "--latency-timer"};

// 0 to run, 1 after --help, -1 for bad options (reported on one line).
int ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Print(stdout, kHelp);
            return 1;
        } else if (arg == "--echo") {
            o.faults.echo = true;
            continue;
        } else if (arg == "--split") {
            o.faults.split = true;
            continue;
        } else if (arg == "--noise") {
            o.faults.noise = true;
            continue;
        } else if (arg == "--bt-silent") {
            o.module.silent = true;
            continue;
        } else if (arg == "--verbose") {
            o.verbose = true;
            continue;
        } else if (arg == "--one-at-a-time") {
            o.faults.oneAtATime = true;
            continue;
        }
        // Every other option takes a value; what it must be is said when it is wrong.
        std::string v;
        const char* wanted = nullptr;
        bool ok = false;
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), arg) == std::end(kValueOptions)) {
            Print(stderr, "corvantelle-sim: unknown option " + arg + " (see --help)\n");
            return -1;
        }
        if (i + 1 >= argc) {
            Print(stderr, "corvantelle-sim: " + arg + " needs a value (see --help)\n");
            return -1;
        }
        v = argv[++i];
        if (arg == "--link") {
            wanted = "a path";
            ok = !v.empty();
            o.link = v;
        } else if (arg == "--node") {
            wanted = "a node address 0x01..0xFE other than 0x02, 0x03 and 0x10";
            ok = ParseRange(v, 0, 255, o.node) && SimulatedReader::IsUsableNode(static_cast<uint8_t>(o.node));
        } else if (arg == "--tag-interval") {
            wanted = "milliseconds 0..3600000";
            ok = ParseRange(v, 0, 3600000, o.tagInterval);
        } else if (arg == "--tag-form") {
            wanted = "char16, char10, bin8, bin5, bin13 or line";
            ok = ParseTagForm(v, o.tagForm);
        } else if (arg == "--tag") {
            wanted =
                "CC:ID[:TYPE[:EVENT]], country 0..1023, ID 0..274877906943, type fdx, hdx or h4002, event up "
                "to 32 characters";
            SimulatedReader::Transponder t;
            ok = ParseTag(v, t);
            if (ok) {
                o.tags.push_back(t);
            }
        } else if (arg == "--seed") {
            wanted = "a number 0..4294967295";
            ok = ParseNumber(v, o.seed) && o.seed <= 0xFFFFFFFFLL;
        } else if (arg == "--drop") {
            wanted = "a percentage 0..100";
            ok = ParseRange(v, 0, 100, o.faults.dropPercent);
        } else if (arg == "--corrupt") {
            wanted = "a percentage 0..100";
            ok = ParseRange(v, 0, 100, o.faults.corruptPercent);
        } else if (arg == "--delay") {
            wanted = "milliseconds 0..60000";
            ok = ParseRange(v, 0, 60000, o.faults.delayMs);
        } else if (arg == "--jitter") {
            wanted = "milliseconds 0..60000";
            ok = ParseRange(v, 0, 60000, o.faults.jitterMs);
        } else if (arg == "--refuse") {
            wanted = "a command code 0..255, with :SUB 0..255 only for 0x58, 0x60 and 0x9F";
            SimulatedReader::Refusal refusal;
            ok = ParseRefusal(v, refusal);
            if (ok) {
                o.faults.refuse.push_back(refusal);
            }
        } else if (arg == "--datasets") {
            wanted = "a number of datasets 0..4095";
            ok = ParseRange(v, 0, static_cast<long long>(DatasetMemory::kCapacity), o.datasets);
        } else if (arg == "--group-every") {
            wanted = "a number 0..4095";
            ok = ParseRange(v, 0, static_cast<long long>(DatasetMemory::kCapacity), o.groupEvery);
        } else if (arg == "--baud") {
            wanted = "a baud rate 300..4000000";
            ok = ParseRange(v, 300, 4000000, o.baud);
        } else if (arg == "--latency-timer") {
            wanted = "milliseconds 0..255";
            ok = ParseRange(v, 0, 255, o.latencyTimerMs);
        } else if (arg == "--bt-register") {
            wanted = "N=VALUE with a register number 0..999";
            const size_t equals = v.find('=');
            ok = equals != std::string::npos && equals + 1 < v.size() &&
                 ParseRange(v.substr(0, equals), 0, 999, o.module.wrongRegister);
            o.module.wrongValue = ok ? v.substr(equals + 1) : std::string();
        } else if (arg == "--refuse-percent") {
            wanted = "a percentage 0..100";
            ok = ParseRange(v, 0, 100, o.faults.refusePercent);
        }
        if (!ok) {
            Print(stderr,
                  "corvantelle-sim: bad value for " + arg + ": '" + v + "' (expected " + wanted + ")\n");
            return -1;
        }
    }
    return 0;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (const uint8_t b : bytes) {
        out += Format("%02x ", b);
    }
    return out;
}

// Makes link point to target; an existing symbolic link (left by a killed instance) is replaced,
// anything else is left alone. The new link takes the old one's place in one step, so a tool
// waiting for the name finds either the old device or the new one, never no link at all.
bool MakeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        return false;
    }
    const std::string fresh = link + Format(".%d", static_cast<int>(::getpid()));
    if (::symlink(target.c_str(), fresh.c_str()) != 0) {
        return false;
    }
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        ::unlink(fresh.c_str());
        return false;
    }
    return true;
}

// True when link names the pseudo-terminal of another running simulator: that one still serves
// it, and taking the name over would cut its clients off. A link left by a killed instance names
// a device that is gone, or one made after the link for another program (pseudo-terminal numbers
// are handed out again at once), which the device's change time tells.
bool ServedByAnother(const std::string& link, const std::string& own) {
    char buffer[4096] = {};
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof(buffer) - 1);
    const std::string target = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    struct stat linkNode {};
    struct stat device {};
    if (target == own || target.rfind("/dev/pts/", 0) != 0 || ::lstat(link.c_str(), &linkNode) != 0 ||
        ::stat(target.c_str(), &device) != 0) {
        return false;
    }
    const auto ns = [](const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return ns(device.st_ctim) <= ns(linkNode.st_mtim);
}

// Only our own link goes: another instance may have taken the name over meanwhile.
void RemoveLink(const std::string& link, const std::string& target) {
    char buffer[4096] = {};
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof(buffer) - 1);
    if (n > 0 && std::string(buffer, static_cast<size_t>(n)) == target) {
        ::unlink(link.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int parsed = ParseOptions(argc, argv, options);
    if (parsed != 0) {
        return parsed > 0 ? 0 : 2;
    }

    SimulatedReader reader(static_cast<uint8_t>(options.node), static_cast<uint32_t>(options.seed));
    if (!options.tags.empty()) {
        reader.SetTransponders(options.tags);
    }
    reader.SetTagForm(options.tagForm);
    reader.SetTagInterval(options.tagInterval);
    reader.SetFaults(options.faults);
    reader.Module().SetFaults(options.module);
    SetClockFromHost(reader);
    reader.Datasets().Preload(static_cast<size_t>(options.datasets), static_cast<size_t>(options.groupEvery),
                              reader.DatasetStamp());
    if (options.verbose) {
        reader.SetRequestObserver([](uint8_t address, const std::vector<uint8_t>& payload) {
            const int sub = Cmd::IsMultiFunction(payload[0]) && payload.size() > 1 ? payload[1] : -1;
            Print(stderr, Format("request %02x %s: %s\n", address, CommandNames::Of(payload[0], sub).c_str(),
                                 HexBytes(payload).c_str()));
        });
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a signal must end the wait in poll at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // The terminal it was started from closed: end as cleanly, the link removed.
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PtyTransport pty;
    if (pty.Open() != 0) {
        Print(stderr, Format("corvantelle-sim: no pseudo-terminal: %s\n", std::strerror(errno)));
        return 1;
    }
    const std::string device = pty.SlavePath();
    // A reader's bytes on a line no program listens to are gone; held back, they would reach the
    // next client as a flood of stale tags.
    pty.ReleaseSlave();
    if (!options.link.empty() && ServedByAnother(options.link, device)) {
        Print(stderr, "corvantelle-sim: " + options.link +
                          " is the link of another running simulator; stop it or choose another --link\n");
        return 1;
    }
    if (!options.link.empty() && !MakeLink(options.link, device)) {
        Print(stderr, "corvantelle-sim: cannot make the link " + options.link + "\n");
        return 1;
    }
    Print(stdout, device + "\n");
    std::fflush(stdout);
    if (options.verbose) {
        Print(stderr, Format("corvantelle-sim: node %02x on %s\n", options.node, device.c_str()));
    }

    using Clock = std::chrono::steady_clock;
    auto last = Clock::now();
    std::deque<std::vector<uint8_t>> unsent;
    std::deque<Clock::time_point> unsentDue;  // with --baud: when each batch has crossed the line
    size_t unsentBytes = 0;
    uint8_t buffer[4096];
    int result = 0;
    LinePacer line(static_cast<uint32_t>(options.baud));
    line.SetLatencyTimer(std::chrono::milliseconds(options.latencyTimerMs));
    unsigned long long bytesIn = 0;
    unsigned long long bytesOut = 0;
    if (line.IsPaced()) {
        // The default 50 us of timer slack is more than half a character at 115200 baud.
        prctl(PR_SET_TIMERSLACK, 1UL);
    }
    while (g_stop == 0) {
        int64_t waitUs = (unsent.empty() ? kIdleWaitMs : kSplitWaitMs) * 1000;
        if (line.IsPaced() && !unsent.empty()) {
            const auto until =
                std::chrono::duration_cast<std::chrono::microseconds>(unsentDue.front() - Clock::now());
            waitUs = std::clamp<int64_t>(until.count(), 0, kIdleWaitMs * 1000);
        }
        if (pty.WaitMicros(waitUs) < 0) {
            Print(stderr, Format("corvantelle-sim: line error: %s\n", std::strerror(errno)));
            result = 1;
            break;
        }
        for (;;) {
            const int n = pty.Read(buffer, sizeof(buffer));
            if (n <= 0) {
                break;
            }
            bytesIn += static_cast<unsigned>(n);
            line.Receive(Clock::now(), static_cast<size_t>(n));
            reader.Receive(buffer, static_cast<size_t>(n));
        }
        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        if (elapsed.count() > 0) {
            last += elapsed;
            reader.Advance(static_cast<int>(elapsed.count()));
        }
        if (!pty.HasClient()) {
            reader.TakeBatches();
            unsent.clear();
            unsentDue.clear();
            unsentBytes = 0;
        }
        for (auto& batch : reader.TakeBatches()) {
            unsentBytes += batch.size();
            const auto due = line.IsPaced() ? line.Send(now, batch.size()) : now;
            // An adapter whose buffer filled hands on everything it held before, too.
            for (auto earlier = unsentDue.rbegin(); earlier != unsentDue.rend() && *earlier > due;
                 ++earlier) {
                *earlier = due;
            }
            unsentDue.push_back(due);
            unsent.push_back(std::move(batch));
        }
        // Nobody reading: keep the newest output only.
        while (unsentBytes > kMaxUnsent) {
            unsentBytes -= unsent.front().size();
            unsent.pop_front();
            unsentDue.pop_front();
        }
        // Split batches go one per turn so that the client reads them apart; on a paced line each
        // goes when its last byte would have arrived.
        const size_t turns = options.faults.split && !line.IsPaced() ? 1 : unsent.size();
        const auto writeNow = Clock::now();
        for (size_t i = 0; i < turns && !unsent.empty() && unsentDue.front() <= writeNow; ++i) {
            auto& front = unsent.front();
            const int n = pty.Write(front.data(), front.size());
            if (n <= 0) {
                break;
            }
            unsentBytes -= static_cast<size_t>(n);
            bytesOut += static_cast<unsigned>(n);
            if (static_cast<size_t>(n) < front.size()) {
                front.erase(front.begin(), front.begin() + n);
                break;
            }
            unsent.pop_front();
            unsentDue.pop_front();
        }
    }
    if (options.verbose) {
        // What the line carried, for measuring a client against the line rate.
        Print(stderr, Format("corvantelle-sim: %llu bytes received, %llu bytes sent\n", bytesIn, bytesOut));
    }
    if (!options.link.empty()) {
        RemoveLink(options.link, device);
    }
    pty.Close();
    return result;
}
