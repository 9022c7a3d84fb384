#pragma once

#include <fstream>
#include <string>
#include <vector>

// Text files as the tool writes and reads them: lines written with the literal line ends the
// caller gives, read back whatever ends they have (LF, CR LF, CR CR LF).
namespace TextFile {

// Removes blanks, tabs, CR and LF at the end.
std::string TrimRight(std::string text);
std::string Trim(const std::string& text);

// The whole file as lines with trailing white space removed; false when it cannot be opened.
bool ReadLines(const std::string& path, std::vector<std::string>& lines);

// Writes the file through a temporary file beside it and a rename, so that a failure never
// leaves it half written. false with error naming the file and the reason.
bool WriteAtomic(const std::string& path, const std::string& content, std::string& error);

// "Cannot write <path>: <reason>" for the current errno.
std::string WriteError(const std::string& path);

}  // namespace TextFile

// A file written line by line over a longer time (a download): the lines go to a temporary file
// beside it, and only Close puts the file in place under its name.
class CAtomicTextWriter final {
public:
    CAtomicTextWriter() = default;
    ~CAtomicTextWriter();
    CAtomicTextWriter(const CAtomicTextWriter&) = delete;
    CAtomicTextWriter& operator=(const CAtomicTextWriter&) = delete;

    // false with Error() set when the temporary file cannot be created.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_stream.is_open(); }
    // false (and Error() set) once a write has failed; later writes are dropped.
    bool Write(const std::string& text);
    // Flushes, closes and renames; false with Error() set when any step failed, in which case
    // the temporary file is removed and an older file of that name stays as it was.
    bool Close();
    const std::string& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }

private:
    std::ofstream m_stream;
    std::string m_path;
    std::string m_temporary;
    std::string m_error;
    bool m_failed = false;
};

// Writes text to a file through a temporary file beside it and a rename, so a failed write never
// leaves a half-written file where a good one was. Returns 0, or -1 with the file name and the
// reason in error.
int WriteTextFileAtomically(const std::string& path, const std::string& text, std::string& error);
