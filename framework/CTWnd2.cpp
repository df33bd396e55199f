#include "framework/CTWnd2.h"
#include "framework/ModalDialogDriver.h"
#include <commctrl.h>
#include <prsht.h>
#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <unordered_map>

namespace {

// Process-wide state: the classes registered through the framework and the slot that hands an
// object to its dialog while CreateDialog*Param runs.
CLinkedListMT* g_classes = nullptr;
DWORD g_tlsSlot = TLS_OUT_OF_INDEXES;
INIT_ONCE g_globalsOnce = INIT_ONCE_STATIC_INIT;

void FreeGlobals()
{
    delete g_classes; // each record unregisters its class
    g_classes = nullptr;
    if (g_tlsSlot != TLS_OUT_OF_INDEXES) TlsFree(g_tlsSlot);
    g_tlsSlot = TLS_OUT_OF_INDEXES;
}

BOOL CALLBACK InitGlobals(INIT_ONCE*, void*, void**)
{
    g_classes = new CLinkedListMT();
    g_tlsSlot = TlsAlloc();
    std::atexit(FreeGlobals);
    return TRUE;
}

void EnsureGlobals()
{
    InitOnceExecuteOnce(&g_globalsOnce, InitGlobals, nullptr, nullptr);
}

// Every message looks its object up. A window property is a server round trip under Wine, which
// made each notification cost tens of microseconds, so the properties set here are mirrored in a
// process-local table that the lookups read. Never freed: windows may outlive static destructors.
struct OwnerTable {
    SRWLOCK lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CTWnd2*> owners;
};

OwnerTable& Owners()
{
    static OwnerTable* table = new OwnerTable();
    return *table;
}

bool RunsSharedProcedure(HWND hwnd)
{
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == CTWnd2::WindowProc) return true;
    return reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hwnd, DWLP_DLGPROC)) == CTWnd2::DialogProc;
}

} // namespace

CTWnd2::CTWnd2ClassRegister::~CTWnd2ClassRegister()
{
    if (atom) UnregisterClassW(reinterpret_cast<const wchar_t*>(static_cast<ULONG_PTR>(atom)), module);
}

CTWnd2::CTWnd2()
{
    EnsureGlobals();
}

CTWnd2::~CTWnd2()
{
    CTWnd2::Destroy();
    m_hooks.DeleteAll();
}

CTWnd2* CTWnd2::FromHandle(HWND hwnd)
{
    if (!hwnd) return nullptr;
    OwnerTable& table = Owners();
    AcquireSRWLockShared(&table.lock);
    auto found = table.owners.find(hwnd);
    CTWnd2* wnd = found != table.owners.end() ? found->second : nullptr;
    ReleaseSRWLockShared(&table.lock);
    return wnd;
}

void CTWnd2::SetOwner(HWND hwnd, CTWnd2* wnd)
{
    if (!hwnd) return;
    SetPropW(hwnd, kPropName, wnd);
    OwnerTable& table = Owners();
    AcquireSRWLockExclusive(&table.lock);
    table.owners[hwnd] = wnd;
    ReleaseSRWLockExclusive(&table.lock);
}

void CTWnd2::ClearOwner(HWND hwnd, CTWnd2* only)
{
    if (!hwnd) return;
    OwnerTable& table = Owners();
    AcquireSRWLockExclusive(&table.lock);
    auto found = table.owners.find(hwnd);
    bool owned = found != table.owners.end() && (!only || found->second == only);
    if (owned) table.owners.erase(found);
    ReleaseSRWLockExclusive(&table.lock);
    if (owned || !only) RemovePropW(hwnd, kPropName);
}

bool CTWnd2::RegisterWindowClass(const WNDCLASSEXW& wc)
{
    EnsureGlobals();
    ATOM atom = RegisterClassExW(&wc);
    if (atom) {
        auto* rec = new CTWnd2ClassRegister();
        rec->name.AssignText(wc.lpszClassName);
        rec->atom = atom;
        rec->module = wc.hInstance;
        g_classes->AddTail(rec);
    }
    return true; // registering an existing class again is harmless
}

bool CTWnd2::Create(const wchar_t* className, bool registerClass, HWND parent, DWORD style,
                    UINT classStyle, HINSTANCE module, RECT* rc)
{
    m_createWithThis = registerClass;
    if (parent) m_hParent = parent;
    if (registerClass) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = classStyle;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = module;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = className;
        RegisterWindowClass(wc);
    }
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = CW_USEDEFAULT, cy = CW_USEDEFAULT;
    if (rc) { x = rc->left; y = rc->top; cx = rc->right; cy = rc->bottom; } // right/bottom are the size
    HWND hwnd = CreateWindowExW(0, className, nullptr, style, x, y, cx, cy, m_hParent, nullptr, module,
                                m_createWithThis ? this : nullptr);
    if (!hwnd) return false;
    m_hWnd = hwnd;
    SetOwner(hwnd, this);
    return true;
}

bool CTWnd2::CreateChild(const wchar_t* className, DWORD style, RECT rc, HWND parent, int id)
{
    if (!Create(className, false, parent, style, 0, GetModuleHandleW(nullptr), nullptr)) return false;
    m_id = id;
    SetWindowLongPtrW(m_hWnd, GWLP_ID, id);
    MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    return true;
}

bool CTWnd2::CreateDialogFromTemplate(HINSTANCE module, const wchar_t* name, HWND parent)
{
    m_hParent = parent;
    m_isDialog = true;
    TlsSetValue(g_tlsSlot, this);
    m_hWnd = CreateDialogParamW(module, name, parent, DialogProc, reinterpret_cast<LPARAM>(this));
    TlsSetValue(g_tlsSlot, nullptr);
    return m_hWnd != nullptr;
}

bool CTWnd2::CreateDialogFromResource(HINSTANCE module, const wchar_t* name, HWND parent)
{
    HRSRC res = FindResourceW(module, name, RT_DIALOG);
    if (!res) return false;
    HGLOBAL data = LoadResource(module, res);
    if (!data) return false;
    auto* tmpl = static_cast<const DLGTEMPLATE*>(LockResource(data));
    if (!tmpl) return false;
    m_hParent = parent;
    m_isDialog = true;
    TlsSetValue(g_tlsSlot, this);
    m_hWnd = CreateDialogIndirectParamW(module, tmpl, parent, DialogProc, reinterpret_cast<LPARAM>(this));
    TlsSetValue(g_tlsSlot, nullptr);
    return m_hWnd != nullptr;
}

void CTWnd2::EndDialog(INT_PTR result)
{
    if (!m_isModal) return;
    if (!m_isPropertySheet) {
        ::EndDialog(m_hWnd, result);
        m_hWnd = nullptr;
    } else {
        ::SendMessageW(m_hWnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
}

bool CTWnd2::Attach(HWND hwnd, bool subclass)
{
    m_hWnd = hwnd;
    // Joining the chain of a window another object owns must not take its property away,
    // or the owner would no longer be found from its own window.
    CTWnd2* owner = FromHandle(hwnd);
    bool joinsChain = subclass && owner && owner != this && RunsSharedProcedure(hwnd);
    if (!joinsChain) SetOwner(hwnd, this);
    if (subclass) {
        m_createWithThis = false;
        Subclass(true);
    }
    m_attached = true;
    return true;
}

bool CTWnd2::AttachDlgItem(int id, HWND dialog, bool subclass)
{
    HWND item = GetDlgItem(dialog, id);
    if (!item || !Attach(item, subclass)) return false;
    m_id = id;
    m_hParent = dialog;
    return true;
}

void CTWnd2::Invalidate(bool erase)
{
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, erase);
}

void CTWnd2::RemoveOwnProperty()
{
    // Also when the window is already gone: its entry must not outlive this object.
    ClearOwner(m_hWnd, this);
}

void CTWnd2::Destroy()
{
    if (m_subclassed) Subclass(false);
    if (m_attached) {
        RemoveOwnProperty();
        m_hWnd = nullptr;
        m_attached = false;
    }
    if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

bool CTWnd2::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
bool CTWnd2::OnNotify(WPARAM, NMHDR*, LRESULT*) { return false; }
bool CTWnd2::OnCommand(WPARAM, LPARAM, LRESULT*) { return false; }

bool CTWnd2::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_NOTIFY) return OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam), result);
    if (msg == WM_COMMAND) return OnCommand(wParam, lParam, result);
    return OnMessage(msg, wParam, lParam, result);
}

static void FocusFirstTabStop(HWND hwnd)
{
    HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (first) ::SetFocus(first);
}

bool CTWnd2::ApplyFocusRules(UINT msg, WPARAM wParam)
{
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            if (m_focus) {
                if (m_focus == m_hWnd) FocusFirstTabStop(m_hWnd);
                else ::SetFocus(m_focus);
                m_focus = nullptr;
            }
            return true;
        }
        if (!m_focus) m_focus = GetFocus();
        return false;
    case WM_SETFOCUS:
        if (m_focus) {
            ::SetFocus(m_focus);
            m_focus = nullptr;
        } else {
            FocusFirstTabStop(m_hWnd);
        }
        return true;
    case WM_SHOWWINDOW:
        if (wParam == 0) m_focus = GetFocus();
        return false;
    case WM_SYSCOMMAND: {
        UINT cmd = static_cast<UINT>(wParam & 0xFFF0);
        if (cmd == SC_MINIMIZE || cmd == SC_NEXTWINDOW || cmd == SC_PREVWINDOW) m_focus = GetFocus();
        return false;
    }
    }
    return false;
}

LRESULT CALLBACK CTWnd2::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CTWnd2* wnd = FromHandle(hwnd);
    if (!wnd && msg == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        wnd = static_cast<CTWnd2*>(cs->lpCreateParams);
        if (wnd) {
            SetOwner(hwnd, wnd);
            wnd->m_hWnd = hwnd;
        }
    }
    if (!wnd) return DefWindowProcW(hwnd, msg, wParam, lParam);

    LRESULT result = 0;
    bool handled = false;
    for (CLinkedListObject* item = wnd->m_hooks.GetHead(); item && !handled;) {
        CLinkedListObject* next = item->m_next; // a hook may leave the chain while it handles
        CTWnd2* hook = static_cast<CTWnd2Chain*>(item)->wnd;
        if (hook) handled = hook->Dispatch(msg, wParam, lParam, &result);
        item = next;
    }
    if (!handled) handled = wnd->Dispatch(msg, wParam, lParam, &result);
    if (!handled && wnd->m_restoreFocus) {
        result = 0;
        handled = wnd->ApplyFocusRules(msg, wParam);
    }
    WNDPROC prev = wnd->m_subclassed ? wnd->m_prevProc : nullptr;
    if (msg == WM_DESTROY) ClearOwner(hwnd, nullptr);
    if (handled) return result;
    if (prev) return CallWindowProcW(prev, hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK CTWnd2::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CTWnd2* wnd = FromHandle(hwnd);
    if (!wnd) {
        wnd = g_tlsSlot != TLS_OUT_OF_INDEXES ? static_cast<CTWnd2*>(TlsGetValue(g_tlsSlot)) : nullptr;
        if (wnd) {
            TlsSetValue(g_tlsSlot, nullptr);
        } else if (msg == WM_INITDIALOG) {
            wnd = reinterpret_cast<CTWnd2*>(lParam);
        }
        if (wnd) {
            SetOwner(hwnd, wnd);
            wnd->m_hWnd = hwnd;
        }
    }
    if (!wnd) {
        if (msg == WM_DESTROY) ClearOwner(hwnd, nullptr);
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
        return FALSE;
    }

    LRESULT result = 0;
    bool handled = wnd->Dispatch(msg, wParam, lParam, &result);
    if (msg == WM_INITDIALOG && wnd->m_isModal) ModalDialogDriver::AnnounceShown(hwnd);
    if (!handled && ModalDialogDriver::IsShownMessage(msg)) {
        ModalDialogDriver::Drive(*wnd, hwnd);
        handled = true;
    }
    if (msg == WM_DESTROY) ClearOwner(hwnd, nullptr);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return handled;
}

void CTWnd2::Subclass(bool on)
{
    if (!m_hWnd) return;
    if (on) {
        if (m_subclassed) return;
        if (RunsSharedProcedure(m_hWnd)) {
            CTWnd2* owner = FromHandle(m_hWnd);
            if (owner && owner != this) {
                auto* rec = new CTWnd2Chain();
                rec->wnd = this;
                owner->m_hooks.AddTail(rec);
                m_subclassed = true;
            }
            return;
        }
        SetOwner(m_hWnd, this);
        WNDPROC prev = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
        if (prev) {
            m_prevProc = prev;
            m_subclassed = true;
        }
        return;
    }
    if (!m_subclassed) return;
    if (m_prevProc) {
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_prevProc));
        m_subclassed = false;
        m_prevProc = nullptr;
        RemoveOwnProperty();
        return;
    }
    if (CTWnd2* owner = FromHandle(m_hWnd)) {
        for (CLinkedListObject* item = owner->m_hooks.GetHead(); item; item = item->m_next) {
            if (static_cast<CTWnd2Chain*>(item)->wnd == this) {
                owner->m_hooks.Delete(item);
                break;
            }
        }
    }
    m_subclassed = false;
}

void CTWnd2::Detach()
{
    if (!m_attached) return;
    if (m_subclassed) Subclass(false);
    RemoveOwnProperty();
    m_hWnd = nullptr;
    m_attached = false;
}

LRESULT CTWnd2::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_subclassed && m_prevProc) return CallWindowProcW(m_prevProc, m_hWnd, msg, wParam, lParam);
    return DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

void CTWnd2::SetIcons(HINSTANCE module, UINT iconId)
{
    if (!m_hWnd) return;
    HANDLE small = LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    HANDLE big = LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                            GetSystemMetrics(SM_CYICON), LR_SHARED);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

bool CTWnd2::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    if (!m_hWnd) return false;
    DWORD old = static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    DWORD style = (old & ~remove) | add;
    if (style == old) return false;
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, style);
    if (swpFlags)
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CTWnd2::ModifyExStyle(DWORD remove, DWORD add)
{
    if (!m_hWnd) return false;
    DWORD old = static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
    DWORD style = (old & ~remove) | add;
    if (style == old) return false;
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, style);
    return true;
}

void CTWnd2::Move(int x, int y, int width, int height)
{
    if (m_hWnd && ::IsWindow(m_hWnd)) MoveWindow(m_hWnd, x, y, width, height, TRUE);
}

void FitRectToMonitor(RECT& rc)
{
    using MonitorFromRectFn = HMONITOR(WINAPI*)(LPCRECT, DWORD);
    using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
    if (!user32) return;
    auto fromRect = reinterpret_cast<MonitorFromRectFn>(GetProcAddress(user32, "MonitorFromRect"));
    auto getInfo = reinterpret_cast<GetMonitorInfoFn>(GetProcAddress(user32, "GetMonitorInfoW"));
    if (!fromRect || !getInfo) return;
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (!getInfo(fromRect(&rc, MONITOR_DEFAULTTONEAREST), &mi)) return;
    const RECT& work = mi.rcWork;
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    int left = std::max(work.left, std::min(rc.left, work.right - width));
    int top = std::max(work.top, std::min(rc.top, work.bottom - height));
    rc = {left, top, left + width, top + height};
}

bool CTWnd2::CenterOnWindow(HWND reference)
{
    if (!m_hWnd) return false;
    HWND ref = reference ? reference : m_hParent;
    if (!ref) {
        ref = m_hWnd;
        while (HWND owner = GetWindow(ref, GW_OWNER)) ref = owner;
    }
    if (ref == m_hWnd || !::IsWindow(ref) || !IsWindowVisible(ref)) return false;
    RECT refRect, own;
    GetWindowRect(ref, &refRect);
    GetWindowRect(m_hWnd, &own);
    int width = own.right - own.left, height = own.bottom - own.top;
    int left = (refRect.left + refRect.right) / 2 - width / 2;
    int top = (refRect.top + refRect.bottom) / 2 - height / 2;
    RECT moved = {left, top, left + width, top + height};
    FitRectToMonitor(moved);
    SetWindowPos(m_hWnd, nullptr, moved.left, moved.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    return true;
}

void CTWnd2::SetItemText(int id, const wchar_t* text)
{
    HWND item = GetDlgItem(m_hWnd, id);
    if (!item) return;
    CTString current;
    GetWindowTextString(item, current);
    const wchar_t* now = current.GetBuffer() ? current.GetBuffer() : L"";
    const wchar_t* wanted = text ? text : L"";
    if (current.GetLength() == wcslen(wanted) && wcscmp(now, wanted) == 0) return; // no flicker
    ::SetWindowTextW(item, wanted);
}

int GetWindowTextString(HWND hwnd, CTString& out)
{
    int length = hwnd ? static_cast<int>(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
    if (length <= 0) {
        out.Empty();
        return 0;
    }
    wchar_t* buffer = out.Reserve(length + 1);
    buffer[0] = 0;
    ::SendMessageW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buffer));
    out.ReleaseBuffer();
    return static_cast<int>(out.GetLength());
}

int CTWnd2::GetItemText(int id, CTString& out)
{
    return GetWindowTextString(GetDlgItem(m_hWnd, id), out);
}

void CTWnd2::BringToFront()
{
    if (!m_hWnd) return;
    ::ShowWindow(m_hWnd, IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(m_hWnd);
}

LRESULT CTWnd2::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return m_hWnd ? ::SendMessageW(m_hWnd, msg, wParam, lParam) : 0;
}

bool CTWnd2::ShowWindow(int cmd)
{
    return m_hWnd ? ::ShowWindow(m_hWnd, cmd) != FALSE : false;
}

HWND CTWnd2::SetFocus()
{
    return m_hWnd ? ::SetFocus(m_hWnd) : nullptr;
}

void CTWnd2::SetFont(HFONT font, bool redraw)
{
    if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

bool CTWnd2::SetWindowText(const wchar_t* text)
{
    return m_hWnd ? ::SetWindowTextW(m_hWnd, text) != FALSE : false;
}

bool CTWnd2::IsWindow() const
{
    return m_hWnd && ::IsWindow(m_hWnd);
}
