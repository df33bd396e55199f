#include "app/PaneHistory.h"

#include <algorithm>

void PaneHistory::Clear()
{
    m_entries.clear();
    m_cursor = 0;
}

void PaneHistory::Push(const PaneKey& entry)
{
    auto same = std::find_if(m_entries.begin(), m_entries.end(), [&](const PaneKey& e) {
        return e.consoleType == entry.consoleType && e.consoleKey == entry.consoleKey;
    });
    if (same != m_entries.end()) m_entries.erase(same);
    m_entries.push_back(entry);
}

void PaneHistory::SetCursorToLast()
{
    m_cursor = m_entries.empty() ? 0 : m_entries.size() - 1;
}

bool PaneHistory::CanGoBack() const
{
    return !m_entries.empty() && m_cursor != 0;
}

bool PaneHistory::CanGoForward() const
{
    return m_entries.size() >= 2 && m_cursor + 1 < m_entries.size();
}

bool PaneHistory::Back()
{
    if (!CanGoBack()) return false;
    if (m_cursor > m_entries.size()) m_cursor = m_entries.size();
    --m_cursor;
    return true;
}

bool PaneHistory::Forward()
{
    if (!CanGoForward()) return false;
    ++m_cursor;
    return true;
}

const PaneKey* PaneHistory::CursorOrLast() const
{
    if (m_entries.empty()) return nullptr;
    return IsAtEnd() ? &m_entries.back() : &m_entries[m_cursor];
}

void PaneHistory::Remove(int consoleType, __int64 consoleKey)
{
    ptrdiff_t n = m_entries.empty() ? 0 : static_cast<ptrdiff_t>(std::min(m_cursor, m_entries.size()));
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const PaneKey& e) {
        return e.consoleType == consoleType && e.consoleKey == consoleKey;
    });
    if (it != m_entries.end()) {
        if (static_cast<ptrdiff_t>(it - m_entries.begin()) == n) --n;
        m_entries.erase(it);
    }
    // Closing the cursor's entry at the first place must not put the cursor before the start.
    if (n < 0) n = 0;
    m_cursor = std::min(static_cast<size_t>(n), m_entries.size());
}
