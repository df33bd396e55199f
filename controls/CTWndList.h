#pragma once
#include "controls/CDrawDocument.h"
#include "controls/CTWndGfx.h"

// A single-column list on the canvas: each row is a small mark-up document under a 64-bit key.
// Rows stay sorted by their (escaped) text, one is selected by a click, the arrow keys move the
// focus, and a row can be the target of a drag. Side panels derive from it for richer rows.
class CTWndList : public CTWndGfx {
public:
    class CGfxItem : public CGfxObject {
    public:
        CTString m_text;   // escaped; also the sort key
        unsigned __int64 m_key = 0;
        bool m_enabled = true;
        CDraw::CDrawDocument m_doc;

        void Paint(HDC dc, const RECT* clip) override;
        void SetBounds(int x, int y, int width, int height) override;
        unsigned __int64 GetData() override { return m_key; }
        bool IsHotTrackable() override { return true; }
        bool IsSelectable() override { return true; }
        bool IsDropTarget() override { return m_enabled; }
    };

    bool m_sorting = true;
    CGfxObject* m_focused = nullptr;
    CGfxObject* m_dropRow = nullptr;
    bool m_cues = false;
    unsigned __int64 m_selectedKey = 0;
    unsigned __int64 m_dropKey = 0;
    HBRUSH m_rowBrush = nullptr;
    HBRUSH m_selectedRowBrush = nullptr;
    bool m_pendingClick = false;

    CTWndList() = default;
    ~CTWndList() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void UpdateScrollBars(int width, int height) override;
    void OnCaptureChanged(HWND newOwner) override;

    virtual void OnSelectionChanged(unsigned __int64) {}
    virtual bool GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD state, CTString& out);
    virtual unsigned __int64 DragOver(bool over, POINT* screenPoint);

    void CreateResources(HDC dc, bool create) override;
    void DeleteRootChildren() override;
    void OnRootLButtonDown(int x, int y) override;
    void OnRootLButtonUp(int x, int y) override;

    // Adds (or, for a key already at its sorted place, reuses) a row; no layout, no repaint.
    CGfxItem* AddItem(unsigned __int64 key, const CTString& text, bool enabled);
    void SetSelectedKey(unsigned __int64 key);
    void Relayout();
    void MoveFocus(bool previous);

    static CGfxItem* AsRow(CGfxObject* object) { return dynamic_cast<CGfxItem*>(object); }
    // COLOR_WINDOW moved toward COLOR_GRADIENTACTIVECAPTION by factor (per channel, truncated).
    static COLORREF MixRowColour(double factor);

private:
    void DeleteBrushes();
};
