#include "people/RecordPage.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/CWMFormHost.h"
#include "controls/CTListCtrlReport.h"
#include "controls/CTWndListCtrlEx2.h"

bool RecordPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 0, 0, false);
        BuildPage();
        *result = TRUE;
        return true;
    }
    return handled || CWMFormPage::OnMessage(msg, wParam, lParam, result);
}

bool RecordPage::CreatePage(HWND parent)
{
    CTWndListCtrlEx2::RegisterClass(GetTemplateModule());
    return CWMFormPage::CreatePage(parent);
}

RecordPageHost* RecordPage::GetPageHost() const
{
    return dynamic_cast<RecordPageHost*>(m_host);
}

Object* RecordPage::GetShown() const
{
    RecordPageHost* host = GetPageHost();
    return host ? &host->GetShownObject() : nullptr;
}

__int64 RecordPage::GetShownId() const
{
    Object* shown = GetShown();
    return shown ? shown->id : 0;
}

RequestRoute RecordPage::Route(int requestId, __int64 param2) const
{
    RecordPageHost* host = GetPageHost();
    return host ? host->GetPageRoute(requestId, param2) : RequestRoute();
}

void RecordPage::MarkModified()
{
    if (m_host)
        m_host->SetModified(true);
}

App* RecordPage::GetApp()
{
    return App::Instance();
}

MainWindow* RecordPage::GetMain()
{
    App* app = App::Instance();
    return app ? app->m_mainWindow : nullptr;
}

int RecordPage::AddSmallIcon(CTListCtrlReport& list, UINT iconId)
{
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON, cx, cy, LR_SHARED));
    return icon ? list.AddImage(icon) : -1;
}

bool RecordPage::SetTabImage(int image, bool onlyOnChange)
{
    if (!m_host || !m_host->m_tab)
        return false;
    HWND tab = m_host->m_tab;
    const int count = static_cast<int>(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    m_imageIndex = image;
    bool written = false;
    for (int i = 0; i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_PARAM | TCIF_IMAGE;
        if (!::SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)) ||
            item.lParam != reinterpret_cast<LPARAM>(static_cast<CWMFormPage*>(this)))
            continue;
        if (onlyOnChange && item.iImage == image)
            break;
        item.mask = TCIF_IMAGE;
        item.iImage = image;
        ::SendMessageW(tab, TCM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
        written = true;
        break;
    }
    if (written)
        m_host->LayoutSelectedPage(GetParent(tab));
    return written;
}
