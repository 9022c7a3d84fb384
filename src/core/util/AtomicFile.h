#pragma once

#include <cstddef>
#include <string>

// A file replaced whole: the bytes go to a temporary file with a fresh name in the target's
// folder, created exclusively and never through a link someone planted there, and only Commit
// puts it in place, after it reached the disk. A power cut, a full disk or a second writer of the
// same name leaves either the old file or the new one, never a mix.
class CAtomicFile final {
public:
    CAtomicFile() = default;
    // A temporary file still open is removed: nothing was committed or kept.
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // false with Error() set when no temporary file can be created beside path.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // false (Error() set) once a write has failed; later writes are dropped.
    bool Write(const void* data, size_t size);
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Flushes to disk, takes the mode of the file it replaces and renames it over the target.
    // false with Error() set when any step failed; the temporary file is then removed and the
    // target stays as it was.
    bool Commit();
    // Closes and leaves what was written under TemporaryPath(), for a job that did not complete.
    // false when nothing is left there (the file could not be flushed or was never opened).
    bool Keep();
    // Closes and removes the temporary file.
    void Discard();

    const std::string& Path() const { return m_path; }
    const std::string& TemporaryPath() const { return m_temporary; }
    const std::string& Error() const { return m_error; }
    // The reason alone, without the file name.
    const std::string& Reason() const { return m_reason; }
    bool Failed() const { return m_failed; }

private:
    void Fail(int code);
    bool Close();

    int m_fd = -1;
    std::string m_path;
    std::string m_temporary;
    std::string m_error;
    std::string m_reason;
    bool m_failed = false;
};

// The whole of content written to path through a CAtomicFile; false with error "Cannot write
// <path>: <reason>".
bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& error);
