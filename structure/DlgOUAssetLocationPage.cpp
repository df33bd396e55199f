#include "structure/DlgOUAssetLocationPage.h"

#include <commctrl.h>
#include "app/App.h"
#include "foundation/TiXmlElement.h"
#include "session/FormHelpers.h"

using AssetLocationPage = DlgOU::CAssetLocationPage;

namespace {
constexpr UINT kLayoutRoot = 104;

void* RowKey(__int64 id) { return reinterpret_cast<void*>(static_cast<UINT_PTR>(id)); }

int Flag(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetValue() != 0 ? 1 : 0;
}
} // namespace

AssetLocationPage::CAssetLocationPage(DlgOU* form) : m_ou(form) { m_title = L"Asset Location"; }

AssetLocationPage::~CAssetLocationPage() { m_list.Destroy(); }

bool AssetLocationPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg != WM_INITDIALOG) return false;
    Init(m_hWnd, false, 300, 150, false);
    AddItem(GetDlgItem(m_hWnd, kList), RightToRight | BottomToBottom);
    if (m_list.AttachReport(m_hWnd, kList)) {
        m_list.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
        ListView_SetExtendedListViewStyleEx(m_list.m_hWnd, LVS_EX_GRIDLINES, 0);
        m_list.ModifyStyle(LVS_SINGLESEL, WS_TABSTOP, 0);
        m_list.SetColumns(CTString(L"Name;Send;Receive"), kLayoutRoot, nullptr, L"DlgOU::CAssetLocationPage");
        m_list.SortBy(0, true);
    }
    *result = TRUE;
    return true;
}

bool AssetLocationPage::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    return m_list.m_hWnd && m_list.OnParentNotify(hdr, result);
}

bool AssetLocationPage::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    if (LOWORD(wParam) != kTypeCombo) return false;
    const int code = HIWORD(wParam);
    if (code == 0 || code == CBN_SELCHANGE || code == 768) m_form->SetModified(true);
    *result = 0;
    return true;
}

bool AssetLocationPage::Load()
{
    if (!m_hWnd) return true;
    const Object& object = m_ou->m_object;
    FillComboFromAttributeValues(GetDlgItem(m_hWnd, kTypeCombo), CTString(L"asset_location_type"), object, false);
    CTString id;
    id.Format(L"%I64d", object.id);
    if (App* app = DlgOU::GetApp())
        app->m_db.ObjSearch(CTString(L"Link [AT]"), DB::kParentAll, CTString(L"link_asset_location"), id, false,
                            DB::kNoMax, m_ou->MakeRoute(DlgOU::kReqSearch, kSearchTag));
    return true;
}

bool AssetLocationPage::Save()
{
    if (!m_hWnd) return true;
    HWND combo = GetDlgItem(m_hWnd, kTypeCombo);
    LRESULT selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    // Nothing chosen (a value outside the list): the stored value stays as it is.
    if (selected == CB_ERR) return true;
    LRESULT position = ::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    m_ou->m_object.SetAttribute(CTString(L"asset_location_type"),
                                CAttribute(CAttribute::Integer, static_cast<__int64>(position)));
    return true;
}

void AssetLocationPage::OnResult(RequestResult& reply)
{
    if (!DlgOU::Succeeded(reply) || !m_list.m_hWnd) return;
    TiXmlElement* root = reply.document.FirstChildElementNamed(L"result");
    if (!root) return;
    if (reply.route.requestId == DlgOU::kReqSearch && reply.route.param2 == kSearchTag) {
        m_list.DeleteAllRows();
        App* app = DlgOU::GetApp();
        for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
             element = element->NextSiblingElementNamed(L"object")) {
            Object link;
            link.ReadFromXml(element, true);
            // The link lives under its administrator: the row is keyed by the administrator.
            CTListCtrlReport::Row row(RowKey(link.parent));
            row.AddNumber(link.parent);
            row.AddCell(CTListCtrlReport::Cell(4, static_cast<__int64>(Flag(link, L"send"))));
            row.AddCell(CTListCtrlReport::Cell(4, static_cast<__int64>(Flag(link, L"receive"))));
            m_list.InsertRow(m_list.GetItemCount(), -1, row);
            if (app)
                app->m_db.ObjGet(static_cast<unsigned>(link.parent), false, false,
                                 m_ou->MakeRoute(DlgOU::kReqObject, kAdministratorTag));
        }
    } else if (reply.route.requestId == DlgOU::kReqObject && reply.route.param2 == kAdministratorTag) {
        Object administrator;
        administrator.ReadFromXml(root->FirstChildElementNamed(L"object"), true);
        int item = administrator.id ? m_list.FindRowByData(RowKey(administrator.id)) : -1;
        if (item < 0) return;
        m_list.SetCell(item, 0, CTListCtrlReport::Cell(CAttribute::Text, CTString(administrator.name)));
        m_list.FitColumnsToContent();
    }
}
