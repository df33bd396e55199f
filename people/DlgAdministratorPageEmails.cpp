#include "people/DlgAdministratorPageEmails.h"

#include "app/App.h"

bool DlgAdministratorDlg::CPageEmails::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    return CWindowManager::CWMFormPage::CreatePage(parent);
}

bool DlgAdministratorDlg::CPageEmails::Load()
{
    if (m_visible) {
        m_loadPending = false;
        Search();
    } else {
        m_loadPending = true;
    }
    return true;
}

void DlgAdministratorDlg::CPageEmails::Search()
{
    App* app = App::Instance();
    __int64 id = GetAdministratorId();
    if (!app || id == 0)
        return;
    RequestRoute route;
    route.targetType = m_form->m_type;
    route.targetKey = m_form->m_key;
    route.requestId = kReqSearch;
    route.param2 = kSearchParam;
    app->m_db.ObjSearch(CTString(L"Email"), static_cast<unsigned>(id), CTString(), CTString(), false, DB::kNoMax,
                        route);
}

bool DlgAdministratorDlg::CPageEmails::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        AddItem(GetDlgItem(m_hWnd, RecordList::kIdList), 12);
        m_list.Build(m_hWnd, this, EmailList::GetLayout());
        *result = TRUE;
        return true;
    }
    if (msg == WM_WINDOWPOSCHANGING && lParam) {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_SHOWWINDOW) && !m_visible) {
            m_visible = true;
            if (m_loadPending)
                Load();
        } else if ((pos->flags & SWP_HIDEWINDOW) && m_visible) {
            m_visible = false;
        }
    }
    if (handled)
        return true;
    return CWindowManager::CWMFormPage::OnMessage(msg, wParam, lParam, result);
}

bool DlgAdministratorDlg::CPageEmails::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!Run(RecordList::ActionOfNotify(hdr)))
        return CWindowManager::CWMFormPage::OnNotify(wParam, hdr, result);
    *result = 0;
    return true;
}

bool DlgAdministratorDlg::CPageEmails::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!Run(RecordList::ActionOfCommand(wParam)))
        return CWindowManager::CWMFormPage::OnCommand(wParam, lParam, result);
    *result = 0;
    return true;
}

bool DlgAdministratorDlg::CPageEmails::Run(RecordList::Action action)
{
    switch (action) {
    case RecordList::ActionNew:
        EmailList::OpenWizard(m_hWnd, GetAdministratorId());
        return true;
    case RecordList::ActionOpen:
        EmailList::OpenSelected(m_list);
        return true;
    default:
        return false;
    }
}
