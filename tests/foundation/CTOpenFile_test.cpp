// File and folder dialogs, driven through stand-in dialog functions: filters, the "|"-joined
// multi-selection, buffer growth while selecting, folder browsing, centring and shortcut rejection.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "foundation/CTOpenFile.h"

namespace {

std::wstring Text(const CTString& s) { return s.IsEmpty() ? std::wstring() : std::wstring(s.GetBuffer()); }

// Entries of a NUL-separated list that ends with an empty entry.
std::vector<std::wstring> ListEntries(const wchar_t* list)
{
    std::vector<std::wstring> entries;
    for (const wchar_t* p = list; p && *p; p += wcslen(p) + 1)
        entries.push_back(p);
    return entries;
}

std::wstring MultiSelection(const std::wstring& folder, const std::vector<std::wstring>& names)
{
    std::wstring buffer = folder;
    buffer.push_back(L'\0');
    for (const std::wstring& name : names) {
        buffer += name;
        buffer.push_back(L'\0');
    }
    buffer.push_back(L'\0');
    return buffer;
}

// What the stand-in dialogs saw and will answer.
struct FakeDialog {
    OPENFILENAMEW seen{};
    std::wstring seenTitle;
    std::vector<std::wstring> seenFilter;
    std::wstring result;       // written to the dialog's buffer
    unsigned fileOffset = 0;
    LRESULT specLength = 0;    // what CDM_GETSPEC answers; 0 skips the selection change
    BOOL answer = TRUE;
    std::wstring browsePath;   // folder the browser returns; empty: cancelled
    HWND browseDialog = nullptr;
} g_fake;

LRESULT CALLBACK FakeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == CDM_GETSPEC)
        return g_fake.specLength;
    return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t kFakeClass[] = L"CTOpenFileTestDialog";

void RegisterFakeClass()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = FakeDialogProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kFakeClass;
    RegisterClassW(&wc);
}

BOOL WINAPI FakeFileDialog(OPENFILENAMEW* ofn)
{
    g_fake.seen = *ofn;
    g_fake.seenTitle = ofn->lpstrTitle ? ofn->lpstrTitle : L"";
    g_fake.seenFilter = ListEntries(ofn->lpstrFilter);
    if (!g_fake.answer)
        return FALSE;

    // The dialog and its hook child, as the explorer-style dialog makes them.
    HWND dialog = CreateWindowExW(0, kFakeClass, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND hook = CreateWindowExW(0, kFakeClass, L"", WS_CHILD, 0, 0, 10, 10, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    ofn->lpfnHook(hook, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(ofn));
    EXPECT_EQ(static_cast<HANDLE>(ofn), GetPropW(dialog, L"OFN"));
    if (g_fake.specLength) {
        OFNOTIFYW notify{};
        notify.hdr.hwndFrom = dialog;
        notify.hdr.code = CDN_SELCHANGE;
        notify.lpOFN = ofn;
        ofn->lpfnHook(hook, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    }
    // The dialog writes no more than its buffer holds.
    const size_t count = g_fake.result.size() < ofn->nMaxFile ? g_fake.result.size() : 0;
    memcpy(ofn->lpstrFile, g_fake.result.data(), count * sizeof(wchar_t));
    if (count < ofn->nMaxFile)
        ofn->lpstrFile[count] = L'\0';
    ofn->nFileOffset = static_cast<WORD>(g_fake.fileOffset);
    ofn->lpfnHook(hook, WM_DESTROY, 0, 0);
    EXPECT_EQ(nullptr, GetPropW(dialog, L"OFN"));
    DestroyWindow(dialog);
    return count > 0 ? TRUE : FALSE;
}

PIDLIST_ABSOLUTE WINAPI FakeBrowse(BROWSEINFOW* info)
{
    if (g_fake.browseDialog)
        info->lpfn(g_fake.browseDialog, BFFM_INITIALIZED, 0, info->lParam);
    if (g_fake.browsePath.empty())
        return nullptr;
    return ILCreateFromPathW(g_fake.browsePath.c_str());
}

const CTOpenFileDialogs kFakeDialogs = { &FakeFileDialog, &FakeFileDialog, &FakeBrowse };

class CTOpenFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OleInitialize(nullptr);
        RegisterFakeClass();
        g_fake = FakeDialog{};
        CTOpenFile::SetDialogs(&kFakeDialogs);
    }
    void TearDown() override
    {
        CTOpenFile::SetDialogs(nullptr);
        OleUninitialize();
    }
};

std::wstring TempFolder()
{
    wchar_t path[MAX_PATH] = {}, longPath[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    GetLongPathNameW(path, longPath, MAX_PATH);
    std::wstring folder = longPath;
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

} // namespace

TEST(CTOpenFileHelpers, FilterBarsBecomeTheDialogsNulSeparatedList)
{
    struct Case {
        const wchar_t* filter;
        std::vector<std::wstring> entries;
    } cases[] = {
        { L"Text files|*.txt|", { L"Text files", L"*.txt" } },
        { L"Sheets (*.xlsx)|*.xlsx|All files|*.*|", { L"Sheets (*.xlsx)", L"*.xlsx", L"All files", L"*.*" } },
        { L"No closing bar|*.x", { L"No closing bar", L"*.x" } },
        { L"", {} },
        { nullptr, {} },
    };
    for (const Case& c : cases) {
        std::wstring list = CTOpenFile::ConvertFilter(c.filter);
        EXPECT_EQ(c.entries, ListEntries(list.c_str())) << (c.filter ? c.filter : L"(null)");
        // Closed by two NULs: the last entry's and the list's own.
        if (!list.empty()) {
            EXPECT_EQ(L'\0', list.back());
            EXPECT_EQ(L'\0', list.c_str()[list.size()]);
        }
    }
}

TEST(CTOpenFileHelpers, SelectionBufferGivesOnePathOrBarJoinedPaths)
{
    struct Case {
        const char* name;
        std::wstring buffer;
        unsigned fileOffset;
        bool ok;
        std::wstring out;
    } cases[] = {
        { "one file", std::wstring(L"C:\\data\\a.txt\0", 15), 8, true, L"C:\\data\\a.txt" },
        { "three files", MultiSelection(L"C:\\data", { L"a.txt", L"b c.txt", L"d.txt" }), 8, true,
          L"C:\\data\\a.txt|C:\\data\\b c.txt|C:\\data\\d.txt" },
        { "root folder", MultiSelection(L"C:\\", { L"a", L"b" }), 4, true, L"C:\\a|C:\\b" },
        { "empty", std::wstring(4, L'\0'), 0, false, L"" },
        { "folder without names", MultiSelection(L"C:\\data", {}), 8, false, L"" },
    };
    for (const Case& c : cases) {
        CTString out(L"before");
        EXPECT_EQ(c.ok, CTOpenFile::ParseSelection(c.buffer.data(), static_cast<unsigned>(c.buffer.size()), c.fileOffset, out)) << c.name;
        EXPECT_EQ(c.ok ? c.out : L"before", Text(out)) << c.name;
    }
    // A buffer whose last name runs to its end is not read past it.
    std::wstring cut = MultiSelection(L"C:\\d", { L"ab", L"cd" });
    cut.resize(cut.size() - 3);
    CTString out;
    EXPECT_TRUE(CTOpenFile::ParseSelection(cut.data(), static_cast<unsigned>(cut.size()), 5, out));
    EXPECT_EQ(L"C:\\d\\ab|C:\\d\\c", Text(out));
}

TEST_F(CTOpenFileTest, ShowOpenSetsUpTheDialogAndJoinsAMultiSelection)
{
    g_fake.result = MultiSelection(L"C:\\data", { L"a.txt", L"b.txt", L"c.txt" });
    g_fake.fileOffset = 8;
    CTOpenFile dialogs;
    CTString out;
    HWND owner = reinterpret_cast<HWND>(0x1234);
    ASSERT_TRUE(dialogs.ShowOpen(owner, GetModuleHandleW(nullptr), L"Text|*.txt|", nullptr, OFN_ALLOWMULTISELECT, out));
    EXPECT_EQ(L"C:\\data\\a.txt|C:\\data\\b.txt|C:\\data\\c.txt", Text(out));

    EXPECT_EQ(152u, g_fake.seen.lStructSize);
    EXPECT_EQ(owner, g_fake.seen.hwndOwner);
    EXPECT_EQ(GetModuleHandleW(nullptr), g_fake.seen.hInstance);
    EXPECT_EQ(L"Open File", g_fake.seenTitle);
    EXPECT_EQ(static_cast<DWORD>(OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK), g_fake.seen.Flags);
    EXPECT_EQ(4096u, g_fake.seen.nMaxFile);
    EXPECT_EQ((std::vector<std::wstring>{ L"Text", L"*.txt" }), g_fake.seenFilter);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&dialogs), g_fake.seen.lCustData);
    EXPECT_EQ(nullptr, g_fake.seen.lpstrInitialDir);

    g_fake.result = L"C:\\one\\file.txt";
    g_fake.fileOffset = 7;
    ASSERT_TRUE(dialogs.ShowOpen(owner, nullptr, L"All|*.*|", nullptr, 0, out));
    EXPECT_EQ(L"C:\\one\\file.txt", Text(out));
}

TEST_F(CTOpenFileTest, CancelledOrEmptyDialogsAnswerFalseAndKeepOut)
{
    CTOpenFile dialogs;
    CTString out(L"kept");
    g_fake.answer = FALSE;
    EXPECT_FALSE(dialogs.ShowOpen(nullptr, nullptr, L"A|*.a|", nullptr, 0, out));
    EXPECT_FALSE(dialogs.ShowSave(nullptr, nullptr, L"A|*.a|", L"Save", nullptr, out));
    g_fake.answer = TRUE;
    g_fake.result.clear();
    EXPECT_FALSE(dialogs.ShowOpen(nullptr, nullptr, L"A|*.a|", nullptr, 0, out));
    EXPECT_FALSE(dialogs.ShowSave(nullptr, nullptr, L"A|*.a|", L"Save", nullptr, out));
    EXPECT_EQ(L"kept", Text(out));
}

TEST_F(CTOpenFileTest, SelectingManyFilesGrowsTheBufferSoEveryNameComesBack)
{
    std::vector<std::wstring> names;
    std::wstring expected;
    for (int i = 0; i < 600; ++i) {
        wchar_t name[32];
        _snwprintf(name, 32, L"document-number-%04d.txt", i);
        names.push_back(name);
        if (i)
            expected += L"|";
        expected += L"C:\\data\\" + names.back();
    }
    g_fake.result = MultiSelection(L"C:\\data", names);
    ASSERT_GT(g_fake.result.size(), 4096u * 3);
    g_fake.fileOffset = 8;
    g_fake.specLength = static_cast<LRESULT>(g_fake.result.size());

    CTOpenFile dialogs;
    CTString out;
    ASSERT_TRUE(dialogs.ShowOpen(nullptr, nullptr, L"Text|*.txt|", nullptr, OFN_ALLOWMULTISELECT, out));
    EXPECT_EQ(expected, Text(out));
    EXPECT_GE(dialogs.GetBufferChars(), g_fake.result.size() + MAX_PATH);
    EXPECT_EQ(0u, dialogs.GetBufferChars() % 2048) << "grown in steps of 4096 bytes";

    // The next call starts again from 4096 characters.
    g_fake.specLength = 0;
    g_fake.result = L"C:\\x.txt";
    g_fake.fileOffset = 3;
    ASSERT_TRUE(dialogs.ShowOpen(nullptr, nullptr, L"Text|*.txt|", nullptr, 0, out));
    EXPECT_EQ(4096u, g_fake.seen.nMaxFile);
}

TEST_F(CTOpenFileTest, ShowSaveUsesTheGivenTitleAndAnswersThePath)
{
    g_fake.result = L"C:\\out\\report.csv";
    CTOpenFile dialogs;
    CTString out;
    HWND owner = reinterpret_cast<HWND>(0x4321);
    ASSERT_TRUE(dialogs.ShowSave(GetModuleHandleW(nullptr), owner, L"CSV|*.csv|", L"Export", nullptr, out));
    EXPECT_EQ(L"C:\\out\\report.csv", Text(out));
    EXPECT_EQ(owner, g_fake.seen.hwndOwner);
    EXPECT_EQ(L"Export", g_fake.seenTitle);
    EXPECT_EQ(static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK), g_fake.seen.Flags);
    EXPECT_EQ(4096u, g_fake.seen.nMaxFile);
    EXPECT_EQ((std::vector<std::wstring>{ L"CSV", L"*.csv" }), g_fake.seenFilter);
}

namespace {
struct BrowseDialogLog {
    std::wstring selection;
} g_browseLog;

LRESULT CALLBACK BrowseDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == BFFM_SETSELECTIONW && wParam)
        g_browseLog.selection = reinterpret_cast<const wchar_t*>(lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* className, HWND owner, int x, int y, int w, int h, DWORD style = WS_POPUP)
{
    return CreateWindowExW(0, className, L"", style, x, y, w, h, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}
} // namespace

TEST_F(CTOpenFileTest, BrowseForFolderCentresOverTheTopOwnerAndAnswersThePath)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = BrowseDialogProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CTOpenFileTestBrowse";
    RegisterClassW(&wc);
    HWND top = MakeWindow(kFakeClass, nullptr, 100, 100, 400, 300);
    HWND owned = MakeWindow(kFakeClass, top, 0, 0, 50, 50);
    g_fake.browseDialog = MakeWindow(L"CTOpenFileTestBrowse", nullptr, 0, 0, 200, 100);
    g_fake.browsePath = TempFolder();
    g_browseLog = {};

    CTOpenFile dialogs;
    CTString out(L"old");
    ASSERT_TRUE(dialogs.BrowseForFolder(owned, L"C:\\start", out));
    EXPECT_EQ(0, lstrcmpiW(g_fake.browsePath.c_str(), out.GetBuffer())) << Text(out);
    RECT rect{};
    GetWindowRect(g_fake.browseDialog, &rect);
    EXPECT_EQ(200, rect.left);
    EXPECT_EQ(200, rect.top);
    EXPECT_EQ(L"C:\\start", g_browseLog.selection);

    // Cancelled: false and an empty out.
    g_fake.browsePath.clear();
    EXPECT_FALSE(dialogs.BrowseForFolder(owned, nullptr, out));
    EXPECT_TRUE(out.IsEmpty());

    DestroyWindow(g_fake.browseDialog);
    DestroyWindow(owned);
    DestroyWindow(top);
}

TEST_F(CTOpenFileTest, BrowserDisablesOkForShortcutsAndMissingItems)
{
    const std::wstring folder = TempFolder() + L"\\ctopenfile-test";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring link = folder + L"\\to-temp.lnk";
    IShellLinkW* shellLink = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&shellLink))));
    shellLink->SetPath(TempFolder().c_str());
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    ASSERT_TRUE(SUCCEEDED(file->Save(link.c_str(), TRUE)));
    file->Release();
    shellLink->Release();

    HWND dialog = MakeWindow(kFakeClass, nullptr, 0, 0, 200, 100);
    HWND ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD, 0, 0, 50, 20, dialog,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), GetModuleHandleW(nullptr), nullptr);
    CTOpenFile dialogs;
    auto select = [&](const std::wstring& path) {
        EnableWindow(ok, TRUE);
        PIDLIST_ABSOLUTE item = ILCreateFromPathW(path.c_str());
        CTOpenFile::BrowseFolderCallback(dialog, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item), reinterpret_cast<LPARAM>(&dialogs));
        ILFree(item);
        return IsWindowEnabled(ok) != FALSE;
    };
    EXPECT_TRUE(select(folder)) << "a real folder keeps OK";
    EXPECT_FALSE(select(link)) << "a shortcut disables OK";
    CTOpenFile::BrowseFolderCallback(dialog, BFFM_SELCHANGED, 0, reinterpret_cast<LPARAM>(&dialogs));
    EXPECT_FALSE(IsWindowEnabled(ok)) << "no item disables OK";

    DestroyWindow(dialog);
    DeleteFileW(link.c_str());
    RemoveDirectoryW(folder.c_str());
}
