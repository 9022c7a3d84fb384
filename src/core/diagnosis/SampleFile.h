#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

// Sample files: the raw bytes of one block, no header.
namespace SampleFile {

constexpr const char* kExtension = ".dat";
constexpr size_t kMaxPrefix = 49;

// The chosen name with ".dat" appended unless it already ends in it.
std::string SaveName(const std::string& chosen);
// prefix, counter, day of month, hour, minute, second, ".dat": run3_05140709.dat. The prefix is
// the first line of the edit, cut to kMaxPrefix characters.
std::string AutosaveName(const std::string& prefix, int counter, const std::tm& local);

// Writes the bytes to a temporary file beside path and renames it over path, so a failed write
// never leaves a half file under the name. 0, or -1 with error naming the file and the reason.
int Write(const std::string& path, const uint8_t* bytes, size_t count, std::string& error);
// Reads up to max bytes from the start of an existing file; the number read, or -1 with error.
int Read(const std::string& path, uint8_t* out, size_t max, std::string& error);

}  // namespace SampleFile
