#include "app/DlgDataPoint.h"

#include <commctrl.h>
#include <list>
#include "app/App.h"
#include "app/HeadingMarkup.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "app/ListCellCopy.h"
#include "framework/CTMenu.h"
#include "framework/CTREngineDraw.h"
#include "framework/CTWndToolbar.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

constexpr DWORD kAnchorRight = CTWndSize::RightToRight;                                        // 8
constexpr DWORD kAnchorRightBottom = CTWndSize::RightToRight | CTWndSize::BottomToBottom;     // 12
constexpr DWORD kAnchorBottomBand = CTWndSize::TopToBottom | CTWndSize::RightToRight | CTWndSize::BottomToBottom; // 14

HMODULE PaneModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgDataPoint::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

DlgDataPoint::DlgDataPoint()
{
    CTWndHeader::RegisterClass(PaneModule());
    CTWndListCtrlEx2::RegisterClass(PaneModule());
}

DlgDataPoint::~DlgDataPoint()
{
    CTWnd2::Destroy();
}

bool DlgDataPoint::Create()
{
    return CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd());
}

void DlgDataPoint::Destroy()
{
    CTWnd2::Destroy();
}

void DlgDataPoint::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AddItem(GetDlgItem(m_hWnd, kIdHeader), kAnchorRight);
    AddItem(GetDlgItem(m_hWnd, kIdItems), kAnchorRightBottom);
    AddItem(GetDlgItem(m_hWnd, kIdLinks), kAnchorBottomBand);

    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    if (HICON rendered = LoadEmfIcon(kPicture, cx, cy)) {
        m_icon.SetCopy(rendered);
        DestroyIcon(rendered);
    } else {
        // Without the pane picture the band shows the plain item icon.
        m_icon.LoadFromExe(161, cx);
    }
    if (m_header.Attach(m_hWnd, kIdHeader)) {
        if (m_icon.icon)
            m_header.SetIcon(m_icon.icon);
        m_header.SetMarkupMode();
        ApplyHeaderColours(m_header);
    }

    if (m_items.AttachReport(m_hWnd, kIdItems)) {
        m_items.ModifyOptions(7, CTListCtrlReport::OptStretch);
        m_items.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
        m_items.SetColumns(CTString(L"Item,150;Value,250;"), 0, nullptr, nullptr);
        m_items.EnableAutoSort(false);
        HICON item = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kItemIcon), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        m_items.AddImage(item);
        if (item)
            DestroyIcon(item);
    }

    if (m_links.Create(m_hWnd, kIdLinks, true, 0)) {
        CTListCtrlReport& report = m_links.m_report;
        report.ModifyOptions(CTListCtrlReport::OptGridLines, 0);
        report.ModifyStyle(0, LVS_SINGLESEL | WS_TABSTOP, 0);
        report.SetColumns(CTString(L"Date Time,140;Object,200;Type,100"), 0, nullptr, nullptr);
        report.SortBy(0, false);
        report.EnableAutoSort(true);
    }
    Refresh();
}

RequestRoute DlgDataPoint::DirRoute() const
{
    if (m_owner)
        return m_owner->GetPaneKey(const_cast<DlgDataPoint*>(this));
    return PaneKey(MainWindow::kWindowType, 0, kConsoleType, m_key);
}

void DlgDataPoint::Refresh()
{
    App* app = GetApp();
    if (!app || !m_hWnd)
        return;
    // The directory fetches carry the pane's identity, not an empty route: the main window cancels
    // them when the pane closes, so no completion runs on a deleted pane.
    RequestRoute pane = DirRoute();
    app->LoadDataPointList(m_key, m_option, &m_items, pane);

    __int64 id = m_key;
    app->m_dir.RequestObject(id, 0, pane, [this, app, id]() {
        if (!m_header.m_hWnd)
            return;
        const Object* point = app->m_dir.Lookup(id);
        if (point)
            m_header.SetText(BuildObjectHeadingMarkup(*point, CTString(), false, true));
    }, nullptr);

    CTString search;
    search.Format(L"%d", static_cast<int>(m_key));
    app->m_db.ObjSearch(CTString(L"Link [DP]"), DB::kParentAll, CTString(L"link_data_point"), search, false, DB::kNoMax,
                        RequestRoute{MainWindow::kWindowType, 0, kConsoleType, m_key, kReqLinks, 0, false});
}

void DlgDataPoint::OnReply(RequestResult& result)
{
    if (result.route.requestId != kReqLinks)
        return;
    CTListCtrlReport& report = m_links.m_report;
    report.EnableAutoSort(false);
    report.DeleteAllRows();
    m_linkObjects.clear();

    std::list<__int64> parents;
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    for (TiXmlElement* element = root ? root->FirstChildElementNamed(L"object") : nullptr; element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object link;
        link.ReadFromXml(element, true);
        parents.push_back(link.parent);
        m_linkObjects.push_back(std::move(link));
    }
    App* app = GetApp();
    if (!app)
        return;
    app->m_dir.FetchObjects(parents, DirRoute(), [this]() { FillLinks(); }, nullptr);
}

void DlgDataPoint::FillLinks()
{
    App* app = GetApp();
    CTListCtrlReport& report = m_links.m_report;
    if (!app || !report.m_hWnd)
        return;
    // The rows of an earlier fill go: a later reply replaces the list.
    report.EnableAutoSort(false);
    report.DeleteAllRows();
    for (const Object& link : m_linkObjects) {
        Object parent;
        if (const Object* cached = app->m_dir.Lookup(link.parent))
            parent = *cached;
        Object type;
        if (m_owner)
            m_owner->GetTypeById(type, parent.type);
        CTListCtrlReport::Row row(reinterpret_cast<void*>(static_cast<INT_PTR>(link.id)));
        row.AddAttribute(link.created).AddText(CTString(parent.name)).AddText(CTString(type.name));
        report.AddRow(0, row);
    }
    report.SortBy(0, true);
    report.EnableAutoSort(true);
    report.FitColumnsToContent();
}

void DlgDataPoint::OpenLink(int item)
{
    App* app = GetApp();
    if (item < 0 || !app || !m_owner)
        return;
    auto id = static_cast<__int64>(reinterpret_cast<INT_PTR>(m_links.m_report.GetRowData(item)));
    for (const Object& link : m_linkObjects) {
        if (link.id != id)
            continue;
        Object parent;
        if (const Object* cached = app->m_dir.Lookup(link.parent))
            parent = *cached;
        m_owner->OpenObject(parent, false, false);
        return;
    }
}

bool DlgDataPoint::CopyCell(int item, int subItem)
{
    return m_items.m_hWnd && ListCellCopy::CopyCell(m_items.m_hWnd, item, subItem);
}

void DlgDataPoint::ShowCopyMenu(const NMITEMACTIVATE& click)
{
    ListCellCopy::ShowCopyMenu(m_items.m_hWnd, m_hWnd, click);
}

bool DlgDataPoint::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr)
        return false;
    if (m_items.m_hWnd && hdr->hwndFrom == m_items.m_hWnd && m_items.OnParentNotify(hdr, result))
        return true;
    if (hdr->idFrom == static_cast<UINT_PTR>(kIdLinks) && hdr->code == static_cast<UINT>(NM_DBLCLK)) {
        OpenLink(reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem);
        return true;
    }
    if (hdr->idFrom == static_cast<UINT_PTR>(kIdItems) && hdr->code == static_cast<UINT>(NM_RCLICK)) {
        ShowCopyMenu(*reinterpret_cast<NMITEMACTIVATE*>(hdr));
        return true;
    }
    return false;
}

bool DlgDataPoint::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    if (LOWORD(wParam) == kCmdHeaderClose) {
        Close();
        return true;
    }
    return false;
}

bool DlgDataPoint::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
