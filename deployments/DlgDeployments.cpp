#include "deployments/DlgDeployments.h"

#include <algorithm>
#include "app/App.h"
#include "app/MainWindow.h"
#include "app/WindowCatalogue.h"
#include "deployments/DlgDeploymentsPanels.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTApp.h"
#include "framework/CTColour.h"
#include "framework/CTRegKey.h"
#include "framework/CWMForm.h"
#include "session/RequestResult.h"

namespace {

constexpr const wchar_t* kClassName = L"CTWndDlgDeployments";

HMODULE ViewModule()
{
    HMODULE module = FindDialogTemplateModule(DlgDeployments::DlgLHS::kTemplate);
    return module ? module : GetModuleHandleW(nullptr);
}

TiXmlElement* FirstObject(RequestResult& result)
{
    TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
    return root ? root->FirstChildElementNamed(L"object") : nullptr;
}

} // namespace

void RegisterDeploymentsView(WindowCatalogue& catalogue)
{
    catalogue.RegisterPane(DlgDeployments::kConsoleType, [](int) -> CTWndConsole* { return new DlgDeployments(); });
}

DlgDeployments::DlgDeployments() : m_host(std::make_unique<DlgLHS>())
{
    CTWndDraw::RegisterClass(ViewModule());
    CTWndListCtrlEx2::RegisterClass(GetModuleHandleW(nullptr));
}

DlgDeployments::~DlgDeployments()
{
    if (m_dragImage)
        ImageList_Destroy(m_dragImage);
    CTWnd2::Destroy();
}

RequestRoute DlgDeployments::Route(int request, __int64 param2) const
{
    RequestRoute route;
    route.targetType = MainWindow::kWindowType;
    route.targetKey = m_owner ? m_owner->m_key : 0;
    route.consoleType = kConsoleType;
    route.consoleKey = 0;
    route.requestId = request;
    route.param2 = param2;
    return route;
}

bool DlgDeployments::OpenSettingsKey(CTRegKey& key)
{
    CTString path(L"Settings\\");
    if (App* app = GetApp())
        path.Append(app->m_server);
    path.AppendText(L"\\DlgDeployments");
    return key.SetPath(104, GetModuleHandleW(nullptr), path.GetBuffer());
}

__int64 DlgDeployments::DeploymentTypeId() const
{
    return m_owner ? m_owner->GetTypeId(CTString(L"Deployment")) : 0;
}

Object* DlgDeployments::FindLoaded(__int64 id)
{
    auto it = m_loadedIndex.find(id);
    return it == m_loadedIndex.end() ? nullptr : &m_loaded.children[it->second];
}

Object& DlgDeployments::AddLoaded(const Object& object)
{
    if (Object* known = FindLoaded(object.id)) {
        known->Assign(object);
        return *known;
    }
    m_loadedIndex[object.id] = m_loaded.children.size();
    m_loaded.children.push_back(object);
    return m_loaded.children.back();
}

bool DlgDeployments::Create()
{
    if (!CTWnd2::Create(kClassName, true, GetOwnerHwnd(), WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                        GetModuleHandleW(nullptr), nullptr))
        return false;
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, 0);
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    ModifyExStyle(0, WS_EX_CONTROLPARENT);

    m_list.Create(m_hWnd, kIdList, false, 0);
    m_host->Create(m_hWnd);
    HWND host = m_host->m_hWnd;
    m_host->Add(new DlgLHSSelectSG(this, host));
    m_host->Add(new DlgLHSSlot(this, host));
    m_host->Add(new DlgLHSDepStatus(this, host));
    m_host->Add(new DlgLHSTag(this, host, CTString(L"<All Deployments>"), DeploymentTypeId()));
    m_host->m_panels[0]->m_kind = kKindGroups;
    m_host->m_panels[1]->m_kind = kKindSchedule;
    m_host->m_panels[2]->m_kind = kKindStatus;
    m_host->m_panels[3]->m_kind = kKindTags;

    LoadSettings();
    // A stored kind that names no panel shows the group panel, so the view always has one.
    if (!m_host->SelectPanel(m_lhsKind) && !m_host->m_current)
        m_host->SelectPanel(kKindGroups);
    SetupColumns();

    RECT rc = {};
    GetWindowRect(host, &rc);
    m_lhsWidth = std::max<int>(m_lhsWidth, rc.right - rc.left);
    return true;
}

void DlgDeployments::LoadSettings()
{
    CTRegKey key;
    if (!OpenSettingsKey(key))
        return;
    m_lhsWidth = key.ReadInt(L"LHSWidth", m_lhsWidth);
    m_lhsKind = key.ReadInt(L"LHSDlg", m_lhsKind);
    for (auto& panel : m_host->m_panels)
        panel->LoadChoice(key);
}

void DlgDeployments::SaveSettings()
{
    Report().SaveColumnLayout();
    CTRegKey key;
    if (!OpenSettingsKey(key))
        return;
    if (m_splitterCreated)
        key.WriteInt(L"LHSWidth", m_splitter.GetPosition());
    key.WriteInt(L"LHSDlg", GetPanelKind());
    for (auto& panel : m_host->m_panels)
        panel->SaveChoice(key);
}

int DlgDeployments::GetPanelKind() const
{
    return m_host->m_current ? m_host->m_current->GetKind() : kKindGroups;
}

bool DlgDeployments::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_SIZE: {
        if (wParam == SIZE_MINIMIZED || lParam == 0)
            break;
        const int cx = LOWORD(lParam), cy = HIWORD(lParam);
        if (!m_splitterCreated) {
            RECT rc = {};
            GetWindowRect(m_host->m_hWnd, &rc);
            const int hostWidth = rc.right - rc.left;
            MoveWindow(m_host->m_hWnd, 0, 0, cx, cy, FALSE);
            MoveWindow(m_list.m_hWnd, 0, 0, cx, cy, FALSE);
            m_splitter.Create(m_hWnd, m_host->m_hWnd, m_list.m_hWnd, true, GetModuleHandleW(nullptr), 0, hostWidth, 20,
                              false);
            m_splitter.SetPosition(m_lhsWidth);
            m_splitter.SetSplit(true, false);
            m_splitterCreated = true;
            Refresh();
        }
        m_splitter.Layout(cx, cy);
        break;
    }
    case WM_SETFOCUS:
        ::SetFocus(Report().m_hWnd);
        *result = 0;
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_SHOWWINDOW:
        if (wParam == 0)
            SaveSettings();
        break;
    case WM_DESTROY:
        EndDrag();
        SaveSettings();
        break;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_MOUSEMOVE:
        if (m_dragging) {
            POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(m_hWnd, &pt);
            OnDragMove(pt);
            *result = 0;
            return true;
        }
        break;
    case WM_LBUTTONUP:
        if (m_dragging) {
            OnDrop();
            *result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

void DlgDeployments::OnWindowPosChanging(WINDOWPOS* pos)
{
    if (!pos)
        return;
    const bool visible = IsWindowVisible(m_hWnd) != FALSE;
    if ((pos->flags & SWP_SHOWWINDOW) && !visible) {
        m_shown = m_visible = true;
        if (m_refreshPending)
            Refresh();
    } else if ((pos->flags & SWP_HIDEWINDOW) && visible) {
        m_shown = m_visible = false;
    }
}

// ---- loading ------------------------------------------------------------------------------------

void DlgDeployments::Refresh()
{
    if (!m_shown) {
        m_refreshPending = true;
        return;
    }
    m_refreshPending = false;
    m_lookupTexts.clear();
    m_namedListTexts.clear();
    m_lookupColumns.clear();
    m_namedListOwners.clear();
    m_unreturned.clear();
    m_searches.clear();
    m_loaded.Clear();
    m_loaded.children.clear();
    m_loadedIndex.clear();
    HlsToRgb(&m_nextColour, 0, 152, 177);
    m_pendingGroupLoads = 0;
    for (auto& panel : m_host->m_panels)
        panel->BeforeReload();
    if (App* app = GetApp())
        app->m_db.DirGetLookup(0, CTString(L"TYPE='Schedule Group'"), Route(kReqLookup, kLookupGroups));
}

void DlgDeployments::OnReply(RequestResult& result)
{
    switch (result.route.requestId) {
    case kReqLookup:
        if (result.route.param2 == kLookupGroups)
            OnGroups(result);
        else if (result.route.param2 == kLookupColumn)
            OnLookup(result);
        break;
    case kReqGroupLoad:
        OnGroupObjects(result);
        break;
    case kReqSearch:
        OnMissingObjects(result);
        break;
    case kReqIcon:
        OnIcon();
        break;
    case kReqCommsList:
        OnCommsList(result);
        break;
    case kReqNotice:
        OnNotice(result);
        break;
    default:
        break;
    }
    for (auto& panel : m_host->m_panels)
        panel->OnReply(result);
}

void DlgDeployments::OnGroups(RequestResult& result)
{
    if (result.returnCode != 0)
        return;
    m_groups.clear();
    m_groupMembers.clear();
    BYTE rgb[3] = {GetRValue(m_nextColour), GetGValue(m_nextColour), GetBValue(m_nextColour)};
    BYTE hue = 0, lightness = 0, saturation = 0;
    RgbToHls(rgb, &hue, &lightness, &saturation);
    for (TiXmlElement* element = FirstObject(result); element; element = element->NextSiblingElementNamed(L"object")) {
        Object group;
        group.ReadFromXml(element, true);
        GroupEntry& entry = m_groups[group.id];
        entry.group = group;
        hue = static_cast<BYTE>(hue + 27);
        HlsToRgb(&entry.colour, hue, lightness, saturation);
    }
    HlsToRgb(&m_nextColour, hue, lightness, saturation);
    auto* panel = static_cast<DlgLHSSelectSG*>(m_host->Find(kKindGroups));
    if (panel)
        panel->m_groupCount = static_cast<UINT32>(m_groups.size());
    std::vector<__int64> ids;
    for (auto& [id, entry] : m_groups)
        ids.push_back(id);
    for (__int64 id : ids)
        if (panel && panel->AddGroup(m_groups[id].group))
            SetGroupEnabled(id, true);
    if (m_groups.empty())
        Fill(0, kKindGroups);
}

void DlgDeployments::SetGroupEnabled(__int64 groupId, bool enabled)
{
    GroupEntry& entry = m_groups[groupId];
    entry.enabled = enabled;
    if (enabled && !entry.loaded) {
        entry.loaded = true;
        ++m_pendingGroupLoads;
        if (App* app = GetApp())
            app->m_db.ObjGetSerials(static_cast<unsigned>(groupId), CTString(L"Deployment,Deployment Window,Deployment Slot"),
                                    CTString(), Route(kReqGroupLoad, 0));
    } else {
        Fill(0, kKindGroups);
    }
}

void DlgDeployments::OnGroupObjects(RequestResult& result)
{
    // A failed load is answered too: the groups that did load still show.
    if (m_pendingGroupLoads > 0)
        --m_pendingGroupLoads;
    if (result.returnCode == 0)
        for (TiXmlElement* element = FirstObject(result); element; element = element->NextSiblingElementNamed(L"object")) {
            Object object;
            object.ReadFromXml(element, true);
            AddLoaded(object);
        }
    if (m_pendingGroupLoads == 0) {
        m_host->RebuildOthers(0);
        Fill(0, 0);
    }
}

bool DlgDeployments::IsShown(const Object& object)
{
    if (!m_groups[object.parent].enabled)
        return false;
    return !m_host->m_current || m_host->m_current->Accepts(object);
}

void DlgDeployments::Fill(int mode, int kind)
{
    CTApp* ctApp = CTApp::Instance();
    if (ctApp)
        ctApp->AddWaitCursor(1);
    m_host->RebuildOthers(kind);

    CTListCtrlReportEx& report = Report();
    const bool wasRedraw = report.m_redrawEnabled;
    ::SendMessageW(report.m_hWnd, WM_SETREDRAW, FALSE, 0);
    const bool autoSort = report.m_autoSort;
    report.EnableAutoSort(false);

    // Rows by deployment id, built once per pass: the list's own search is linear per call, and
    // inserting may move rows, so deletions go first and marks last.
    auto rowMap = [&report]() {
        std::unordered_map<__int64, int> rows;
        const int count = report.GetItemCount();
        for (int item = 0; item < count; ++item)
            rows[reinterpret_cast<__int64>(report.GetRowData(item))] = item;
        return rows;
    };
    const __int64 deploymentType = DeploymentTypeId();
    std::unordered_map<__int64, int> rows = rowMap();
    std::vector<int> doomed;
    std::vector<const Object*> shown;
    for (const Object& object : m_loaded.children) {
        if (object.type != deploymentType)
            continue;
        if (IsShown(object))
            shown.push_back(&object);
        else if (auto row = rows.find(object.id); row != rows.end())
            doomed.push_back(row->second);
    }
    std::sort(doomed.rbegin(), doomed.rend());
    for (int item : doomed)
        report.DeleteRow(item);
    if (!doomed.empty())
        rows = rowMap();

    std::vector<__int64> missing;
    // Existing rows first (their places are known), then the new ones at the end.
    for (int pass = 0; pass < 2; ++pass)
        for (const Object* object : shown) {
            auto row = rows.find(object->id);
            const bool exists = row != rows.end();
            if (pass == 0 ? !exists || mode != 1 : exists)
                continue;
            CTListCtrlReport::Row built;
            BuildRow(built, *object);
            const int image = GroupImage(*object);
            if (exists)
                report.UpdateRow(row->second, image, built);
            else
                report.InsertRow(report.GetItemCount(), image, built);
        }
    rows = rowMap();
    for (const Object* object : shown) {
        auto row = rows.find(object->id);
        MarkAndCollect(*object, row == rows.end() ? -1 : row->second, missing);
    }

    FetchMissing(missing);
    report.FitColumnsToContent();
    report.EnableAutoSort(autoSort);
    if (report.m_sortColumn >= 0)
        report.SortBy(report.m_sortColumn, report.m_ascending);
    if (wasRedraw) {
        ::SendMessageW(report.m_hWnd, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(report.m_hWnd, nullptr, TRUE);
    }
    if (ctApp)
        ctApp->AddWaitCursor(-1);
}

void DlgDeployments::OnNotice(RequestResult& result)
{
    auto* changed = static_cast<Object*>(result.attached);
    if (!changed || changed->type == 0 || changed->type != DeploymentTypeId())
        return;
    if (Object* known = FindLoaded(changed->id)) {
        Object previous(*known);
        known->Assign(*changed);
        UpdateObject(*known, &previous);
    } else {
        UpdateObject(AddLoaded(*changed), nullptr);
    }
}

void DlgDeployments::UpdateObject(Object& deployment, const Object* previous)
{
    if (deployment.type != DeploymentTypeId())
        return;
    // The row found by id decides between update, removal and append, whatever the previous
    // version passed.
    m_host->UpdateAll(deployment, previous);
    const bool isShown = IsShown(deployment);
    CTListCtrlReportEx& report = Report();
    const int item = report.FindRowByData(reinterpret_cast<void*>(deployment.id));
    if (isShown) {
        CTListCtrlReport::Row row;
        BuildRow(row, deployment);
        const int image = GroupImage(deployment);
        if (item >= 0)
            report.UpdateRow(item, image, row);
        else
            report.AddRow(image, row);
    } else if (item >= 0) {
        report.DeleteRow(item);
    }
}

// ---- opening and dragging rows ------------------------------------------------------------------

void DlgDeployments::OpenRow(int item)
{
    if (item < 0 || !m_owner)
        return;
    if (Object* deployment = FindLoaded(reinterpret_cast<__int64>(Report().GetRowData(item))))
        m_owner->OpenObject(*deployment, false, false);
}

std::vector<__int64> DlgDeployments::GetSelectedIds()
{
    std::vector<__int64> ids;
    HWND list = Report().m_hWnd;
    for (int item = ListView_GetNextItem(list, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(list, item, LVNI_SELECTED))
        ids.push_back(reinterpret_cast<__int64>(Report().GetRowData(item)));
    return ids;
}

bool DlgDeployments::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (hdr && hdr->idFrom == kIdList) {
        switch (static_cast<int>(hdr->code)) {
        case static_cast<int>(NM_DBLCLK):
            OpenRow(reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem);
            *result = 1;
            return true;
        case CTListCtrlReportEx::CodeActivate:
            OpenRow(ListView_GetNextItem(Report().m_hWnd, -1, LVNI_FOCUSED));
            *result = 1;
            return true;
        case CTListCtrlReportEx::CodeDelete:
        case CTListCtrlReportEx::CodeConfirmDelete:
            // Deployments are not deleted from this view.
            *result = 0;
            return true;
        case static_cast<int>(LVN_BEGINDRAG):
            BeginDrag(reinterpret_cast<NMLISTVIEW*>(hdr));
            *result = 0;
            return true;
        case static_cast<int>(NM_KILLFOCUS):
            EndDrag();
            break;
        default:
            break;
        }
    }
    return CTWnd2::OnNotify(wParam, hdr, result);
}

bool DlgDeployments::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (LOWORD(wParam) == kCmdProperties) {
        OpenRow(ListView_GetNextItem(Report().m_hWnd, -1, LVNI_SELECTED));
        *result = 0;
        return true;
    }
    return CTWnd2::OnCommand(wParam, lParam, result);
}

void DlgDeployments::BeginDrag(NMLISTVIEW* record)
{
    EndDrag();
    if (m_dragImage) {
        ImageList_Destroy(m_dragImage);
        m_dragImage = nullptr;
    }
    HWND list = Report().m_hWnd;
    int rows = 0;
    int bottom = 0;
    for (int item = ListView_GetNextItem(list, -1, LVNI_SELECTED); item >= 0 && rows < 30;
         item = ListView_GetNextItem(list, item, LVNI_SELECTED)) {
        POINT origin = {};
        HIMAGELIST image = ListView_CreateDragImage(list, item, &origin);
        if (!image)
            continue;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(image, &cx, &cy);
        if (!m_dragImage) {
            m_dragImage = image;
        } else {
            HIMAGELIST merged = ImageList_Merge(m_dragImage, 0, image, 0, 0, bottom);
            ImageList_Destroy(image);
            if (merged) {
                ImageList_Destroy(m_dragImage);
                m_dragImage = merged;
            }
        }
        bottom += cy;
        ++rows;
    }
    if (!m_dragImage)
        return;
    ImageList_BeginDrag(m_dragImage, 0, 0, 0);
    POINT pt = record ? record->ptAction : POINT{};
    ClientToScreen(list, &pt);
    ImageList_DragEnter(GetDesktopWindow(), pt.x + 16, pt.y);
    SetCapture(m_hWnd);
    m_dragging = true;
}

void DlgDeployments::OnDragMove(POINT screen)
{
    ImageList_DragMove(screen.x + 16, screen.y);
    RECT rc = {};
    GetWindowRect(m_hWnd, &rc);
    const int cursor = PtInRect(&rc, screen) ? 32512 /* IDC_ARROW */ : 32648 /* IDC_NO */;
    if (cursor != m_dragCursor) {
        m_dragCursor = cursor;
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
    }
    if (m_host->m_current)
        m_host->m_current->DragOver(true, &screen);
}

void DlgDeployments::OnDrop()
{
    m_dropTag.Empty();
    const UINT32 value = EndDrag();
    m_dropValue = value;
    if (value == 0 || !m_host->m_current)
        return;
    if (m_host->m_current->GetKind() == kKindTags)
        m_dropTag = static_cast<DlgLHSTag*>(m_host->m_current)->TagOfRow(value);
    m_host->m_current->Drop(value);
}

UINT32 DlgDeployments::EndDrag()
{
    if (!m_dragging)
        return 0;
    m_dragging = false;
    ImageList_DragLeave(Report().m_hWnd);
    ImageList_EndDrag();
    if (m_dragImage) {
        ImageList_Destroy(m_dragImage);
        m_dragImage = nullptr;
    }
    m_dragCursor = 0;
    const UINT32 value = m_host->m_current ? m_host->m_current->DragOver(false, nullptr) : 0;
    ReleaseCapture();
    return value;
}
