#include "people/DataPointsPage.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/ListCellCopy.h"
#include "app/MainWindow.h"

DataPointsPage::~DataPointsPage()
{
    if (m_items.m_hWnd)
        m_items.Destroy();
}

std::vector<Object>& DataPointsPage::Collect(__int64 objectId, std::vector<Object>& out)
{
    App* app = App::Instance();
    if (!app || !app->m_mainWindow || objectId == 0)
        return out;
    const __int64 linkType = app->m_mainWindow->GetTypeId(CTString(L"Link [DP]"));
    std::vector<Object> below;
    app->m_dir.CollectDescendants(objectId, below);
    for (const Object& link : below) {
        if (link.parent != objectId || link.type != linkType || linkType == 0)
            continue;
        app->m_dir.CollectDescendants(link.id, out);
    }
    return out;
}

bool DataPointsPage::Load()
{
    if (!m_hWnd) {
        m_loadPending = true;
        return true;
    }
    m_loadPending = false;
    if (!m_list.m_report.m_hWnd)
        return true;
    std::vector<Object> points;
    Collect(GetShownId(), points);
    CTListCtrlReport& report = m_list.m_report;
    report.DeleteAllRows();
    for (const Object& point : points) {
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(point.id)));
        row.AddAttribute(CAttribute(CAttribute::DateTime, point.created.GetValue()));
        report.InsertRow(report.GetItemCount(), -1, row);
    }
    return true;
}

void DataPointsPage::BuildPage()
{
    AddItem(GetDlgItem(m_hWnd, kIdList), 4);
    AddItem(GetDlgItem(m_hWnd, kIdItems), 12);
    if (m_list.Create(m_hWnd, kIdList, true, 0)) {
        CTListCtrlReport& report = m_list.m_report;
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
        report.ModifyStyle(LVS_SORTASCENDING, LVS_SINGLESEL | WS_TABSTOP, 0);
        ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
        report.SetColumns(CTString(L"Date Time,140;"), 0, nullptr, nullptr);
        report.SortBy(0, false);
        report.EnableAutoSort(true);
        m_list.m_report.SetEmptyText(CTString(L"No data points received"));
    }
    if (!m_items.AttachReport(m_hWnd, kIdItems))
        return;
    m_items.ModifyOptions(7, CTListCtrlReport::OptStretch);
    m_items.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
    ListView_SetExtendedListViewStyleEx(m_items.m_hWnd, LVS_EX_GRIDLINES, 0);
    m_items.SetColumns(CTString(L"Item,150;Value,250;"), 0, nullptr, nullptr);
    m_itemImage = AddSmallIcon(m_items, kItemIcon);
}

__int64 DataPointsPage::DataPointOfRow(int item)
{
    App* app = App::Instance();
    if (!app || item < 0 || !m_list.m_report.m_hWnd)
        return 0;
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(m_list.m_report.GetRowData(item)));
    const Object* cached = app->m_dir.Lookup(id);
    if (!cached)
        return 0;
    CAttribute link;
    cached->GetAttribute(link, CTString(L"link_data_point"));
    return link.GetValue();
}

void DataPointsPage::ShowItems(int item)
{
    App* app = App::Instance();
    if (!app || !m_items.m_hWnd)
        return;
    app->LoadDataPointList(DataPointOfRow(item), m_itemImage, &m_items, Route(0, 0));
}

bool DataPointsPage::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (m_items.m_hWnd && hdr->hwndFrom == m_items.m_hWnd) {
        if (m_items.OnParentNotify(hdr, result))
            return true;
        if (hdr->code == static_cast<UINT>(NM_RCLICK)) {
            ListCellCopy::ShowCopyMenu(m_items.m_hWnd, m_hWnd, *reinterpret_cast<NMITEMACTIVATE*>(hdr));
            *result = 0;
            return true;
        }
        return false;
    }
    if (static_cast<int>(hdr->idFrom) == kIdList) {
        if (hdr->code == LVN_ITEMCHANGED) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED))
                ShowItems(change->iItem);
        } else if (hdr->code == static_cast<UINT>(NM_DBLCLK)) {
            __int64 point = DataPointOfRow(ListView_GetNextItem(m_list.m_report.m_hWnd, -1, LVNI_SELECTED));
            MainWindow* main = GetMain();
            if (point != 0 && main)
                main->ShowConsole(kConsoleDataPoint, point, false);
        }
        *result = 0;
        return true;
    }
    return RecordPage::OnNotify(wParam, hdr, result);
}
