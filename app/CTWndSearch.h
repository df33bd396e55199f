#pragma once
// The main window's search box: a drop-down combo box in the rebar whose recently-used list is kept
// per server under "Settings\<server>\SearchMRU", and the search filter settings of the connection.
#include <windows.h>
#include <vector>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class CTWndSearch : public CTWnd2 {
public:
    static constexpr unsigned kMaxEntries = 100;   // a damaged "Count" never drives a longer loop

    // The combo box's edit field; Enter asks the main window for a search (command 117).
    class CEdit : public CTWnd2 {
    public:
        CTWndSearch* m_owner = nullptr;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    };

    CEdit m_edit;
    CTString m_text;          // the current search text
    CTString m_server;        // the connection whose list is kept
    bool m_enabled = true;
    HWND m_commandTarget = nullptr;

    // On: refills the list from the registry and enables the box (when it was disabled); off: saves
    // the list, empties the edit text and disables the box (when it was enabled).
    void Enable(bool on);
    CTString& GetText(CTString& out);
    // Puts text at the top of the list (once).
    void AddEntry(const CTString& text);

private:
    CTString KeyPath() const;
};

// The search filter of the current connection, kept under "Settings\<server>\SearchFilter".
struct SearchFilterSettings {
    bool EnableLimit = true;
    int Limit = 50;
    bool EnableTypeLimit = false;
    std::vector<int> Types;

    static SearchFilterSettings& Instance();
    void SetDefaults();
    void Reset() { SetDefaults(); }
    void Load(const CTString& server);
    void Save(const CTString& server);
};
