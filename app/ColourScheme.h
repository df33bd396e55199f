#pragma once
// The console's shared colour scheme in the GDI cache: the entries the main window registers when
// it opens, the colours the server sends for a session (kept beside the defaults they replace, so
// that sign-out restores them), and the small mark-up texts drawn in those colours.
#include <windows.h>
#include "foundation/CTString.h"

class CGDIManager;

struct ColourScheme {
    // Cache ids of the scheme.
    enum : int {
        TitleBar = 20, TabBackground = 21, TitleBarLight = 22, TitleBarText = 23, TabText = 24,
        ItemHighlight = 25, MainText = 28,
        SavedTitleBar = 40, SavedTitleBarText = 41, SavedItemHighlight = 42, SavedMainText = 43,
    };
    static constexpr COLORREF kDefaultTitleBar = 0x8E4203;

    // The server's colours as sent: "#RRGGBB" texts, null or anything not starting with "#" ignored.
    struct ServerColours {
        const wchar_t* titleBar = nullptr;
        const wchar_t* titleBarText = nullptr;
        const wchar_t* mainText = nullptr;
        const wchar_t* itemHighlight = nullptr;
    };

    // Registers every icon, font, colour, pen and brush entry of the main window, in order.
    static void AddEntries(CGDIManager& gdi, int dpiX, int dpiY);
    // Replaces colours 20, 22, 23, 25 and 28 with the server's, keeping the previous values in
    // 40 to 43; true when at least one colour was applied.
    static bool ApplyServerColours(CGDIManager& gdi, const ServerColours& colours);
    // Puts back what ApplyServerColours kept; true when anything was restored.
    static bool RestoreDefaults(CGDIManager& gdi);

    // The lighter title-bar shade (colour 22) for a title-bar colour.
    static COLORREF LighterTitleBar(COLORREF titleBar);
    // Colour id's value; 0 (black) for a missing entry.
    static COLORREF Get(CGDIManager& gdi, int id);
    // Releases the id once and registers it again with the value.
    static void Replace(CGDIManager& gdi, int id, COLORREF value);

    // The status-bar mark-up of n pending requests: a vertical progress bar capped at 10, labelled
    // with n, or "∞" above 99.
    static void BuildPendingMarkup(unsigned n, COLORREF text, COLORREF highlight, CTString& out);
};
