#include "schedulegroups/ScheduleGroupPanelHost.h"

#include "controls/CGDIManager.h"
#include "framework/CTApp.h"
#include "framework/CTMenu.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "schedulegroups/ScheduleGroupPanels.h"

namespace {

HMODULE ModuleOf(UINT id)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(id));
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

DlgScheduleGroup::DlgLHS::DlgLHS()
{
    CTWndDraw::RegisterClass(ModuleOf(kTemplate));
}

DlgScheduleGroup::DlgLHS::~DlgLHS()
{
    m_current = nullptr;
    m_panels.DeleteAll();
    CTWnd2::Destroy();
}

bool DlgScheduleGroup::DlgLHS::Create(HWND parent)
{
    return CreateDialogFromResource(ModuleOf(kTemplate), MAKEINTRESOURCEW(kTemplate), parent);
}

void DlgScheduleGroup::DlgLHS::AddPanel(DlgLHSBase* panel, int key)
{
    panel->m_key = key;
    m_panels.AddTail(panel);
}

DlgScheduleGroup::DlgLHSBase* DlgScheduleGroup::DlgLHS::FindPanel(int key) const
{
    for (CLinkedListObject* item = const_cast<CLinkedList&>(m_panels).GetHead(); item; item = item->GetNext())
        if (static_cast<DlgLHSBase*>(item)->m_key == key)
            return static_cast<DlgLHSBase*>(item);
    return nullptr;
}

void DlgScheduleGroup::DlgLHS::RebuildAll()
{
    for (CLinkedListObject* item = m_panels.GetHead(); item; item = item->GetNext())
        static_cast<DlgLHSBase*>(item)->Rebuild();
}

CTString DlgScheduleGroup::DlgLHS::HeadingMarkup(const CTString& name)
{
    CTString text(L"<Attribs><Attrib id=\"Heading-Hottrack\" font-size=\"14\" color=\"$HeaderColour$\" "
                  L"hot-track=\"$HotTrackColour$\" /></Attribs><Div><Text attrib=\"Heading-Hottrack\" "
                  L"vertical-align=\"middle\" padding-left=\"4\" on-click=\"1\" >");
    CTString escaped(name);
    escaped.XmlEscape();
    text.Append(escaped);
    text.AppendText(L"</Text></Div>");
    const COLORREF heading = DlgLHSBase::HeadingColour();
    CGDIManager::CObject* hot = CGDIManager::Instance()->Find(25);
    const COLORREF hotTrack = hot ? static_cast<COLORREF>(hot->Get()) : 0;
    CTString headingText, hotText;
    headingText.AppendHtmlColour(&heading);
    hotText.AppendHtmlColour(&hotTrack);
    text.Replace(CTString(L"$HeaderColour$"), headingText, true);
    text.Replace(CTString(L"$HotTrackColour$"), hotText, true);
    return text;
}

bool DlgScheduleGroup::DlgLHS::SelectPanel(int key)
{
    if (m_current && m_current->m_key == key)
        return false;
    DlgLHSBase* panel = FindPanel(key);
    if (!panel)
        return false;
    HWND old = m_current ? m_current->GetHwnd() : (m_hWnd ? GetDlgItem(m_hWnd, kIdPlaceholder) : nullptr);
    RECT rect = {};
    if (old) {
        ::GetWindowRect(old, &rect);
        if (m_current)
            ::ShowWindow(old, SW_HIDE);
        RemoveItem(old);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    }
    panel->SetFocus();
    if (HWND window = panel->GetHwnd()) {
        ::MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        AddItem(window, CTWndSize::RightToRight | CTWndSize::BottomToBottom);
        ::ShowWindow(window, SW_SHOW);
    }
    m_current = panel;
    if (m_heading.m_hWnd) {
        m_heading.SetText(HeadingMarkup(panel->m_name));
        m_heading.ParseText();
    }
    if (m_owner)
        m_owner->FillRows();
    return true;
}

std::map<UINT, std::pair<CTString, bool>> DlgScheduleGroup::DlgLHS::MenuEntries() const
{
    std::map<UINT, std::pair<CTString, bool>> entries;
    for (CLinkedListObject* item = const_cast<CLinkedList&>(m_panels).GetHead(); item; item = item->GetNext()) {
        auto* panel = static_cast<DlgLHSBase*>(item);
        entries[kMenuBase + panel->m_key] = {panel->m_name, panel == m_current};
    }
    return entries;
}

void DlgScheduleGroup::DlgLHS::ShowPanelMenu()
{
    CTMenu menu;
    if (!menu.CreatePopup())
        return;
    for (CLinkedListObject* item = m_panels.GetHead(); item; item = item->GetNext()) {
        auto* panel = static_cast<DlgLHSBase*>(item);
        AppendMenuW(menu.m_menu, MF_STRING | (panel == m_current ? MF_CHECKED : 0), kMenuBase + panel->m_key,
                    panel->m_name.GetBuffer() ? panel->m_name.GetBuffer() : L"");
    }
    menu.MakeOwnerDrawn();
    int height = 0;
    const int count = GetMenuItemCount(menu.m_menu);
    for (int i = 0; i < count; ++i)
        height += menu.GetItemHeight(i);
    RECT rc = {};
    ::GetWindowRect(m_heading.m_hWnd, &rc);
    const int top = rc.top + (rc.bottom - rc.top) / 2 - height / 2;
    const UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, rc.left, top, m_hWnd);
    menu.Destroy();
    SelectPanel(static_cast<int>(command) - static_cast<int>(kMenuBase));
}

bool DlgScheduleGroup::DlgLHS::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        CTWndSize::Init(m_hWnd, false, 10, 10, false);
        AddItem(GetDlgItem(m_hWnd, kIdHeading), CTWndSize::RightToRight);
        AddItem(GetDlgItem(m_hWnd, kIdPlaceholder), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
        m_heading.AttachDlgItem(m_hWnd, kIdHeading, WS_BORDER);
        *result = 0;
        return true;
    case WM_ERASEBKGND: {
        RECT rc = {};
        ::GetClientRect(m_hWnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        *result = 1;
        return true;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        *result = ::SendMessageW(GetDlgItem(m_hWnd, static_cast<int>(wParam)), msg, wParam, lParam);
        return true;
    default:
        break;
    }
    return handled;
}

bool DlgScheduleGroup::DlgLHS::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    *result = 0;
    if (!hdr)
        return false;
    if (hdr->idFrom != static_cast<UINT_PTR>(kIdHeading)) {
        *result = ::SendMessageW(hdr->hwndFrom, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(hdr));
        return true;
    }
    if (hdr->code == static_cast<UINT>(-20))
        ShowPanelMenu();
    return true;
}

bool DlgScheduleGroup::DlgLHS::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    if (lParam)
        ::SendMessageW(reinterpret_cast<HWND>(lParam), WM_COMMAND, wParam, lParam);
    return true;
}
