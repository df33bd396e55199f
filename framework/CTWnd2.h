#pragma once
// Base of every window, dialog, page and control wrapper: one object per window handle, found
// from the handle (the "_CTWnd2_Class" property, mirrored in a process-local table), messages
// turned into three handlers.
#include <windows.h>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class CTWnd2 {
public:
    // One watcher in a window's hook chain; the watcher is not owned.
    struct CTWnd2Chain : CLinkedListObject {
        CTWnd2* wnd = nullptr;
    };

    // A window class registered through the framework; unregistered when the record dies.
    struct CTWnd2ClassRegister : CLinkedListObject {
        CTString name;
        ATOM atom = 0;
        HINSTANCE module = nullptr;
        ~CTWnd2ClassRegister() override;
    };

    HWND m_hWnd = nullptr;
    HWND m_hParent = nullptr;
    bool m_attached = false;        // adopted by Attach: Destroy releases, never destroys
    int m_id = 0;
    bool m_isDialog = false;
    bool m_isModal = false;         // EndDialog acts only on modal dialogs
    bool m_isPropertySheet = false; // EndDialog presses the sheet's Cancel instead
    bool m_restoreFocus = false;    // keep the child focus across deactivation
    bool m_subclassed = false;      // replaced the procedure, or sits in another object's chain
    WNDPROC m_prevProc = nullptr;   // null when only hooked into another object's chain
    bool m_createWithThis = false;
    CLinkedList m_hooks;            // of CTWnd2Chain
    HWND m_focus = nullptr;         // child focus saved on deactivation

    static constexpr const wchar_t* kPropName = L"_CTWnd2_Class";

    CTWnd2();
    virtual ~CTWnd2();
    CTWnd2(const CTWnd2&) = delete;
    CTWnd2& operator=(const CTWnd2&) = delete;

    virtual bool Create(const wchar_t* className, bool registerClass, HWND parent, DWORD style,
                        UINT classStyle, HINSTANCE module, RECT* rc);
    virtual bool CreateChild(const wchar_t* className, DWORD style, RECT rc, HWND parent, int id);
    virtual bool CreateDialogFromTemplate(HINSTANCE module, const wchar_t* name, HWND parent);
    virtual bool CreateDialogFromResource(HINSTANCE module, const wchar_t* name, HWND parent);
    virtual void EndDialog(INT_PTR result);
    virtual bool Attach(HWND hwnd, bool subclass);
    virtual bool AttachDlgItem(int id, HWND dialog, bool subclass);
    virtual void Invalidate(bool erase);
    virtual void Destroy();
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result);
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result);

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static bool RegisterWindowClass(const WNDCLASSEXW& wc);
    static CTWnd2* FromHandle(HWND hwnd);
    // Makes wnd the object of hwnd (the property and the lookup table); ClearOwner forgets it,
    // only when it is still `only` unless that is null.
    static void SetOwner(HWND hwnd, CTWnd2* wnd);
    static void ClearOwner(HWND hwnd, CTWnd2* only);

    void Subclass(bool on);
    void Detach();
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    void SetIcons(HINSTANCE module, UINT iconId);
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags);
    bool ModifyExStyle(DWORD remove, DWORD add);
    void Move(int x, int y, int width, int height);
    bool CenterOnWindow(HWND reference);
    void SetItemText(int id, const wchar_t* text);
    int GetItemText(int id, CTString& out);
    void BringToFront();

    // Thin wrappers: nothing happens without a window.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool ShowWindow(int cmd);
    HWND SetFocus();
    void SetFont(HFONT font, bool redraw);
    bool SetWindowText(const wchar_t* text);
    bool IsWindow() const;

private:
    bool Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    bool ApplyFocusRules(UINT msg, WPARAM wParam);
    void RemoveOwnProperty();
};

// Reads any window's text into out; returns its length (0 and an empty string for a blank window).
int GetWindowTextString(HWND hwnd, CTString& out);

// Moves rc into the work area of the nearest monitor, keeping its size.
void FitRectToMonitor(RECT& rc);
