#include "deployments/DlgDeploymentsPanels.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "framework/CTREngine.h"
#include "framework/CWMForm.h"
#include "framework/ScreenDpi.h"

void DlgDeployments::DlgLHSBase::SetFocus()
{
    if (HWND window = GetWindow())
        ::SetFocus(window);
}

void DlgDeployments::DlgLHSBase::Drop(UINT32 value)
{
    (void)value;
    if (App* app = m_owner ? m_owner->GetApp() : nullptr)
        app->m_windows.OpenWindow(kWizardType, 0, reinterpret_cast<INT_PTR>(m_owner->m_hWnd));
}

bool DlgDeployments::DlgLHSBase::Counted(const Object& object, __int64 deploymentType)
{
    return object.type != 0 && object.type == deploymentType && m_owner->Group(object.parent).enabled;
}

// ---- host ---------------------------------------------------------------------------------------

DlgDeployments::DlgLHS::~DlgLHS()
{
    m_current = nullptr;
    m_panels.clear();
    CTWnd2::Destroy();
}

bool DlgDeployments::DlgLHS::Create(HWND parent)
{
    HMODULE module = FindDialogTemplateModule(kTemplate);
    return CreateDialogFromResource(module ? module : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTemplate), parent);
}

DlgDeployments::DlgLHSBase* DlgDeployments::DlgLHS::Find(int kind)
{
    for (auto& panel : m_panels)
        if (panel->GetKind() == kind)
            return panel.get();
    return nullptr;
}

CTString DlgDeployments::DlgLHS::BuildHeaderMarkup(const CTString& name)
{
    CTString markup(L"<Attribs><Attrib id=\"Heading-Hottrack\" font-size=\"14\" color=\"$HeaderColour$\" "
                    L"hot-track=\"$HotTrackColour$\" /></Attribs><Div><Text attrib=\"Heading-Hottrack\" "
                    L"vertical-align=\"middle\" padding-left=\"4\" on-click=\"1\" >");
    markup.Append(name);
    markup.AppendText(L"</Text></Div>");
    const COLORREF h = CTREngine::Instance()->SysColor(COLOR_HIGHLIGHT);
    const COLORREF header = RGB(GetRValue(h) / 2, GetGValue(h) / 2, GetBValue(h) / 2);
    COLORREF hot = 0;
    if (CGDIManager::CObject* entry = CGDIManager::Instance()->Find(kGdiHotTrack))
        hot = static_cast<COLORREF>(entry->Get());
    CTString headerText, hotText;
    headerText.AppendHtmlColour(&header);
    hotText.AppendHtmlColour(&hot);
    markup.Replace(CTString(L"$HeaderColour$"), headerText, false);
    markup.Replace(CTString(L"$HotTrackColour$"), hotText, false);
    return markup;
}

bool DlgDeployments::DlgLHS::SelectPanel(int kind)
{
    if (m_current && m_current->GetKind() == kind)
        return false;
    DlgLHSBase* next = Find(kind);
    if (!next)
        return false;
    HWND old = m_current ? m_current->GetWindow() : GetDlgItem(m_hWnd, kIdPlaceholder);
    RECT rc = {};
    if (old) {
        GetWindowRect(old, &rc);
        ::ShowWindow(old, SW_HIDE);
        RemoveItem(old);
    }
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    next->SetFocus();
    HWND window = next->GetWindow();
    MoveWindow(window, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    AddItem(window, CTWndSize::RightToRight | CTWndSize::BottomToBottom);
    ::ShowWindow(window, SW_SHOW);
    m_current = next;

    m_header.SetText(BuildHeaderMarkup(next->m_name));
    m_header.ParseText();
    InvalidateRect(m_header.m_hWnd, nullptr, TRUE);
    return true;
}

void DlgDeployments::DlgLHS::RebuildOthers(int kind)
{
    for (auto& panel : m_panels)
        if (panel->GetKind() != kind)
            panel->Rebuild();
}

void DlgDeployments::DlgLHS::UpdateAll(const Object& object, const Object* previous)
{
    for (auto& panel : m_panels)
        panel->Update(object, previous);
}

void DlgDeployments::DlgLHS::ShowPanelMenu()
{
    CTMenu menu;
    if (!menu.CreatePopup())
        return;
    for (auto& panel : m_panels)
        AppendMenuW(menu.m_menu, MF_STRING | (panel.get() == m_current ? MF_CHECKED : 0),
                    kMenuFirst + panel->GetKind(), panel->m_name.GetBuffer());
    menu.MakeOwnerDrawn();
    RECT rc = {};
    GetWindowRect(m_header.m_hWnd, &rc);
    int height = 0;
    for (size_t i = 0; i < m_panels.size(); ++i)
        height += menu.GetItemHeight(static_cast<int>(i));
    const UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, rc.left, (rc.top + rc.bottom) / 2 - height / 2, m_hWnd);
    if (command > static_cast<UINT>(kMenuFirst))
        SelectPanel(static_cast<int>(command) - kMenuFirst);
}

bool DlgDeployments::DlgLHS::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG: {
        const int minimum = CTREngine::Instance()->m_dpi.Scale(10);
        CTWndSize::Init(m_hWnd, false, minimum, minimum, false);
        AddItem(GetDlgItem(m_hWnd, kIdHeader), CTWndSize::RightToRight);
        AddItem(GetDlgItem(m_hWnd, kIdPlaceholder), CTWndSize::RightToRight | CTWndSize::BottomToBottom);
        m_header.AttachDlgItem(m_hWnd, kIdHeader, WS_BORDER);
        *result = TRUE;
        return true;
    }
    case WM_ERASEBKGND: {
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        *result = 1;
        return true;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        if (HWND child = GetDlgItem(m_hWnd, static_cast<int>(wParam))) {
            *result = ::SendMessageW(child, msg, wParam, lParam);
            return true;
        }
        break;
    default:
        break;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

bool DlgDeployments::DlgLHS::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (hdr->idFrom == static_cast<UINT_PTR>(kIdHeader)) {
        if (static_cast<int>(hdr->code) == -20)
            ShowPanelMenu();
        return true;
    }
    *result = ::SendMessageW(hdr->hwndFrom, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(hdr));
    return true;
}

bool DlgDeployments::DlgLHS::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (lParam) {
        *result = ::SendMessageW(reinterpret_cast<HWND>(lParam), WM_COMMAND, wParam, lParam);
        return true;
    }
    return CTWnd2::OnCommand(wParam, lParam, result);
}

// ---- Status and Tags rows -----------------------------------------------------------------------

CTString PanelRowMarkup(unsigned __int64 key, const CTString& escapedText, int count, bool withCount)
{
    const COLORREF h = CTREngine::Instance()->SysColor(COLOR_HIGHLIGHT);
    const COLORREF heading = RGB(GetRValue(h) / 2, GetGValue(h) / 2, GetBValue(h) / 2);
    CTString out(L"<Attribs><Attrib id=\"Heading\" padding-left=\"4\" font-size=\"14\" color=\"");
    out.AppendHtmlColour(&heading);
    out.AppendText(L"\" multi-line=\"1\" /></Attribs><Div id=\"");
    CTString number;
    number.Format(L"%I64u", key);
    out.Append(number);
    out.AppendText(L"\" width=\"100%\"><Text attrib=\"Heading\" vertical-align=\"middle\" >");
    out.Append(escapedText);
    out.AppendText(L"</Text>");
    if (withCount) {
        CTString box;
        box.Format(L"<Text height=\"100%%\" font-size=\"16\" font-weight=\"900\" padding-left=\"4\" margin=\"2\" "
                   L"vertical-align=\"bottom\" text-align=\"right\" color=\"#FFFFFF\" background-color=\"#1163AF\"> %d </Text>",
                   count);
        out.Append(box);
    } else {
        out.AppendText(L"<Div><Text font-size=\"20\" width=\"20\" text-align=\"center\" vertical-align=\"middle\" "
                       L"font-size-to-fit-width=\"1\"></Text></Div>");
    }
    out.AppendText(L"<Text height=\"22\" /></Div>");
    return out;
}

void ScrollPanelList(CTWndList& list, WPARAM wParam)
{
    RECT rc = {};
    GetClientRect(list.m_hWnd, &rc);
    const int limit = list.m_contentHeight - (rc.bottom - rc.top);
    if (limit <= 0)
        return;
    int position = list.m_scrollY - static_cast<short>(HIWORD(wParam));
    position = position < 0 ? 0 : (position > limit ? limit : position);
    if (position == list.m_scrollY)
        return;
    list.m_scrollY = position;
    SetScrollPos(list.m_hWnd, SB_VERT, position, TRUE);
    InvalidateRect(list.m_hWnd, nullptr, TRUE);
}
