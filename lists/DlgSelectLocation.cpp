#include "lists/DlgSelectLocation.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTRegKey.h"
#include "session/FormHelpers.h"

namespace {
const wchar_t* const kTypeAttribute = L"asset_location_type";
} // namespace

CTString DlgSelectLocation::SettingsPath()
{
    CTString path(L"Settings\\");
    if (App* app = App::Instance())
        path.Append(app->m_server);
    path.AppendText(L"\\DlgSelectLocation");
    return path;
}

BOOL DlgSelectLocation::OnInitDialog()
{
    BOOL result = DlgPicker::OnInitDialog();
    CTRegKey settings(kLayoutRoot, nullptr, SettingsPath().GetBuffer());
    CheckDlgButton(m_hWnd, kIdOnlyAssigned, settings.ReadDword(kValueOnlyAssigned, 1) ? BST_CHECKED : BST_UNCHECKED);
    int stored = static_cast<int>(settings.ReadDword(kValueType, 0));

    HWND types = GetDlgItem(m_hWnd, kIdType);
    Object definition;
    if (MainWindow* main = GetMainWindow())
        main->GetTypeByName(definition, CTString(L"Asset Location"));
    // Without the type definition (types not loaded) only "<All>" is offered.
    definition.SetAttribute(CTString(kTypeAttribute), CAttribute(CAttribute::Integer, static_cast<__int64>(stored)));
    FillComboFromAttributeValues(types, CTString(kTypeAttribute), definition, false);
    LRESULT all = ::SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"<All>"));
    m_allData = static_cast<int>(::SendMessageW(types, CB_GETCOUNT, 0, 0));
    ::SendMessageW(types, CB_SETITEMDATA, static_cast<WPARAM>(all), m_allData);
    if (stored == m_allData)
        ::SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(all), 0);
    return result;
}

int DlgSelectLocation::SelectedTypeData()
{
    HWND types = GetDlgItem(m_hWnd, kIdType);
    LRESULT index = ::SendMessageW(types, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return -1;
    return static_cast<int>(::SendMessageW(types, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void DlgSelectLocation::SendSearch(App& app, const RequestRoute& route)
{
    int data = SelectedTypeData();
    CTString attribute, search;
    if (data != m_allData) {
        attribute = kTypeAttribute;
        search.Format(L"%d", data);
    }
    app.m_db.ObjSearch(CTString(L"Asset Location"), DB::kParentAll, attribute, search, false, DB::kNoMax, route);
}

void DlgSelectLocation::OnSearchReply(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    // The box counts as it stands when the answer arrives.
    m_onlyAssigned = IsDlgButtonChecked(m_hWnd, kIdOnlyAssigned) == BST_CHECKED;
    DlgPicker::OnSearchReply(result);
}

bool DlgSelectLocation::ShowsObject(const Object& object)
{
    if (!m_onlyAssigned)
        return true;
    MainWindow* main = GetMainWindow();
    return main && main->m_cache.CheckAssetLocationLink(object.id, 0);
}

void DlgSelectLocation::AddCells(CTListCtrlReport::Row& row, const Object& object)
{
    CAttribute type;
    object.GetAttributeValueText(type, CTString(kTypeAttribute));
    row.AddText(CTString(object.name)).AddText(CTString(type.GetText()));
}

void DlgSelectLocation::Answer(__int64 id, bool none)
{
    PostMessageW(Owner(), kMsgLocation, static_cast<WPARAM>(m_key), none ? 0 : static_cast<LPARAM>(id));
}

void DlgSelectLocation::OnDestroyWork()
{
    CTRegKey settings(kLayoutRoot, nullptr, SettingsPath().GetBuffer());
    settings.WriteDword(kValueType, static_cast<DWORD>(SelectedTypeData()));
    settings.WriteDword(kValueOnlyAssigned, IsDlgButtonChecked(m_hWnd, kIdOnlyAssigned) == BST_CHECKED ? 1 : 0);
}
