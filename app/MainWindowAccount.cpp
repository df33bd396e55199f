// The right-hand toolbar's drop-downs: the account menu (with the switch to another saved
// connection), the search filter dialog, and the support request mail.
#include "app/MainWindow.h"

#include <commctrl.h>
#include <map>
#include "app/App.h"
#include "app/CTWndSearchFilter.h"
#include "foundation/CFileVersion.h"
#include "foundation/IShellLauncher.h"
#include "framework/CTApp.h"
#include "framework/CTMenu.h"
#include "framework/CTRegKey.h"

namespace {

constexpr UINT kAccountMenu = 145;
constexpr UINT kRegistryPathString = 104;
constexpr const wchar_t* kLastConnection = L"LastConnection";
constexpr UINT kFirstConnectionCommand = 5000;
constexpr UINT kLastConnectionCommand = 5199;
constexpr const wchar_t* kSupportAddress = L"support@example.com";

// A menu resource from the language module, else the main resource module, else the executable.
HMODULE ResourceModule(const wchar_t* type, UINT id)
{
    CTApp* app = CTApp::Instance();
    HMODULE module = app ? app->FindResourceModule(type, MAKEINTRESOURCEW(id)) : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

// Texts from the server or the user go into the mail address escaped where they would end the
// body or start another field.
void AppendMailText(CTString& out, const CTString& text)
{
    for (const wchar_t* c = text.GetBuffer() ? text.GetBuffer() : L""; *c; ++c) {
        if (*c == L'%' || *c == L'&' || *c == L'#' || *c == L'+' || *c == L'=' || *c == L'?' || *c < 0x20) {
            wchar_t escaped[4];
            _snwprintf(escaped, 4, L"%%%02X", static_cast<unsigned>(*c));
            escaped[3] = 0;
            out.Append(CTString(escaped));
        } else {
            wchar_t one[2] = {*c, 0};
            out.Append(CTString(one));
        }
    }
}

} // namespace

void MainWindow::ShowAccountMenu()
{
    RECT rc = {};
    if (m_rightToolbar.m_hWnd) {
        m_rightToolbar.SendMessage(TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rc));
        MapWindowPoints(m_rightToolbar.m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    }

    CTMenu menu;
    if (!menu.Load(ResourceModule(RT_MENU, kAccountMenu), MAKEINTRESOURCEW(kAccountMenu)))
        return;
    HMENU popup = GetSubMenu(menu.m_menu, 0);
    if (!popup)
        return;
    if (!HasSetupRights())
        DeleteMenu(popup, kCmdSetup, MF_BYCOMMAND);

    // The saved connections marked for the menu, but the one in use.
    CTRegKey settings(kRegistryPathString, nullptr, L"Settings");
    DWORD last = settings.ReadDword(kLastConnection, 0);
    std::map<UINT, int> entries;   // command -> connection id
    UINT next = kFirstConnectionCommand;
    App* app = m_app ? m_app : App::Instance();
    if (app) {
        for (const ServerConnection& connection : app->m_connections) {
            if (!connection.shortcut || static_cast<DWORD>(connection.id) == last)
                continue;
            if (next > kLastConnectionCommand)
                break;
            if (entries.empty())
                AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(popup, MF_STRING, next, connection.name.GetBuffer() ? connection.name.GetBuffer() : L"");
            entries[next++] = connection.id;
        }
    }
    menu.MakeOwnerDrawn();

    UINT command = menu.Track(true, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, rc.right, rc.bottom, m_hWnd);
    if (command < kFirstConnectionCommand || command > kLastConnectionCommand) {
        if (m_hWnd)
            PostMessageW(m_hWnd, WM_COMMAND, command, 0);
        return;
    }
    auto chosen = entries.find(command);
    if (chosen == entries.end() || !app)
        return;
    // The connect pane that follows the sign-out connects at once to the chosen connection.
    settings.WriteDword(kLastConnection, static_cast<DWORD>(chosen->second));
    app->m_autoConnect = true;
    app->Logoff();
}

void MainWindow::OpenSupportMail()
{
    wchar_t exePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exePath, MAX_PATH);
    CFileVersion own(exePath);
    wchar_t version[64] = {};
    _snwprintf(version, 63, L"%d.%d.%d.%d", own.fileVersion.major, own.fileVersion.minor, own.fileVersion.build,
               own.fileVersion.revision);

    CTString text(L"mailto:");
    text.Append(CTString(kSupportAddress));
    text.Append(CTString(L"?body=Support Request: '"));
    AppendMailText(text, m_cache.systemSettings.name);
    text.Append(CTString(L"' "));
    AppendMailText(text, m_app ? m_app->m_server : CTString());
    text.Append(CTString(L" v"));
    text.Append(CTString(version));
    OpenAsDesktopUser(text.GetBuffer());
}

void MainWindow::ShowSearchFilterDialog()
{
    CTWndSearchFilter::Run(m_hWnd, m_rightToolbar.m_hWnd, m_cache.types, m_search.m_server);
    // Whatever was chosen, the button shows whether the type limit is on now.
    ApplySearchFilterImage();
}
