#pragma once
// An "Edit" control that holds a whole multi-language text and shows the part of one language.
// While focused, the current language is shown as a tag in a strip right of the client area; the
// tag (or Alt+Down) opens a language menu, Alt+Left/Right step through the languages the text
// holds, Alt+Delete removes the current language's part. Its window text, as the owner reads and
// writes it, is the whole multi-language text; typed text is filed into it lazily.
#include <windows.h>
#include "foundation/CTStringLocale.h"
#include "framework/CTWnd2.h"

class CTWndEditLocale : public CTWnd2 {
public:
    // Style bit of the edit window (unused by the system edit) that turns tag and menu off.
    static constexpr DWORD kStyleNoLanguageTag = 0x200;
    // Menu command of the default language.
    static constexpr UINT kDefaultLanguageCommand = 2057;

    CTString m_language;         // current language, language-COUNTRY
    CTStringLocale m_value;      // the whole multi-language text
    BYTE m_modified = 0;         // visible text changed since it was last filed into m_value
    BYTE m_tagShown = 0;
    int m_tagWidth = 0;
    int m_tagHeight = 0;
    int m_widestName = 0;
    int m_tallestName = 0;
    RECT m_tagRect = {};         // client coordinates (the strip lies right of the client area)
    HFONT m_tagFont = nullptr;
    HBRUSH m_tagBrush = nullptr; // made on first paint, deleted when the tag hides

    CTWndEditLocale();
    ~CTWndEditLocale() override;

    using CTWnd2::Create;
    // An "Edit" child with style | WS_CHILD | ES_AUTOHSCROLL, subclassed.
    virtual bool Create(HWND parent, int id, const RECT& rc, DWORD style);
    // Always subclasses: the control cannot work otherwise.
    bool AttachDlgItem(int id, HWND dialog, bool subclass = true) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Stores the visible text as the current language's part when it changed.
    void FileVisibleText();
    // Files the visible text, then shows the language's part.
    void ShowLanguage(const CTString& name);
    void OpenLanguageMenu();

private:
    void MeasureTag();
    void SetTagShown(bool shown);
    bool TagAllowed() const;
    bool MenuAllowed() const;
    bool IsReadOnly() const;
    void UpdateTagRect();
    void PaintTag();
    bool PointOnTag(LPARAM screenPoint) const;
    bool OnAltKey(WPARAM key);
};
