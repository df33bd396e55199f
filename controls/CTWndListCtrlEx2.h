#pragma once
// The themed list frame (window class "TWndListCtrlEx2") that nearly every dialog shows its
// records in: a caption band with the frame's text on the left and the report's toolbar on the
// right, the report filling the rest, and the report's and toolbar's notifications and commands
// forwarded to the dialog as the frame's own.
#include <windows.h>
#include <commctrl.h>

#include "controls/CTListCtrlReportEx.h"
#include "framework/CTWndTheme.h"

class CTWndListCtrlEx2 : public CTWndTheme {
public:
    static constexpr const wchar_t* kClassName = L"TWndListCtrlEx2";
    // Key flags of a forwarded NM_CLICK: forwarded by a frame, from its report, from its toolbar.
    enum : UINT { ClickForwarded = 0x10, ClickFromReport = 0x20, ClickFromToolbar = 0x40 };

    CTListCtrlReportEx m_report;
    int m_bandHeight = 0;
    int m_toolbarWidth = 0;
    COLORREF m_captionColour = 0;

    CTWndListCtrlEx2() = default;
    ~CTWndListCtrlEx2() override;

    static bool RegisterClass(HINSTANCE module);
    bool Create(HWND parent, int id, bool attach, DWORD reportStyle);
    bool CreateToolbar(void* ownerData, DWORD flags, int count, const CTListCtrlReportEx::ToolbarButton* buttons);
    void SetCaption(const CTString& caption);
    void SetCaptionColour(COLORREF colour) { m_captionColour = colour; }
    void ModifyOptions(DWORD clear, DWORD set) { m_report.ModifyOptions(clear, set); }
    bool SetColumns(const CTString& spec, UINT layoutStringId, HINSTANCE layoutModule, const wchar_t* subPath)
    {
        return m_report.SetColumns(spec, layoutStringId, layoutModule, subPath);
    }
    void Enable(bool enable);
    void DestroyChildren();
    void PaintCaptionBand(HDC hdc, bool offsetByBorder);

    void Destroy() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void OnSize(UINT type, int cx, int cy);

private:
    void EnableChildren(bool enable, bool frameToo);
};
