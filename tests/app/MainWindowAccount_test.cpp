// The account menu (its entries, the switch to another saved connection, the other commands) through
// the pop-up menu seam, and the support request mail through the shell launcher seam.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>
#include "AppFixture.h"
#include "app/MainWindow.h"
#include "foundation/IShellLauncher.h"
#include "framework/CTMenu.h"
#include "framework/CTREngineDraw.h"
#include "framework/CTRegKey.h"
#include "framework/CTWndToolbar.h"
#include "framework/ModalDialogDriver.h"
#include "app/SearchFilterSettings.h"
#include "framework/PopupMenuDriver.h"

using namespace apptest;

namespace {

DWORD ReadLastConnection()
{
    CTRegKey settings(104, nullptr, L"Settings");
    return settings.ReadDword(L"LastConnection", 0xFFFF);
}

// Remembers which connection was the last one when the sign-out request went out.
class OrderTransport : public RecordingTransport {
public:
    void Send(const CTString& verb, const CTString& path, const HeaderList& headers, CTByteArray* body, int flags,
              Completion completion) override
    {
        lastAtSend.push_back(ReadLastConnection());
        RecordingTransport::Send(verb, path, headers, body, flags, std::move(completion));
    }
    std::vector<DWORD> lastAtSend;
};

// Lists the menu it is handed ("-" for a separator, "text=command" otherwise) and picks a command.
class MenuPicker : public PopupMenuDriver {
public:
    UINT answer = 0;
    UINT flags = 0;
    std::vector<std::wstring> items;
    UINT ChooseCommand(HMENU menu, UINT trackFlags, int, int, HWND) override
    {
        flags = trackFlags;
        items.clear();
        int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info = {sizeof(info)};
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
            GetMenuItemInfoW(menu, i, TRUE, &info);
            if (info.fType & MFT_SEPARATOR) {
                items.push_back(L"-");
                continue;
            }
            std::wstring text;
            auto* record = reinterpret_cast<CTMenuItemData*>(info.dwItemData);
            if (record && record->tag == CTMenuItemData::kTag && record->kind != CTMenuItemData::Separator) {
                text = record->text.GetBuffer() ? record->text.GetBuffer() : L"";
            } else if (record && record->tag == CTMenuItemData::kTag) {
                items.push_back(L"-");
                continue;
            } else {
                wchar_t buffer[128] = {};
                GetMenuStringW(menu, i, buffer, 128, MF_BYPOSITION);
                text = buffer;
            }
            items.push_back(text + L"=" + std::to_wstring(info.wID));
        }
        return answer;
    }
};

class Launches : public IShellLauncher {
public:
    std::vector<std::wstring> opened;
    HRESULT Open(const wchar_t* file) override
    {
        opened.push_back(file ? file : L"");
        return S_OK;
    }
};

ServerConnection Saved(const wchar_t* name, int id, bool inMenu)
{
    ServerConnection connection;
    connection.name = name;
    connection.server = L"https://example.test";
    connection.shortcut = inMenu;
    connection.id = id;
    return connection;
}

class AccountMenuTest : public testing::Test {
protected:
    std::unique_ptr<TestApp> t;
    OrderTransport* transport = nullptr;
    std::unique_ptr<MainWindow> main;
    MenuPicker picker;

    void SetUp() override
    {
        t = std::make_unique<TestApp>(false);
        auto owned = std::make_unique<OrderTransport>();
        transport = owned.get();
        t->app->m_db.m_transport = std::move(owned);
        t->app->m_db.Connect(CTString(L"srv"));
        t->app->m_connected = true;
        main = std::make_unique<MainWindow>();
        t->app->m_mainWindow = main.get();
        main->m_hWnd = CreateWindowExW(0, L"Static", L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(main->m_hWnd);
        PopupMenuDriver::Install(&picker);
        CTRegKey settings(104, nullptr, L"Settings");
        settings.WriteDword(L"LastConnection", 1);
        t->app->m_connections = {Saved(L"Alpha", 0, true), Saved(L"Beta", 1, true), Saved(L"Gamma", 2, false),
                                 Saved(L"Delta", 3, true)};
    }
    void TearDown() override
    {
        PopupMenuDriver::Install(nullptr);
        t->app->m_mainWindow = nullptr;
        main.reset();
        t.reset();
    }

    // The WM_COMMAND posted to the main window, or -1.
    int PostedCommand()
    {
        MSG msg;
        if (PeekMessageW(&msg, main->m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            return static_cast<int>(msg.wParam);
        return -1;
    }
    size_t SignOuts() { return transport->CountPath("api/api_logoff.php"); }
};

} // namespace

TEST_F(AccountMenuTest, EntriesWithOtherSavedConnections)
{
    main->ShowAccountMenu();
    EXPECT_EQ((std::vector<std::wstring>{L"Change Password=32792", L"-", L"Feedback=32805", L"Support=32827",
                                         L"About=151", L"-", L"Sign Out=149", L"-", L"Alpha=5000", L"Delta=5001"}),
              picker.items);
    EXPECT_EQ(static_cast<UINT>(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN), picker.flags);
    EXPECT_EQ(0, PostedCommand());   // dismissed

    // With setup rights "Setup" stays; with only the connection in use there is no connection part.
    Object::Privilege privilege;
    privilege.name = L"QELConsoleSetup";
    privilege.granted = true;
    main->m_cache.administrator.privileges[7] = privilege;
    ASSERT_TRUE(main->HasSetupRights());
    t->app->m_connections = {Saved(L"Beta", 1, true), Saved(L"Gamma", 2, false)};
    main->ShowAccountMenu();
    EXPECT_EQ((std::vector<std::wstring>{L"Setup=32793", L"Change Password=32792", L"-", L"Feedback=32805",
                                         L"Support=32827", L"About=151", L"-", L"Sign Out=149"}),
              picker.items);
}

TEST_F(AccountMenuTest, ChoosingAConnectionSwitchesToIt)
{
    picker.answer = 5001;   // Delta
    main->ShowAccountMenu();
    EXPECT_EQ(3u, ReadLastConnection());
    EXPECT_TRUE(t->app->m_autoConnect);
    ASSERT_EQ(1u, SignOuts());
    // The connection was recorded before the sign-out went out.
    ASSERT_FALSE(transport->lastAtSend.empty());
    EXPECT_EQ(3u, transport->lastAtSend.back());
    EXPECT_EQ(-1, PostedCommand());
}

TEST_F(AccountMenuTest, OtherChoicesGoToTheCommandHandler)
{
    for (UINT command : {151u, 149u, 32827u}) {
        picker.answer = command;
        main->ShowAccountMenu();
        EXPECT_EQ(static_cast<int>(command), PostedCommand());
    }
    EXPECT_EQ(0u, SignOuts());
    EXPECT_EQ(1u, ReadLastConnection());
    EXPECT_FALSE(t->app->m_autoConnect);
}

TEST_F(AccountMenuTest, SupportMailThroughTheLauncher)
{
    Launches launches;
    IShellLauncher* previous = SetShellLauncher(&launches);
    t->app->m_server = L"Head Office";
    main->m_cache.systemSettings.name = L"Acme";
    main->OpenSupportMail();
    // Texts that would end the body or start another field are escaped.
    main->m_cache.systemSettings.name = L"R&D #1";
    t->app->m_server = L"a+b?c=d";
    main->OpenSupportMail();
    main->m_cache.systemSettings.name = L"";
    main->OpenSupportMail();
    SetShellLauncher(previous);
    EXPECT_EQ((std::vector<std::wstring>{
                  L"mailto:support@example.com?body=Support Request: 'Acme' Head Office v4.1.51.3",
                  L"mailto:support@example.com?body=Support Request: 'R%26D %231' a%2Bb%3Fc%3Dd v4.1.51.3",
                  L"mailto:support@example.com?body=Support Request: '' a%2Bb%3Fc%3Dd v4.1.51.3"}),
              launches.opened);
}

namespace {

// Ends the search filter dialog: optionally ticks "Limit types" first, then OK or Cancel.
class FilterDialogCloser : public ModalDialogDriver {
public:
    bool tick = false;
    int button = IDCANCEL;
    int shown = 0;
    void OnModalDialog(CTWnd2&, HWND dialog) override
    {
        ++shown;
        if (tick)
            SendMessageW(GetDlgItem(dialog, 1057), BM_CLICK, 0, 0);
        HWND target = GetDlgItem(dialog, button);
        if (button == IDOK && target && IsWindowEnabled(target))
            SendMessageW(target, BM_CLICK, 0, 0);
        else
            EndDialog(dialog, IDCANCEL);
    }
};

} // namespace

TEST_F(AccountMenuTest, FilterButtonFollowsTheTypeLimitAfterTheDialog)
{
    ASSERT_TRUE(main->m_rightToolbar.Create(main->m_hWnd, nullptr, TBSTYLE_FLAT, CTWndToolbar::IconSmall, 0));
    ASSERT_TRUE(main->m_rightToolbar.AppendButton(0, MainWindow::kCmdSearchFilter, TBSTATE_ENABLED, BTNS_DROPDOWN, L""));
    main->m_filterOnImage = 3;
    main->m_filterOffImage = 4;
    auto image = [&] { return main->m_rightToolbar.GetButtonImage(MainWindow::kCmdSearchFilter); };
    FilterDialogCloser closer;
    ModalDialogDriver::Install(&closer);
    SearchFilterSettings saved = SearchFilterSettings::Instance();

    // Cancel with the limit off: the "off" picture, whatever the button showed before.
    SearchFilterSettings::Instance().EnableTypeLimit = false;
    main->m_rightToolbar.SetButtonImage(3, MainWindow::kCmdSearchFilter);
    main->ShowSearchFilterDialog();
    EXPECT_EQ(1, closer.shown);
    EXPECT_EQ(4, image());

    // The limit switched on and accepted: the "on" picture.
    closer.tick = true;
    closer.button = IDOK;
    main->ShowSearchFilterDialog();
    EXPECT_EQ(2, closer.shown);
    EXPECT_TRUE(SearchFilterSettings::Instance().EnableTypeLimit);
    EXPECT_EQ(3, image());

    ModalDialogDriver::Install(nullptr);
    SearchFilterSettings::Instance() = saved;
}

namespace {

// The picture as the toolbar gets it, drawn on black: one byte per pixel, 1 where it is lit.
std::vector<BYTE> FilterPicture(UINT id, int size)
{
    HICON icon = LoadEmfIcon(id, size, size);
    std::vector<BYTE> lit;
    if (!icon)
        return lit;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < size * size; ++i)
        lit.push_back((pixels[i] & 0xFFFFFF) > 0x404040 ? 1 : 0);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyIcon(icon);
    return lit;
}

} // namespace

TEST(FilterButtonPictures, TheTypeLimitPictureDiffersFromThePlainOne)
{
    for (int size : {16, 32}) {
        SCOPED_TRACE(size);
        std::vector<BYTE> on = FilterPicture(245, size), off = FilterPicture(246, size);
        ASSERT_EQ(on.size(), static_cast<size_t>(size * size));
        ASSERT_EQ(off.size(), on.size());
        int litOn = 0, litOff = 0, differ = 0;
        for (size_t i = 0; i < on.size(); ++i) {
            litOn += on[i];
            litOff += off[i];
            differ += on[i] != off[i];
        }
        EXPECT_GT(litOn, size * size / 8);
        EXPECT_GT(litOff, size * size / 8);
        // A good part of the picture changes, not a pixel or two.
        EXPECT_GT(differ, size * size / 8);
    }
}
