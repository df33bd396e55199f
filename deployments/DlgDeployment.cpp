#include "deployments/DlgDeployment.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "controls/CGDIManager.h"
#include "controls/CTWndGfx.h"
#include "controls/CTWndListCtrlEx2.h"
#include "deployments/DlgDeploymentPages.h"
#include "framework/CTApp.h"
#include "framework/CWMForm.h"
#include "session/FormHelpers.h"
#include "session/RequestResult.h"

namespace {

enum : int { kGdiWarningIcon = 15, kGdiChatIcon = 45, kGdiDueSoonIcon = 3, kGdiOverdueIcon = 4, kGdiRequestsIcon = 46 };
enum : int { kWindowWizard = 27, kWindowUserPicker = 13 };
enum : int { kConsoleUser = 1027, kConsoleComputer = 1013, kConsoleAdministrator = 1036, kConsoleHistory = 1034,
             kConsoleGroup = 1026, kConsoleNotes = 1032 };

HMODULE PaneModule()
{
    HMODULE module = FindDialogTemplateModule(DlgDeployment::kTemplate);
    return module ? module : GetModuleHandleW(nullptr);
}

// The notification codes of the lists that count as a change.
bool IsChangeCode(WORD code)
{
    return code == 0 || code == 1 || code == 240 || code == 768;
}

HICON GdiIcon(int entry)
{
    CGDIManager::CObject* object = CGDIManager::Instance()->Find(entry);
    return object ? reinterpret_cast<HICON>(object->Get()) : nullptr;
}

// The standard copy image of the common controls, as an icon of its own.
HICON MakeCopyIcon(HWND parent)
{
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD, 0, 0, 0, 0, parent, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!toolbar)
        return nullptr;
    ::SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(toolbar, TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    HICON icon = images ? ImageList_GetIcon(images, STD_COPY, ILD_TRANSPARENT) : nullptr;
    DestroyWindow(toolbar);
    return icon;
}

} // namespace

const Object& DlgDeployment::GetSlot(int slot) const
{
    static const Object empty;
    auto it = m_objects.find(slot);
    return it == m_objects.end() ? empty : it->second;
}

DlgDeployment::DlgDeployment(int consoleType) : m_consoleType(consoleType)
{
    HMODULE module = PaneModule();
    CTWndHeader::RegisterClass(module);
    CTWndGfx::RegisterClass(module);
    CTWndDraw::RegisterClass(module);
    CTWndListCtrlEx2::RegisterClass(module);
}

DlgDeployment::~DlgDeployment()
{
    CTWnd2::Destroy();
    if (m_tabImages)
        ImageList_Destroy(m_tabImages);
}

RequestRoute DlgDeployment::Route(int request, __int64 param2, bool silent) const
{
    return PaneRoute(m_consoleType, request, param2, silent);
}

bool DlgDeployment::Create()
{
    if (!CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd()))
        return false;
    if (App* app = GetApp())
        app->m_dir.Subscribe(Route(kReqCacheNotice));
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

void DlgDeployment::Destroy()
{
    CTWnd2::Destroy();
}

void DlgDeployment::ShowItem(int id, bool shown)
{
    if (HWND item = GetDlgItem(m_hWnd, id)) {
        bool visible = (GetWindowLongPtrW(item, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != shown)
            ::ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
    }
}

void DlgDeployment::EnableItem(int id, bool enabled)
{
    if (HWND item = GetDlgItem(m_hWnd, id))
        EnableWindow(item, enabled);
}

void DlgDeployment::SetLinkText(CTHyperLink& link, const wchar_t* text)
{
    if (link.m_hWnd)
        link.SetText(text ? text : L"");
}

void DlgDeployment::SetLinkName(CTHyperLink& link, const Object& object)
{
    CTStringLocale name(object.name);
    SetLinkText(link, name.GetUserText());
}

void DlgDeployment::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    m_tab = GetDlgItem(m_hWnd, kIdTabs);
    // Anchors: 8 stretch, 9 right, 15 bottom-right, 12 stretch both, 14 stretch and bottom.
    static const int kStretch[] = {kIdHeader, kIdUserLink, kIdLinkAccess, kIdType, kIdSlots, kIdLegacyLink,
                                   kIdNewModel, kIdDeployedLink};
    static const int kRight[] = {kIdChat, kIdPickUser, kIdCopyLink, kIdPickLegacy, kIdPickDeployed, 1189,
                                 kIdPreviousStatus, kIdStatus, kIdNextStatus, kIdFail, kIdSucceed, kIdReschedule,
                                 kIdTransfer, kIdCompleted, kIdStatusIcon, kIdAdministratorLink, kIdFailCode,
                                 kIdPrevious, kIdNext};
    static const int kBottomRight[] = {kIdBuildSheet, kIdDuplicate, kIdMove, kIdLocation, kIdHistory, kIdNotes,
                                       kIdSave, kIdCancel};
    for (int id : kStretch)
        AddItem(GetDlgItem(m_hWnd, id), 8);
    for (int id : kRight)
        AddItem(GetDlgItem(m_hWnd, id), 9);
    AddItem(GetDlgItem(m_hWnd, kIdTabs), 12);
    AddItem(GetDlgItem(m_hWnd, kIdTags), 14);
    for (int id : kBottomRight)
        AddItem(GetDlgItem(m_hWnd, id), 15);

    if (m_header.Attach(m_hWnd, kIdHeader)) {
        m_header.SetMarkupMode();
        ApplyHeaderColours(m_header);
        m_header.Invalidate(true);
    }
    m_statusDraw.AttachDlgItem(m_hWnd, kIdStatus, 0);

    if (HICON warning = GdiIcon(kGdiWarningIcon))
        for (int id : {kIdUserWarning, kIdLegacyWarning, kIdDeployedWarning})
            SendDlgItemMessageW(m_hWnd, id, STM_SETICON, reinterpret_cast<WPARAM>(warning), 0);
    m_copyIcon.Attach(MakeCopyIcon(m_hWnd));
    SendDlgItemMessageW(m_hWnd, kIdCopyLink, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_copyIcon.GetHandle()));
    SendDlgItemMessageW(m_hWnd, kIdChat, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(GdiIcon(kGdiChatIcon)));

    EnableItem(kIdSave, false);
    EnableItem(kIdCancel, false);
    m_tags.Attach(m_hWnd);

    struct LinkItem {
        CTHyperLink* link;
        int id;
        CTString* initialText;
    };
    const LinkItem links[] = {{&m_userLink, kIdUserLink, &m_noUserText},
                              {&m_linkAccessLink, kIdLinkAccess, &m_noLinkAccessText},
                              {&m_legacyLink, kIdLegacyLink, &m_noComputerText},
                              {&m_deployedLink, kIdDeployedLink, nullptr},
                              {&m_administratorLink, kIdAdministratorLink, nullptr}};
    for (const LinkItem& item : links) {
        item.link->ClearStyle(CTHyperLink::SizeToFit);
        item.link->m_linkStyle |= CTHyperLink::CommandOnly;
        item.link->AttachDlgItem(m_hWnd, item.id);
        if (item.initialText)
            GetItemText(item.id, *item.initialText);
    }
    m_iconWnd.AttachDlgItem(kIdStatusIcon, m_hWnd, true);

    CreatePages();
    CreateTabImages();
    Refresh();
}

void DlgDeployment::CreatePages()
{
    m_deploymentPage = static_cast<CPageDeployment*>(AddPage(m_hWnd, new CPageDeployment()));
    m_deployablePage = static_cast<CDeployablePage*>(AddPage(m_hWnd, new CDeployablePage()));
    m_emailsPage = static_cast<CPageEmails*>(AddPage(m_hWnd, new CPageEmails()));
    m_exceptionsPage = static_cast<CPageExceptions*>(AddPage(m_hWnd, new CPageExceptions()));
    m_tasksPage = static_cast<CPageTasks*>(AddPage(m_hWnd, new CPageTasks()));
    m_requestsPage = static_cast<CRequestsPage*>(AddPage(m_hWnd, new CRequestsPage()));
    m_settingsPage = static_cast<CPageSettings*>(AddPage(m_hWnd, new CPageSettings()));
    ShowPages(m_hWnd);

    // The "Email" type's icon for the e-mail rows: cached, or a placeholder until it arrives.
    App* app = GetApp();
    if (app && m_owner) {
        Object type;
        m_owner->GetTypeByName(type, CTString(L"Email"));
        CAttribute image;
        type.GetAttribute(image, CTString(L"tree_image"));
        CTString name(image.GetText());
        int index = app->FindIcon(name);
        m_emailIcon = index >= 0 ? index : app->AddIcon(name, Route(kReqIcon));
        // The e-mail rows show the type's icon through the list's own copy of it.
        CTListCtrlReportEx& emails = m_emailsPage->m_list.m_report;
        if (emails.m_hWnd && m_emailIcon >= 0 && app->m_smallImages && !emails.HasImageForKey(m_emailIcon))
            if (HICON icon = ImageList_GetIcon(app->m_smallImages, m_emailIcon, ILD_TRANSPARENT)) {
                emails.AddImageForKey(icon, m_emailIcon);
                DestroyIcon(icon);
            }
    }
}

void DlgDeployment::CreateTabImages()
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
        m_tabImageIndex[TabImageWarning] = ImageList_AddIcon(m_tabImages, warning);
        DestroyIcon(warning);
    } else {
        m_tabImageIndex[TabImageWarning] = ImageList_AddIcon(m_tabImages, LoadIconW(nullptr, IDI_WARNING));
    }
    const std::pair<int, int> entries[] = {{TabImageDueSoon, kGdiDueSoonIcon}, {TabImageOverdue, kGdiOverdueIcon},
                                           {TabImageRequests, kGdiRequestsIcon}};
    for (const auto& [key, entry] : entries) {
        HICON icon = GdiIcon(entry);
        m_tabImageIndex[key] = icon ? ImageList_AddIcon(m_tabImages, icon) : -1;
    }
    if (m_tab)
        ::SendMessageW(m_tab, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_tabImages));
    if (m_requestsPage)
        m_requestsPage->m_imageIndex = m_tabImageIndex[TabImageRequests];
}

void DlgDeployment::ReloadPages()
{
    for (CLinkedListObject* item = m_pages.GetHead(); item; item = item->m_next) {
        auto* page = static_cast<CWMFormPage*>(item);
        if (page == m_requestsPage)
            continue;
        if (m_visible)
            page->Reload();
        else
            page->m_loadPending = true;
    }
}

void DlgDeployment::Refresh()
{
    if (!m_visible) {
        m_reloadPending = true;
        ReloadPages();
        return;
    }
    m_reloadPending = false;
    ReloadPages();
    if (m_consoleType == kConsoleType)
        Reload();
}

bool DlgDeployment::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    handled = m_slots.OnOwnerDraw(msg, wParam, lParam) || handled;
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
        for (CTHyperLink* link : {&m_userLink, &m_linkAccessLink, &m_legacyLink, &m_deployedLink, &m_administratorLink}) {
            if (link->m_hWnd && reinterpret_cast<HWND>(lParam) == link->m_hWnd) {
                *result = reinterpret_cast<LRESULT>(link->OnCtlColor(reinterpret_cast<HDC>(wParam)));
                return true;
            }
        }
        break;
    case kMsgComputerChoice: {
        auto it = m_computerChoices.find(static_cast<__int64>(wParam));
        auto* choice = reinterpret_cast<ComputerChoice*>(lParam);
        if (it != m_computerChoices.end() && choice) {
            int reserved = choice->reserved;
            *choice = it->second;
            choice->reserved = reserved;
        }
        *result = 1;
        return true;
    }
    case kMsgUserScope:
        *result = static_cast<LRESULT>(GetSlot(SlotDeployment).parent);
        return true;
    case kMsgComputerPicked:
        OnComputerPicked(static_cast<__int64>(wParam), reinterpret_cast<const Object*>(lParam));
        *result = 0;
        return true;
    case kMsgUserPicked:
        OnUserPicked(static_cast<__int64>(lParam));
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

bool DlgDeployment::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    (void)wParam;
    if (!hdr)
        return false;
    if (hdr->idFrom == kIdTags && hdr->code == CTWndTag::NotifyChanged) {
        SetModified(true);
        *result = 0;
        return true;
    }
    if (hdr->idFrom == kIdTabs) {
        if (hdr->code == TCN_SELCHANGING) {
            HideSelectedPage();
        } else if (hdr->code == TCN_SELCHANGE) {
            ShowSelectedPage(m_hWnd);
            CWMFormPage* page = GetSelectedPage();
            if (page && page == m_deployablePage && page->m_loadPending)
                page->Load();
        }
        *result = 0;
        return true;
    }
    return CTWnd2::OnNotify(wParam, hdr, result);
}

bool DlgDeployment::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    const int id = LOWORD(wParam);
    const WORD code = HIWORD(wParam);
    const bool clicked = code == 0;
    const Object& deployment = GetSlot(SlotDeployment);
    App* app = GetApp();
    auto link = [&](const wchar_t* name) {
        CAttribute value;
        deployment.GetAttribute(value, CTString(name));
        return value.GetValue();
    };
    auto show = [&](int console, __int64 key) {
        if (m_owner && key != 0)
            m_owner->ShowConsole(console, key, false);
    };
    *result = 0;
    switch (id) {
    case 8:
        Close();
        return true;
    case 110:
        ::SendMessageW(m_hWnd, WM_COMMAND, kIdSave, 0);
        return true;
    case kIdPrevious:
        show(kConsoleType, link(L"link_deployment_prev"));
        return true;
    case kIdNext:
        show(kConsoleType, link(L"link_deployment_next"));
        return true;
    case kIdHistory:
        if (clicked)
            show(kConsoleHistory, m_key);
        return true;
    case kIdLocation:
        if (clicked)
            show(kConsoleGroup, deployment.parent);
        return true;
    case kIdCancel:
        Refresh();
        return true;
    case kIdNotes:
        show(kConsoleNotes, m_key);
        return true;
    case kIdBuildSheet:
        if (app) {
            CTString bs;
            bs.Format(L"%I64d", m_key);
            app->m_db.QelBuildsheetGeneration(bs, Route(kReqBuildSheet));
        }
        return true;
    case kIdMove:
        if (clicked && app)
            app->m_windows.OpenWindow(kWindowWizard, static_cast<UINT64>(m_key), reinterpret_cast<INT_PTR>(m_hWnd));
        return true;
    case kIdUserLink:
        if (clicked)
            show(kConsoleUser, GetSlot(SlotUser).id);
        return true;
    case kIdLegacyLink:
        if (clicked)
            show(kConsoleComputer, GetSlot(SlotLegacy).id);
        return true;
    case kIdDeployedLink:
        if (clicked && m_owner && GetSlot(SlotDeployed).id != 0)
            m_owner->OpenObject(GetSlot(SlotDeployed), false, false);
        return true;
    case kIdAdministratorLink:
        if (clicked)
            show(kConsoleAdministrator, GetSlot(SlotAdministrator).id);
        return true;
    case kIdSlots:
    case kIdType:
        if (IsChangeCode(code))
            OnSlotOrTypeChanged(id);
        return true;
    case kIdFailCodeLabel:
    case kIdFailCode:
        if (IsChangeCode(code))
            SetModified(true);
        return true;
    case kIdPickLegacy:
        if (clicked)
            PickLegacyComputer();
        return true;
    case kIdPickDeployed:
        if (clicked)
            PickDeployedComputer();
        return true;
    case kIdNextStatus:
    case kIdPreviousStatus:
        if (clicked)
            StepStatus(id == kIdNextStatus);
        return true;
    case kIdSucceed:
    case kIdFail:
        if (clicked)
            Complete(id == kIdSucceed);
        return true;
    case kIdReschedule:
        if (clicked)
            Reschedule();
        return true;
    case kIdSave:
        if (clicked)
            Save();
        return true;
    case kIdTransfer:
        if (clicked)
            TransferAssets();
        return true;
    case kIdDuplicate:
        if (clicked)
            Duplicate();
        return true;
    case kIdLinkAccess:
        if (clicked)
            OpenLinkAccess();
        return true;
    case kIdCopyLink:
        if (clicked)
            CopyLinkAccess();
        return true;
    case kIdChat:
        if (clicked)
            OpenChat();
        return true;
    case kIdPickUser:
        if (clicked && app)
            app->m_windows.OpenWindow(kWindowUserPicker, static_cast<UINT64>(app->m_pickerKey++),
                                      reinterpret_cast<INT_PTR>(m_hWnd));
        return true;
    default:
        return false;
    }
}

bool DlgDeployment::CTWndIcon::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg != WM_PAINT)
        return CTWnd2::OnMessage(msg, wParam, lParam, result);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    HICON icon = reinterpret_cast<HICON>(::SendMessageW(m_hWnd, STM_GETICON, 0, 0));
    if (icon)
        DrawIconEx(dc, paint.rcPaint.left, paint.rcPaint.top, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EndPaint(m_hWnd, &paint);
    *result = 0;
    return true;
}
