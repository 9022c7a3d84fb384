#include "core/config/ConfigFile.h"

#include "core/util/AtomicFile.h"
#include "core/util/Format.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ConfigFile {

const std::array<const char*, kSections> kSectionNames = {"Output format",
                                                          "Timeout",
                                                          "Wireless sync level",
                                                          "Optimization",
                                                          "Permanent read break",
                                                          "Permanent read bursts",
                                                          "Permanent read reads",
                                                          "Permanent read active",
                                                          "Switch off time",
                                                          "IO",
                                                          "RF Power",
                                                          "Bluetooth Mode",
                                                          "Custom output format 0",
                                                          "Custom output format 1",
                                                          "Custom output format 2",
                                                          "Access level",
                                                          "Check for double reads"};

namespace {

enum Section : int {
    kFormat = 0,
    kTimeout,
    kSyncLevel,
    kTiming,
    kBreak,
    kBursts,
    kReads,
    kActive,
    kSwitchOff,
    kIo,
    kRfPower,
    kBluetoothMode,
    kCustom0,
    kCustom1,
    kCustom2,
    kAccessLevel,
    kDoubleRead
};

constexpr const char* kLineEnd = "\r\n";

// The leading decimal number of the text, sign allowed; 0 without one. Digits beyond what 32 bits
// hold wrap around, which the caller's cut to the field's width makes harmless.
int32_t Decimal(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10U + static_cast<uint32_t>(text[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0U - value : value);
}

// One hexadecimal digit the way the file has always been read: no check, so any character gives
// some value.
int HexDigit(char c) {
    int digit = c - '0';
    if (digit > 9) {
        digit -= 7;
        if (digit > 15) {
            digit -= 0x20;
        }
    }
    return digit;
}

// The first two characters as two hex digits; one character is one digit.
uint8_t Hex2(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    if (text.size() == 1) {
        return static_cast<uint8_t>(HexDigit(text[0]));
    }
    // In unsigned arithmetic: a character below '0' gives a negative digit.
    const auto high = static_cast<unsigned>(HexDigit(text[0]));
    const auto low = static_cast<unsigned>(HexDigit(text[1]));
    return static_cast<uint8_t>((high << 4) + low);
}

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

int FindSection(const std::string& header) {
    for (int i = 0; i < kSections; ++i) {
        if (header.find(kSectionNames[static_cast<size_t>(i)]) != std::string::npos) {
            return i;
        }
    }
    return -1;
}

void Store(int section, const std::string& value, ConfigRecord& r) {
    switch (section) {
        case kFormat:
            r.format = Hex2(value);
            break;
        case kTimeout:
            r.timeout = static_cast<uint8_t>(Decimal(value) / 100);
            break;
        case kSyncLevel:
            r.syncLevel = SyncLevelValue(value);
            break;
        case kTiming:
            r.timing = Hex2(value);
            break;
        case kBreak:
            r.permanentReadBreak = static_cast<uint16_t>(Decimal(value));
            break;
        case kBursts:
            r.permanentReadBursts = static_cast<uint16_t>(Decimal(value));
            break;
        case kReads:
            r.permanentReadReads = static_cast<uint8_t>(Decimal(value));
            break;
        case kActive:
            r.permanentReadActive = Hex2(value);
            break;
        case kSwitchOff:
            r.switchOffTime = static_cast<uint16_t>(static_cast<uint32_t>(Decimal(value)) * 100U);
            break;
        case kIo:
            r.ioFlags = Hex2(value);
            break;
        case kRfPower:
            r.rfPower = Hex2(value);
            break;
        case kBluetoothMode:
            r.bluetoothMode = Hex2(value);
            break;
        case kCustom0:
        case kCustom1:
        case kCustom2:
            r.customFormat[static_cast<size_t>(section - kCustom0)] = Hex2(value);
            break;
        case kAccessLevel:
            r.accessLevel = static_cast<uint8_t>(Decimal(value));
            break;
        case kDoubleRead:
            r.doubleReadTime = static_cast<uint16_t>(Decimal(value));
            break;
        default:
            break;
    }
}

bool AllOf(const std::string& text, const char* characters) {
    return !text.empty() && text.find_first_not_of(characters) == std::string::npos;
}

// Whole decimal numbers from low to high, without a sign or anything after them.
bool InRange(const std::string& text, long low, long high) {
    if (!AllOf(text, "0123456789") || text.size() > 9) {
        return false;
    }
    const long value = std::stol(text);
    return value >= low && value <= high;
}

// Whether the reader takes the value as the file states it (lower case, "0x" removed).
bool Takes(int section, const std::string& value) {
    switch (section) {
        case kTimeout:
            // Whole tenths of a second: 150 ms would go out as 100.
            return InRange(value, 0, 255 * 100) && std::stol(value) % 100 == 0;
        case kSyncLevel: {
            // Volts with a decimal point; "1,96" from a German locale would read as 1.
            if (!AllOf(value, "0123456789.") || value.find('.') != value.rfind('.') || value.size() > 12) {
                return false;
            }
            double volts = 0;
            return ParseDouble(value, volts) && volts <= 5.0 + 1e-9;
        }
        case kBreak:
        case kBursts:
        case kDoubleRead:
            return InRange(value, 0, 65535);
        case kReads:
            return InRange(value, 0, 255);
        case kSwitchOff:
            return InRange(value, 0, 65535 / 100);
        case kAccessLevel:
            return InRange(value, 0, 2);
        default:
            // A byte in hex.
            return AllOf(value, "0123456789abcdef") && value.size() <= 2;
    }
}

std::string Reason() {
    return errno != 0 ? std::strerror(errno) : "unknown error";
}

}  // namespace

int Summary::Found() const {
    int n = 0;
    for (const bool f : found) {
        n += f ? 1 : 0;
    }
    return n;
}

std::string DefaultsTaken(const Summary& summary) {
    std::string defaults;
    for (size_t i = 0; i < summary.found.size(); ++i) {
        if (!summary.found[i]) {
            defaults += (defaults.empty() ? "" : ", ") + std::string(kSectionNames[i]);
        }
    }
    return defaults;
}

std::vector<std::string> Refusals(const Summary& summary, bool allowDefaults) {
    if (summary.tooLarge) {
        return {Format("larger than a configuration file (over %zu bytes)", kMaxFileBytes)};
    }
    if (summary.Found() == 0) {
        return {"no configuration section"};
    }
    std::vector<std::string> refusals;
    for (const auto& value : summary.invalid) {
        refusals.push_back("value the reader does not take: " + value);
    }
    const std::string defaults = DefaultsTaken(summary);
    if (!allowDefaults && !defaults.empty()) {
        refusals.push_back("sections taken from defaults: " + defaults);
    }
    return refusals;
}

void SetDefaults(ConfigRecord& r) {
    r.format = 1;
    r.timeout = 0x32;
    r.syncLevel = 0;
    r.timing = 0;
    r.permanentReadBreak = 1000;
    r.permanentReadBursts = 10;
    r.permanentReadReads = 2;
    r.permanentReadActive = 0;
    r.switchOffTime = 700;
    r.ioFlags = 3;
    r.rfPower = 0;
    r.bluetoothMode = 0;
    r.customFormat = {0, 0, 0};
    r.accessLevel = 2;
    r.doubleReadTime = 0;
}

std::string SyncLevelText(uint8_t syncLevel) {
    const int mv = static_cast<int>(syncLevel * 0.0196078431372549 * 1000.0);
    int v = mv / 10;
    if (mv % 10 > 5) {
        ++v;
    }
    return Format("%4.2f", v * 0.01);
}

uint8_t SyncLevelValue(const std::string& volts) {
    double value = 0.0;
    if (!ParseDouble(volts, value)) {
        return 0;
    }
    // To the nearest step, not cut: every text SyncLevelText gives lies within a quarter step of
    // its byte, so a level read, saved and written back stays the level it was ("1.96" x 51 is
    // 99.96, which cut would lower the reader by a step each round).
    const double scaled = std::round(value * 51.0);
    // Cut to 8 bits as an integer would be; a huge or odd number must not reach a conversion
    // whose result is undefined.
    if (!std::isfinite(scaled)) {
        return 0;
    }
    double low = std::fmod(scaled, 256.0);
    if (low < 0) {
        low += 256.0;
    }
    return static_cast<uint8_t>(low);
}

int WriteConfigFile(std::ostream& out, const ConfigRecord& r) {
    out.seekp(0, std::ios::end);
    const std::string values[kSections] = {
        Format("0x%02x", r.format),          Format("%d", r.timeout * 100),
        SyncLevelText(r.syncLevel),          Format("0x%02x", r.timing),
        Format("%d", r.permanentReadBreak),  Format("%d", r.permanentReadBursts),
        Format("%d", r.permanentReadReads),  Format("0x%02x", r.permanentReadActive),
        Format("%d", r.switchOffTime / 100), Format("0x%02x", r.ioFlags),
        Format("0x%02x", r.rfPower),         Format("0x%02x", r.bluetoothMode),
        Format("0x%02x", r.customFormat[0]), Format("0x%02x", r.customFormat[1]),
        Format("0x%02x", r.customFormat[2]), Format("%d", r.accessLevel),
        Format("%d", r.doubleReadTime)};
    for (int i = 0; i < kSections; ++i) {
        out << '[' << kSectionNames[static_cast<size_t>(i)] << ']' << kLineEnd << '\t' << values[i]
            << kLineEnd << kLineEnd;
    }
    return 0;
}

int ParseConfigEntry(const std::string& header, const std::string& value, ConfigRecord& record) {
    const int section = FindSection(header);
    if (section < 0) {
        return -1;
    }
    Store(section, value, record);
    return 0;
}

int ReadConfigFile(std::istream& in, ConfigRecord& record, Summary* summary) {
    SetDefaults(record);
    in.clear();
    in.seekg(0, std::ios::beg);
    in.clear();
    bool expecting = false;
    std::string header;
    std::string line;
    const auto take = [&] {
        // Every CR before the LF belongs to the line end: CR LF and CR CR LF read as LF does.
        while (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.find('[') != std::string::npos && line.find(']') != std::string::npos) {
            header = line;
            expecting = true;
        } else if (expecting && !line.empty()) {
            expecting = false;
            std::string value = Trimmed(line);
            for (char& c : value) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            if (value.find("0x") != std::string::npos) {
                value.erase(0, 2);
            }
            const int section = FindSection(header);
            if (section < 0) {
                if (summary != nullptr) {
                    ++summary->unknown;
                }
            } else {
                Store(section, value, record);
                if (summary != nullptr) {
                    summary->found[static_cast<size_t>(section)] = true;
                    if (!Takes(section, value)) {
                        summary->invalid.push_back("[" +
                                                   std::string(kSectionNames[static_cast<size_t>(section)]) +
                                                   "] " + Trimmed(line));
                    }
                }
            }
        }
        line.clear();
    };
    std::istreambuf_iterator<char> it(in);
    const std::istreambuf_iterator<char> end;
    bool pending = false;
    size_t total = 0;
    for (; it != end; ++it) {
        if (++total > kMaxFileBytes) {
            if (summary != nullptr) {
                summary->tooLarge = true;
            }
            return -1;
        }
        const char c = *it;
        if (c == '\n') {
            take();
            pending = false;
            continue;
        }
        pending = true;
        if (line.size() < kMaxLine) {
            line.push_back(c);
        }
    }
    if (pending) {
        take();
    }
    return 0;
}

std::string WithExtension(const std::string& path) {
    return path.find(kExtension) == std::string::npos ? path + kExtension : path;
}

int SaveFile(const std::string& path, const ConfigRecord& record, std::string& error) {
    std::ostringstream text;
    WriteConfigFile(text, record);
    CAtomicFile file;
    if (!file.Open(path) || !file.Write(text.str()) || !file.Commit()) {
        error = file.Reason();
        return -1;
    }
    return 0;
}

int LoadFile(const std::string& path, ConfigRecord& record, Summary& summary, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = std::strerror(EISDIR);
        return -1;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = Reason();
        return -1;
    }
    ConfigRecord read = record;
    Summary found;
    ReadConfigFile(in, read, &found);
    if (found.tooLarge) {
        error = Refusals(found, true).front();
        return -1;
    }
    if (in.bad()) {
        error = Reason();
        return -1;
    }
    record = read;
    summary = found;
    return 0;
}

}  // namespace ConfigFile
