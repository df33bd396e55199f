#pragma once
// A host window standing in for a dialog: it holds the owner-drawn list box, passes every message
// to the property list as a dialog does, and records the code-240 notifications and callbacks.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "controls/CTWndPropertyList.h"
#include "controls/CTWndPropertyListEditors.h"

namespace proplisttest {

constexpr int kListId = 100;

struct Recorder {
    int changes = 0;                   // code-240 notifications
    std::vector<int> rowCodes;         // row callback codes, in order
    int editCalls = 0;
    int pressAnswer = 0;               // row callback answer to code 0
    std::wstring pressValue;           // text it hands back with code 0
    CAttribute lastPressed;
};

inline Recorder& Rec()
{
    static Recorder recorder;
    return recorder;
}

inline CTWndPropertyList*& HostedList()
{
    static CTWndPropertyList* list = nullptr;
    return list;
}

inline int RowCallback(void*, __int64, int code, CAttribute* value)
{
    Rec().rowCodes.push_back(code);
    if (code == CTWndPropertyList::CodePressed) {
        Rec().lastPressed = *value;
        if (!Rec().pressValue.empty())
            value->SetText(CAttribute::Text, CTString(Rec().pressValue.c_str()));
        return Rec().pressAnswer;
    }
    if (code == CTWndPropertyList::CodeButtonText) {
        value->SetText(CAttribute::Text, CTString(L"Pick"));
        return 1;
    }
    return 0;
}

inline int EditCallback(void*, HWND, int, __int64)
{
    ++Rec().editCalls;
    return 0;
}

inline LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == CTWndPropertyList::kNotifyChanged && LOWORD(wParam) == kListId)
        ++Rec().changes;
    if (CTWndPropertyList* list = HostedList()) {
        LRESULT result = 0;
        if (list->OnParentMessage(msg, wParam, lParam, &result))
            return result;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class PropertyListTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    HWND other = nullptr;   // a second control to move the focus to
    CTWndPropertyList* list = nullptr;

    void SetUp() override
    {
        Rec() = Recorder();
        HINSTANCE module = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = module;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"PropertyListTestHost";
        RegisterClassExW(&wc);
        host = CreateWindowExW(0, L"PropertyListTestHost", L"host", WS_POPUP | WS_VISIBLE, 40, 40, 460, 360, nullptr,
                               nullptr, module, nullptr);
        ASSERT_TRUE(host);
        CreateWindowExW(0, L"ListBox", nullptr,
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY |
                            LBS_NOINTEGRALHEIGHT,
                        10, 10, 400, 260, host, reinterpret_cast<HMENU>(kListId), module, nullptr);
        other = CreateWindowExW(0, L"Edit", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 300, 100, 22, host,
                                reinterpret_cast<HMENU>(200), module, nullptr);
        list = new CTWndPropertyList();
        HostedList() = list;
        ASSERT_TRUE(list->Create(kListId, host));
        SetForegroundWindow(host);
        ::SetFocus(list->m_hWnd);
    }
    void TearDown() override
    {
        DestroyWindow(host);  // the list box frees its rows through the host
        HostedList() = nullptr;
        delete list;
        Pump();
    }

    int Insert(int kind, const wchar_t* name, const CAttribute& value, const wchar_t* group = nullptr, DWORD flags = 0,
               __int64 data = 0)
    {
        return list->InsertProperty(kind, CTString(name), value, data, group, proplisttest::RowCallback,
                                    proplisttest::EditCallback, nullptr, flags);
    }
    // Makes the row current the way a click on it does.
    void Select(int index)
    {
        ::SendMessageW(list->m_hWnd, LB_SETCURSEL, index, 0);
        ::SendMessageW(host, WM_COMMAND, MAKEWPARAM(kListId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list->m_hWnd));
    }
    HWND Editor() { return list->EditorWindow(); }
    std::wstring Text(HWND hwnd)
    {
        CTString text;
        GetWindowTextString(hwnd, text);
        return text.GetBuffer() ? text.GetBuffer() : L"";
    }
    std::wstring ValueText(int index)
    {
        CAttribute value;
        list->GetValue(index, value);
        return value.GetText();
    }
    CAttribute Value(int index)
    {
        CAttribute value;
        list->GetValue(index, value);
        return value;
    }
    void Type(HWND to, const wchar_t* text)
    {
        for (; *text; ++text) ::SendMessageW(to, WM_CHAR, *text, 1);
    }
    void Char(HWND to, wchar_t ch) { ::SendMessageW(to, WM_CHAR, ch, 1); }
    void KeyDown(HWND to, WPARAM key) { ::SendMessageW(to, WM_KEYDOWN, key, 1); }
    POINT ValuePoint(int index)
    {
        RECT rc = {};
        ::SendMessageW(list->m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        return {list->m_splitter + 30, (rc.top + rc.bottom) / 2};
    }
    void Click(POINT pt)
    {
        LPARAM at = MAKELPARAM(pt.x, pt.y);
        ::SendMessageW(list->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(list->m_hWnd, WM_LBUTTONUP, 0, at);
    }
};

} // namespace proplisttest
