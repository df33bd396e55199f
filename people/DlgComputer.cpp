#include "people/DlgComputer.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "controls/CTWndGfx.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CWMForm.h"
#include "people/ComputerPaneStandInPage.h"
#include "people/DlgComputerPageDataPoints.h"
#include "people/DlgComputerPageDetails.h"
#include "people/DlgComputerPageExceptions.h"
#include "people/DlgComputerPageTransfers.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

enum : int { kGdiRequestsIcon = 46 };
enum : int { kConsoleUser = 1027, kConsoleDeployment = 1029, kConsoleHistory = 1034, kConsoleOrder = 1056,
             kConsoleScheduleGroup = 1026 };
enum : int { kWindowPersonPicker = 11, kWindowLocationPicker = 34 };
enum : int { kIconSucceeded = 172, kIconFailed = 173 };

HMODULE PaneModule()
{
    HMODULE module = FindDialogTemplateModule(DlgComputer::kTemplate);
    return module ? module : GetModuleHandleW(nullptr);
}

// Keys of new-computer panes: below zero, so they never meet a computer's id.
__int64 NextNewPaneKey()
{
    static __int64 last = 0;
    return --last;
}

bool IsChangeCode(WORD code)
{
    return code == 0 || code == 1 || code == 0x300;
}

} // namespace

DlgComputer::DlgComputer(int consoleType) : m_consoleType(consoleType)
{
    HMODULE module = PaneModule();
    CTWndHeader::RegisterClass(module);
    CTWndGfx::RegisterClass(module);
    CTWndListCtrlEx2::RegisterClass(module);
}

DlgComputer::~DlgComputer()
{
    CTWnd2::Destroy();
    if (m_tabImages)
        ImageList_Destroy(m_tabImages);
}

RequestRoute DlgComputer::Route(int request, __int64 param2, bool silent) const
{
    return PaneRoute(kConsoleType, request, param2, silent);
}

DlgScheduleGroup* DlgComputer::FindView() const
{
    if (!IsNew() || !m_owner)
        return nullptr;
    return dynamic_cast<DlgScheduleGroup*>(m_owner->FindConsole(kConsoleScheduleGroup, m_viewKey));
}

bool DlgComputer::Create()
{
    if (IsNew() && m_viewKey == 0) {
        m_viewKey = m_key;
        m_key = NextNewPaneKey();
    }
    if (!CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd()))
        return false;
    if (App* app = GetApp())
        app->m_dir.Subscribe(Route(kReqCacheNotice));
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

void DlgComputer::Destroy()
{
    CTWnd2::Destroy();
}

void DlgComputer::EnableItem(int id, bool enabled)
{
    if (HWND item = GetDlgItem(m_hWnd, id))
        EnableWindow(item, enabled);
}

void DlgComputer::SetItemTextIfChanged(int id, const CTString& text)
{
    CTString shown;
    GetItemText(id, shown);
    const wchar_t* wanted = text.GetBuffer() ? text.GetBuffer() : L"";
    if (wcscmp(shown.GetBuffer() ? shown.GetBuffer() : L"", wanted) != 0)
        SetItemText(id, wanted);
}

void DlgComputer::SetLinkText(CTHyperLink& link, const wchar_t* text)
{
    if (link.m_hWnd)
        link.SetText(text ? text : L"");
}

void DlgComputer::SetModified(bool modified)
{
    if (modified && !m_modified) {
        EnableItem(kIdSave, true);
        EnableItem(kIdCancel, true);
        m_modified = true;
    }
}

void DlgComputer::ClearModified()
{
    m_modified = false;
    EnableItem(kIdSave, false);
    EnableItem(kIdCancel, false);
}

void DlgComputer::OnInitDialog()
{
    m_tab = GetDlgItem(m_hWnd, kIdTabs);
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    const std::pair<int, int> anchors[] = {
        {kIdHeader, 8}, {kIdTags, 14}, {kIdName, 8}, {kIdUserLink, 8}, {kIdPickUser, 9}, {kIdSerial, 8},
        {kIdModel, 8}, {kIdVim, 9}, {kIdShared, 9}, {kIdAssetType, 9}, {kIdComputerType, 9}, {kIdOrders, 9},
        {kIdTabs, 12}, {kIdMove, 15}, {kIdLocation, 15}, {kIdHistory, 15}, {kIdSave, 15}, {kIdCancel, 15}};
    for (const auto& [id, flag] : anchors)
        AddItem(GetDlgItem(m_hWnd, id), flag);

    if (m_header.Attach(m_hWnd, kIdHeader)) {
        m_header.SetMarkupMode();
        ApplyHeaderColours(m_header);
        m_header.Invalidate(true);
    }
    for (CTHyperLink* link : {&m_userLink, &m_lockLink}) {
        const int id = link == &m_userLink ? kIdUserLink : kIdLockLink;
        link->ClearStyle(CTHyperLink::SizeToFit);
        link->m_linkStyle |= CTHyperLink::CommandOnly;
        link->AttachDlgItem(m_hWnd, id);
    }
    GetItemText(kIdUserLink, m_noUserText);

    if (m_orders.AttachDlgItem(kIdOrders, m_hWnd, true)) {
        m_orders.ModifyOptions(0x16, 0);
        ListView_SetExtendedListViewStyleEx(m_orders.m_hWnd, LVS_EX_GRIDLINES, 0);
        m_orders.ModifyStyle(WS_BORDER, WS_TABSTOP | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, 0);
        m_orders.SetColumns(CTString(L"Date,65;Type,88;"), 0, nullptr, nullptr);
        m_orders.SortBy(0, true);
        m_orders.EnableAutoSort(true);
    }
    m_tags.Attach(m_hWnd);
    EnableItem(kIdSave, false);
    EnableItem(kIdCancel, false);

    CreatePages();
    ShowPages(m_hWnd);
    CreateTabImages();
    Refresh();
}

void DlgComputer::CreatePages()
{
    auto add = [this](CWMFormPage* page) { return AddPage(m_hWnd, page); };
    m_detailsPage = add(new CPageDetails());
    m_deploymentsPage = add(new ComputerPaneStandInPage(L"Deployments", 195, true));
    if (CTListCtrlReportEx* list = DeploymentsList())
        list->SetColumns(CTString(L"Name,250;Type;Status,100;Locked,40;Completed,100;Success,20;"), 0, nullptr, nullptr);
    AddDeploymentImages();
    m_transfersPage = static_cast<CPageTransfers*>(add(new CPageTransfers()));
    if (m_owner && m_owner->m_dataPointCount > 0)
        m_dataPointsPage = add(new CPageDataPoints());
    m_requestsPage = add(new ComputerPaneStandInPage(L"Requests", 447));
    m_exceptionsPage = add(new CPageExceptions());
}

void DlgComputer::AddDeploymentImages()
{
    CTListCtrlReportEx* list = DeploymentsList();
    if (!list || !list->m_hWnd)
        return;
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    for (int id : {kIconSucceeded, kIconFailed}) {
        HICON icon = static_cast<HICON>(LoadImageW(PaneModule(), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
        if (!icon)
            icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
        const int index = icon ? list->AddImage(icon) : -1;
        (id == kIconSucceeded ? m_succeededImage : m_failedImage) = index;
        if (icon)
            DestroyIcon(icon);
    }
    App* app = GetApp();
    if (!app || !m_owner)
        return;
    Object type;
    m_owner->GetTypeByName(type, CTString(L"Deployment"));
    CAttribute image;
    type.GetAttribute(image, CTString(L"tree_image"));
    const CTString name(image.GetText());
    m_deploymentImage = app->FindIcon(name);
    if (m_deploymentImage < 0)
        m_deploymentImage = app->AddIcon(name, Route(kReqIcon));
    if (HICON icon = app->GetIcon(0, name, Route(kReqIcon))) {
        list->AddImageForKey(icon, m_deploymentImage);
        DestroyIcon(icon);
    }
}

void DlgComputer::CreateTabImages()
{
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    m_tabImages = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 0);
    if (!m_tabImages)
        return;
    HICON warning = nullptr;
    if (HMODULE user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        warning = static_cast<HICON>(LoadImageW(user32, MAKEINTRESOURCEW(101), IMAGE_ICON, cx, cy, 0));
        FreeLibrary(user32);
    }
    if (warning) {
        ImageList_AddIcon(m_tabImages, warning);
        DestroyIcon(warning);
    } else {
        ImageList_AddIcon(m_tabImages, LoadIconW(nullptr, IDI_WARNING));
    }
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(kGdiRequestsIcon);
    HICON requests = entry ? reinterpret_cast<HICON>(entry->Get()) : nullptr;
    const int requestsImage = requests ? ImageList_AddIcon(m_tabImages, requests) : -1;
    if (m_tab)
        ::SendMessageW(m_tab, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_tabImages));
    if (m_requestsPage)
        m_requestsPage->m_imageIndex = requestsImage;
}

CTListCtrlReportEx* DlgComputer::DeploymentsList() const
{
    auto* page = dynamic_cast<ComputerPaneStandInPage*>(m_deploymentsPage);
    return page && page->m_list.m_report.m_hWnd ? &page->m_list.m_report : nullptr;
}

// ---- Calls into the hosted pages

void DlgComputer::LoadExceptionsNow()
{
    if (m_exceptionsPage) {
        m_exceptionsPage->m_loadPending = true;
        m_exceptionsPage->Load();
    }
}

void DlgComputer::MarkExceptionsPending()
{
    if (m_exceptionsPage)
        m_exceptionsPage->m_loadPending = true;
}

void DlgComputer::LoadDetails()
{
    if (m_detailsPage)
        m_detailsPage->Load();
}

void DlgComputer::OnDetailsChoices(int attributeId)
{
    if (auto* page = dynamic_cast<CPageDetails*>(m_detailsPage))
        page->OnChoicesArrived(attributeId);
}

void DlgComputer::StoreDetailsRows()
{
    if (auto* page = dynamic_cast<CPageDetails*>(m_detailsPage))
        page->StoreRows(m_computer, true);
}

void DlgComputer::OnRequestChanged(__int64 requestId)
{
    (void)requestId;
}

// ---- Messages

bool DlgComputer::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = 0;
        return true;
    case WM_SIZE:
        LayoutSelectedPage(m_hWnd);
        break;
    case WM_WINDOWPOSCHANGING:
        if (TrackVisibility(*reinterpret_cast<WINDOWPOS*>(lParam)) == Shown && m_reloadPending)
            Refresh();
        break;
    case WM_CTLCOLORSTATIC:
        for (CTHyperLink* link : {&m_userLink, &m_lockLink}) {
            if (link->m_hWnd && reinterpret_cast<HWND>(lParam) == link->m_hWnd) {
                *result = reinterpret_cast<LRESULT>(link->OnCtlColor(reinterpret_cast<HDC>(wParam)));
                return true;
            }
        }
        break;
    case kMsgUserPicked:
        OnUserPicked(static_cast<__int64>(wParam), static_cast<__int64>(lParam));
        *result = 0;
        return true;
    case kMsgLocationPicked:
        OnLocationPicked(static_cast<__int64>(lParam));
        *result = 0;
        return true;
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}

void DlgComputer::OnTabChanged()
{
    ShowSelectedPage(m_hWnd);
    CWMFormPage* page = GetSelectedPage();
    if (!page)
        return;
    if (page == m_deploymentsPage && m_deploymentsSearchPending) {
        SendDeploymentSearches();
    } else if (page == m_transfersPage && m_transfersPage->m_searchPending) {
        SendTransferSearch();
    }
}

bool DlgComputer::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return CTWnd2::OnNotify(wParam, hdr, result);
    if (m_orders.m_hWnd && hdr->hwndFrom == m_orders.m_hWnd && m_orders.OnParentNotify(hdr, result)) {
        if (hdr->code != static_cast<UINT>(NM_DBLCLK))
            return true;
    }
    if (hdr->idFrom == kIdTags && hdr->code == CTWndTag::NotifyChanged) {
        SetModified(true);
        *result = 1;
        return true;
    }
    if (hdr->idFrom == kIdOrders && hdr->code == static_cast<UINT>(NM_DBLCLK)) {
        const int item = reinterpret_cast<NMITEMACTIVATE*>(hdr)->iItem;
        const __int64 order = item >= 0 ? static_cast<__int64>(reinterpret_cast<INT_PTR>(m_orders.GetRowData(item))) : 0;
        if (order != 0 && m_owner)
            m_owner->ShowConsole(kConsoleOrder, order, false);
        *result = 1;
        return true;
    }
    if (hdr->idFrom == kIdTabs) {
        if (hdr->code == TCN_SELCHANGING)
            HideSelectedPage();
        else if (hdr->code == TCN_SELCHANGE)
            OnTabChanged();
        *result = 1;
        return true;
    }
    return CTWnd2::OnNotify(wParam, hdr, result);
}

void DlgComputer::OpenPicker(int windowType, bool personPicker)
{
    App* app = GetApp();
    if (!app)
        return;
    const __int64 key = ++app->m_pickerKey;
    if (personPicker)
        m_personPickerKey = key;
    app->m_windows.OpenWindow(windowType, static_cast<UINT64>(key), reinterpret_cast<INT_PTR>(m_hWnd));
}

bool DlgComputer::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    const int id = LOWORD(wParam);
    const WORD code = HIWORD(wParam);
    const bool clicked = code == 0;
    auto link = [&](const wchar_t* name) {
        CAttribute value;
        m_computer.GetAttribute(value, CTString(name));
        return value.GetValue();
    };
    *result = 0;
    switch (id) {
    case 8:
        Close();
        return true;
    case 110:
        ::SendMessageW(m_hWnd, WM_COMMAND, kIdSave, 0);
        return true;
    case kIdHistory:
        if (clicked && m_owner)
            m_owner->ShowConsole(kConsoleHistory, m_computer.id, false);
        return true;
    case kIdLocation:
        if (clicked && m_owner)
            m_owner->OpenAssetLocation(m_computer.parent);
        return true;
    case kIdCancel:
        Refresh();
        return true;
    case kIdSave:
        Save();
        return true;
    case kIdMove:
        if (clicked)
            OpenPicker(kWindowLocationPicker, false);
        return true;
    case kIdPickUser:
        if (clicked)
            OpenPicker(kWindowPersonPicker, true);
        return true;
    case kIdUserLink:
    case kIdLockLink: {
        const __int64 target = link(id == kIdUserLink ? L"link_user" : L"link_deployment_lock");
        if (clicked && target != 0 && m_owner)
            m_owner->ShowConsole(id == kIdUserLink ? kConsoleUser : kConsoleDeployment, target, false);
        return true;
    }
    case kIdName:
    case kIdVim:
    case kIdShared:
    case kIdMake:
    case kIdModel:
    case kIdSerial:
    case kIdAssetTag:
    case kIdComputerType:
    case kIdAssetType:
        if (IsChangeCode(code))
            SetModified(true);
        return true;
    default:
        return false;
    }
}
