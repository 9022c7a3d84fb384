#include "core/tags/EventDatabase.h"

#include "core/tags/TransponderId.h"
#include "core/util/Format.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr int kListIdWidth = 12;

std::string ReadError(const std::string& path) {
    const int code = errno;
    return "Cannot read " + path + (code != 0 ? std::string(": ") + std::strerror(code) : std::string());
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + kLineEnd;
    }
    return text;
}

// Entries whose ID is not a number go last, in their order.
double SortKey(const std::string& line) {
    std::string id;
    std::string event;
    double value = 0;
    if (!CEventDatabase::SplitEntryLine(line, id, event) || !ParseDouble(id, value)) {
        return HUGE_VAL;
    }
    return value;
}

}  // namespace

CEventDatabase::CEventDatabase(std::string path) : m_path(std::move(path)) {}

std::string CEventDatabase::BackupPath() const {
    std::string path = m_path;
    for (size_t at = path.find(".txt"); at != std::string::npos; at = path.find(".txt", at + 7)) {
        path.replace(at, 4, "Bak.txt");
    }
    return path;
}

bool CEventDatabase::SplitEntryLine(const std::string& line, std::string& id, std::string& event) {
    const std::string text = TextFile::Trim(line);
    const size_t quote = text.find('"');
    if (quote == std::string::npos) {
        return false;
    }
    id = TextFile::Trim(text.substr(0, quote));
    event = TextFile::Trim(text.substr(quote));
    event.erase(std::remove(event.begin(), event.end(), '"'), event.end());
    return true;
}

std::string CEventDatabase::PadEvent(const std::string& event) {
    std::string padded = event.substr(0, kEventLength);
    padded.resize(kEventLength, ' ');
    return padded;
}

bool CEventDatabase::MatchEntry(const std::string& line, const std::string& id, std::string& event) {
    std::string lineId;
    std::string lineEvent;
    // An entry without an ID would end with every tag.
    if (!SplitEntryLine(line, lineId, lineEvent) || lineId.empty() || id.empty()) {
        return false;
    }
    const size_t n = std::min(lineId.size(), id.size());
    if (lineId.compare(lineId.size() - n, n, id, id.size() - n, n) != 0) {
        return false;
    }
    event = PadEvent(lineEvent);
    return true;
}

std::string CEventDatabase::FindEvent(const std::string& nationalId) const {
    // Runs for every tag read: it stops at the first match and never holds more than a line.
    std::ifstream in(m_path, std::ios::binary);
    std::string line;
    std::string event;
    size_t total = 0;
    for (int c = in.get(); in && total < kMaxFileBytes; c = in.get(), ++total) {
        if (c != '\n') {
            if (line.size() < kMaxLineBytes) {
                line.push_back(static_cast<char>(c));
            }
            continue;
        }
        if (MatchEntry(line, nationalId, event)) {
            return event;
        }
        line.clear();
    }
    return MatchEntry(line, nationalId, event) ? event : std::string();
}

int CEventDatabase::LookupEvent(const std::string& nationalId, EventRecord& record) const {
    const std::string event = FindEvent(nationalId);
    if (event.empty()) {
        return -1;
    }
    record.fill(0);
    const auto bytes = CTransponderId::NationalIdToBytes(nationalId);
    std::copy(bytes.begin(), bytes.end(), record.begin());
    std::copy(event.begin(), event.end(), record.begin() + 8);
    return 0;
}

bool CEventDatabase::EnsureHeader(std::string& error) const {
    struct stat info {};
    if (::stat(m_path.c_str(), &info) == 0 || errno != ENOENT) {
        // A file that is there but cannot be read may hold every entry: it is never replaced.
        std::vector<std::string> lines;
        errno = 0;
        if (!TextFile::ReadLines(m_path, lines, kMaxFileBytes)) {
            error = ReadError(m_path);
            return false;
        }
        if (!lines.empty()) {
            return true;
        }
    }
    return WriteFileAtomically(m_path, std::string(kHeader) + kLineEnd, error);
}

std::vector<std::string> CEventDatabase::ListLines() const {
    std::vector<std::string> lines;
    std::vector<std::string> out;
    if (!TextFile::ReadLines(m_path, lines)) {
        return out;
    }
    for (const auto& line : lines) {
        std::string id;
        std::string event;
        if (SplitEntryLine(line, id, event)) {
            out.push_back(Format("%*s", kListIdWidth, id.c_str()) + "  \"" + event + "\"");
        }
    }
    return out;
}

bool CEventDatabase::Backup(std::vector<std::string>& lines, std::string& error) const {
    errno = 0;
    if (!TextFile::ReadLines(m_path, lines, kMaxFileBytes)) {
        error = ReadError(m_path);
        return false;
    }
    return WriteFileAtomically(BackupPath(), Join(lines), error);
}

bool CEventDatabase::Rewrite(const std::vector<std::string>& lines, IPrompt& prompt) const {
    std::string error;
    if (!WriteFileAtomically(m_path, Join(lines), error)) {
        prompt.Message(kDatabaseError, error);
        return false;
    }
    return true;
}

bool CEventDatabase::Assign(const std::string& idText, const std::string& event, IPrompt& prompt) const {
    const std::string id = TextFile::Trim(idText);
    if (id.empty() || event.empty()) {
        prompt.Message(kNothingSelected);
        return false;
    }
    if (event.size() > kEventLength) {
        prompt.Message(kTooLong);
        return false;
    }
    if (id.size() < kMinIdLength) {
        prompt.Message(kInvalidId);
        return false;
    }
    std::vector<std::string> lines;
    std::string error;
    if (!Backup(lines, error)) {
        prompt.Message(kDatabaseError, error);
        return false;
    }
    const std::string entry = id + std::string(8, ' ') + "\"" + event + "\"";
    const std::string bare = id.substr(std::min(id.find_first_not_of('0'), id.size()));
    bool matched = false;
    bool changed = false;
    for (auto& line : lines) {
        std::string lineId;
        std::string lineEvent;
        if (!SplitEntryLine(line, lineId, lineEvent) || lineId.find(bare) == std::string::npos) {
            continue;
        }
        matched = true;
        if (prompt.YesNo(id + " is already assigned to \"" + lineEvent + "\" Replace?")) {
            line = entry;
            changed = true;
        }
    }
    if (!matched) {
        lines.push_back(entry);
        changed = true;
    }
    return !changed || Rewrite(lines, prompt);
}

bool CEventDatabase::Remove(const std::string& id, const std::string& event, IPrompt& prompt) const {
    if (id.empty() || event.empty()) {
        prompt.Message(kNothingSelected);
        return false;
    }
    if (!prompt.YesNo(kRemoveQuestion)) {
        return false;
    }
    std::vector<std::string> lines;
    std::string error;
    if (!Backup(lines, error)) {
        // Silence here would pass for a removal.
        prompt.Message(kDatabaseError, error);
        return false;
    }
    const auto kept = std::remove_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(event) != std::string::npos && line.find(id) != std::string::npos;
    });
    if (kept == lines.end()) {
        return true;
    }
    lines.erase(kept, lines.end());
    return Rewrite(lines, prompt);
}

bool CEventDatabase::Sort(IPrompt& prompt) const {
    std::vector<std::string> lines;
    if (!TextFile::ReadLines(m_path, lines)) {
        return false;
    }
    std::vector<std::string> header;
    std::vector<std::string> entries;
    for (const auto& line : lines) {
        if (line.empty()) {
            continue;
        }
        if (line.size() < 3 || line.find('"', 2) == std::string::npos) {
            if (header.empty()) {
                header.push_back(line);
            }
            continue;
        }
        entries.push_back(line);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::string& a, const std::string& b) { return SortKey(a) < SortKey(b); });
    header.insert(header.end(), entries.begin(), entries.end());
    return Rewrite(header, prompt);
}
