#include "core/app/DeveloperTools.h"

#include "core/util/Format.h"

#include <array>
#include <cctype>
#include <map>
#include <sstream>
#include <string_view>

namespace DeveloperTools {

namespace {

constexpr int kCodes = 900;
const std::string kNoLetters = "000";

std::vector<std::string> Lines(const std::string& content) {
    std::vector<std::string> lines;
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::string BuildCountryCodeTable(const std::string& input, bool thirtyTwo) {
    std::map<int, std::string> names;
    for (const std::string& line : Lines(input)) {
        if (line.size() < 5 || !std::isalpha(static_cast<unsigned char>(line[0])) ||
            !std::isalpha(static_cast<unsigned char>(line[1])) ||
            !std::isalpha(static_cast<unsigned char>(line[2]))) {
            continue;
        }
        const auto digits = line.find_first_not_of(' ', 3);
        if (digits == 3 || digits == std::string::npos) {
            continue;
        }
        const auto end = line.find_first_not_of("0123456789", digits);
        const std::string number =
            line.substr(digits, end == std::string::npos ? std::string::npos : end - digits);
        int code = 0;
        if (number.empty() || number.size() > 3 || !ParseInt(number, code) || code >= kCodes) {
            continue;
        }
        names[code] = line.substr(0, 3);
    }
    // 900 entries every time: built by appending into one buffer, without a formatted temporary
    // per entry.
    std::string out;
    out.reserve(kCodes * (thirtyTwo ? 17 : 31));
    for (int code = 0; code < kCodes; ++code) {
        const auto it = names.find(code);
        const std::string& letters = it == names.end() ? kNoLetters : it->second;
        const char quoted[] = {'\'', letters[0], '\'', ',',        '\'', letters[1],
                               '\'', ',',        '\'', letters[2], '\''};
        if (thirtyTwo) {
            out += "\t\t";
            out.append(quoted, sizeof quoted);
            out += ",\r\n";
        } else {
            const char number[] = {'_', static_cast<char>('0' + code / 100),
                                   static_cast<char>('0' + code / 10 % 10),
                                   static_cast<char>('0' + code % 10), '_'};
            out.append(number, sizeof number);
            out += it == names.end() ? std::string_view("xxx") : std::string_view(letters);
            out += ":\r\n\tdb\t";
            out.append(quoted, sizeof quoted);
            out += "\r\n";
        }
    }
    return out;
}

std::string CountryCodeOutputPath(const std::string& inputPath, bool thirtyTwo) {
    const auto slash = inputPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : inputPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? inputPath : inputPath.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return folder + (thirtyTwo ? "ModifiedList32" : "ModifiedList") + extension;
}

std::vector<std::string> ReadEventList(const std::string& content) {
    return Lines(content);
}

}  // namespace DeveloperTools
