// The multi-language edit: the whole text through the window text, lazy filing of what was
// typed, stepping and choosing languages, removing one, the tag strip and the read-only rules.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/CTWndEditLocale.h"
#include "framework/CTApp.h"
#include "framework/PopupMenuDriver.h"

namespace {

const wchar_t kSep = L'\u00A6';

std::wstring Multi(std::vector<std::pair<std::wstring, std::wstring>> sections, const std::wstring& first)
{
    std::wstring out = first;
    for (auto& s : sections) out += kSep + s.first + kSep + s.second;
    return out;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Records the menu it was shown and answers with a chosen command.
class RecordingMenuDriver : public PopupMenuDriver {
public:
    explicit RecordingMenuDriver(UINT command) : m_command(command) { PopupMenuDriver::Install(this); }
    ~RecordingMenuDriver() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT flags, int, int, HWND) override
    {
        ++m_calls;
        m_flags = flags;
        m_items.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            m_items.push_back({GetMenuItemID(menu, i), (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) != 0});
        return m_command;
    }
    UINT m_command = 0;
    UINT m_flags = 0;
    int m_calls = 0;
    std::vector<std::pair<UINT, bool>> m_items;
};

class EditLocaleTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    CTWndEditLocale edit;

    static void SetUpTestSuite() { ASSERT_TRUE(CTApp::Instance()->SetSupportedLocales({L"de-DE", L"fr-FR"})); }

    void SetUp() override
    {
        host = CreateWindowExW(0, L"Static", L"host", WS_POPUP | WS_VISIBLE, 60, 60, 400, 200, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(host);
        RECT rc = {10, 10, 310, 34};
        ASSERT_TRUE(edit.Create(host, 101, rc, WS_VISIBLE | WS_BORDER));
        edit.m_language.AssignText(L"en-GB");
    }
    void TearDown() override
    {
        edit.Destroy();
        DestroyWindow(host);
        Pump();
    }

    std::wstring Whole()
    {
        CTString text;
        GetWindowTextString(edit.m_hWnd, text);
        return text.GetBuffer() ? text.GetBuffer() : L"";
    }
    // What the edit itself shows, past the subclass.
    std::wstring Visible()
    {
        wchar_t buffer[256] = {};
        edit.DefaultProc(WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    void Type(const wchar_t* text)
    {
        for (; *text; ++text) {
            ::SendMessageW(edit.m_hWnd, WM_KEYDOWN, 'A', 1);
            ::SendMessageW(edit.m_hWnd, WM_CHAR, *text, 1);
            ::SendMessageW(edit.m_hWnd, WM_KEYUP, 'A', 0xC0000001);
        }
    }
    void Alt(WPARAM key) { ::SendMessageW(edit.m_hWnd, WM_SYSKEYDOWN, key, (1 << 29) | 1); }
    std::wstring Language() { return edit.m_language.GetBuffer() ? edit.m_language.GetBuffer() : L""; }
};

TEST_F(EditLocaleTest, StartsInTheUserLanguage)
{
    CTWndEditLocale fresh;
    CTString expected;
    FormatLocaleName(GetUserDefaultLCID(), expected);
    if (expected.IsEmpty()) expected.AssignText(L"en-GB");
    EXPECT_TRUE(fresh.m_language.Equals(expected));
    EXPECT_TRUE(fresh.m_value.IsEmpty());
}

TEST_F(EditLocaleTest, WindowTextIsTheWholeTextAndTheEditShowsOneLanguage)
{
    std::wstring whole = Multi({{L"de-DE", L"Hallo"}, {L"fr-FR", L"Salut"}}, L"Hello");
    SetWindowTextW(edit.m_hWnd, whole.c_str());
    EXPECT_EQ(Visible(), L"Hello");
    EXPECT_EQ(Whole(), whole);
    EXPECT_EQ(GetWindowTextLengthW(edit.m_hWnd), static_cast<int>(whole.size()));

    // A short buffer gets a terminated prefix and the count copied.
    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    LRESULT copied = ::SendMessageW(edit.m_hWnd, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small));
    EXPECT_EQ(copied, 3);
    EXPECT_EQ(std::wstring(small), L"Hel");
    EXPECT_EQ(::SendMessageW(edit.m_hWnd, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(small)), 0);
}

TEST_F(EditLocaleTest, TypedTextIsFiledLazilyIntoTheCurrentLanguage)
{
    SetWindowTextW(edit.m_hWnd, L"Hello");
    RecordingMenuDriver menu(1031);  // de-DE
    Alt(VK_DOWN);
    EXPECT_EQ(Language(), L"de-DE");
    EXPECT_EQ(Visible(), L"");  // no section yet: an empty edit

    Type(L"Hallo");
    EXPECT_EQ(edit.m_modified, 1);
    EXPECT_EQ(std::wstring(edit.m_value.GetBuffer()), L"Hello");  // not filed until asked
    EXPECT_EQ(Whole(), Multi({{L"de-DE", L"Hallo"}}, L"Hello"));
    EXPECT_EQ(edit.m_modified, 0);

    // Typing then switching away files the text too.
    Type(L"!");
    Alt(VK_LEFT);
    EXPECT_EQ(Language(), L"en-GB");
    EXPECT_EQ(Visible(), L"Hello");
    EXPECT_EQ(std::wstring(edit.m_value.GetBuffer()), Multi({{L"de-DE", L"Hallo!"}}, L"Hello"));

    // Typing into the default part replaces it and keeps the sections.
    SendMessageW(edit.m_hWnd, EM_SETSEL, 0, -1);
    Type(L"Hi");
    EXPECT_EQ(Whole(), Multi({{L"de-DE", L"Hallo!"}}, L"Hi"));
}

TEST_F(EditLocaleTest, KeysThatChangeNothingLeaveTheTextAsItWas)
{
    // Showing a language the text lacks, then keys that type nothing (the Tab that brought the
    // focus, arrows): the owner reads the text it set, with no empty section added.
    for (const wchar_t* start : {L"Hello", L""}) {
        SetWindowTextW(edit.m_hWnd, start);
        edit.m_language.AssignText(L"de-DE");
        SetWindowTextW(edit.m_hWnd, start);
        EXPECT_EQ(Visible(), L"");
        ::SendMessageW(edit.m_hWnd, WM_KEYUP, VK_TAB, 0xC0000001);
        ::SendMessageW(edit.m_hWnd, WM_KEYDOWN, VK_LEFT, 1);
        EXPECT_EQ(Whole(), start);
        Alt(VK_LEFT);
        EXPECT_EQ(Whole(), start);
    }
}

TEST_F(EditLocaleTest, ProgrammaticEditsAreFiledToo)
{
    SetWindowTextW(edit.m_hWnd, Multi({{L"de-DE", L"a"}}, L"x").c_str());
    Alt(VK_RIGHT);
    SendMessageW(edit.m_hWnd, EM_SETSEL, 1, 1);
    SendMessageW(edit.m_hWnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"b"));
    EXPECT_EQ(Whole(), Multi({{L"de-DE", L"ab"}}, L"x"));

    SendMessageW(edit.m_hWnd, EM_SETSEL, 0, -1);
    SendMessageW(edit.m_hWnd, WM_CLEAR, 0, 0);
    EXPECT_EQ(Whole(), Multi({{L"de-DE", L""}}, L"x"));
}

TEST_F(EditLocaleTest, AltLeftAndRightStepThroughTheLanguagesTheTextHolds)
{
    SetWindowTextW(edit.m_hWnd, Multi({{L"de-DE", L"B"}, {L"it-IT", L"C"}}, L"A").c_str());
    struct Step {
        WPARAM key;
        const wchar_t* language;
        const wchar_t* shown;
    } steps[] = {
        {VK_RIGHT, L"de-DE", L"B"}, {VK_RIGHT, L"it-IT", L"C"}, {VK_RIGHT, L"it-IT", L"C"},  // nothing past the end
        {VK_LEFT, L"de-DE", L"B"},  {VK_LEFT, L"en-GB", L"A"},  {VK_LEFT, L"en-GB", L"A"},   // nor before the start
    };
    for (const Step& step : steps) {
        Alt(step.key);
        EXPECT_EQ(Language(), step.language);
        EXPECT_EQ(Visible(), step.shown);
    }
    // A plain key-down of the arrows moves the caret, nothing else.
    ::SendMessageW(edit.m_hWnd, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(Language(), L"en-GB");
}

TEST_F(EditLocaleTest, AltDeleteRemovesTheCurrentSectionButNeverTheDefaultPart)
{
    SetWindowTextW(edit.m_hWnd, Multi({{L"de-DE", L"B"}, {L"fr-FR", L"C"}}, L"A").c_str());
    Alt(VK_RIGHT);
    Alt(VK_RIGHT);
    Alt(VK_DELETE);
    EXPECT_EQ(Language(), L"de-DE");
    EXPECT_EQ(Visible(), L"B");
    EXPECT_EQ(Whole(), Multi({{L"de-DE", L"B"}}, L"A"));

    Alt(VK_LEFT);
    Alt(VK_DELETE);
    EXPECT_EQ(Language(), L"en-GB");
    EXPECT_EQ(Whole(), Multi({{L"de-DE", L"B"}}, L"A"));
}

TEST_F(EditLocaleTest, LanguageMenuListsTheDefaultThenTheSupportedLanguages)
{
    SetWindowTextW(edit.m_hWnd, Multi({{L"fr-FR", L"Salut"}}, L"Hello").c_str());
    {
        RecordingMenuDriver menu(1036);
        Alt(VK_DOWN);
        ASSERT_EQ(menu.m_calls, 1);
        EXPECT_TRUE(menu.m_flags & TPM_RETURNCMD);
        EXPECT_TRUE(menu.m_flags & TPM_NONOTIFY);
        std::vector<std::pair<UINT, bool>> expected = {{2057, true}, {1031, false}, {1036, false}};
        EXPECT_EQ(menu.m_items, expected);
    }
    EXPECT_EQ(Language(), L"fr-FR");
    EXPECT_EQ(Visible(), L"Salut");
    {
        RecordingMenuDriver menu(0);  // dismissed
        Alt(VK_DOWN);
        EXPECT_EQ(menu.m_items[2], std::make_pair(1036u, true));
    }
    EXPECT_EQ(Language(), L"fr-FR");
    {
        RecordingMenuDriver menu(2057);
        Alt(VK_DOWN);
    }
    EXPECT_EQ(Language(), L"en-GB");
    EXPECT_EQ(Visible(), L"Hello");
}

TEST_F(EditLocaleTest, FocusShowsTheTagInAStripThatOpensTheMenu)
{
    ASSERT_GT(edit.m_tagWidth, 0);
    RECT before = {};
    GetClientRect(edit.m_hWnd, &before);

    ::SetFocus(edit.m_hWnd);
    ASSERT_EQ(GetFocus(), edit.m_hWnd);
    EXPECT_EQ(edit.m_tagShown, 1);
    RECT shown = {};
    GetClientRect(edit.m_hWnd, &shown);
    EXPECT_EQ(shown.right, before.right - edit.m_tagWidth);
    RedrawWindow(edit.m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(edit.m_tagBrush);

    // The strip answers as border, and a click there opens the menu.
    POINT inTag = {edit.m_tagRect.left + 2, edit.m_tagRect.top + 2};
    ClientToScreen(edit.m_hWnd, &inTag);
    LPARAM at = MAKELPARAM(inTag.x, inTag.y);
    EXPECT_EQ(::SendMessageW(edit.m_hWnd, WM_NCHITTEST, 0, at), HTBORDER);
    {
        RecordingMenuDriver menu(1031);
        ::SendMessageW(edit.m_hWnd, WM_NCLBUTTONDOWN, HTBORDER, at);
        EXPECT_EQ(menu.m_calls, 1);
    }
    EXPECT_EQ(Language(), L"de-DE");

    ::SetFocus(host);
    EXPECT_EQ(edit.m_tagShown, 0);
    EXPECT_FALSE(edit.m_tagBrush);
    RECT hidden = {};
    GetClientRect(edit.m_hWnd, &hidden);
    EXPECT_EQ(hidden.right, before.right);
}

TEST_F(EditLocaleTest, ReadOnlyAndNoTagStylesKeepTagAndMenuAway)
{
    struct Case {
        DWORD style;
        bool deleteAllowed;
    } cases[] = {{ES_READONLY, false}, {CTWndEditLocale::kStyleNoLanguageTag, true}};
    for (const Case& c : cases) {
        CTWndEditLocale other;
        RECT rc = {10, 50, 310, 74};
        ASSERT_TRUE(other.Create(host, 102, rc, WS_VISIBLE | WS_BORDER | c.style));
        other.m_language.AssignText(L"en-GB");
        std::wstring whole = Multi({{L"de-DE", L"B"}}, L"A");
        SetWindowTextW(other.m_hWnd, whole.c_str());

        ::SetFocus(other.m_hWnd);
        EXPECT_EQ(other.m_tagShown, 0) << c.style;
        RecordingMenuDriver menu(1031);
        ::SendMessageW(other.m_hWnd, WM_SYSKEYDOWN, VK_DOWN, (1 << 29) | 1);
        EXPECT_EQ(menu.m_calls, 0) << c.style;

        // Stepping through the languages stays possible.
        ::SendMessageW(other.m_hWnd, WM_SYSKEYDOWN, VK_RIGHT, (1 << 29) | 1);
        EXPECT_TRUE(other.m_language.Equals(CTString(L"de-DE"))) << c.style;
        ::SendMessageW(other.m_hWnd, WM_SYSKEYDOWN, VK_DELETE, (1 << 29) | 1);
        CTString after;
        GetWindowTextString(other.m_hWnd, after);
        EXPECT_EQ(std::wstring(after.GetBuffer()), c.deleteAllowed ? L"A" : whole) << c.style;
        ::SetFocus(host);
    }
}

TEST_F(EditLocaleTest, AttachesToAnExistingEdit)
{
    HWND item = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_MULTILINE, 10, 80, 300,
                                60, host, reinterpret_cast<HMENU>(103), GetModuleHandleW(nullptr), nullptr);
    {
        CTWndEditLocale attached;
        ASSERT_TRUE(attached.AttachDlgItem(103, host));
        EXPECT_EQ(attached.m_id, 103);
        EXPECT_GT(attached.m_tagHeight, attached.m_tallestName);  // a multi-line tag has its own height
        attached.m_language.AssignText(L"de-DE");
        SetWindowTextW(item, L"Hello");
        ::SendMessageW(item, WM_KEYDOWN, 'A', 1);
        ::SendMessageW(item, WM_CHAR, L'x', 1);
        CTString whole;
        GetWindowTextString(item, whole);
        EXPECT_EQ(std::wstring(whole.GetBuffer()), Multi({{L"de-DE", L"x"}}, L"Hello"));
    }
    EXPECT_FALSE(IsWindow(item));  // the control takes its window with it
}

} // namespace
