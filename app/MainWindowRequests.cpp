// The main window's request notifications: the realtime "requests" messages, the judgement of each
// request into the pending-request and attention lists, the badge on the Notifications button, its
// drop-down, the notices to the windows that show a request's object, and the request actions.
#include "app/MainWindow.h"

#include <commctrl.h>
#include <list>
#include <memory>
#include "app/App.h"
#include "app/ColourScheme.h"
#include "app/CTWndConsole.h"
#include "controls/CGDIManager.h"
#include "framework/CTREngine.h"
#include "session/DBEvents.h"

namespace {

constexpr int kRequestPopupType = 54;
constexpr int kRequestChanged = 1107;
constexpr int kAdministratorForm = 5;
// Consoles told of a change of a request about their object, then the request's own console.
constexpr int kObjectConsoles[] = {1029, 1027, 1013};
constexpr int kRequestConsole = 1067;

__int64 LinkOf(const Object& object, const wchar_t* name)
{
    CAttribute value;
    object.GetAttribute(value, CTString(name));
    return value.GetValue();
}

} // namespace

void MainWindow::on_requests(TxRx& event)
{
    if (!m_app || !event.Has(1u))
        return;
    CTByteArray bytes;
    event.SwapBytes(1u, bytes);
    const char* text = reinterpret_cast<const char*>(bytes.GetData());
    size_t length = bytes.GetSize();
    while (length && text[length - 1] == 0)
        --length;
    CTString ids;
    bool readable = RequestNotifications::ReadMessageIds(text, length, ids);
    event.SwapBytes(1u, bytes);
    if (!readable)
        return;
    CAttributes form;
    form.SetText(CTString(L"IDS"), ids);
    m_app->m_db.Post(CTString(L"api/api_objGet.php"), form, [this](DB::DBEvent& reply) { ReadRequestObjects(reply); });
}

void MainWindow::ReadRequestObjects(DB::DBEvent& reply)
{
    TiXmlDocument doc;
    if (reply.ReadXmlReply(doc) != 2 || !m_app)
        return;
    TiXmlElement* result = doc.FirstChildElementNamed(L"result");
    if (!result)
        return;
    for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
         element = element->NextSiblingElementNamed(L"object")) {
        Object request;
        request.ReadFromXml(element, true);
        m_app->m_dir.StoreObject(request, 0);
        EvaluateRequest(request);
    }
}

void MainWindow::ProcessRequestObject(const Object& request)
{
    EvaluateRequest(request);
}

void MainWindow::EvaluateRequest(const Object& request)
{
    Object type;
    if (GetRequestType(type, LinkOf(request, L"link_request_type")).id == 0)
        return;
    bool closed = (LinkOf(request, L"request_attribs") & RequestNotifications::kClosedFlags) != 0;
    std::vector<__int64> assignees;
    type.GetLinkArray(assignees, CTString(L"assignee_access_list"));
    auto held = std::make_shared<Object>(request);
    if (!m_app) {
        ApplyRequestState(*held, closed, false);
        return;
    }
    m_app->FetchObjectsThen(m_cache.administrator.id, assignees,
                            [this, held, closed](bool isAssignee) { ApplyRequestState(*held, closed, isAssignee); });
}

void MainWindow::ApplyRequestState(const Object& request, bool closed, bool isAssignee)
{
    RequestNotifications::Facts facts = RequestNotifications::ReadFacts(request, m_cache.administrator.id, isAssignee);
    facts.closed = closed;
    m_requests.Apply(request.id, RequestNotifications::Judge(facts));
    UpdateNotificationBadge();
    if (!m_app)
        return;

    // The pop-up drops a closed request's row and closes with its last one.
    if (auto* popup = dynamic_cast<IRequestPopup*>(m_app->m_windows.FindWindow(kRequestPopupType, 0))) {
        int row = popup->FindRequestRow(request.id);
        if (row >= 0) {
            if (closed) {
                popup->DeleteRequestRow(row);
                if (popup->GetRequestRowCount() == 0)
                    PostMessageW(popup->GetPopupHwnd(), WM_CLOSE, 0, 0);
            } else {
                popup->RedrawRequestRow(row);
            }
        }
    }
    if (auto* pane = dynamic_cast<IRequestsPane*>(FindConsole(kConsoleRequests, 0))) {
        if (const Object* cached = m_app->m_dir.Lookup(request.id)) {
            std::vector<__int64> missing;
            pane->SetRequestRow(*cached, missing);
            if (!missing.empty()) {
                std::list<__int64> ids(missing.begin(), missing.end());
                m_app->m_dir.FetchObjects(ids, RequestRoute(), [] {}, nullptr);
            }
        }
    }

    __int64 about = LinkOf(request, L"link_request_object");
    auto tell = [this, &request](int targetType, __int64 targetKey, int consoleType, __int64 consoleKey) {
        RequestResult notice;
        notice.route.targetType = targetType;
        notice.route.targetKey = targetKey;
        notice.route.consoleType = consoleType;
        notice.route.consoleKey = consoleKey;
        notice.route.requestId = kRequestChanged;
        notice.route.param2 = request.id;
        m_app->m_windows.NotifyWindows(targetType, 0, &notice);   // any key of the type
    };
    for (int console : kObjectConsoles)
        tell(kWindowType, 0, console, about);
    tell(kWindowType, 0, kRequestConsole, request.id);
    tell(kAdministratorForm, about, 0, 0);
}

void MainWindow::UpdateNotificationBadge()
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    dpi.Load();
    int width = MulDiv(RequestNotifications::kBadgeSize, dpi.x, 96);
    int height = MulDiv(RequestNotifications::kBadgeSize, dpi.y, 96);
    m_badgeRect = {0, 0, width, height};
    CGDIManager& gdi = *CGDIManager::Instance();
    CTString markup;
    RequestNotifications::BuildBadgeMarkup(m_requests.attention.size(), width, height,
                                           ColourScheme::Get(gdi, ColourScheme::ItemHighlight),
                                           ColourScheme::Get(gdi, ColourScheme::MainText), markup);
    m_badge.ResetHot();
    m_badge.LoadText(markup.GetBuffer(), &CTREngine::Instance()->m_fontCache);
    if (m_rightToolbar.m_hWnd)
        InvalidateRect(m_rightToolbar.m_hWnd, nullptr, TRUE);
}

void MainWindow::PaintNotificationBadge(NMHDR* hdr)
{
    auto* painted = reinterpret_cast<CTWndToolbarPainted*>(hdr);
    if (painted->button.idCommand != kCmdNotifications || m_cache.administrator.id == 0 || !m_requestsV4 ||
        m_requests.attention.empty())
        return;
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    dpi.Load();
    HDC dc = painted->draw.nmcd.hdc;
    POINT old = {};
    OffsetViewportOrgEx(dc, painted->draw.nmcd.rc.left + MulDiv(13, dpi.x, 96), MulDiv(-1, dpi.y, 96), &old);
    m_badge.Paint(dc, &m_badgeRect);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void MainWindow::OnNotificationsDropDown()
{
    HWND toolbar = m_rightToolbar.m_hWnd;
    ::SendMessageW(toolbar, TB_SETSTATE, kCmdNotifications, MAKELONG(TBSTATE_ENABLED | TBSTATE_PRESSED, 0));
    if (m_requests.pending.empty()) {
        ShowConsole(kConsoleRequests, 0, false);
    } else if (m_app) {
        m_app->m_windows.OpenWindow(kRequestPopupType, 0, reinterpret_cast<INT_PTR>(m_hWnd));
        if (auto* popup = dynamic_cast<IRequestPopup*>(m_app->m_windows.FindWindow(kRequestPopupType, 0))) {
            popup->SetRequestLists(toolbar, &m_requests.pending, &m_requests.attention);
            auto index = static_cast<int>(::SendMessageW(toolbar, TB_COMMANDTOINDEX, kCmdNotifications, 0));
            RECT button = {};
            ::SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
            MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
            HWND window = popup->GetPopupHwnd();
            RECT rc = {};
            GetWindowRect(window, &rc);
            SetWindowPos(window, nullptr, button.right - (rc.right - rc.left), button.bottom, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            popup->Refresh();
            ::ShowWindow(window, SW_SHOW);
            ::SendMessageW(toolbar, TB_SETSTATE, kCmdNotifications, MAKELONG(TBSTATE_ENABLED | TBSTATE_PRESSED, 0));
        }
    }
    ::SendMessageW(toolbar, TB_SETSTATE, kCmdNotifications, MAKELONG(TBSTATE_ENABLED, 0));
}

void MainWindow::UpdateRequest(__int64 requestId, int action)
{
    if (!m_app || !m_requests.IsPending(requestId))
        return;
    CAttributes form;
    if (!RequestNotifications::BuildActionForm(requestId, action, form))
        return;
    // The reply is not read: the "requests" message that follows updates the lists.
    m_app->m_db.Post(CTString(L"api/api_qelRequestUpdate.php"), form, [](DB::DBEvent&) {});
}
