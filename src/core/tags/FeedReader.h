#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The reading side of the local tag feed: bytes as they arrive, cut into lines, each turned into
// what `follow` prints. Whatever arrives, memory stays bounded by one line.
class FeedReader final {
public:
    explicit FeedReader(bool json) : m_json(json) {}

    // Takes the next bytes; out receives what goes to standard output, note what goes to
    // standard error (dropped lines, lines that are no tag).
    void Put(const uint8_t* bytes, size_t count, std::string& out, std::string& note);
    // Lines taken so far that were tags.
    uint64_t Tags() const { return m_tags; }
    // True while a line has begun and not ended: the feed went away in the middle of it.
    bool InLine() const { return !m_line.empty() || m_skipping; }
    // Set when Put stopped after this many tags; the rest of the bytes is left unread.
    void SetLimit(uint64_t tags) { m_limit = tags; }

private:
    void Line(std::string& out, std::string& note);

    bool m_json;
    std::string m_line;
    bool m_skipping = false;  // inside a line longer than any tag line
    uint64_t m_tags = 0;
    uint64_t m_limit = 0;
};
