#include "core/service/LineList.h"

#include <algorithm>

void LineList::Add(std::string line, int64_t stamp, uint16_t mark) {
    m_lines.push_back(Entry{std::move(line), stamp, mark});
    if (m_lines.size() > m_maxLines) {
        DropFront(m_lines.size() - m_maxLines);
    }
}

std::string LineList::TakeLast(int64_t* stamp, uint16_t* mark) {
    if (stamp != nullptr) {
        *stamp = -1;
    }
    if (mark != nullptr) {
        *mark = 0;
    }
    if (m_lines.empty()) {
        return {};
    }
    std::string line = std::move(m_lines.back().text);
    if (stamp != nullptr) {
        *stamp = m_lines.back().stamp;
    }
    if (mark != nullptr) {
        *mark = m_lines.back().mark;
    }
    m_lines.pop_back();
    m_changedFrom = std::min(m_changedFrom, EndNumber());
    return line;
}

void LineList::DropFront(size_t n) {
    n = std::min(n, m_lines.size());
    m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(n));
    m_first += n;
    m_changedFrom = std::max(m_changedFrom, m_first);
}
