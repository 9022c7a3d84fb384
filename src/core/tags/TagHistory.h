#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>

class CCountryNames;

// Every tag read since the history was last cleared, one row per read. A reader held over an
// animal reports it again and again; reads of the same animal within the repeat window fold into
// its last row, so the list shows animals, not the reader's repeat rate.
class TagHistory final {
public:
    static constexpr size_t kMaxRows = 100000;
    static constexpr int64_t kDefaultRepeatMs = 3000;

    // Milliseconds of local wall time since 1970-01-01 00:00 local (the UTC offset added in).
    using Clock = std::function<int64_t()>;
    static int64_t LocalNowMs();

    struct Row {
        int64_t firstMs = 0;
        int64_t lastMs = 0;
        // Texts as the reader sent them: single bytes of Latin-1.
        std::string countryCode;
        std::string nationalId;
        std::string tagType;
        std::string eventText;
        // The animal's reads in the history up to and including this row.
        int count = 1;
        // Reads folded into this row after its first.
        int repeats = 0;
    };

    explicit TagHistory(const CCountryNames* names = nullptr, Clock clock = {}, size_t maxRows = kMaxRows);

    // A decoded tag; a read that carries no text at all (an undecodable message) is not a row.
    // Returns false when nothing was recorded.
    bool Add(const std::string& countryCode, const std::string& nationalId, const std::string& tagType,
             const std::string& eventText);
    void Clear();

    // 0 turns folding off: every read is a row of its own.
    void SetRepeatWindowMs(int64_t ms) { m_repeatMs = ms < 0 ? 0 : ms; }
    int64_t RepeatWindowMs() const { return m_repeatMs; }

    size_t Size() const { return m_rows.size(); }
    const Row& At(size_t index) const { return m_rows[index]; }
    long long Reads() const { return m_reads; }
    // Rows dropped at the front to keep the bound, since the last Clear.
    long long Dropped() const { return m_droppedRows; }
    // "" when nothing was dropped, else a sentence for the user.
    std::string DroppedNote() const;

    std::string CountryName(const Row& row) const;
    // "2026-12-06 14:03:27.512"
    static std::string TimeText(int64_t localMs);

    // Rows are numbered from the first ever added, as in a traffic list, so a view can follow
    // what went at the front, what changed in place and what is new, once per event-loop turn.
    size_t FirstNumber() const { return m_first; }
    size_t EndNumber() const { return m_first + m_rows.size(); }
    // Lowest row number changed in place since the last MarkSeen (EndNumber when none).
    size_t ChangedFrom() const { return m_changedFrom; }
    // Set by Clear, until MarkSeen: a view starts over.
    bool WasCleared() const { return m_cleared; }
    void MarkSeen();

    // The whole history as comma-separated values, UTF-8, CR LF line ends, a header row first.
    std::string Csv() const;
    // Writes Csv() through a temporary file and a rename; 0, or -1 with the file and reason.
    int ExportCsv(const std::string& path, std::string& error) const;

    static std::string Latin1ToUtf8(const std::string& text);
    static std::string CsvField(const std::string& utf8);

private:
    struct Animal {
        size_t lastRow = 0;  // row number of its latest row
        int count = 0;
    };
    static std::string AnimalKey(const std::string& countryCode, const std::string& nationalId);
    void DropFront();

    const CCountryNames* m_names;
    Clock m_clock;
    size_t m_maxRows;
    int64_t m_repeatMs = kDefaultRepeatMs;
    std::deque<Row> m_rows;
    std::unordered_map<std::string, Animal> m_animals;
    long long m_reads = 0;
    long long m_droppedRows = 0;
    size_t m_first = 0;
    size_t m_changedFrom = 0;
    bool m_cleared = false;
};
