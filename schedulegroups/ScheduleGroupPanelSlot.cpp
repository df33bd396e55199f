#include "schedulegroups/ScheduleGroupPanelSlot.h"

#include "framework/CTREngine.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "session/RequestResult.h"

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_OWNERDRAWVARIABLE |
                             LBS_NOINTEGRALHEIGHT;

} // namespace

DlgScheduleGroup::DlgLHSSlot::DlgLHSSlot(HWND host, CPageBase* owner) : DlgLHSBase(owner, CTString(L"Schedule"))
{
    m_choice = kAll;
    m_windows.m_showAll = true;
    m_windows.m_showNotAssigned = true;
    if (!host || !Create(L"ListBox", false, host, kListStyle, 0, GetModuleHandleW(nullptr), nullptr))
        return;
    SetWindowLongPtrW(m_hWnd, GWLP_ID, kIdList);
    m_id = kIdList;
    ::MoveWindow(m_hWnd, 0, 0, 0, 0, FALSE);
    Subclass(true);
    ModifyExStyle(0, WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY);
    if (HFONT font = CTREngine::Instance()->m_menuFont)
        SetFont(font, true);
}

DlgScheduleGroup::DlgLHSSlot::~DlgLHSSlot()
{
    CTWnd2::Destroy();
}

bool DlgScheduleGroup::DlgLHSSlot::PassesChoice(const Object& deployment, unsigned __int64 choice)
{
    if (choice == kAll)
        return true;
    const __int64 window = LinkOf(deployment, L"link_deployment_slot");
    if (choice == kNotAssigned)
        return window == 0;
    return window == static_cast<__int64>(choice);
}

bool DlgScheduleGroup::DlgLHSSlot::Accepts(const Object& object)
{
    // Looked up until the types are known.
    if (m_deploymentType == 0)
        m_deploymentType = DeploymentType();
    if (m_deploymentType == 0 || object.type != m_deploymentType)
        return false;
    return PassesChoice(object, m_choice);
}

int DlgScheduleGroup::DlgLHSSlot::DragOver(bool tracking, POINT screenPoint)
{
    if (!m_hWnd)
        return 0;
    m_windows.m_list = m_hWnd;
    const int data = m_windows.DragOverFeedback(tracking, screenPoint);
    return tracking ? data : (data == -1 ? 0 : data);
}

void DlgScheduleGroup::DlgLHSSlot::OnResult(const RequestResult& result)
{
    if (result.route.requestId != ReqWindows || result.returnCode != 0 || result.resultCode != 0 || !m_hWnd)
        return;
    m_windows.FillListBox(result.document, m_hWnd, 0);
    // The list keeps its selection; the rows are not refilled.
    const LRESULT selected = ::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0);
    if (selected != LB_ERR)
        m_choice = static_cast<UINT32>(::SendMessageW(m_hWnd, LB_GETITEMDATA, selected, 0));
}

void DlgScheduleGroup::DlgLHSSlot::OnSlotUpdate(const DB::Slot& slot)
{
    DB::Slot update = slot;
    m_windows.ApplySlotUpdate(update, m_hWnd);
}

bool DlgScheduleGroup::DlgLHSSlot::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_DRAWITEM || msg == WM_MEASUREITEM) {
        const bool measured = m_windows.OnOwnerDraw(msg, wParam, lParam);
        if (result)
            *result = measured ? TRUE : FALSE;
        return msg == WM_DRAWITEM || measured;
    }
    return false;
}

void DlgScheduleGroup::DlgLHSSlot::TakeSelection()
{
    const LRESULT selected = ::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return;
    m_choice = static_cast<UINT32>(::SendMessageW(m_hWnd, LB_GETITEMDATA, selected, 0));
    if (m_owner)
        m_owner->FillRows();
}

bool DlgScheduleGroup::DlgLHSSlot::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    if (LOWORD(wParam) != kIdList || HIWORD(wParam) != LBN_SELCHANGE)
        return false;
    if (::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0) == LB_ERR)
        return false;
    TakeSelection();
    if (result)
        *result = 0;
    return true;
}
