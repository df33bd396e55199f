// The search box's recent texts per connection, the search filter settings in the registry and the
// search filter dialog (working copy, reset, Cancel, OK).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include <vector>
#include "app/CTWndSearch.h"
#include "app/CTWndSearchFilter.h"
#include "app/SearchFilterSettings.h"
#include "framework/CTApp.h"
#include "framework/CTRegKey.h"
#include "framework/ModalDialogDriver.h"

namespace {

const wchar_t* const kRoot = L"Software\\TAVIK\\QEL\\Settings\\";

void DeleteConnection(const std::wstring& connection)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, (kRoot + connection).c_str());
}

void WriteDword(const std::wstring& connection, const wchar_t* leaf, const wchar_t* name, DWORD value)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (kRoot + connection + leaf).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

void WriteText(const std::wstring& connection, const wchar_t* leaf, const wchar_t* name, const std::wstring& text)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (kRoot + connection + leaf).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                    nullptr);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

bool ReadValue(const std::wstring& connection, const wchar_t* leaf, const wchar_t* name, std::wstring* text,
               DWORD* number)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (kRoot + connection + leaf).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    BYTE data[4096] = {};
    DWORD size = sizeof(data) - 2, type = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return false;
    if (text)
        *text = reinterpret_cast<const wchar_t*>(data);
    if (number)
        *number = *reinterpret_cast<const DWORD*>(data);
    return true;
}

// A combo box with its edit field, as the main window builds the search box.
struct Box {
    HWND owner = nullptr;
    CTWndSearch search;
    std::vector<UINT> commands;

    Box()
    {
        owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
        HWND combo = CreateWindowExW(0, L"ComboBox", nullptr, WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                                     0, 0, 300, 200, owner, nullptr, nullptr, nullptr);
        search.Attach(combo, true);
        COMBOBOXINFO info = {};
        info.cbSize = sizeof(info);
        GetComboBoxInfo(combo, &info);
        search.m_edit.m_owner = &search;
        search.m_edit.Attach(info.hwndItem, true);
        search.Enable(false);
    }
    ~Box()
    {
        search.m_edit.Detach();
        search.Detach();
        DestroyWindow(owner);
    }
    void Type(const wchar_t* text)
    {
        SetWindowTextW(search.m_edit.m_hWnd, text);
        SendMessageW(search.m_edit.m_hWnd, WM_CHAR, VK_RETURN, 0);
    }
    std::vector<std::wstring> Items()
    {
        std::vector<std::wstring> items;
        int count = static_cast<int>(search.SendMessage(CB_GETCOUNT));
        for (int i = 0; i < count; ++i) {
            wchar_t text[512] = {};
            search.SendMessage(CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
};

std::vector<std::wstring> Recent(const CTWndSearch& search)
{
    std::vector<std::wstring> out;
    for (const CTString& text : search.m_recent)
        out.push_back(text.GetBuffer() ? text.GetBuffer() : L"");
    return out;
}

class SearchBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        CTApp::Instance()->Init(GetModuleHandleW(nullptr), L"", SW_HIDE, L"QEL");
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        for (const wchar_t* name : {L"box-a", L"box-b", L"box-corrupt", L"box-gap", L"filter-x", L"filter-none"})
            DeleteConnection(name);
        SearchFilterSettings::Instance().SetDefaults();
    }
};

} // namespace

TEST_F(SearchBox, RecentTextsAreKeptPerConnection)
{
    Box box;
    box.search.m_server = L"box-a";
    box.search.Enable(true);
    EXPECT_TRUE(IsWindowEnabled(box.search.m_hWnd));
    box.Type(L"alpha");
    box.Type(L"beta");
    box.Type(L"alpha");     // moves to the top, kept once
    box.Type(L"ALPHA");     // differs in case: its own entry
    box.Type(L"");          // empty: nothing happens
    EXPECT_EQ((std::vector<std::wstring>{L"ALPHA", L"alpha", L"beta"}), Recent(box.search));
    EXPECT_EQ(Recent(box.search), box.Items());
    CTString current;
    EXPECT_STREQ(L"ALPHA", box.search.GetText(current).GetBuffer());

    box.search.Enable(false);
    EXPECT_FALSE(IsWindowEnabled(box.search.m_hWnd));
    DWORD count = 0;
    ASSERT_TRUE(ReadValue(L"box-a", L"\\SearchMRU", L"Count", nullptr, &count));
    EXPECT_EQ(3u, count);

    // Another connection starts with its own (empty) list ...
    box.search.m_server = L"box-b";
    box.search.Enable(true);
    EXPECT_TRUE(Recent(box.search).empty());
    box.Type(L"gamma");
    box.search.Enable(false);
    // ... and the first gets its own back.
    box.search.m_server = L"box-a";
    box.search.Enable(true);
    EXPECT_EQ((std::vector<std::wstring>{L"ALPHA", L"alpha", L"beta"}), box.Items());
    box.search.Enable(false);
}

TEST_F(SearchBox, EnterSendsTheSearchCommandToTheOwner)
{
    static int searches = 0;
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpszClassName = L"SearchBoxTestTarget";
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_COMMAND && LOWORD(wParam) == CTWndSearch::kCmdSearch)
            ++searches;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    };
    RegisterClassExW(&wc);
    HWND target = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_NE(nullptr, target);
    Box box;
    box.search.m_commandTarget = target;
    box.search.m_server = L"box-a";
    box.search.Enable(true);
    box.Type(L"");
    EXPECT_EQ(0, searches);
    box.Type(L"PC-001");
    EXPECT_EQ(1, searches);
    box.search.Enable(false);
    DestroyWindow(target);
}

TEST_F(SearchBox, OnlyTheNewestHundredTextsAreKept)
{
    Box box;
    box.search.m_server = L"box-a";
    box.search.Enable(true);
    for (int i = 0; i < 101; ++i)
        box.Type((L"text " + std::to_wstring(i)).c_str());
    ASSERT_EQ(100u, box.search.m_recent.size());
    EXPECT_EQ(100, static_cast<int>(box.search.SendMessage(CB_GETCOUNT)));
    EXPECT_EQ(L"text 100", Recent(box.search).front());
    EXPECT_EQ(L"text 1", Recent(box.search).back());
    box.search.Enable(false);
    DWORD count = 0;
    ASSERT_TRUE(ReadValue(L"box-a", L"\\SearchMRU", L"Count", nullptr, &count));
    EXPECT_EQ(100u, count);
    std::wstring last;
    ASSERT_TRUE(ReadValue(L"box-a", L"\\SearchMRU", L"Entry_99", &last, nullptr));
    EXPECT_EQ(L"text 1", last);
}

TEST_F(SearchBox, StoredCountIsCappedAndGapsReadEmpty)
{
    // A damaged count must not make the sign-in read billions of values.
    WriteDword(L"box-corrupt", L"\\SearchMRU", L"Count", 0xFFFFFFFFu);
    WriteText(L"box-corrupt", L"\\SearchMRU", L"Entry_0", L"first");
    Box box;
    box.search.m_server = L"box-corrupt";
    box.search.Enable(true);
    EXPECT_EQ(CTWndSearch::kMaxEntries, box.search.m_recent.size());
    EXPECT_EQ(L"first", Recent(box.search).front());
    DWORD count = 0;
    ASSERT_TRUE(ReadValue(L"box-corrupt", L"\\SearchMRU", L"Count", nullptr, &count));
    EXPECT_EQ(CTWndSearch::kMaxEntries, count);
    box.search.Enable(false);

    // A count of 3 with the middle entry missing: three entries, the middle one empty.
    WriteDword(L"box-gap", L"\\SearchMRU", L"Count", 3);
    WriteText(L"box-gap", L"\\SearchMRU", L"Entry_0", L"one");
    WriteText(L"box-gap", L"\\SearchMRU", L"Entry_2", L"three");
    box.search.m_server = L"box-gap";
    box.search.Enable(true);
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"", L"three"}), Recent(box.search));
    box.search.Enable(false);
}

TEST_F(SearchBox, FilterSettingsLoadAndSave)
{
    SearchFilterSettings settings;
    settings.Load(CTString(L"filter-none"));
    EXPECT_TRUE(settings.EnableLimit);
    EXPECT_EQ(50, settings.Limit);
    EXPECT_FALSE(settings.EnableTypeLimit);
    EXPECT_TRUE(settings.Types.empty());

    WriteText(L"filter-x", L"\\SearchFilter", L"Types", L"12|7|30");
    WriteDword(L"filter-x", L"\\SearchFilter", L"EnableTypeLimit", 1);
    WriteDword(L"filter-x", L"\\SearchFilter", L"Limit", 7);
    settings.Load(CTString(L"filter-x"));
    EXPECT_EQ((std::vector<int>{12, 7, 30}), settings.Types);
    EXPECT_TRUE(settings.EnableTypeLimit);
    EXPECT_TRUE(settings.EnableLimit);
    EXPECT_EQ(7, settings.Limit);
    settings.EnableLimit = false;
    settings.Save(CTString(L"filter-x"));
    std::wstring types;
    DWORD enableLimit = 1;
    ASSERT_TRUE(ReadValue(L"filter-x", L"\\SearchFilter", L"Types", &types, nullptr));
    ASSERT_TRUE(ReadValue(L"filter-x", L"\\SearchFilter", L"EnableLimit", nullptr, &enableLimit));
    EXPECT_EQ(L"12|7|30", types);
    EXPECT_EQ(0u, enableLimit);

    // Splitting stops at the first empty item; joining an empty list gives an empty text.
    EXPECT_EQ((std::vector<int>{4, 5}), SearchFilterSettings::SplitTypes(CTString(L" 4 | \"5\"")));
    EXPECT_TRUE(SearchFilterSettings::JoinTypes({}).IsEmpty());
}

namespace {

// Drives the filter dialog: runs the steps, then presses the button.
class FilterDriver : public ModalDialogDriver {
public:
    std::function<void(CTWndSearchFilter&, HWND)> steps;
    int press = IDCANCEL;
    std::vector<std::wstring> rows;
    FilterDriver() { Install(this); }
    ~FilterDriver() override { Install(nullptr); }
    void OnModalDialog(CTWnd2& wnd, HWND dialog) override
    {
        auto& filter = static_cast<CTWndSearchFilter&>(wnd);
        rows.clear();
        for (int i = 0; i < filter.m_list.GetItemCount(); ++i) {
            wchar_t text[128] = {};
            ListView_GetItemText(filter.m_list.m_hWnd, i, 1, text, 127);
            rows.push_back(text);
        }
        if (steps)
            steps(filter, dialog);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), 0);
    }
};

Object TypeDefinition(__int64 id, const wchar_t* name, int navigation)
{
    Object type;
    type.id = id;
    type.name = name;
    Object::Attribute attribute;
    attribute.name = L"console_setup_navigation";
    attribute.SetValue(CAttribute::Integer, navigation);
    type.attributes[1] = attribute;
    return type;
}

void Check(HWND dialog, int id, bool on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

} // namespace

TEST_F(SearchBox, FilterDialogListsSearchableTypesAndSavesOnlyOnOk)
{
    std::vector<Object> types = {TypeDefinition(5, L"User", 4), TypeDefinition(6, L"Computer", 5),
                                 TypeDefinition(7, L"Hidden", 2)};
    SearchFilterSettings& settings = SearchFilterSettings::Instance();
    settings.EnableTypeLimit = true;
    settings.Types = {5, 99};
    settings.Limit = 20;
    const SearchFilterSettings before = settings;

    // Reset, then Cancel: the settings are what they were, and nothing was written.
    FilterDriver driver;
    bool typeListEnabled = false;
    driver.steps = [&](CTWndSearchFilter& filter, HWND dialog) {
        typeListEnabled = IsWindowEnabled(GetDlgItem(dialog, CTWndSearchFilter::kIdTypes));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_EQ((std::vector<int>{5}), filter.ReadControls().Types);   // the unknown 99 is not offered
        SendMessageW(dialog, WM_COMMAND, CTWndSearchFilter::kIdReset, 0);
        EXPECT_FALSE(filter.ReadControls().EnableTypeLimit);
        EXPECT_TRUE(filter.ReadControls().Types.empty());
    };
    driver.press = IDCANCEL;
    EXPECT_EQ(0, CTWndSearchFilter::Run(nullptr, nullptr, types, CTString(L"filter-x")));
    EXPECT_TRUE(before == settings);
    EXPECT_TRUE(typeListEnabled);
    EXPECT_EQ((std::vector<std::wstring>{L"Computer", L"User"}), driver.rows);   // bit 4 only, by name
    EXPECT_FALSE(ReadValue(L"filter-x", L"\\SearchFilter", L"Limit", nullptr, nullptr));

    // OK: the choices are taken (unlisted type 99 dropped) and saved.
    driver.steps = [&](CTWndSearchFilter& filter, HWND dialog) {
        // A click on Computer's check box (row 0, list column 0) ticks it and enables OK.
        RECT cell = {};
        cell.top = 0;
        cell.left = LVIR_BOUNDS;
        SendMessageW(filter.m_list.m_hWnd, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = filter.m_list.m_hWnd;
        click.hdr.idFrom = CTWndSearchFilter::kIdTypes;
        click.hdr.code = NM_CLICK;
        click.iItem = 0;
        click.iSubItem = 0;
        click.ptAction = POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        SendMessageW(dialog, WM_NOTIFY, CTWndSearchFilter::kIdTypes, reinterpret_cast<LPARAM>(&click));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_EQ((std::vector<int>{6, 5}), filter.ReadControls().Types);
        Check(dialog, CTWndSearchFilter::kIdLimit, false);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, CTWndSearchFilter::kIdLimitEdit)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    };
    driver.press = IDOK;
    EXPECT_EQ(1, CTWndSearchFilter::Run(nullptr, nullptr, types, CTString(L"filter-x")));
    EXPECT_TRUE(settings.EnableTypeLimit);
    EXPECT_FALSE(settings.EnableLimit);
    EXPECT_EQ((std::vector<int>{6, 5}), settings.Types);
    std::wstring saved;
    ASSERT_TRUE(ReadValue(L"filter-x", L"\\SearchFilter", L"Types", &saved, nullptr));
    EXPECT_EQ(L"6|5", saved);
    settings.SetDefaults();
}
