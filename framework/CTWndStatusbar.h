#pragma once
// The common-controls status bar divided into panes whose widths are given, measured from their
// contents, or stretched over the space left. Panes show plain text, mark-up drawn by the owner
// through the pane's document, an icon, and a tool tip whose text is the pane's own or the parent's.
#include <windows.h>
#include <commctrl.h>

#include "controls/CDrawDocument.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class CTWndStatusbar : public CTWnd2 {
public:
    static constexpr int kControlId = 411;

    enum PaneFlags : DWORD {
        NoBorders = 0x100,
        Markup = 0x100000,
        ToolTip = 0x1000000,         // the width leaves the text out
        ToolTipFromParent = 0x2000000,
        NoTextPointer = 0x4000000,
        Stretch = 0x8000000,
    };

    struct Pane : CLinkedListObject {
        int m_width = 0;
        DWORD m_flags = 0;
        CTString m_text;
        const wchar_t* m_parentTip = nullptr; // not owned: the parent's last answer
        HWND m_window = nullptr;              // hosted, not owned
        HICON m_icon = nullptr;               // not owned
        int m_iconWidth = 0;
        CDraw::CDrawDocument m_doc;
    };

    struct IconRecord {
        int width;
        HICON icon;
    };

    HINSTANCE m_module = nullptr;
    CLinkedList m_panes; // of Pane
    int m_stretchCount = 0;
    int m_fixedTotal = 0;
    int m_gripWidth = 0;
    int m_gripHeight = 0;
    int* m_edges = nullptr;
    CTWnd2 m_toolTip;
    COLORREF m_backColour = CLR_DEFAULT;
    COLORREF m_textColour = CLR_DEFAULT;
    int m_brushKind = 2;
    HBRUSH m_brush = nullptr;

    CTWndStatusbar() = default;
    ~CTWndStatusbar() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;

    bool Create(HWND parent, HINSTANCE module);
    bool AddPane(int index, DWORD flags, const CTString& text);
    bool SetPaneText(int index, const CTString& text);
    void SetPaneFlags(int index, DWORD flags);
    void SetColors(COLORREF text, COLORREF background);
    void SetFourthPaneIcon(const IconRecord& record);
    void SetThirdPaneWidth(int width);
    void DrawItem(DRAWITEMSTRUCT* item);
    void UpdateParts();
    void ComputePaneWidth(Pane* pane, int width);
    void MeasureGrip();

    Pane* GetPane(int index) { return static_cast<Pane*>(m_panes.GetAt(index)); }

private:
    using CTWnd2::Create;
    void SendText(int index, Pane* pane, bool ownerDraw);
};
