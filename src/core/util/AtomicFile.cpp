#include "core/util/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RandomTag() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937_64 generator{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
    std::string tag(8, 'x');
    for (auto& c : tag) {
        c = kChars[generator() % (sizeof(kChars) - 1)];
    }
    return tag;
}

}  // namespace

CAtomicFile::~CAtomicFile() {
    if (m_fd >= 0) {
        Discard();
    }
}

void CAtomicFile::Fail(int code) {
    if (!m_failed) {
        m_failed = true;
        m_reason = code != 0 ? std::strerror(code) : "write failed";
        m_error = "Cannot write " + m_path + ": " + m_reason;
    }
}

bool CAtomicFile::Open(const std::string& path) {
    if (m_fd >= 0) {
        Discard();
    }
    m_path = path;
    m_temporary.clear();
    m_error.clear();
    m_reason.clear();
    m_failed = false;
    // A name that exists already (a link planted there, another window saving the same file)
    // is never opened: a fresh one is drawn instead.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = path + "." + RandomTag() + ".part";
        m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_temporary = candidate;
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    Fail(errno);
    return false;
}

bool CAtomicFile::Write(const void* data, size_t size) {
    if (m_fd < 0 || m_failed) {
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            Fail(written < 0 ? errno : ENOSPC);
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CAtomicFile::Close() {
    if (m_fd < 0) {
        return false;
    }
    if (!m_failed && ::fsync(m_fd) != 0) {
        Fail(errno);
    }
    if (::close(m_fd) != 0) {
        Fail(errno);
    }
    m_fd = -1;
    return !m_failed;
}

bool CAtomicFile::Commit() {
    if (m_fd < 0) {
        return false;
    }
    struct stat old {};
    if (!m_failed && ::lstat(m_path.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(m_fd, old.st_mode & 07777) != 0) {
        Fail(errno);
    }
    if (Close() && ::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        Fail(errno);
    }
    if (m_failed) {
        ::unlink(m_temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    const int folder = ::open(FolderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool CAtomicFile::Keep() {
    const bool wasOpen = m_fd >= 0;
    Close();
    return wasOpen;
}

void CAtomicFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        ::unlink(m_temporary.c_str());
    }
}

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& error) {
    CAtomicFile file;
    if (!file.Open(path) || !file.Write(content) || !file.Commit()) {
        error = file.Error();
        return false;
    }
    return true;
}
