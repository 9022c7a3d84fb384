#include "core/util/TextFile.h"

#include <fstream>

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

bool ReadLines(const std::string& path, std::vector<std::string>& lines, size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    // Read in pieces up to the cap, so that /dev/zero or a huge file ends at once.
    std::string text;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > maxBytes) {
            return false;
        }
    }
    // A folder opens but cannot be read; an I/O error must not pass for a shorter file.
    if (in.bad() || !in.eof()) {
        return false;
    }
    std::vector<std::string> read;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        read.push_back(TrimRight(text.substr(start, end - start)));
        start = end + 1;
    }
    lines = std::move(read);
    return true;
}

bool GetLine(std::istream& in, std::string& line, size_t maxLength) {
    line.clear();
    bool any = false;
    for (int c = in.get(); in; c = in.get()) {
        any = true;
        if (c == '\n') {
            return true;
        }
        if (line.size() < maxLength) {
            line.push_back(static_cast<char>(c));
        }
    }
    return any;
}

bool HasExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && dot > name && dot + 1 < path.size();
}

}  // namespace TextFile
