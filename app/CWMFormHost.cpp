#include "app/CWMFormHost.h"

#include <commctrl.h>

#include "app/CWMFormPage.h"
#include "framework/CTREngine.h"

namespace {

bool AppThemed()
{
    CTThemeApi* api = CTREngine::ThemeApi();
    return api && api->IsAppThemed();
}

void EnableTabTexture(CWMFormPage* page)
{
    if (CTThemeApi* api = CTREngine::ThemeApi()) api->EnableThemeDialogTexture(page->m_hWnd);
}

} // namespace

CWMFormHost::~CWMFormHost()
{
    m_pages.DeleteAll();
}

int CWMFormHost::TabCount()
{
    return m_tab ? static_cast<int>(SendMessageW(m_tab, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

CWMFormPage* CWMFormHost::PageAt(int index)
{
    if (!m_tab || index < 0) return nullptr;
    TCITEMW item = {};
    item.mask = TCIF_PARAM;
    if (!SendMessageW(m_tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<CWMFormPage*>(item.lParam);
}

void CWMFormHost::InsertTab(int index, CWMFormPage* page, bool withImage)
{
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(page->GetTitle());
    item.lParam = reinterpret_cast<LPARAM>(page);
    if (withImage && page->m_imageIndex != -1) {
        item.mask |= TCIF_IMAGE;
        item.iImage = page->m_imageIndex;
    }
    SendMessageW(m_tab, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

CWMFormPage* CWMFormHost::AddPage(HWND parent, CWMFormPage* page)
{
    page->m_host = this;
    m_pages.AddTail(page);
    if (page->IsEnabled() && page->CreatePage(parent) && m_tab) InsertTab(TabCount(), page, false);
    return page;
}

bool CWMFormHost::ShowPages(HWND parent)
{
    int count = TabCount();
    if (count > 0 && AppThemed()) {
        for (int i = 0; i < count; ++i)
            if (CWMFormPage* page = PageAt(i)) EnableTabTexture(page);
    }
    if (CWMFormPage* first = PageAt(0)) first->ShowWindow(SW_SHOW);
    if (m_tab) SendMessageW(m_tab, TCM_SETCURSEL, 0, 0);
    LayoutSelectedPage(parent);
    return true;
}

bool CWMFormHost::PlacePage(HWND parent, CWMFormPage* page)
{
    RECT tabRc = {};
    GetWindowRect(m_tab, &tabRc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&tabRc), 2);
    RECT area = {};
    GetClientRect(m_tab, &area);
    SendMessageW(m_tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return SetWindowPos(page->m_hWnd, nullptr, area.left + tabRc.left, area.top + tabRc.top,
                        area.right - area.left, area.bottom - area.top, SWP_SHOWWINDOW | SWP_NOACTIVATE) != FALSE;
}

int CWMFormHost::LayoutSelectedPage(HWND parent)
{
    if (!m_tab) return -1;
    int selected = static_cast<int>(SendMessageW(m_tab, TCM_GETCURSEL, 0, 0));
    if (selected < 0) return -1;
    CWMFormPage* page = PageAt(selected);
    if (!page) return 0;
    return PlacePage(parent, page) ? 1 : 0;
}

void CWMFormHost::HideSelectedPage()
{
    if (CWMFormPage* page = GetSelectedPage()) page->ShowWindow(SW_HIDE);
}

void CWMFormHost::ShowSelectedPage(HWND parent)
{
    CWMFormPage* page = GetSelectedPage();
    if (!page || !PlacePage(parent, page)) return;
    if (page->m_loadPending) page->Load();
}

CWMFormPage* CWMFormHost::GetSelectedPage()
{
    if (!m_tab) return nullptr;
    return PageAt(static_cast<int>(SendMessageW(m_tab, TCM_GETCURSEL, 0, 0)));
}

void CWMFormHost::RefreshPages()
{
    if (!m_tab) return;
    int selected = static_cast<int>(SendMessageW(m_tab, TCM_GETCURSEL, 0, 0));
    CWMFormPage* selectedPage = PageAt(selected);

    // Disabled pages lose tab and window (not their object); rescan from the start after each removal.
    for (int i = 0; i < TabCount();) {
        CWMFormPage* page = PageAt(i);
        if (page && !page->IsEnabled()) {
            if (page->IsWindow()) page->Destroy();
            SendMessageW(m_tab, TCM_DELETEITEM, i, 0);
            i = 0;
        } else {
            ++i;
        }
    }

    // Enabled pages without a window get one, and their tab at their place in the page order.
    HWND parent = GetParent(m_tab);
    const bool themed = AppThemed();
    int n = 0;
    for (CLinkedListObject* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (!page->IsEnabled()) continue;
        if (!page->IsWindow() && page->CreatePage(parent)) {
            InsertTab(n, page, true);
            if (themed) EnableTabTexture(page);
        }
        ++n;
    }

    int count = TabCount();
    if (selected >= count) selected = count - 1;
    CWMFormPage* now = PageAt(selected);
    if (now && now == selectedPage) return;
    if (selectedPage) selectedPage->ShowWindow(SW_HIDE);
    SendMessageW(m_tab, TCM_SETCURSEL, selected, 0);
    if (selected == -1 || !now) return;
    if (!PlacePage(parent, now)) return;
    if (now->m_loadPending) now->Load();
}

bool CWMFormHost::LoadPages()
{
    bool ok = true;
    for (CLinkedListObject* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (page->IsEnabled() && !page->Load()) ok = false;
    }
    return ok;
}
