#include "people/RecordListPage.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CTListCtrlReportEx.h"
#include "session/RequestResult.h"

bool RecordListPage::Load()
{
    if (!IsShown()) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    SendSearch();
    return true;
}

void RecordListPage::BuildPage()
{
    AddItem(GetDlgItem(m_hWnd, RecordList::kIdList), 12);
    m_list.Build(m_hWnd, this, GetLayout());
}

bool RecordListPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    RecordList::Action action = RecordList::ActionOfNotify(hdr);
    if (action == RecordList::ActionNone)
        return RecordPage::OnNotify(wParam, hdr, result);
    *result = 0;
    return Run(action, hdr);
}

bool RecordListPage::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    RecordList::Action action = RecordList::ActionOfCommand(wParam);
    if (action == RecordList::ActionNone || !Run(action, nullptr))
        return RecordPage::OnCommand(wParam, lParam, result);
    *result = 0;
    return true;
}

bool RecordListPage::Run(RecordList::Action action, NMHDR* hdr)
{
    const int buttons = GetLayout().buttons;
    switch (action) {
    case RecordList::ActionNew:
        if (!(buttons & RecordList::ButtonNew))
            return false;
        OnNew();
        return true;
    case RecordList::ActionOpen:
        OpenSelected();
        return true;
    case RecordList::ActionDelete:
        if (!(buttons & RecordList::ButtonDelete))
            return false;
        OnDelete();
        return true;
    case RecordList::ActionDeleteIcon:
        if (hdr)
            OnDeleteIcon(*reinterpret_cast<DeleteConfirmInfo*>(hdr));
        return true;
    default:
        return false;
    }
}

void RecordListPage::OpenSelected()
{
    __int64 id = m_list.SelectedId();
    MainWindow* main = GetMain();
    if (id != 0 && main)
        main->ShowConsole(GetOpenConsole(), id, false);
}

bool RecordListPage::IsUsableReply(const RequestResult& reply)
{
    return reply.resultCode == RequestResult::CodeOk;
}

void RecordListPage::SearchLinked(const wchar_t* type, const wchar_t* attrib, __int64 param2)
{
    App* app = GetApp();
    __int64 id = GetShownId();
    if (!app || id == 0)
        return;
    CTString search;
    search.Format(L"%I64d", id);
    app->m_db.ObjSearch(CTString(type), DB::kParentAll, CTString(attrib), search, false, DB::kNoMax,
                        Route(kReqSearch, param2));
}
