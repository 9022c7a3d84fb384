#include "core/app/WindowRegistry.h"

#include <algorithm>

void CWindowRegistry::Register(const std::string& caption, IToolWindow* window) {
    Unregister(caption);
    if (window != nullptr) {
        m_windows.emplace_back(caption, window);
    }
}

void CWindowRegistry::Unregister(const std::string& caption) {
    std::erase_if(m_windows, [&caption](const auto& entry) { return entry.first == caption; });
}

IToolWindow* CWindowRegistry::Find(const std::string& caption) const {
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                 [&caption](const auto& entry) { return entry.first == caption; });
    return it == m_windows.end() ? nullptr : it->second;
}
