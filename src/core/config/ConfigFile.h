#pragma once

#include "core/config/ConfigRecord.h"

#include <array>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

// The configuration file: 17 sections of a header line in brackets, a value line starting with a
// tab, and an empty line, each line ended by CR LF. Numbers are written and read in the "C"
// locale whatever the user's locale is.
namespace ConfigFile {

constexpr int kSections = 17;
constexpr const char* kExtension = ".cfg";
constexpr const char* kFilter = "Configuration Files (*.cfg)";
constexpr const char* kProposedName = "KZT770Configuration";
// Longer lines are cut when read: no file can make the reader hold more than this of a line.
constexpr size_t kMaxLine = 256;

// The section names, in the order the file holds them and headers are matched.
extern const std::array<const char*, kSections> kSectionNames;

// A configuration file is a few hundred bytes: reading stops here, so that /dev/zero or a huge
// file cannot keep the tool busy.
constexpr size_t kMaxFileBytes = 64 * 1024;

// What a read file held.
struct Summary {
    std::array<bool, kSections> found{};
    int unknown = 0;  // headers that name no section
    // "[Section] value" for each value the reader does not take as it stands (garbage, out of
    // range, a decimal comma): stored, it would be cut or wrapped to some other number.
    std::vector<std::string> invalid;
    bool tooLarge = false;
    int Found() const;
};

// The sections the file did not hold, whose defaults were taken, as "Timeout, IO"; empty when none.
std::string DefaultsTaken(const Summary& summary);
// Why a read file must not be written to a reader, one text each: values it does not take, no
// section at all, and, unless allowDefaults, sections taken from defaults. Empty when none.
std::vector<std::string> Refusals(const Summary& summary, bool allowDefaults);

// The defaults a file read starts from; other fields keep what the record held.
void SetDefaults(ConfigRecord& record);
// The sync level byte (volts x 51) as the volts text of the file and the Additional page.
std::string SyncLevelText(uint8_t syncLevel);
// Volts text to the sync level byte: volts x 51 to the nearest whole number, cut to 8 bits.
uint8_t SyncLevelValue(const std::string& volts);

// Appends the 17 sections.
int WriteConfigFile(std::ostream& out, const ConfigRecord& record);
// Defaults first, then every recognised section of the stream; LF, CR LF and CR CR LF alike.
int ReadConfigFile(std::istream& in, ConfigRecord& record, Summary* summary = nullptr);
// 0 stored, -1 the header names no section.
int ParseConfigEntry(const std::string& header, const std::string& value, ConfigRecord& record);

// The path with ".cfg" appended when it holds no ".cfg" anywhere.
std::string WithExtension(const std::string& path);
// Writes a temporary file beside the path and renames it over the path, so a failed save leaves
// the old file as it was. -1 with the reason in error.
int SaveFile(const std::string& path, const ConfigRecord& record, std::string& error);
// -1 with the reason in error when the file cannot be read.
int LoadFile(const std::string& path, ConfigRecord& record, Summary& summary, std::string& error);

}  // namespace ConfigFile
