#pragma once
// The main window's back/forward history of panes: each (console type, key) at most once, in the
// order of last visit, with a cursor on the entry on show or at the end position (past the last).
#include <cstddef>
#include <vector>
#include "app/PaneKey.h"

class PaneHistory {
public:
    std::vector<PaneKey> m_entries;
    size_t m_cursor = 0; // == m_entries.size(): the end position

    bool IsEmpty() const { return m_entries.empty(); }
    size_t Size() const { return m_entries.size(); }
    bool IsAtEnd() const { return m_cursor >= m_entries.size(); }
    void Clear();

    // Removes an entry of the same console type and key, then appends the entry.
    void Push(const PaneKey& entry);
    void SetCursorToLast();
    // Move the cursor one entry towards the start or the end; false (nothing changed) at the first
    // entry or with no entry after the cursor. The history itself never changes.
    bool Back();
    bool Forward();
    bool CanGoBack() const;
    bool CanGoForward() const;
    // The entry at the cursor, the last one when the cursor is at the end; null when empty.
    const PaneKey* CursorOrLast() const;

    // A closed pane leaves: removes the entry with exactly this console type and key and keeps the
    // cursor's index (one less when the removed entry was the cursor's, never before the first).
    void Remove(int consoleType, __int64 consoleKey);
};
