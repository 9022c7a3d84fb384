#include "core/tags/FeedReader.h"

#include "core/tags/TagLine.h"
#include "core/util/Format.h"

void FeedReader::Put(const uint8_t* bytes, size_t count, std::string& out, std::string& note) {
    for (size_t i = 0; i < count && (m_limit == 0 || m_tags < m_limit); ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == '\n') {
            if (m_skipping) {
                note += Format("a line of more than %zu bytes was skipped\n", TagLine::kMaxLine);
                m_skipping = false;
            } else {
                Line(out, note);
            }
            m_line.clear();
        } else if (!m_skipping) {
            m_line += c;
            if (m_line.size() > TagLine::kMaxLine) {
                m_line.clear();
                m_skipping = true;
            }
        }
    }
}

void FeedReader::Line(std::string& out, std::string& note) {
    if (!m_line.empty() && m_line.back() == '\r') {
        m_line.pop_back();
    }
    TagFields fields;
    if (!TagLine::Parse(m_line, fields)) {
        note += "a line that is no tag was skipped\n";
        return;
    }
    ++m_tags;
    if (fields.dropped != 0) {
        note += Format("%llu tags dropped before this one: this reader fell behind\n",
                       static_cast<unsigned long long>(fields.dropped));
    }
    // The feed's own line goes on unchanged, so every reader of one tool sees the same bytes.
    out += m_json ? m_line + "\n" : TagLine::Plain(fields);
}
