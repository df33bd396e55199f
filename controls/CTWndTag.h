#pragma once
#include "controls/CTWndGfx.h"

// Edits a list of tags as chips on the canvas. The list is the window text, each tag in double
// quotes, separated by commas; setting the text rebuilds the chips. Typing opens an inline edit
// after the last chip; Enter makes its text a chip, Backspace in an empty box removes the last
// chip, and a chip's close button removes that chip. Changes reach the parent as WM_NOTIFY.
class CTWndTag : public CTWndGfx {
public:
    static constexpr int kControlId = 106;
    static constexpr UINT kRemoveTag = WM_USER + 1;  // lParam: the chip, or null for the last one
    enum NotifyCode : UINT { NotifyChanged = 1, NotifyRemoving = 6, NotifyAdded = 7 };

    struct TagNotify {
        NMHDR hdr;
        const wchar_t* text;  // valid during the call
    };

    class CGfxClose : public CGfxObject {
    public:
        COLORREF m_mask = 0;
        void Paint(HDC dc, const RECT* clip) override;
        void OnClick() override;
        void Render() override;
        void CreateResources(HDC dc, bool create) override;
        bool IsHotTrackable() override { return true; }
        bool IsPressable() override { return true; }
    };

    class CGfxItem : public CGfxObject {
    public:
        CTString m_text;
        CGfxClose* m_close = nullptr;
        int m_closeX = 0;
        int m_closeY = 0;
        void Render() override;
        void Move(int x, int y) override;
        void Measure();
    };

    class CEdit : public CTWnd2 {
    public:
        CTWndTag* m_owner = nullptr;
        int m_depth = 0;  // nesting of its own message handling: it is not deleted inside it
        explicit CEdit(CTWndTag* owner) : m_owner(owner) {}
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    private:
        bool Handle(UINT msg, WPARAM wParam, LRESULT* result);
    };

    bool m_cues = false;
    CGfxObject* m_focused = nullptr;
    CEdit* m_editor = nullptr;
    RECT m_entry = {};
    bool m_settingText = false;
    CEdit* m_retired = nullptr;  // an editor closed from inside its own handler

    CTWndTag() = default;
    ~CTWndTag() override;

    bool Attach(HWND dialog);
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void UpdateScrollBars(int width, int height) override;
    void OnCaptureChanged(HWND newOwner) override;

    void PaintRoot(HDC dc, const RECT* clip) override;
    void DeleteRootChildren() override;
    void OnRootLButtonDown(int x, int y) override;
    void OnRootLButtonUp(int x, int y) override;

    CGfxItem* AddTag(const wchar_t* text, bool notify);
    void RemoveTag(CGfxItem* chip);
    void UpdateText();
    void SetTags(const wchar_t* text);
    void Layout(int width, int height);
    void Relayout();
    void OpenEditor();
    void CloseEditor();
    bool EditorOpen() const { return m_editor && m_editor->IsWindow(); }

    static CGfxItem* AsChip(CGfxObject* object) { return dynamic_cast<CGfxItem*>(object); }

private:
    void SendNotify(UINT code, const wchar_t* text);
};
