#include "core/util/TextFile.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace TextFile {

std::string TrimRight(std::string text) {
    const auto last = text.find_last_not_of(" \t\r\n");
    text.erase(last == std::string::npos ? 0 : last + 1);
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : TrimRight(text.substr(first));
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    lines.clear();
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(TrimRight(line));
    }
    return true;
}

std::string WriteError(const std::string& path) {
    const int code = errno;
    return "Cannot write " + path + ": " + (code != 0 ? std::strerror(code) : "write failed");
}

bool WriteAtomic(const std::string& path, const std::string& content, std::string& error) {
    CAtomicTextWriter writer;
    if (!writer.Open(path) || !writer.Write(content) || !writer.Close()) {
        error = writer.Error();
        return false;
    }
    return true;
}

}  // namespace TextFile

CAtomicTextWriter::~CAtomicTextWriter() {
    if (m_stream.is_open()) {
        Close();
    }
}

bool CAtomicTextWriter::Open(const std::string& path) {
    if (m_stream.is_open()) {
        Close();
    }
    m_path = path;
    m_temporary = path + ".part";
    m_error.clear();
    m_failed = false;
    errno = 0;
    m_stream.open(m_temporary, std::ios::binary | std::ios::trunc);
    if (!m_stream) {
        m_error = TextFile::WriteError(path);
        return false;
    }
    return true;
}

bool CAtomicTextWriter::Write(const std::string& text) {
    if (!m_stream.is_open() || m_failed) {
        return false;
    }
    errno = 0;
    m_stream << text;
    if (!m_stream) {
        m_failed = true;
        m_error = TextFile::WriteError(m_path);
    }
    return !m_failed;
}

bool CAtomicTextWriter::Close() {
    if (!m_stream.is_open()) {
        return !m_failed;
    }
    errno = 0;
    m_stream.flush();
    if (!m_stream && !m_failed) {
        m_failed = true;
        m_error = TextFile::WriteError(m_path);
    }
    m_stream.close();
    if (!m_failed && std::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        m_failed = true;
        m_error = TextFile::WriteError(m_path);
    }
    if (m_failed) {
        ::unlink(m_temporary.c_str());
    }
    return !m_failed;
}

int WriteTextFileAtomically(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".tmp";
    auto fail = [&](const std::string& name) {
        error = "Cannot write " + name + ": " + std::strerror(errno);
        return -1;
    };
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return fail(temporary);
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int savedErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        if (!written) {
            errno = savedErrno;
        }
        const int result = fail(temporary);
        std::remove(temporary.c_str());
        return result;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int result = fail(path);
        std::remove(temporary.c_str());
        return result;
    }
    return 0;
}
