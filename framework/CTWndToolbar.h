#pragma once
// The common-controls toolbar with the system's standard images loaded, the program's own icons,
// bitmaps and "EMF" pictures at the chosen icon size, radio-button glyphs, and every button painted
// through custom drawing in the engine's flat highlight style. The owner hands the notifications
// the toolbar sends it to OnReflectNotify first.
#include <windows.h>
#include <commctrl.h>
#include <map>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

// Sent to the parent as WM_NOTIFY (code kPaintedCode) after a button whose drawing options hold
// kNotifyAfterPaint was painted: the custom-draw record (device context, button rectangle) and the
// button's information.
struct CTWndToolbarPainted {
    NMTBCUSTOMDRAW draw;
    TBBUTTONINFOW button;
};

class CTWndToolbar : public CTWnd2 {
public:
    enum IconKind { IconSmall = 0, IconLarge = 1, Icon24 = 4 };
    static constexpr int kRadioGlyph = 0xF000;   // button image placeholder: the radio glyph of its state
    static constexpr DWORD kNotifyAfterPaint = 0x100;
    static constexpr UINT kPaintedCode = 20;

    // Where a button's parts go; computed for every painted button.
    struct ButtonLayout {
        RECT image = {};
        RECT text = {};
        RECT arrow = {};
        bool showText = false;
        bool arrowShown = false;
        bool split = false;
    };

    void* m_ownerData = nullptr;
    CLinkedList m_texts;                  // of CTString: the control points at them
    HIMAGELIST m_images = nullptr;        // owned
    std::map<int, DWORD> m_drawOptions;   // by command id
    int m_firstStdImage = 0;
    int m_firstHistImage = 0;
    int m_firstViewImage = 0;             // the view images (parent folder, new folder, view menu)
    int m_iconWidth = 0;
    int m_iconHeight = 0;
    HBITMAP m_arrow = nullptr;            // rendered once, recoloured; dropped by Invalidate
    COLORREF m_arrowMask = 0;
    std::map<int, CTString> m_toolTips;   // by command id, for TBN_GETINFOTIPW
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    int m_padX = 0;
    int m_padY = 0;
    int m_majorVersion = 0;
    int m_glyphUncheckedNormal = -1;
    int m_glyphUncheckedHot = -1;
    int m_glyphUncheckedDisabled = -1;
    int m_glyphCheckedNormal = -1;
    int m_glyphCheckedHot = -1;
    int m_glyphCheckedDisabled = -1;

    // Seam for tests: the source of the icon metrics (SM_CXICON, SM_CXSMICON ...).
    static int (WINAPI* s_systemMetrics)(int);

    CTWndToolbar() = default;
    ~CTWndToolbar() override;

    bool Create(HWND parent, void* ownerData, DWORD style, int iconKind, DWORD exStyle);
    bool Attach(HWND hwnd, bool subclass) override;
    void CopyImageList(const CTWndToolbar& other);
    void Clear();
    void Invalidate(bool erase) override;
    virtual bool OnReflectNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result);

    // Images: each returns the new index (-1 on failure) unless stated.
    int AddIcon(HMODULE module, UINT iconId);
    bool AddBitmap(HMODULE module, UINT bitmapId, int* index);
    int AddEmfImage(UINT resourceId);
    int AddIconHandle(HICON icon);
    int ReplaceIcon(int index, HICON icon);
    bool AddMaskedBitmap(HBITMAP bitmap, COLORREF mask, int* index);
    int GetCheckGlyph(BYTE state) const;

    // Buttons.
    bool InsertButton(int position, int image, int command, BYTE state, BYTE style, const wchar_t* text);
    bool AppendButton(int image, int command, BYTE state, BYTE style, const wchar_t* text);
    bool AddButton(int image, int command, BYTE state, BYTE style, UINT stringId);
    bool SetButtonImage(int image, int command);
    int GetButtonImage(int command);
    void SetButtonState(int command, BYTE state);
    int GetMaxWidth();
    int GetMaxHeight();

    void SetDrawOptions(int command, DWORD options) { m_drawOptions[command] = options; }
    void SetToolTip(int command, const wchar_t* text) { m_toolTips[command].AssignText(text); }

    ButtonLayout ComputeLayout(const RECT& button, BYTE buttonStyle, int textRows) const;

private:
    void LoadStandardImages(int cx, int cy, bool large);
    void AddRadioGlyphs();
    LRESULT PaintButton(NMTBCUSTOMDRAW* cd);
    void DrawArrow(HDC hdc, const RECT& rc, COLORREF colour);
};
