#include "core/tags/TagHistory.h"

#include "core/tags/CountryNames.h"
#include "core/util/Format.h"
#include "core/util/LocalTime.h"
#include "core/util/AtomicFile.h"
#include "core/util/TextFile.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {

std::string Trimmed(const std::string& text) {
    const size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

}  // namespace

int64_t TagHistory::LocalNowMs() {
    using namespace std::chrono;
    const int64_t utcMs = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(utcMs / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    return utcMs + static_cast<int64_t>(local.tm_gmtoff) * 1000;
}

TagHistory::TagHistory(const CCountryNames* names, Clock clock, size_t maxRows)
    : m_names(names),
      m_clock(clock ? std::move(clock) : Clock(LocalNowMs)),
      m_maxRows(maxRows == 0 ? 1 : maxRows) {}

std::string TagHistory::AnimalKey(const std::string& countryCode, const std::string& nationalId) {
    // "0984" from a binary record and "984" from a tag line are the same country.
    std::string cc = Trimmed(countryCode);
    const size_t digits = cc.find_first_not_of('0');
    cc = digits == std::string::npos ? std::string() : cc.substr(digits);
    return cc + '/' + Trimmed(nationalId);
}

bool TagHistory::Add(const std::string& countryCode, const std::string& nationalId,
                     const std::string& tagType, const std::string& eventText) {
    if (countryCode.empty() && nationalId.empty() && tagType.empty() && eventText.empty()) {
        return false;
    }
    const int64_t now = m_clock();
    ++m_reads;
    const std::string key = AnimalKey(countryCode, nationalId);
    if (const auto it = m_animals.find(key);
        it != m_animals.end() && m_repeatMs > 0 && it->second.lastRow >= m_first) {
        Row& row = m_rows[it->second.lastRow - m_first];
        if (now >= row.lastMs && now - row.lastMs <= m_repeatMs) {
            row.lastMs = now;
            row.count = ++it->second.count;
            ++row.repeats;
            // An event assigned while the animal stood at the reader is the one that counts.
            if (!eventText.empty()) {
                row.eventText = eventText;
            }
            m_changedFrom = std::min(m_changedFrom, it->second.lastRow);
            return true;
        }
    }
    // Before the animal is looked up for good: dropping may forget it.
    if (m_rows.size() >= m_maxRows) {
        DropFront();
    }
    Animal& animal = m_animals[key];
    animal.lastRow = EndNumber();
    m_rows.push_back(Row{now, now, countryCode, nationalId, tagType, eventText, ++animal.count, 0});
    return true;
}

void TagHistory::DropFront() {
    const Row& row = m_rows.front();
    const auto it = m_animals.find(AnimalKey(row.countryCode, row.nationalId));
    // An animal without rows left is forgotten, so the map stays as bounded as the rows.
    if (it != m_animals.end() && it->second.lastRow == m_first) {
        m_animals.erase(it);
    }
    m_rows.pop_front();
    ++m_first;
    ++m_droppedRows;
    m_changedFrom = std::max(m_changedFrom, m_first);
}

void TagHistory::Clear() {
    m_rows.clear();
    m_animals.clear();
    m_first = 0;
    m_changedFrom = 0;
    m_reads = 0;
    m_droppedRows = 0;
    m_cleared = true;
}

void TagHistory::MarkSeen() {
    m_changedFrom = EndNumber();
    m_cleared = false;
}

std::string TagHistory::DroppedNote() const {
    if (m_droppedRows == 0) {
        return {};
    }
    return Format("History full: the oldest %lld rows were dropped", m_droppedRows);
}

std::string TagHistory::CountryName(const Row& row) const {
    const std::string cc = Trimmed(row.countryCode);
    if (m_names == nullptr || cc.empty() || cc.size() > 4 ||
        cc.find_first_not_of("0123456789") != std::string::npos) {
        return {};
    }
    return m_names->Name(std::stoi(cc));
}

std::string TagHistory::TimeText(int64_t localMs) {
    constexpr int64_t kDayMs = 24LL * 3600 * 1000;
    int64_t days = localMs / kDayMs;
    int64_t ms = localMs % kDayMs;
    if (ms < 0) {
        ms += kDayMs;
        --days;
    }
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    return Format("%04d-%02d-%02d %02lld:%02lld:%02lld.%03lld", year, month, day,
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
}

std::string TagHistory::Latin1ToUtf8(const std::string& text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (b >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return utf8;
}

std::string TagHistory::CsvField(const std::string& utf8) {
    std::string field = utf8;
    // A spreadsheet runs a cell that starts like a formula; a text from a tag must stay text.
    if (!field.empty() && std::string("=+-@\t\r").find(field.front()) != std::string::npos) {
        field.insert(field.begin(), '\'');
    }
    // Blanks at either end are part of the value ("  HDX") and would be trimmed if unquoted.
    const bool quote = field.find_first_of(",\"\r\n") != std::string::npos ||
                       (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quote) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') {
            quoted.push_back('"');
        }
        quoted.push_back(c);
    }
    return quoted + '"';
}

std::string TagHistory::Csv() const {
    std::string csv = "Time,Country code,Country,National ID,Type,Event,Count,Repeats\r\n";
    csv.reserve(csv.size() + m_rows.size() * 80);
    for (const Row& row : m_rows) {
        csv += TimeText(row.firstMs);
        csv += ',';
        csv += CsvField(Latin1ToUtf8(row.countryCode));
        csv += ',';
        // The system's country list is UTF-8 already.
        csv += CsvField(CountryName(row));
        csv += ',';
        csv += CsvField(Latin1ToUtf8(row.nationalId));
        csv += ',';
        csv += CsvField(Latin1ToUtf8(row.tagType));
        csv += ',';
        csv += CsvField(Latin1ToUtf8(row.eventText));
        csv += Format(",%d,%d\r\n", row.count, row.repeats);
    }
    return csv;
}

int TagHistory::ExportCsv(const std::string& path, std::string& error) const {
    return WriteFileAtomically(path, Csv(), error) ? 0 : -1;
}
