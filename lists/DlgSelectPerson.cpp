#include "lists/DlgSelectPerson.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"

namespace {
const wchar_t* const kPersonTypes = L"Schedule User,Administrator";
const wchar_t* const kSuperUser = L"SuperUser";
} // namespace

CTString DlgSelectPerson::SearchText()
{
    CTString text;
    GetItemText(kIdSearchEdit, text);
    return text;
}

void DlgSelectPerson::SendSearch(App& app, const RequestRoute& route)
{
    app.m_db.ObjSearch(CTString(kPersonTypes), DB::kParentAll, CTString(), SearchText(), false, kMaxResults, route);
}

void DlgSelectPerson::OnSearchReply(RequestResult& result)
{
    m_seesSuperUsers = true;
    if (MainWindow* main = GetMainWindow())
        m_seesSuperUsers = main->GetLogonUser().GetPrivilege(CTString(kSuperUser));
    DlgPicker::OnSearchReply(result);
}

bool DlgSelectPerson::ShowsObject(const Object& object)
{
    return m_seesSuperUsers || !object.GetPrivilege(CTString(kSuperUser));
}

void DlgSelectPerson::AddCells(CTListCtrlReport::Row& row, const Object& object)
{
    Object definition;
    if (MainWindow* main = GetMainWindow())
        main->GetTypeById(definition, object.type);
    row.AddText(CTString(object.name)).AddText(CTString(definition.name));
}

void DlgSelectPerson::Answer(__int64 id, bool none)
{
    PostMessageW(Owner(), kMsgPerson, static_cast<WPARAM>(m_key), none ? 0 : static_cast<LPARAM>(id));
}

BOOL DlgSelectUser::OnInitDialog()
{
    BOOL result = DlgPicker::OnInitDialog();
    m_groupToSelect = static_cast<__int64>(::SendMessageW(Owner(), kMsgGroupToSelect, 0, 0));
    if (App* app = GetApp())
        app->m_db.DirGetLookup(0, CTString(L"TYPE='Schedule Group'"), Route(kReqGroups));
    return result;
}

void DlgSelectUser::AddExtraItems()
{
    if (HWND groups = GetDlgItem(m_hWnd, kIdGroups))
        AddItem(groups, CTWndSize::RightToRight);
}

void DlgSelectUser::SendSearch(App& app, const RequestRoute& route)
{
    HWND groups = GetDlgItem(m_hWnd, kIdGroups);
    LRESULT index = ::SendMessageW(groups, CB_GETCURSEL, 0, 0);
    // No selection (the groups never came) searches everywhere, as "All Locations" does.
    LRESULT data = index == CB_ERR ? -1 : ::SendMessageW(groups, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    unsigned parent = data == -1 || data == CB_ERR ? DB::kParentAll : static_cast<unsigned>(data);
    app.m_db.ObjSearch(CTString(kPersonTypes), parent, CTString(), SearchText(), false, DB::kNoMax, route);
}

void DlgSelectUser::AddCells(CTListCtrlReport::Row& row, const Object& object)
{
    CAttribute email;
    object.GetAttribute(email, CTString(L"email_address"));
    row.AddText(CTString(object.name)).AddAttribute(email);
}

void DlgSelectUser::OnOtherReply(RequestResult& result)
{
    if (result.route.requestId != kReqGroups || result.returnCode != 0)
        return;
    HWND groups = GetDlgItem(m_hWnd, kIdGroups);
    if (!groups)
        return;
    LRESULT all = ::SendMessageW(groups, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"All Locations"));
    ::SendMessageW(groups, CB_SETITEMDATA, static_cast<WPARAM>(all), static_cast<LPARAM>(-1));
    if (m_groupToSelect == 0)
        ::SendMessageW(groups, CB_SETCURSEL, static_cast<WPARAM>(all), 0);
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object group;
        group.ReadFromXml(element, true);
        CTString name(group.name);
        LRESULT item = ::SendMessageW(groups, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetBuffer() ? name.GetBuffer() : L""));
        ::SendMessageW(groups, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(group.id));
        if (group.id == m_groupToSelect)
            ::SendMessageW(groups, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
}

void DlgSelectUser::EnableSearchControls(bool enable)
{
    DlgPicker::EnableSearchControls(enable);
    EnableWindow(GetDlgItem(m_hWnd, kIdGroups), enable);
}
