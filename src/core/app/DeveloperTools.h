#pragma once

#include <string>
#include <vector>

// The main window's developer helpers: country-code tables for the reader's firmware and the
// event list of an ".evt" file.
namespace DeveloperTools {

// The largest input file read: a country list or an event file is a few KiB.
constexpr int kMaxInputBytes = 4 * 1024 * 1024;

// input: lines of three letters, blanks and a country number of up to three digits.
// Output for codes 0 to 899, lines ended by CR LF: the assembler form ("_%03d_ABC:" and
// "\tdb\t'A','B','C'"), or with thirtyTwo the C-array form ("\t\t'A','B','C',").
std::string BuildCountryCodeTable(const std::string& input, bool thirtyTwo);
// The output path: the input's folder and extension with the title "ModifiedList"/"ModifiedList32".
std::string CountryCodeOutputPath(const std::string& inputPath, bool thirtyTwo);
// One entry per line; CR LF and LF endings both end a line.
std::vector<std::string> ReadEventList(const std::string& content);

}  // namespace DeveloperTools
