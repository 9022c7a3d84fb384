#pragma once

#include "core/util/AtomicFile.h"

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
    bool Open(const std::string& path) { return m_file.Open(path); }
    bool IsOpen() const { return m_file.IsOpen(); }
    // false (and Error() set) once a write has failed; later writes are dropped.
    bool Write(const std::string& text) { return m_file.Write(text); }
    bool Failed() const { return m_file.Failed(); }
    // Puts the file in place; false with Error() set when any step failed, in which case the
    // temporary file is removed and an older file of that name stays as it was.
    bool Close() { return m_file.Commit(); }
    // For a job that did not complete: what was written stays under TemporaryPath().
    bool Keep() { return m_file.Keep(); }
    const std::string& Path() const { return m_file.Path(); }
    const std::string& TemporaryPath() const { return m_file.TemporaryPath(); }
    const std::string& Error() const { return m_file.Error(); }

private:
    CAtomicFile m_file;
};

// As TextFile::WriteAtomic: 0, or -1 with the file name and the reason in error.
int WriteTextFileAtomically(const std::string& path, const std::string& text, std::string& error);
