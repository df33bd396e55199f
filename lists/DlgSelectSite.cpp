#include "lists/DlgSelectSite.h"

#include "app/App.h"
#include "app/MainWindow.h"

BOOL DlgSelectSite::OnInitDialog()
{
    BOOL result = DlgPicker::OnInitDialog();
    PostMessageW(Owner(), kMsgSiteState, static_cast<WPARAM>(m_key), kSiteStarted);
    return result;
}

void DlgSelectSite::SendSearch(App& app, const RequestRoute& route)
{
    CTString text;
    GetItemText(kIdSearchEdit, text);
    app.m_db.ObjSearch(CTString(L"Site"), DB::kParentAll, CTString(), text, false, DB::kNoMax, route);
}

void DlgSelectSite::AddCells(CTListCtrlReport::Row& row, const Object& object)
{
    Object definition;
    if (MainWindow* main = GetMainWindow())
        main->GetTypeById(definition, object.type);
    row.AddText(CTString(object.name)).AddText(CTString(definition.name));
}

void DlgSelectSite::Answer(__int64 id, bool none)
{
    PostMessageW(Owner(), kMsgSite, static_cast<WPARAM>(m_key), none ? 0 : static_cast<LPARAM>(id));
}

void DlgSelectSite::OnCancel()
{
    PostMessageW(Owner(), kMsgSiteState, static_cast<WPARAM>(m_key), kSiteCancelled);
}

void DlgSelectSite::OnDestroyWork()
{
    PostMessageW(Owner(), kMsgSiteState, static_cast<WPARAM>(m_key), kSiteGone);
}
