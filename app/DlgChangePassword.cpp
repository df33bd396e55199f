#include "app/DlgChangePassword.h"

#include <string>
#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTApp.h"
#include "framework/CTWndMessageBox.h"
#include "session/RequestResult.h"

namespace {

constexpr DWORD kKeepCentred = CTWndSize::Centred | CTWndSize::LeftToRight;   // 0x1001

HMODULE PaneModule()
{
    HMODULE module =
        CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgChangePassword::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

DlgChangePassword::~DlgChangePassword()
{
    CTWnd2::Destroy();
}

bool DlgChangePassword::Create()
{
    return CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd());
}

void DlgChangePassword::Destroy()
{
    CTWnd2::Destroy();
}

void DlgChangePassword::SendChange()
{
    // CTString wipes its buffers when it lets them go, so the entries leave no copies behind.
    CTString previous, next, confirm;
    GetItemText(kIdPrevious, previous);
    GetItemText(kIdNew, next);
    GetItemText(kIdConfirm, confirm);
    if (App* app = GetApp())
        app->m_db.DirChangePassword(previous, next, confirm,
                                    RequestRoute{MainWindow::kWindowType, 0, kConsoleType, m_key, kReqChange, 0, true});
}

void DlgChangePassword::ShowBox(const CTString& text, UINT icon)
{
    CTApp* ctApp = CTApp::Instance();
    HINSTANCE module = ctApp && ctApp->GetModule() ? ctApp->GetModule() : GetModuleHandleW(nullptr);
    CTWndMessageBox box;
    box.Show(GetOwnerHwnd(), module, text.GetBuffer() ? text.GetBuffer() : L"", L"Change Password", MB_OK | icon);
}

void DlgChangePassword::OnReply(RequestResult& result)
{
    if (result.route.requestId == kReqChange) {
        if (result.returnCode != 0) {
            TiXmlElement* root = result.document.FirstChildElementNamed(L"result");
            TiXmlElement* rc = root ? root->FirstChildElementNamed(L"RC") : nullptr;
            const wchar_t* hint = rc ? rc->GetAttribute(L"passwordhint") : nullptr;
            if (hint && *hint) {
                // The refusal waits for the rules text it points to.
                m_refusal = result.statusText;
                if (App* app = GetApp())
                    app->m_db.GetUrl(CTString(hint), RequestRoute{MainWindow::kWindowType, 0, kConsoleType, m_key,
                                                                  kReqRules, 0, true});
                return;
            }
            ShowBox(result.statusText, MB_ICONEXCLAMATION);
            return;
        }
        ShowBox(CTString(L"Password Set"), MB_ICONINFORMATION);
        Close();
        return;
    }
    if (result.route.requestId == kReqRules) {
        CTString rules;
        unsigned size = result.body.GetSize();
        if (size && result.body.GetData()) {
            std::string bytes(reinterpret_cast<const char*>(result.body.GetData()), size);
            int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, bytes.c_str(), -1, nullptr, 0);
            if (length > 0) {
                std::wstring wide(static_cast<size_t>(length), L'\0');
                MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, bytes.c_str(), -1, wide.data(), length);
                rules = wide.c_str();
            }
        }
        CTString text(m_refusal);
        text.AppendText(L"\r\n\r\n");
        if (!rules.IsEmpty())
            text.Append(rules);
        ShowBox(text, MB_ICONEXCLAMATION);
    }
}

bool DlgChangePassword::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    switch (LOWORD(wParam)) {
    case kCmdForwarded:
        ::SendMessageW(m_hWnd, WM_COMMAND, kIdChange, 0);
        return true;
    case kIdChange:
        SendChange();
        return true;
    case kIdCancel:
        Close();
        return true;
    default:
        return false;
    }
}

bool DlgChangePassword::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    if (msg == WM_INITDIALOG) {
        CTWndSize::Init(m_hWnd, false, 100, 100, false);
        for (int id : {int(kIdPreviousLabel), int(kIdNewLabel), int(kIdChange), int(kIdCancel), int(kIdPrevious),
                       int(kIdNew), int(kIdConfirm), 1009})
            AddItem(GetDlgItem(m_hWnd, id), kKeepCentred);
        *result = TRUE;
        return true;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
