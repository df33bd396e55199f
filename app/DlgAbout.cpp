#include "app/DlgAbout.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/CFileVersion.h"
#include "foundation/FileVersionNumber.h"
#include "foundation/ShellExecuteAsDesktopUser.h"
#include "framework/CTApp.h"
#include "framework/CTREngineDraw.h"

namespace {

HMODULE PaneModule()
{
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_DIALOG, MAKEINTRESOURCEW(DlgAbout::kTemplate));
    return module ? module : GetModuleHandleW(nullptr);
}

// Texts go into the mark-up as text: a server named "A & B" must not break the document.
CTString Escaped(const CTString& text)
{
    CTString out;
    for (const wchar_t* p = text.GetBuffer(); p && *p; ++p) {
        switch (*p) {
        case L'&': out.AppendText(L"&amp;"); break;
        case L'<': out.AppendText(L"&lt;"); break;
        case L'>': out.AppendText(L"&gt;"); break;
        case L'"': out.AppendText(L"&quot;"); break;
        default: out.AppendChar(*p); break;
        }
    }
    return out;
}

} // namespace

DlgAbout::DlgAbout() = default;

DlgAbout::~DlgAbout()
{
    CTWnd2::Destroy();
}

bool DlgAbout::Create()
{
    CTWndDraw::RegisterClass(PaneModule());
    return CreateDialogFromResource(PaneModule(), MAKEINTRESOURCEW(kTemplate), GetOwnerHwnd());
}

void DlgAbout::Destroy()
{
    CTWnd2::Destroy();
}

CTString DlgAbout::FormatVersion(const CTString& text)
{
    FileVersionNumber number;
    number.Parse(text);
    CTString out;
    out.Format(L"%d.%d.%d.%d", static_cast<int>(number.major), static_cast<int>(number.minor),
               static_cast<int>(number.build), static_cast<int>(number.revision));
    return out;
}

CTString DlgAbout::BuildMarkup(const CTString& productName, const CTString& consoleVersion,
                               const CTString& serverText, const CTString& serverVersionText)
{
    CTString markup(L"<Div margin=\"4\" vertical-align=\"middle\" >");
    markup.AppendText(L"<Text font-size=\"24\" color=\"#020202\" >");
    markup.Append(Escaped(productName));
    markup.AppendText(L"</Text><BR />");
    markup.AppendText(L"<Text font-size=\"10\" color=\"#020202\" >console v");
    markup.Append(Escaped(consoleVersion));
    markup.AppendText(L"</Text><BR />");
    if (!serverText.IsEmpty()) {
        markup.AppendText(L"<Text font-size=\"16\" color=\"#020202\" padding-top=\"16\" >");
        markup.Append(Escaped(serverText));
        markup.AppendText(L"</Text><BR />");
        markup.AppendText(L"<Text font-size=\"10\" color=\"#020202\" >server v");
        markup.Append(FormatVersion(serverVersionText));
        markup.AppendText(L"</Text><BR />");
    }
    markup.AppendText(L"</Div>");
    return markup;
}

void DlgAbout::OnInitDialog()
{
    CTWndSize::Init(m_hWnd, false, 100, 100, false);
    AddItem(GetDlgItem(m_hWnd, kIdPanel), CTWndSize::RightToRight);
    AddItem(GetDlgItem(m_hWnd, kIdCopyright), CTWndSize::TopToBottom | CTWndSize::BottomToBottom);
    AddItem(GetDlgItem(m_hWnd, kIdLink), CTWndSize::TopToBottom | CTWndSize::BottomToBottom);
    AddItem(GetDlgItem(m_hWnd, kIdClose), 15);

    m_link.ClearStyle(CTHyperLink::SizeToFit);
    m_link.AttachDlgItem(m_hWnd, kIdLink);
    m_panel.AttachDlgItem(m_hWnd, kIdPanel, 0);

    // The console's own version resource.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    CFileVersion version(path);
    CTString consoleVersion;
    consoleVersion.Format(L"%d.%d.%d.%d", static_cast<int>(version.fileVersion.major),
                          static_cast<int>(version.fileVersion.minor), static_cast<int>(version.fileVersion.build),
                          static_cast<int>(version.fileVersion.revision));

    CTString serverText, serverVersion;
    App* app = m_owner && m_owner->m_app ? m_owner->m_app : App::Instance();
    if (app && app->m_connected) {
        serverText = app->m_server;
        if (m_owner) {
            CAttribute attribute;
            m_owner->m_cache.systemSettings.GetAttribute(attribute, CTString(L"version"));
            serverVersion = attribute.GetText();
        }
    }
    CTString markup = BuildMarkup(version.productName, consoleVersion, serverText, serverVersion);
    ::SetWindowTextW(GetDlgItem(m_hWnd, kIdPanel), markup.GetBuffer());
    m_panel.ParseText();

    // The logo, scaled with the screen.
    HDC screen = GetDC(nullptr);
    int cx = MulDiv(612, GetDeviceCaps(screen, LOGPIXELSX), 96);
    int cy = MulDiv(145, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    if (HICON rendered = LoadEmfIcon(kLogoPicture, cx, cy)) {
        m_logo.SetCopy(rendered);
        DestroyIcon(rendered);
        ::SendMessageW(GetDlgItem(m_hWnd, kIdLogo), STM_SETICON, reinterpret_cast<WPARAM>(m_logo.icon), 0);
    }
}

bool DlgAbout::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    (void)lParam;
    *result = 0;
    switch (LOWORD(wParam)) {
    case kIdClose:
        Close();
        return true;
    case kIdLink:
        if (HIWORD(wParam) == 0) {
            CTString address;
            GetItemText(kIdLink, address);
            if (!address.IsEmpty())
                ShellExecuteAsDesktopUser(address.GetBuffer());
        }
        return true;
    default:
        return false;
    }
}

bool DlgAbout::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    bool handled = CTWndSize::HandleMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        *result = TRUE;
        return true;
    case WM_ERASEBKGND: {
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_WINDOW));
        *result = TRUE;
        return true;
    }
    case WM_SIZE:
        if (m_link.m_hWnd)
            m_link.RedrawParent();
        break;
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == m_link.m_hWnd && m_link.m_hWnd) {
            *result = reinterpret_cast<LRESULT>(m_link.OnCtlColor(reinterpret_cast<HDC>(wParam)));
            return true;
        }
        if (control == GetDlgItem(m_hWnd, kIdCopyright) || control == GetDlgItem(m_hWnd, kIdLogo)) {
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            *result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            return true;
        }
        break;
    }
    default:
        break;
    }
    if (handled)
        return true;
    return CTWnd2::OnMessage(msg, wParam, lParam, result);
}
