#pragma once

#include "core/app/Prompt.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The event database file: transponder IDs with the short event text the reader is to show when
// it reads one of them. Every operation reads the file anew and rewrites it whole (through a
// temporary file); nothing of it is kept in memory between operations.
class CEventDatabase final {
public:
    static constexpr size_t kEventLength = 16;
    static constexpr size_t kMinIdLength = 12;
    // Far beyond any herd; a larger file is not one of ours and is not read whole for every tag.
    static constexpr size_t kMaxFileBytes = 16u << 20;
    static constexpr size_t kMaxLineBytes = 4096;
    static constexpr const char* kFileName = "EventDatabase.txt";
    static constexpr const char* kHeader = "[Transponder ID] [Event string (max. 16 characters)]";
    static constexpr const char* kNothingSelected = "No transponder ID and/or no event string select";
    static constexpr const char* kTooLong = "Length of event string exeeds allowed maximum of 16 characters";
    static constexpr const char* kInvalidId = "Invalid transponder ID";
    static constexpr const char* kDatabaseError = "Database Error";
    static constexpr const char* kRemoveQuestion = "Sure to remove event?";

    using EventRecord = std::array<uint8_t, 24>;

    explicit CEventDatabase(std::string path);
    const std::string& Path() const { return m_path; }
    // The path with every ".txt" replaced by "Bak.txt".
    std::string BackupPath() const;

    // false for a line without a double quote (no entry).
    static bool SplitEntryLine(const std::string& line, std::string& id, std::string& event);
    // Compares the line's ID and the given one right-aligned over the shorter length; on a match
    // event receives the line's event text padded to 16 characters.
    static bool MatchEntry(const std::string& line, const std::string& id, std::string& event);
    static std::string PadEvent(const std::string& event);

    // 0 and the event record, or -1 (no file, no matching entry).
    int LookupEvent(const std::string& nationalId, EventRecord& record) const;
    // The padded event text of the first matching entry, or empty.
    std::string FindEvent(const std::string& nationalId) const;
    // Creates the file with its header when it is absent or empty; false with error when it cannot.
    bool EnsureHeader(std::string& error) const;
    // The list lines: the ID padded to 12 on the left, 2 blanks, the event text in double quotes.
    std::vector<std::string> ListLines() const;

    // Each returns false after telling the user why through the prompt (or when answered No).
    bool Assign(const std::string& idText, const std::string& event, IPrompt& prompt) const;
    bool Remove(const std::string& id, const std::string& event, IPrompt& prompt) const;
    bool Sort(IPrompt& prompt) const;

private:
    bool Backup(std::vector<std::string>& lines, std::string& error) const;
    bool Rewrite(const std::vector<std::string>& lines, IPrompt& prompt) const;

    std::string m_path;
};
