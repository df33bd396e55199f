#include "framework/CWMForm.h"

#include <commctrl.h>
#include <vector>

#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "framework/CTWndMessageBox.h"

using CWMForm = CWindowManager::CWMForm;
using CWMFormPage = CWindowManager::CWMFormPage;

namespace {

HMODULE ModuleWithDialog(UINT id)
{
    CTApp* app = CTApp::Instance();
    const wchar_t* name = MAKEINTRESOURCEW(id);
    if (app) {
        if (app->GetLanguageModule() && FindResourceW(app->GetLanguageModule(), name, RT_DIALOG))
            return app->GetLanguageModule();
        if (app->GetResourceModule() && FindResourceW(app->GetResourceModule(), name, RT_DIALOG))
            return app->GetResourceModule();
        if (app->GetModule()) return app->GetModule();
    }
    return GetModuleHandleW(nullptr);
}

void RegisterHeaderClass(HMODULE module)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CTWnd2::WindowProc;
    wc.hInstance = module;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TDialogHeader";
    CTWnd2::RegisterWindowClass(wc);
}

bool Themed() { return CTREngine::ThemeApi() && CTREngine::ThemeApi()->IsAppThemed(); }

void AddTab(HWND tab, int index, CWMFormPage* page)
{
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(page->GetTitle());
    item.lParam = reinterpret_cast<LPARAM>(page);
    SendMessageW(tab, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

CWMFormPage* TabPage(HWND tab, int index)
{
    TCITEMW item = {};
    item.mask = TCIF_PARAM;
    if (!SendMessageW(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<CWMFormPage*>(item.lParam);
}

} // namespace

// ---- template re-styling -----------------------------------------------------------------------

bool MakeChildDialogTemplate(BYTE* data, size_t size)
{
    if (size < 16) return false;
    bool extended = *reinterpret_cast<WORD*>(data) == 1;
    DWORD* style = reinterpret_cast<DWORD*>(data + (extended ? 12 : 0));
    DWORD* exStyle = reinterpret_cast<DWORD*>(data + (extended ? 8 : 4));
    *style = (*style & 0x373BFF7F) | WS_CHILD;
    *exStyle = (*exStyle & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE)) | WS_EX_CONTROLPARENT;
    return true;
}

// ---- page --------------------------------------------------------------------------------------

HMODULE FindDialogTemplateModule(UINT id)
{
    CTApp* app = CTApp::Instance();
    HMODULE exe = app && app->GetModule() ? app->GetModule() : GetModuleHandleW(nullptr);
    if (!app || (!app->GetLanguageModule() && !app->GetResourceModule())) return exe;
    const wchar_t* name = MAKEINTRESOURCEW(id);
    if (app->GetLanguageModule() && FindResourceW(app->GetLanguageModule(), name, RT_DIALOG))
        return app->GetLanguageModule();
    if (app->GetResourceModule() && FindResourceW(app->GetResourceModule(), name, RT_DIALOG))
        return app->GetResourceModule();
    return exe;
}

HMODULE CWMFormPage::GetTemplateModule() { return FindDialogTemplateModule(GetTemplateId()); }

HWND CreateChildDialog(HMODULE module, UINT templateId, HWND parent, CTWnd2* wnd)
{
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    if (!res) return nullptr;
    HGLOBAL handle = LoadResource(module, res);
    const void* data = handle ? LockResource(handle) : nullptr;
    DWORD size = SizeofResource(module, res);
    if (!data || size == 0) return nullptr;
    // The resource itself is read-only: restyle a copy.
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    if (!MakeChildDialogTemplate(copy.data(), copy.size())) return nullptr;
    return CreateDialogIndirectParamW(module, reinterpret_cast<DLGTEMPLATE*>(copy.data()), parent, CTWnd2::DialogProc,
                                      reinterpret_cast<LPARAM>(wnd));
}

bool CWMFormPage::CreatePage(HWND parent)
{
    m_hParent = parent;
    m_isDialog = true;
    m_hWnd = CreateChildDialog(GetTemplateModule(), GetTemplateId(), parent, this);
    if (m_hWnd && m_title.IsEmpty()) GetWindowTextString(m_hWnd, m_title);
    return m_hWnd != nullptr;
}

// ---- form --------------------------------------------------------------------------------------

CWMForm::~CWMForm()
{
    m_pages.DeleteAll();
    m_header.Destroy();
    m_tab.Destroy();
    Destroy();
}

bool CWMForm::Create(HWND parent, HINSTANCE iconModule, UINT iconId, const wchar_t* placementName)
{
    m_resourceModule = ModuleWithDialog(LOWORD(m_templateId));
    m_hParent = parent;
    if (placementName) m_placementName = placementName;
    RegisterHeaderClass(m_resourceModule);
    if (!CreateDialogFromResource(m_resourceModule, MAKEINTRESOURCEW(LOWORD(m_templateId)), parent)) return false;
    if (iconModule && iconId) SetIcons(iconModule, iconId);
    if (m_headerId) {
        if (!m_header.Attach(m_hWnd, static_cast<int>(m_headerId))) return false;
        if (iconId) m_header.LoadIcon(iconId);
    }
    if (m_tabId && !m_tab.AttachDlgItem(m_tabId, m_hWnd, false)) return false;
    HWND apply = GetDlgItem(m_hWnd, kApplyId);
    if (m_key == 0 && apply) {
        // A new object has nothing to apply: OK and Cancel close up to the right edge.
        HWND ok = GetDlgItem(m_hWnd, IDOK), cancel = GetDlgItem(m_hWnd, IDCANCEL);
        RECT rcApply, rcCancel;
        GetWindowRect(apply, &rcApply);
        GetWindowRect(cancel, &rcCancel);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rcApply), 2);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rcCancel), 2);
        ::ShowWindow(apply, SW_HIDE);
        EnableWindow(apply, FALSE);
        MoveWindow(cancel, rcApply.left, rcApply.top, rcApply.right - rcApply.left, rcApply.bottom - rcApply.top, TRUE);
        MoveWindow(ok, rcCancel.left, rcCancel.top, rcCancel.right - rcCancel.left, rcCancel.bottom - rcCancel.top, TRUE);
    }
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded) dpi.Load();
    Init(m_hWnd, true, dpi.Scale(m_minWidth), dpi.ScaleY(m_minHeight), false);
    if (m_header.m_hWnd) AddItem(m_header.m_hWnd, 8);
    if (m_tab.m_hWnd) AddItem(m_tab.m_hWnd, 12);
    if (m_extraId) AddItem(GetDlgItem(m_hWnd, m_extraId), 14);
    for (int id : {IDOK, IDCANCEL, static_cast<int>(kApplyId)})
        if (HWND item = GetDlgItem(m_hWnd, id)) AddItem(item, 15);
    OnInitForm();
    if (m_param) {
        RestorePlacement(m_placementName.GetBuffer(), 0);
        CenterOnWindow(reinterpret_cast<HWND>(m_param));
        ShowWindow(SW_SHOW);
    } else {
        RestorePlacement(m_placementName.GetBuffer(), 1);
    }
    return true;
}

CWMFormPage* CWMForm::AddPage(CWMFormPage* page)
{
    page->m_form = this;
    m_pages.AddTail(page);
    if (page->IsEnabled() && page->CreatePage(m_hWnd) && m_tab.m_hWnd) {
        int count = static_cast<int>(::SendMessageW(m_tab.m_hWnd, TCM_GETITEMCOUNT, 0, 0));
        AddTab(m_tab.m_hWnd, count, page);
    }
    return page;
}

bool CWMForm::ShowPages()
{
    if (m_pagesReady) return true;
    RegisterHeaderClass(m_resourceModule);
    if (m_tab.m_hWnd) {
        int count = static_cast<int>(::SendMessageW(m_tab.m_hWnd, TCM_GETITEMCOUNT, 0, 0));
        if (Themed()) {
            for (int i = 0; i < count; ++i)
                if (CWMFormPage* page = TabPage(m_tab.m_hWnd, i)) CTREngine::ThemeApi()->EnableThemeDialogTexture(page->m_hWnd);
        }
        if (CWMFormPage* first = TabPage(m_tab.m_hWnd, 0)) first->ShowWindow(SW_SHOW);
        ::SendMessageW(m_tab.m_hWnd, TCM_SETCURSEL, 0, 0);
    }
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    OnSize(rc.right, rc.bottom);
    m_pagesReady = true;
    return true;
}

bool CWMForm::RefreshPages()
{
    if (!m_pagesReady || !m_tab.m_hWnd) return false;
    HWND tab = m_tab.m_hWnd;
    int selected = static_cast<int>(::SendMessageW(tab, TCM_GETCURSEL, 0, 0));
    CWMFormPage* selectedPage = selected >= 0 ? TabPage(tab, selected) : nullptr;
    for (int i = 0; i < static_cast<int>(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));) {
        CWMFormPage* page = TabPage(tab, i);
        if (page && !page->IsEnabled()) {
            page->Destroy();
            ::SendMessageW(tab, TCM_DELETEITEM, i, 0);
            i = 0;
        } else {
            ++i;
        }
    }
    int n = 0;
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (!page->IsEnabled()) continue;
        if (!page->IsWindow()) {
            if (page->CreatePage(m_hWnd)) {
                if (Themed()) CTREngine::ThemeApi()->EnableThemeDialogTexture(page->m_hWnd);
                AddTab(tab, n, page);
                page->Load();
            }
        }
        if (page->IsWindow()) ++n;
    }
    int count = static_cast<int>(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    if (selected >= count) selected = count - 1;
    if (selected < 0) return true;
    CWMFormPage* now = TabPage(tab, selected);
    if (now == selectedPage) return true;
    if (selectedPage && selectedPage->IsWindow()) selectedPage->ShowWindow(SW_HIDE);
    ::SendMessageW(tab, TCM_SETCURSEL, selected, 0);
    PlaceSelectedPage();
    return true;
}

bool CWMForm::LoadPages()
{
    bool ok = true;
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (page->IsEnabled() && !page->Load()) ok = false;
    }
    return ok;
}

bool CWMForm::SavePages()
{
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (page->IsEnabled() && !page->Save()) return false;
    }
    return true;
}

void CWMForm::EnableItem(int id, bool enable)
{
    if (HWND item = m_hWnd ? GetDlgItem(m_hWnd, id) : nullptr) EnableWindow(item, enable);
}

void CWMForm::SetModified(bool value)
{
    if (value == m_modified) return;
    if (m_key != 0) EnableItem(kApplyId, value && !m_readOnly);
    m_modified = value;
    OnModifiedChanged();
}

void CWMForm::SetReadOnly(bool value)
{
    if (value == m_readOnly) return;
    EnableItem(IDOK, !value);
    if (m_key != 0) EnableItem(kApplyId, !value && m_modified);
    m_readOnly = value;
    UpdatePages();
}

void CWMForm::UpdatePages()
{
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (page->IsEnabled()) page->UpdateControls(m_readOnly);
    }
}

void CWMForm::Close()
{
    if (!IsWindow()) Unregister();
    else Destroy();
}

void CWMForm::OnCancel()
{
    m_modified = false;
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void CWMForm::OnOK()
{
    if (Save()) Destroy();
}

void CWMForm::OnApply() { Save(); }

void CWMForm::OnClose()
{
    if (!m_modified) {
        Destroy();
        return;
    }
    CTString text, caption;
    text.LoadString(m_confirmCloseId, m_resourceModule);
    GetWindowTextString(m_hWnd, caption);
    CTWndMessageBox box(m_hWnd, m_resourceModule, text.GetBuffer(), caption.GetBuffer(),
                        MB_YESNOCANCEL | MB_ICONEXCLAMATION, nullptr, nullptr);
    INT_PTR answer = box.Run();
    // Yes closes only when the save succeeds: a refused save keeps the form and the edits, as OK does.
    if (answer == IDYES) OnOK();
    else if (answer == IDNO) Destroy();
}

CWMFormPage* CWMForm::SelectedPage()
{
    if (!m_tab.m_hWnd || !::IsWindow(m_tab.m_hWnd)) return nullptr;
    int selected = static_cast<int>(::SendMessageW(m_tab.m_hWnd, TCM_GETCURSEL, 0, 0));
    return selected >= 0 ? TabPage(m_tab.m_hWnd, selected) : nullptr;
}

void CWMForm::PlaceSelectedPage()
{
    CWMFormPage* page = SelectedPage();
    if (!page || !page->m_hWnd) return;
    RECT tabRc;
    GetWindowRect(m_tab.m_hWnd, &tabRc);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&tabRc), 2);
    RECT area;
    GetClientRect(m_tab.m_hWnd, &area);
    ::SendMessageW(m_tab.m_hWnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    RECT rc = {area.left + tabRc.left, area.top + tabRc.top, area.right - area.left, area.bottom - area.top};
    AdjustPageRect(page, &rc);
    SetWindowPos(page->m_hWnd, nullptr, rc.left, rc.top, rc.right, rc.bottom, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CWMForm::OnSize(int, int) { PlaceSelectedPage(); }

void CWMForm::OnPageChanging()
{
    if (CWMFormPage* page = SelectedPage()) page->ShowWindow(SW_HIDE);
}

void CWMForm::OnPageChanged() { PlaceSelectedPage(); }

void CWMForm::OnActivate(bool active)
{
    if (!m_activeDialog) return;
    if (active) *m_activeDialog = m_hWnd;
    else if (*m_activeDialog == m_hWnd) *m_activeDialog = nullptr;
}

void CWMForm::OnDestroy()
{
    m_pagesReady = false;
    m_tab.Destroy();
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) static_cast<CWMFormPage*>(item)->Destroy();
    SavePlacement(m_placementName.GetBuffer());
    Unregister();
}

bool CWMForm::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_DESTROY:
        OnDestroy();
        return true;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != 0);
        return false;
    case WM_CLOSE:
        OnClose();
        return true;
    case WM_ERASEBKGND:
        if (OnEraseBackground(reinterpret_cast<HDC>(wParam))) return true;
        break;
    case WM_SYSCOLORCHANGE:
        if (m_header.m_hWnd) m_header.ApplyStyle();
        OnSysColorChange();
        for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
            auto* page = static_cast<CWMFormPage*>(item);
            if (page->IsEnabled() && page->IsWindow()) page->SendMessage(WM_SYSCOLORCHANGE, wParam, lParam);
        }
        break;
    case WM_HELP:
        OnHelp(reinterpret_cast<HELPINFO*>(lParam));
        break;
    }
    return handled;
}

bool CWMForm::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!m_tabId || wParam != m_tabId) return false;
    if (hdr->code == TCN_SELCHANGING) OnPageChanging();
    else if (hdr->code == TCN_SELCHANGE) OnPageChanged();
    else return false;
    *result = 0;
    return true;
}

bool CWMForm::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    switch (LOWORD(wParam)) {
    case IDOK: OnOK(); break;
    case IDCANCEL: OnCancel(); break;
    case kApplyId: OnApply(); break;
    default: return false;
    }
    *result = 0;
    return true;
}
