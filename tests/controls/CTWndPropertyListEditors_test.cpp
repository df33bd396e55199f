// ctest-env: TZ=Europe/Berlin
// ctest-env: TZ=America/New_York
// The property list's choice, date, date-and-time and multi-language editors: what they show,
// what they store, when they report a change, and dates that survive opening and leaving in zones
// east and west of UTC.
#include "PropertyListFixture.h"

#include "foundation/CTTime.h"
#include "framework/CTApp.h"

using namespace proplisttest;

namespace {

const wchar_t kSep = L'\u00A6';

// 2026-03-05 00:00:00 UTC.
constexpr __int64 kMarch5 = 1772668800;
constexpr __int64 kDay = 86400;

std::vector<std::wstring> ComboItems(HWND combo)
{
    std::vector<std::wstring> out;
    for (LRESULT i = 0, n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
        wchar_t text[64] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

SYSTEMTIME Picked(HWND picker, LRESULT* state = nullptr)
{
    SYSTEMTIME st = {};
    LRESULT got = ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    if (state) *state = got;
    return st;
}

void Pick(HWND picker, WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    ASSERT_TRUE(::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)));
}

class PropertyEditorsTest : public PropertyListTest {
protected:
    // The choice editor is a child of the host; its notices reach the list through the host.
    void ChooseItem(HWND combo, const wchar_t* text)
    {
        LRESULT at = ::SendMessageW(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text));
        ASSERT_NE(at, CB_ERR) << "no item";
        ::SendMessageW(combo, CB_SETCURSEL, at, 0);
        ::SendMessageW(host, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
};

TEST(PropertyEditorsZone, RunsInTheZoneItWasStartedFor)
{
    // The date tests below only prove something when the zone really is the one asked for.
    char zone[64] = {};
    GetEnvironmentVariableA("TZ", zone, sizeof(zone));
    TIME_ZONE_INFORMATION info = {};
    GetTimeZoneInformation(&info);
    std::string name = zone;
    if (name == "Europe/Berlin") EXPECT_EQ(info.Bias, -60);
    else if (name == "America/New_York") EXPECT_EQ(info.Bias, 300);
    else EXPECT_EQ(info.Bias, 0) << name;
}

// Every editor kind: Escape keeps the value, leaving by focus stores the change.
TEST_F(PropertyEditorsTest, EveryEditorCancelsOnEscapeAndCommitsOnFocusLoss)
{
    struct Case {
        int kind;
        CAttribute value;
    } cases[] = {
        {0, CAttribute(CAttribute::Text, L"Red")},
        {1, CAttribute(CAttribute::Text, L"a")},
        {2, CAttribute(CAttribute::Text, L"b")},
        {5, CAttribute(CAttribute::Text, L"c")},
        {7, CAttribute(CAttribute::DateTime, kMarch5)},
        {8, CAttribute(CAttribute::Date, kMarch5)},
        {9, CAttribute(CAttribute::Text, L"d")},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.kind);
        list->RemoveAll();
        int row = Insert(c.kind, L"row", c.value);
        if (c.kind == 0) list->SetChoiceList(row, CTString(L"Red|Blue|"), false);
        auto alter = [&]() {
            HWND editor = Editor();
            ASSERT_TRUE(editor);
            if (c.kind == 0) {
                ChooseItem(editor, L"Blue");
            } else if (c.kind == 7 || c.kind == 8) {
                Pick(editor, 2026, 4, 1, 8, 0);
            } else {
                ::SendMessageW(editor, WM_KEYDOWN, 'A', 1);
                Char(editor, L'x');
            }
        };
        Select(row);
        alter();
        if (c.kind == 0 || c.kind == 7 || c.kind == 8)
            KeyDown(Editor(), VK_ESCAPE);
        else
            Char(Editor(), VK_ESCAPE);
        EXPECT_FALSE(list->m_editor);
        EXPECT_TRUE(Value(row).IsEqual(c.value));

        Select(row);
        alter();
        ::SetFocus(other);
        EXPECT_FALSE(list->m_editor);
        EXPECT_FALSE(Value(row).IsEqual(c.value));
    }
}

TEST_F(PropertyEditorsTest, ChoiceEditorListsTheChoicesAndStoresTheChosenKey)
{
    int row = Insert(0, L"colour", CAttribute(CAttribute::Text, L"Green"));
    list->SetChoiceList(row, CTString(L"Red|Green|Blue|ignored"), true);
    Select(row);
    HWND combo = Editor();
    ASSERT_TRUE(combo);
    EXPECT_EQ(GetParent(combo), host);
    EXPECT_TRUE(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(ComboItems(combo), (std::vector<std::wstring>{L"<none>", L"Blue", L"Green", L"Red"}));
    wchar_t shown[32] = {};
    GetWindowTextW(combo, shown, 32);
    EXPECT_EQ(std::wstring(shown), L"Green");

    ChooseItem(combo, L"Red");
    EXPECT_EQ(Rec().changes, 1);
    EXPECT_EQ(Rec().editCalls, 1);
    KeyDown(combo, VK_RETURN);
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(GetFocus(), list->m_hWnd);
    EXPECT_EQ(ValueText(row), L"Red");
    EXPECT_EQ(Value(row).GetType(), CAttribute::Text);
    EXPECT_EQ(Rec().changes, 2);

    // "<none>" clears to the empty integer value.
    Select(row);
    ChooseItem(Editor(), L"<none>");
    KeyDown(Editor(), VK_RETURN);
    EXPECT_EQ(Value(row).GetType(), CAttribute::Integer);
    EXPECT_EQ(Value(row).GetValue(), 0);
    EXPECT_EQ(ValueText(row), L"");

    // Escape keeps the value whatever was chosen.
    Select(row);
    ChooseItem(Editor(), L"Blue");
    KeyDown(Editor(), VK_ESCAPE);
    EXPECT_EQ(ValueText(row), L"");
    UpdateWindow(list->m_hWnd);
}

TEST_F(PropertyEditorsTest, ChoiceEditorLeavesAValueOutsideItsListAlone)
{
    CTWndPropertyList::ChoiceMap choices;
    choices[CAttribute(CAttribute::Integer, static_cast<__int64>(1))] = CTString(L"One");
    choices[CAttribute(CAttribute::Integer, static_cast<__int64>(2))] = CTString(L"Two");
    int row = Insert(0, L"number", CAttribute(CAttribute::Integer, static_cast<__int64>(7)));
    list->SetChoices(CTString(L"number"), choices);

    for (WPARAM key : {static_cast<WPARAM>(VK_RETURN), static_cast<WPARAM>(0)}) {
        Select(row);
        HWND combo = Editor();
        ASSERT_TRUE(combo);
        EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        if (key)
            KeyDown(combo, key);
        else
            ::SendMessageW(list->m_hWnd, WM_SIZE, 0, MAKELPARAM(400, 260));  // commits too
        EXPECT_FALSE(list->m_editor);
        EXPECT_EQ(Value(row).GetValue(), 7);
        EXPECT_EQ(Rec().changes, 0);
    }

    // A choice stores its key, and reports even an unchanged one.
    Select(row);
    ChooseItem(Editor(), L"Two");
    KeyDown(Editor(), VK_RETURN);
    EXPECT_EQ(Value(row).GetValue(), 2);
    EXPECT_EQ(Value(row).GetType(), CAttribute::Integer);
    Rec().changes = 0;
    Select(row);
    KeyDown(Editor(), VK_RETURN);
    EXPECT_EQ(Rec().changes, 1);
}

TEST_F(PropertyEditorsTest, DateRowShowsAndStoresTheSameDayInEveryZone)
{
    // A date that is not midnight in any zone's eyes: 23:30 UTC.
    __int64 lateEvening = kMarch5 + 23 * 3600 + 1800;
    int row = Insert(8, L"due", CAttribute(CAttribute::Date, kMarch5));
    int late = Insert(8, L"late", CAttribute(CAttribute::Date, lateEvening));
    for (int index : {row, late}) {
        __int64 before = Value(index).GetValue();
        std::wstring text = ValueText(index);
        Select(index);
        HWND picker = Editor();
        ASSERT_TRUE(picker);
        EXPECT_EQ(GetDlgCtrlID(picker), CTWndPropertyList::CControlBase::kPickerId);
        LRESULT state = 0;
        SYSTEMTIME shown = Picked(picker, &state);
        EXPECT_EQ(state, GDT_VALID);
        EXPECT_EQ(shown.wYear, 2026);
        EXPECT_EQ(shown.wMonth, 3);
        EXPECT_EQ(shown.wDay, 5);  // the day the value's own text shows
        KeyDown(picker, VK_RETURN);
        EXPECT_EQ(Value(index).GetValue(), before);
        EXPECT_EQ(ValueText(index), text);
        EXPECT_EQ(Rec().changes, 0);
    }

    // A picked day is stored as that day.
    Select(row);
    Pick(Editor(), 2026, 3, 7, 15, 20);
    KeyDown(Editor(), VK_RETURN);
    EXPECT_EQ(Value(row).GetValue(), kMarch5 + 2 * kDay);
    EXPECT_EQ(Value(row).GetType(), CAttribute::Date);
    EXPECT_EQ(Rec().changes, 1);

    // Reopened, it shows the day it stored.
    Select(row);
    SYSTEMTIME again = Picked(Editor());
    EXPECT_EQ(again.wDay, 7);
    KeyDown(Editor(), VK_ESCAPE);
    EXPECT_EQ(Value(row).GetValue(), kMarch5 + 2 * kDay);
}

TEST_F(PropertyEditorsTest, DateRowWithoutADateOpensUntickedAndKeepsZero)
{
    int row = Insert(8, L"due", CAttribute(CAttribute::Date, static_cast<__int64>(0)));
    int text = Insert(8, L"typed", CAttribute(CAttribute::Text, L""));
    Select(row);
    LRESULT state = 0;
    Picked(Editor(), &state);
    EXPECT_EQ(state, GDT_NONE);
    ::SetFocus(other);  // focus loss commits
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(Value(row).GetValue(), 0);
    EXPECT_EQ(Rec().changes, 0);

    // A date picked into a row that held text is stored as a date, not lost in a text value.
    Select(text);
    Pick(Editor(), 2026, 3, 5);
    KeyDown(Editor(), VK_RETURN);
    EXPECT_EQ(Value(text).GetType(), CAttribute::Date);
    EXPECT_EQ(Value(text).GetValue(), kMarch5);
}

TEST_F(PropertyEditorsTest, DateTimeRowRoundTripsLocalTime)
{
    __int64 noon = kMarch5 + 12 * 3600 + 45 * 60;
    int row = Insert(7, L"start", CAttribute(CAttribute::DateTime, noon));
    int zero = Insert(7, L"never", CAttribute(CAttribute::DateTime, static_cast<__int64>(0)));

    Select(row);
    SYSTEMTIME local = {};
    ASSERT_TRUE(CTTime(noon).ToSystemTime(local, true));
    SYSTEMTIME shown = Picked(Editor());
    EXPECT_EQ(shown.wDay, local.wDay);
    EXPECT_EQ(shown.wHour, local.wHour);
    EXPECT_EQ(shown.wMinute, 45);
    KeyDown(Editor(), VK_RETURN);
    EXPECT_EQ(Value(row).GetValue(), noon);
    EXPECT_EQ(Rec().changes, 0);

    Select(row);
    Pick(Editor(), 2026, 3, 6, 9, 30);
    KeyDown(Editor(), VK_RETURN);
    SYSTEMTIME picked = {2026, 3, 0, 6, 9, 30, 0, 0};
    EXPECT_EQ(Value(row).GetValue(), CTTime().FromSystemTime(picked, true).GetTime());
    EXPECT_EQ(Rec().changes, 1);

    // Zero opens at the local time of the epoch, and leaving keeps zero.
    Select(zero);
    LRESULT state = 0;
    SYSTEMTIME epoch = Picked(Editor(), &state);
    EXPECT_EQ(state, GDT_VALID);
    SYSTEMTIME expected = {};
    CTTime(0).ToSystemTime(expected, true);
    EXPECT_EQ(epoch.wYear, expected.wYear);
    EXPECT_EQ(epoch.wHour, expected.wHour);
    ::SetFocus(other);
    EXPECT_EQ(Value(zero).GetValue(), 0);
    EXPECT_EQ(Rec().changes, 1);
}

TEST_F(PropertyEditorsTest, DateTimeFormatDropsTheSeconds)
{
    CTString format;
    PropertyDates::DateTimeFormatWithoutSeconds(format);
    std::wstring text = format.GetBuffer() ? format.GetBuffer() : L"";
    EXPECT_EQ(text.find(L's'), std::wstring::npos) << "format: " << std::string(text.begin(), text.end());
    EXPECT_NE(text.find(L"mm"), std::wstring::npos);
    CTString full;
    GetLocaleDateTimePattern(true, full);
    if (std::wstring(full.GetBuffer()).find(L"mm:ss") != std::wstring::npos) {
        EXPECT_EQ(text.substr(text.size() - 3), L"mm ");
    }
}

TEST_F(PropertyEditorsTest, MultiLanguageRowEditsAnyLanguageOfTheWholeText)
{
    ASSERT_TRUE(CTApp::Instance()->SetSupportedLocales({L"de-DE"}));
    std::wstring whole = std::wstring(L"Hello") + kSep + L"de-DE" + kSep + L"Hallo";
    int row = Insert(9, L"title", CAttribute(CAttribute::Text, whole.c_str()));
    UpdateWindow(list->m_hWnd);
    Select(row);
    HWND edit = Editor();
    ASSERT_TRUE(edit);
    auto* localeEdit = dynamic_cast<CTWndEditLocale*>(CTWnd2::FromHandle(edit));
    ASSERT_TRUE(localeEdit);
    EXPECT_EQ(GetDlgCtrlID(edit), CTWndPropertyList::CControlBase::kPickerId);
    EXPECT_EQ(Text(edit), whole);  // the window text is the whole text
    EXPECT_EQ(GetFocus(), edit);

    // Switch to German, type there, commit: the section changed, the default part did not.
    localeEdit->m_language.AssignText(L"en-GB");
    ::SendMessageW(edit, WM_SYSKEYDOWN, VK_RIGHT, (1 << 29) | 1);
    EXPECT_TRUE(localeEdit->m_language.Equals(CTString(L"de-DE")));
    ::SendMessageW(edit, WM_KEYDOWN, 'A', 1);
    Char(edit, L'!');  // the caret starts at the beginning of the shown part
    EXPECT_GE(Rec().changes, 1);
    Char(edit, VK_RETURN);
    EXPECT_FALSE(list->m_editor);
    EXPECT_FALSE(IsWindow(edit));  // closing takes the edit's window
    EXPECT_EQ(ValueText(row), std::wstring(L"Hello") + kSep + L"de-DE" + kSep + L"!Hallo");

    // Escape after typing keeps the value; leaving by focus commits.
    Select(row);
    Char(Editor(), L'x');
    Char(Editor(), VK_ESCAPE);
    EXPECT_EQ(ValueText(row), std::wstring(L"Hello") + kSep + L"de-DE" + kSep + L"!Hallo");
    Select(row);
    ::SendMessageW(Editor(), WM_KEYDOWN, 'A', 1);
    Char(Editor(), L'?');
    ::SetFocus(other);
    EXPECT_FALSE(list->m_editor);
    std::wstring stored = ValueText(row);
    EXPECT_NE(stored.find(L'?'), std::wstring::npos);
}

} // namespace
