#pragma once
#include <windows.h>
#include <uxtheme.h>

#include "foundation/CTString.h"
#include "framework/CTThemeApi.h"
#include "framework/CTWnd2.h"

// Base of the bordered controls that wear their border in the current visual style (theme
// class such as "Treeview") instead of the classic sunken edge. Without visual styles the
// window keeps its classic border.
class CTWndTheme : public CTWnd2 {
public:
    CTWndTheme();
    ~CTWndTheme() override;

    bool SetThemeClass(const wchar_t* className);
    bool OpenTheme();
    bool CloseTheme();
    bool PaintThemedBorder(HDC windowDc);
    LRESULT DefaultNcCalcSize(WPARAM wParam, LPARAM lParam);
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void ReopenTheme();

    CTThemeApi* m_themeApi = nullptr;
    HTHEME m_theme = nullptr;
    CTString m_themeClass;

private:
    bool HasBorder() const;
};

// The theme class whose border a bordered standard control should wear: "Treeview" for tree
// views, "Listview" for list views and list boxes, "Edit" for edits. A window without WS_BORDER
// or WS_EX_CLIENTEDGE gives false and leaves out untouched.
bool ThemeClassForWindow(HWND hwnd, CTString& out);
