#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

// The lines of a traffic list, bounded, with what a view needs to follow them cheaply: lines are
// numbered from the first ever added, so a view that shows lines [first, first + n) can drop what
// went at the front, redo what changed at the end and append the rest, once per event-loop turn.
class LineList final {
public:
    explicit LineList(size_t maxLines) : m_maxLines(maxLines == 0 ? 1 : maxLines) {}

    // stamp: milliseconds of the line's first character, or -1 for none; mark: what the owner
    // wants to know of the line later (the monitor keeps its kind and command code there).
    void Add(std::string line, int64_t stamp = -1, uint16_t mark = 0);
    // Takes the last line back out (for continuing it); empty when there is none.
    std::string TakeLast(int64_t* stamp = nullptr, uint16_t* mark = nullptr);
    // Removes the first n lines.
    void DropFront(size_t n);
    void Clear() { DropFront(m_lines.size()); }

    size_t Size() const { return m_lines.size(); }
    bool Empty() const { return m_lines.empty(); }
    const std::string& At(size_t index) const { return m_lines[index].text; }
    int64_t StampAt(size_t index) const { return m_lines[index].stamp; }
    uint16_t MarkAt(size_t index) const { return m_lines[index].mark; }
    const std::string& Last() const { return m_lines.back().text; }

    // The number of the first line held; lines dropped at the front raise it.
    size_t FirstNumber() const { return m_first; }
    size_t EndNumber() const { return m_first + m_lines.size(); }
    // The lowest line number changed or removed at the end since the last MarkSeen.
    size_t ChangedFrom() const { return m_changedFrom; }
    void MarkSeen() { m_changedFrom = EndNumber(); }
    size_t MaxLines() const { return m_maxLines; }

private:
    struct Entry {
        std::string text;
        int64_t stamp = -1;
        uint16_t mark = 0;
    };

    std::deque<Entry> m_lines;
    size_t m_maxLines;
    size_t m_first = 0;
    size_t m_changedFrom = 0;
};
