#include "structure/DlgOrganisation.h"

#include <commctrl.h>
#include <algorithm>
#include <set>
#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTRegKey.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

constexpr UINT kLayoutRoot = 104;
constexpr int kStrOpen = 135;

void* Key(__int64 id) { return reinterpret_cast<void*>(static_cast<INT_PTR>(id)); }
__int64 IdOf(void* key) { return static_cast<__int64>(reinterpret_cast<INT_PTR>(key)); }

CAttribute Value(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value;
}

CTString UserText(const CTStringLocale& name)
{
    CTStringLocale copy;
    copy = name;
    const wchar_t* text = copy.GetUserText();
    return CTString(text ? text : L"");
}

bool Failed(const RequestResult& result) { return result.resultCode != 0 || result.returnCode != 0; }

// A "|" list item without surrounding blanks and double quotes.
CTString TrimItem(const CTString& item)
{
    std::wstring text = item.GetBuffer() ? item.GetBuffer() : L"";
    auto trimmed = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'"'; };
    while (!text.empty() && trimmed(text.front())) text.erase(text.begin());
    while (!text.empty() && trimmed(text.back())) text.pop_back();
    return CTString(text.c_str());
}

} // namespace

DlgOrganisation::DlgOrganisation() : ObjectPane(kTemplate, kConsoleType)
{
    CTWndListCtrlEx2::RegisterClass(TemplateModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
}

DlgOrganisation::~DlgOrganisation()
{
    m_ordersList.Destroy();
    m_locationsList.Destroy();
}

void DlgOrganisation::SetUpList(CTWndListCtrlEx2& list, const wchar_t* emptyText)
{
    CTListCtrlReportEx& report = list.m_report;
    report.ModifyOptions(CTListCtrlReport::OptGridLines, CTListCtrlReport::OptStretch);
    report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
    ListView_SetExtendedListViewStyleEx(report.m_hWnd, LVS_EX_GRIDLINES, 0);
    const CTListCtrlReportEx::ToolbarButton buttons[] = {
        {kCmdOpen, CTListCtrlReportEx::kStandardImage, kStrOpen, BTNS_BUTTON},
    };
    list.CreateToolbar(this, TBSTYLE_TOOLTIPS | TBSTYLE_LIST, 1, buttons);
    report.SetEmptyText(CTString(emptyText));
}

void DlgOrganisation::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AttachHeader(kHeader);
    AddItem(GetDlgItem(m_hWnd, kLocationsId), RightToRight | BottomToBottom);
    if (m_locationsList.Create(m_hWnd, kLocationsId, true, 0)) {
        SetUpList(m_locationsList, L"No Locations");
        m_locationsList.SetColumns(CTString(L"Name;Type"), kLayoutRoot, GetModuleHandleW(nullptr),
                                   L"DlgOrganisation::ctrlList_");
    }
    if (m_ordersList.Create(m_hWnd, kOrdersId, false, 0)) {
        m_ordersList.SetCaption(CTString(L"Orders"));
        SetUpList(m_ordersList, L"No Orders");
    }
    if (m_locationsList.m_hWnd && m_ordersList.m_hWnd &&
        m_splitter.Create(m_hWnd, m_locationsList.m_hWnd, m_ordersList.m_hWnd, false, GetModuleHandleW(nullptr), 1,
                          kFirstMin, kSecondMin, false))
        PostMessageW(m_hWnd, kMsgRestoreSplitter, 0, 0);
    Refresh();
}

int DlgOrganisation::ReadSplitterPosition(const CTString& connection)
{
    CTString path(L"Settings\\");
    path.Append(connection);
    path.AppendText(L"\\DlgOrganisation");
    CTRegKey key(kLayoutRoot, nullptr, path.GetBuffer());
    return static_cast<int>(key.ReadDword(L"SplitterPos", kDefaultSplitterPos));
}

void DlgOrganisation::RestoreSplitter()
{
    if (!m_splitter.m_hWnd) return;
    App* app = GetApp();
    m_splitter.SetSplit(true, true);
    m_splitter.SetPosition(ReadSplitterPosition(app ? app->m_server : CTString()));
}

void DlgOrganisation::SendRequests()
{
    m_organisation.id = m_key;
    App* app = GetApp();
    if (!app) return;
    app->m_db.ObjGet(static_cast<unsigned>(m_key), false, false, Route(kReqObject, 0));
    CTString search;
    search.Format(L"%I64d", m_key);
    app->m_db.ObjSearch(CTString(L"Asset Location,Site,Order"), DB::kParentAllInherit, CTString(L"link_organisation"),
                        search, false, DB::kNoMax, Route(kReqSearch, 0));
}

void DlgOrganisation::OnReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqIcon:
        OnIconReply(result);
        break;
    case kReqPath:
        if (result.returnCode == 0) OnPathReply(result);
        break;
    case kReqSearch:
        OnListReply(result);
        break;
    case kReqObject:
        if (Failed(result)) ReportObjectGone(result.statusText);
        else OnOrganisationReply(result);
        break;
    default:
        break;
    }
}

void DlgOrganisation::OnOrganisationReply(RequestResult& result)
{
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    if (!parameters || ReadDecimal64(parameters->GetAttribute(L"ID")) != m_key) return;
    TiXmlElement* element = root->FirstChildElementNamed(L"object");
    m_organisation.Clear();
    if (element) m_organisation.ReadFromXml(element, true);
    TakeHeadingIcon(m_organisation);
    if (!m_header.m_hWnd) return;
    Object type;
    MainWindow* main = Main();
    if (main) main->GetTypeById(type, m_organisation.type);
    CTString text;
    AppendHeadingMarkup(UserText(m_organisation.name), CTString(type.name), text);
    m_header.SetText(text);
}

bool DlgOrganisation::IsOrder(const Object& object, __int64 orderType) const
{
    if (orderType == 0) return false;
    if (object.type == orderType) return true;
    // Orders of the kinds derived from "Order" are orders too.
    MainWindow* main = Main();
    return main && main->m_cache.IsSubtypeOf(object.type, orderType);
}

void DlgOrganisation::OnListReply(RequestResult& result)
{
    MainWindow* main = Main();
    const __int64 orderType = main ? main->GetTypeId(CTString(L"Order")) : 0;
    m_locations.clear();
    m_orders.clear();
    std::set<__int64> locationIds;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object object;
        object.ReadFromXml(element, true);
        if (IsOrder(object, orderType)) m_orders.push_back(object);
        else if (locationIds.insert(object.id).second) m_locations.push_back(object);
    }
    FillLocations();
    FillOrders();
}

int DlgOrganisation::ImageFor(CTListCtrlReport& list, const Object& object)
{
    App* app = GetApp();
    const CTString name(Value(object, L"tree_image").GetText());
    if (!app || name.IsEmpty()) return 0;
    int index = app->FindIcon(name);
    if (index < 0) index = app->AddIcon(name, Route(kReqIcon, 0));
    if (index < 0) return 0;
    if (!list.HasImageForKey(index))
        if (HICON icon = app->GetIcon(0, name, Route(kReqIcon, 0))) {
            list.AddImageForKey(icon, index);
            DestroyIcon(icon);
        }
    return list.HasImageForKey(index) ? std::max(0, list.GetImageForKey(index)) : 0;
}

void DlgOrganisation::FillLocations()
{
    CTListCtrlReportEx& report = m_locationsList.m_report;
    if (!report.m_hWnd) return;
    report.DeleteAllRows();
    report.SetEmptyText(CTString(L"No Results Found"));
    report.EnableAutoSort(false);
    MainWindow* main = Main();
    App* app = GetApp();
    for (const Object& location : m_locations) {
        Object type;
        if (main) main->GetTypeById(type, location.type);
        const int image = ImageFor(report, location);
        CTString name;
        auto known = m_parentPaths.find(location.parent);
        if (known != m_parentPaths.end() && !known->second.IsEmpty() && known->second.Compare(L"?") != 0) {
            name = known->second;
            name.AppendText(L"\\");
        }
        name.AppendText(location.name.GetBuffer() ? location.name.GetBuffer() : L"");
        CTListCtrlReport::Row row(Key(location.id));
        row.AddText(name).AddText(CTString(type.name));
        report.InsertRow(report.GetItemCount(), image, row);
        if (location.parent != 0 && (known == m_parentPaths.end() || known->second.IsEmpty())) {
            m_parentPaths[location.parent] = L"?";
            if (app) app->IDToPath(location.parent, Route(kReqPath, location.id));
        }
    }
    report.EnableAutoSort(true);
}

std::vector<CTString> DlgOrganisation::BuildOrderColumns(const std::vector<Object>& orders)
{
    std::vector<CTString> columns;
    std::set<__int64> typesMet;
    for (const Object& order : orders) {
        if (!typesMet.insert(order.type).second) continue;
        std::vector<CTString> items;
        SplitAtBar(items, Value(order, L"console_display_attribs").GetString());
        for (const CTString& raw : items) {
            const CTString item = TrimItem(raw);
            if (item.IsEmpty()) continue;
            const bool known = std::any_of(columns.begin(), columns.end(), [&](const CTString& column) {
                return column.Compare(item.GetBuffer()) == 0;
            });
            if (!known) columns.push_back(item);
        }
    }
    return columns;
}

CTString DlgOrganisation::OrderColumnSpec(const std::vector<CTString>& columns)
{
    if (columns.empty()) return CTString(L" ");
    CTString spec;
    for (const CTString& column : columns) {
        spec.AppendText(L"\"");
        spec.Append(column);
        spec.AppendText(L"\";");
    }
    return spec;
}

void DlgOrganisation::FillOrders()
{
    CTListCtrlReportEx& report = m_ordersList.m_report;
    if (!report.m_hWnd) return;
    report.DeleteAllRows();
    report.SetEmptyText(CTString(L"No Results Found"));
    report.EnableAutoSort(false);
    m_orderColumns = BuildOrderColumns(m_orders);
    report.SetColumns(OrderColumnSpec(m_orderColumns), 0, nullptr, nullptr);
    for (const Object& order : m_orders) {
        const int image = ImageFor(report, order);
        CTListCtrlReport::Row row(Key(order.id));
        for (const CTString& column : m_orderColumns) {
            if (column.Compare(L"Name") == 0) {
                row.AddText(UserText(order.name));
                continue;
            }
            CAttribute value = Value(order, column.GetBuffer());
            if (order.EditSpecItemEquals(column, CTString(L"TYPE"), CTString(L"Date")))
                value = CAttribute(CAttribute::Date, value.GetValue());
            CAttribute choices;
            order.GetEditSpecItem(choices, column, CTString(L"VALUES"));
            if (choices.GetTextLength() != 0) order.GetAttributeValueText(value, column);
            row.AddAttribute(value);
        }
        report.InsertRow(report.GetItemCount(), image, row);
    }
    report.EnableAutoSort(true);
}

void DlgOrganisation::OnPathReply(RequestResult& result)
{
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    TiXmlElement* parameters = root ? root->FirstChildElementNamed(L"parameters") : nullptr;
    const __int64 parent = parameters ? ReadDecimal64(parameters->GetAttribute(L"ID")) : 0;
    TiXmlElement* value = root ? root->FirstChildElementNamed(L"value") : nullptr;
    if (parent == 0 || !value) return;
    const wchar_t* pathText = value->GetAttribute(L"path");
    const CTString path(pathText ? pathText : L"");
    m_parentPaths[parent] = path;
    CTListCtrlReportEx& report = m_locationsList.m_report;
    if (!report.m_hWnd) return;
    for (const Object& location : m_locations) {
        if (location.parent != parent) continue;
        const int item = report.FindRowByData(Key(location.id));
        if (item < 0) continue;
        CAttribute current;
        report.GetCell(item, 0, current);
        CTString text(path);
        if (!path.IsEmpty()) text.AppendText(L"\\");
        text.AppendText(current.GetText());
        report.SetCell(item, 0, CTListCtrlReport::Cell(CAttribute::Text, text));
    }
}

void DlgOrganisation::OnIconReply(RequestResult& result)
{
    const int index = static_cast<int>(result.route.param2);
    App* app = GetApp();
    if (!app) return;
    // Every list image made from this icon is replaced, the first one in a list included; the
    // heading takes its icon again too, since its own fetch answers with the icon's index.
    for (CTWndListCtrlEx2* list : {&m_locationsList, &m_ordersList}) {
        CTListCtrlReportEx& report = list->m_report;
        if (!report.m_hWnd || !report.HasImageForKey(index)) continue;
        if (HICON icon = ImageList_GetIcon(app->m_smallImages, index, ILD_TRANSPARENT)) {
            report.ReplaceImage(icon, report.GetImageForKey(index));
            DestroyIcon(icon);
            InvalidateRect(report.m_hWnd, nullptr, TRUE);
        }
    }
    const int headingIndex = app->FindIcon(Value(m_organisation, L"tree_image").GetString());
    if (index == 0 || (headingIndex >= 0 && headingIndex == index)) TakeHeadingIcon(m_organisation);
}

void DlgOrganisation::OpenSelected(bool orders)
{
    CTListCtrlReportEx& report = orders ? m_ordersList.m_report : m_locationsList.m_report;
    if (!report.m_hWnd) return;
    const int item = ListView_GetNextItem(report.m_hWnd, -1, LVNI_SELECTED);
    if (item < 0) return;
    const __int64 id = IdOf(report.GetRowData(item));
    const std::vector<Object>& objects = orders ? m_orders : m_locations;
    auto found = std::find_if(objects.begin(), objects.end(), [id](const Object& o) { return o.id == id; });
    MainWindow* main = Main();
    if (found != objects.end() && main) main->OpenObject(*found, false, false);
}

bool DlgOrganisation::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(lParam);
        return false;
    case kMsgRestoreSplitter:
        RestoreSplitter();
        *result = 0;
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && m_splitter.m_hWnd) m_splitter.Layout(LOWORD(lParam), HIWORD(lParam));
        return false;
    default:
        return false;
    }
}

bool DlgOrganisation::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    const int id = static_cast<int>(wParam);
    if (id != kLocationsId && id != kOrdersId) return false;
    CTListCtrlReportEx& report = id == kOrdersId ? m_ordersList.m_report : m_locationsList.m_report;
    if (hdr->code == CTListCtrlReportEx::CodeActivate || hdr->code == static_cast<UINT>(NM_DBLCLK)) {
        OpenSelected(id == kOrdersId);
        *result = 0;
        return true;
    }
    return report.m_hWnd && report.OnParentNotify(hdr, result);
}

bool DlgOrganisation::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (LOWORD(wParam)) {
    case IDCLOSE:
        Close();
        return true;
    case kCmdOpen: {
        // The toolbar that sent it tells which list it belongs to.
        const HWND from = reinterpret_cast<HWND>(lParam);
        const bool orders = from && (from == m_ordersList.m_hWnd || from == m_ordersList.m_report.m_toolbar.m_hWnd);
        OpenSelected(orders);
        return true;
    }
    default:
        return false;
    }
}
