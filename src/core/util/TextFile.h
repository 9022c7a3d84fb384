#pragma once

#include <istream>
#include <string>
#include <vector>

// Text files as the tool writes and reads them: lines written with the literal line ends the
// caller gives, read back whatever ends they have (LF, CR LF, CR CR LF).
namespace TextFile {

// Removes blanks, tabs, CR and LF at the end.
std::string TrimRight(std::string text);
std::string Trim(const std::string& text);

// The whole file as lines with trailing white space removed; false when it cannot be opened or
// read, or holds more than maxBytes (a file the tool did not write).
bool ReadLines(const std::string& path, std::vector<std::string>& lines, size_t maxBytes = 64u << 20);

// As std::getline, but keeps at most maxLength characters of the line and skips the rest, so a
// file without line ends cannot fill the memory.
bool GetLine(std::istream& in, std::string& line, size_t maxLength = 4096);

// The file name in path ends in an extension of its own (".hidden" is a name, not one).
bool HasExtension(const std::string& path);

}  // namespace TextFile
