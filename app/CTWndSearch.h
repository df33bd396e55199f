#pragma once
// The main window's search box: a drop-down combo box in the rebar whose edit field shows the cue
// "Search..." while empty and unfocused, keeps the most recent search texts per connection under
// "Settings\<connection>\SearchMRU", and asks its owner for a search (command 117) on Enter.
#include <windows.h>
#include <vector>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class CTWndSearch : public CTWnd2 {
public:
    static constexpr unsigned kMaxEntries = 100;
    enum : int { kCmdSearch = 117 };

    // The combo box's edit field; Enter starts a search.
    class CEdit : public CTWnd2 {
    public:
        CTWndSearch* m_owner = nullptr;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    private:
        bool PaintCue();
    };

    CTString m_keyPath;               // "Settings\<connection>\SearchMRU", rebuilt at each enabling
    CEdit m_edit;
    std::vector<CTString> m_recent;   // most recent first; the drop-down list holds the same texts
    CTString m_text;                  // the text of the last search started from the box
    CTString m_server;                // the connection whose list is kept
    bool m_enabled = true;            // the box is created enabled
    HWND m_commandTarget = nullptr;   // receives command 117; the parent when null

    // On: refills the list from the registry and enables the box (when it was disabled); off:
    // saves the list, empties the edit field and disables the box (when it was enabled).
    void Enable(bool on);
    // The current search text (the one the last Enter started).
    CTString& GetText(CTString& out);
    // Puts text at the top of the recent texts (once, case-sensitive) and of the drop-down list.
    void AddEntry(const CTString& text);
    // Runs the search for the edit's text as Enter does; false (and nothing happens) when empty.
    bool StartSearch();

    void Invalidate(bool erase) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
