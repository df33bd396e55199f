#include "people/DlgComputerPageTransfers.h"

#include <algorithm>
#include <commctrl.h>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "deployments/DeploymentLinks.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "framework/CTWndMessageBox.h"

namespace {

using Report = CTListCtrlReportEx;

HICON LoadSmallIcon(int id)
{
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
}

int AddIconImage(Report& report, int id)
{
    HICON icon = LoadSmallIcon(id);
    if (!icon)
        return -1;
    const int index = report.AddImage(icon);
    DestroyIcon(icon);
    return index;
}

TiXmlElement* ResultOf(TiXmlDocument& document)
{
    return document.FirstChildElementNamed(L"result");
}

// The id of a link cell; 0 for a text cell or an empty one.
__int64 LinkCellId(Report& report, int item, int column)
{
    CAttribute cell;
    if (!report.GetCell(item, column, cell) || cell.GetType() != CAttribute::Integer)
        return 0;
    return cell.GetValue();
}

} // namespace

DlgComputer::CPageTransfers::~CPageTransfers()
{
    if (m_list.m_report.m_hWnd)
        ::SendMessageW(m_list.m_report.m_hWnd, LVM_DELETEALLITEMS, 0, 0);
}

bool DlgComputer::CPageTransfers::Load()
{
    if (!m_hWnd || !IsWindowVisible(m_hWnd)) {
        m_loadPending = true;
        return true;
    }
    DlgComputer* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    if (app && pane->m_computer.parent != 0)
        app->m_db.QelGetAssetLocation(static_cast<unsigned>(pane->m_computer.parent),
                                      pane->Route(kReqLocation, 0, true));
    m_loadPending = false;
    return true;
}

bool DlgComputer::CPageTransfers::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        AddItem(GetDlgItem(m_hWnd, kIdList), 12);
        if (m_list.Create(m_hWnd, kIdList, true, 0)) {
            Report& report = m_list.m_report;
            report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
            report.ModifyStyle(0, WS_TABSTOP | LVS_SINGLESEL, 0);
            ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
            report.SetColumns(CTString(L"Sent;Received;From;To;Sent By;Received By;"), 0, nullptr, nullptr);
            report.SetEmptyText(CTString(L"No Transfers"));
            const Report::ToolbarButton buttons[] = {
                {Report::CmdOpen, Report::kStandardImage, 135, BTNS_BUTTON},
                {kCmdSend, 0, kCmdSend, static_cast<BYTE>(BTNS_DROPDOWN | BTNS_SHOWTEXT | BTNS_WHOLEDROPDOWN)}};
            m_list.CreateToolbar(this, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 2, buttons);
            CTWndToolbar& toolbar = report.m_toolbar;
            if (toolbar.m_hWnd) {
                HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar.m_hWnd, TB_GETIMAGELIST, 0, 0));
                HICON send = LoadSmallIcon(kIconSend);
                if (images && send) {
                    TBBUTTONINFOW info = {};
                    info.cbSize = sizeof(info);
                    info.dwMask = TBIF_IMAGE;
                    info.iImage = ImageList_AddIcon(images, send);
                    ::SendMessageW(toolbar.m_hWnd, TB_SETBUTTONINFOW, kCmdSend, reinterpret_cast<LPARAM>(&info));
                }
                if (send)
                    DestroyIcon(send);
            }
            m_receivedImage = AddIconImage(report, kIconReceived);
            m_notReceivedImage = AddIconImage(report, kIconNotReceived);
            m_pendingImage = AddIconImage(report, kIconPending);
        }
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return CWMFormPage::OnMessage(msg, wParam, lParam, result);
}

bool DlgComputer::CPageTransfers::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return CWMFormPage::OnNotify(wParam, hdr, result);
    if (hdr->code == TBN_DROPDOWN && reinterpret_cast<NMTOOLBARW*>(hdr)->iItem == kCmdSend) {
        ShowRouteMenu();
        *result = TBDDRET_DEFAULT;
        return true;
    }
    if (static_cast<int>(hdr->idFrom) != kIdList)
        return CWMFormPage::OnNotify(wParam, hdr, result);
    *result = 0;
    if (hdr->code == Report::CodeDropDownMenu) {
        if (reinterpret_cast<ReportCommandInfo*>(hdr)->id == kCmdSend)
            *result = reinterpret_cast<LRESULT>(BuildRouteMenu());
        return true;
    }
    if (hdr->code == Report::CodeActivate || hdr->code == static_cast<UINT>(NM_DBLCLK))
        OpenSelected();
    return true;
}

bool DlgComputer::CPageTransfers::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const int command = LOWORD(wParam);
    if (command == Report::CmdOpen) {
        OpenSelected();
        *result = 0;
        return true;
    }
    if (m_routeMenu.count(command)) {
        SendAlongRoute(command);
        *result = 0;
        return true;
    }
    return CWMFormPage::OnCommand(wParam, lParam, result);
}

void DlgComputer::CPageTransfers::Clear()
{
    if (m_list.m_report.m_hWnd)
        m_list.m_report.DeleteAllRows();
}

void DlgComputer::CPageTransfers::OnLocationReply(TiXmlDocument& document)
{
    DlgComputer* pane = GetPane();
    TiXmlElement* root = ResultOf(document);
    if (!pane || !root)
        return;
    TiXmlElement* parameters = root->FirstChildElementNamed(L"parameters");
    const __int64 location = parameters ? ReadDecimal64(parameters->GetAttribute(L"ID")) : 0;
    // A late answer for an earlier location.
    if (location != pane->m_computer.parent)
        return;
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object route;
        route.ReadFromXml(element, true);
        m_routeObjects[route.id] = route;
    }
    m_outbound.clear();
    for (TiXmlElement* element = root->FirstChildElementNamed(L"outbound"); element;
         element = element->NextSiblingElementNamed(L"outbound")) {
        const wchar_t* path = element->GetAttribute(L"path");
        m_outbound[ReadDecimal64(element->GetAttribute(L"id"))] = CTString(path ? path : L"");
    }
}

void DlgComputer::CPageTransfers::FillTransfers(TiXmlDocument& document)
{
    DlgComputer* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    Report& report = m_list.m_report;
    m_secondFlag = false;
    Clear();
    TiXmlElement* root = ResultOf(document);
    if (!pane || !app || !root || !report.m_hWnd)
        return;
    const __int64 computer = pane->m_computer.id;
    // Ids whose paths are not cached yet, per link column.
    std::map<int, std::vector<__int64>> wanted;
    for (TiXmlElement* element = root->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object transfer;
        transfer.ReadFromXml(element, true);
        CAttribute completed;
        transfer.GetAttribute(completed, CTString(L"completed"));
        const bool done = completed.GetType() != CAttribute::Text && completed.GetValue() != 0;
        int image = m_pendingImage;
        if (done) {
            std::vector<__int64> moved;
            transfer.GetLinkArray(moved, CTString(L"assets_transferred"));
            image = std::find(moved.begin(), moved.end(), computer) != moved.end() ? m_receivedImage : m_notReceivedImage;
        }
        const __int64 accepted = LinkId(transfer, L"link_user_accept");
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(transfer.id)));
        row.AddAttribute(CAttribute(CAttribute::DateTime, transfer.created.GetValue()));
        row.AddAttribute(done ? CAttribute(CAttribute::DateTime, completed.GetValue()) : CAttribute(CTString(L"")));
        row.AddNumber(transfer.parent);
        row.AddNumber(LinkId(transfer, L"link_asset_destination"));
        row.AddNumber(LinkId(transfer, L"link_user_request"));
        row.AddNumber(accepted);
        const int item = report.InsertRow(report.GetItemCount(), image, row);
        const std::pair<int, __int64> links[] = {{kColumnSentBy, LinkId(transfer, L"link_user_request")},
                                                 {kColumnReceivedBy, accepted},
                                                 {kColumnFrom, transfer.parent},
                                                 {kColumnTo, LinkId(transfer, L"link_asset_destination")}};
        for (const auto& [column, id] : links) {
            if (id == 0)
                continue;
            CTString path;
            if (app->GetCachedPath(id, path))
                report.SetCellAttribute(item, column, CAttribute(PathForColumn(path, column)));
            else
                wanted[column].push_back(id);
        }
    }
    report.FitColumnsToContent();
    report.EnableAutoSort(true);
    report.SortBy(kColumnSent, true);
    for (int column : {kColumnSentBy, kColumnReceivedBy, kColumnFrom, kColumnTo})
        if (!wanted[column].empty())
            app->IDsToPaths(wanted[column], pane->Route(kReqPaths, column));
}

CTString DlgComputer::CPageTransfers::PathForColumn(const CTString& path, int column)
{
    const wchar_t* text = path.GetBuffer() ? path.GetBuffer() : L"";
    const wchar_t* last = wcsrchr(text, L'\\');
    if (column == kColumnTo || !last)
        return CTString(text);
    if (column == kColumnSentBy || column == kColumnReceivedBy)
        return CTString(last + 1);
    return CTString(std::wstring(text, last).c_str());
}

void DlgComputer::CPageTransfers::FillPaths(TiXmlDocument& document, int column)
{
    Report& report = m_list.m_report;
    TiXmlElement* root = ResultOf(document);
    if (!root || !report.m_hWnd)
        return;
    for (TiXmlElement* value = root->FirstChildElementNamed(L"value"); value;
         value = value->NextSiblingElementNamed(L"value")) {
        const __int64 id = ReadDecimal64(value->GetAttribute(L"ID"));
        const wchar_t* path = value->GetAttribute(L"path");
        if (id == 0 || !path)
            continue;
        const CTString text = PathForColumn(CTString(path), column);
        for (int item = 0; item < report.GetItemCount(); ++item)
            if (LinkCellId(report, item, column) == id)
                report.SetCellAttribute(item, column, CAttribute(text));
        report.FitColumnsToContent();
    }
}

HMENU DlgComputer::CPageTransfers::BuildRouteMenu()
{
    m_routeMenu.clear();
    m_menu.Destroy();
    if (!m_menu.CreatePopup())
        return nullptr;
    std::vector<std::pair<CTString, __int64>> routes;
    for (const auto& [id, path] : m_outbound)
        routes.emplace_back(path, id);
    std::stable_sort(routes.begin(), routes.end(), [](const auto& a, const auto& b) {
        return lstrcmpW(a.first.GetBuffer() ? a.first.GetBuffer() : L"", b.first.GetBuffer() ? b.first.GetBuffer() : L"") < 0;
    });
    int command = kCmdFirstRoute;
    for (const auto& [path, id] : routes) {
        AppendMenuW(m_menu.m_menu, MF_STRING, static_cast<UINT_PTR>(command), path.GetBuffer() ? path.GetBuffer() : L"");
        m_routeMenu[command] = CAttribute(CAttribute::Integer, id);
        ++command;
    }
    m_menu.MakeOwnerDrawn();
    return m_menu.m_menu;
}

void DlgComputer::CPageTransfers::ShowRouteMenu()
{
    if (!BuildRouteMenu())
        return;
    CTWndToolbar& toolbar = m_list.m_report.m_toolbar;
    RECT rect = {};
    const LRESULT index = toolbar.m_hWnd ? ::SendMessageW(toolbar.m_hWnd, TB_COMMANDTOINDEX, kCmdSend, 0) : -1;
    if (index >= 0)
        ::SendMessageW(toolbar.m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    POINT corner = {rect.right, rect.bottom};
    if (toolbar.m_hWnd)
        ClientToScreen(toolbar.m_hWnd, &corner);
    const UINT command = m_menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, corner.x, corner.y, m_hWnd);
    PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void DlgComputer::CPageTransfers::SendAlongRoute(int command)
{
    auto chosen = m_routeMenu.find(command);
    if (chosen == m_routeMenu.end())
        return;
    const __int64 routeId = chosen->second.GetValue();
    m_routeMenu.clear();
    DlgComputer* pane = GetPane();
    App* app = pane ? pane->GetApp() : nullptr;
    MainWindow* main = pane ? pane->m_owner : nullptr;
    if (!app || !main)
        return;

    auto mayReceive = [&] {
        auto route = m_routeObjects.find(routeId);
        return route != m_routeObjects.end() &&
               main->m_cache.CheckAssetLocationLink(LinkId(route->second, L"link_asset_location"), 2);
    };
    CTString text;
    auto path = m_outbound.find(routeId);
    text.Format(L"Are you sure you want to send asset to '%s'",
                path != m_outbound.end() && path->second.GetBuffer() ? path->second.GetBuffer() : L"");
    const bool offerReceive = mayReceive();
    DWORD style = 7 | MB_ICONQUESTION;
    if (offerReceive)
        style |= CTWndMessageBox::kStyleCheckBox;
    INT_PTR answer = 0;
    {
        CTWndMessageBox box(app->GetMainHwnd(), GetModuleHandleW(nullptr), text.GetBuffer(), L"Send Assets", style,
                            nullptr, offerReceive ? L"Automatically Receive Assets" : nullptr);
        answer = box.Run();
    }
    if ((answer & 0xFFFF) != 11)
        return;
    const bool autoReceive = (answer & CTWndMessageBox::kChecked) != 0 && mayReceive();

    Object transfer;
    main->GetTypeByName(transfer, CTString(L"Asset Transfer"));
    const std::vector<__int64> ids = {pane->m_computer.id};
    transfer.SetLinkArray(CTString(L"assets_requested"), ids);
    if (autoReceive)
        transfer.SetLinkArray(CTString(L"assets_transferred"), ids);
    CAttributes items;
    transfer.CollectChanges(items, true);
    app->m_db.QelAssetTransfer(static_cast<unsigned>(routeId), 0, autoReceive ? 1 : 0, items,
                               pane->Route(kReqTransfer, 0, true));
}

void DlgComputer::CPageTransfers::OpenSelected()
{
    DlgComputer* pane = GetPane();
    Report& report = m_list.m_report;
    if (!pane || !pane->m_owner || !report.m_hWnd)
        return;
    const int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    if (item < 0)
        return;
    const __int64 id = static_cast<__int64>(reinterpret_cast<INT_PTR>(report.GetRowData(item)));
    if (id != 0)
        pane->m_owner->ShowConsole(kConsoleTransfer, id, false);
}
