// In-place cell editing over a report list: check boxes, the hot cell, choice lists, every editor
// kind with its geometry, commit and cancel by key and by focus loss, and date round trips in zones
// east and west of UTC.
// ctest-env: TZ=America/Los_Angeles
// ctest-env: TZ=Pacific/Auckland
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "controls/CTListCtrlEdit.h"
#include "controls/CTListCtrlEditControls.h"
#include "controls/CTListCtrlReportEx.h"
#include "controls/CTWndListCtrlEx2.h"
#include "foundation/CTTime.h"

namespace {

using Edit = CTListCtrlEdit;

struct Change {
    int item;
    int column;
    int type;
    __int64 value;
    std::wstring text;
};

class ListEditTest;
ListEditTest* g_test = nullptr;

std::wstring Str(const CTString& s) { return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : L""; }

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

// Column layout: 0 name (read-only), 1 check box, 2 value, 3 other.
const wchar_t* kColumns = L"Name,120;Check,60;Value,150;Other,100";
constexpr int kId = 100;

class ListEditTest : public ::testing::Test {
public:
    HWND host = nullptr;
    CTListCtrlReportEx report;   // the report with toolbar, as the system's dialogs show it
    Edit edit;
    std::vector<Change> changes;
    int fills = 0;
    // Run from the value-changed callback, as an owner refilling its list would.
    void (*onChange)(ListEditTest*) = nullptr;
    int keys[4] = {1, 2, 3, 4};

    static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        ListEditTest* t = g_test;
        if (t && msg == WM_NOTIFY) {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            LRESULT result = 0;
            // The editing object first: the report frees its rows on the deletion notice.
            t->edit.OnNotify(static_cast<int>(wParam), hdr, &result);
            if (t->report.OnParentNotify(hdr, &result)) return result;
        } else if (t && hwnd == t->host) {
            LRESULT result = 0;
            t->edit.OnMessage(msg, wParam, lParam, &result);
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static void OnChanged(void* context, int item, int column, CAttribute* value)
    {
        auto* t = static_cast<ListEditTest*>(context);
        t->changes.push_back({item, column, value->GetType(), value->GetValue(), value->GetText()});
        if (t->onChange) t->onChange(t);
    }
    static void OnFill(void* context, const CTString* name, Edit::Choices* entries)
    {
        auto* t = static_cast<ListEditTest*>(context);
        ++t->fills;
        if (Str(*name) == L"colours") {
            (*entries)[1] = L"Red";
            (*entries)[2] = L"Green";
            (*entries)[3] = L"Blue";
        }
    }

    void SetUp() override
    {
        g_test = this;
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = HostProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ListEditTestHost";
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            RegisterClassW(&wc);
            registered = true;
        }
        host = CreateWindowExW(0, L"ListEditTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 400,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, host);
        SetForegroundWindow(host);
        ASSERT_TRUE(report.CreateReport(host, kId, 0));
        MoveWindow(report.m_hWnd, 0, 0, 600, 360, TRUE);
        ASSERT_TRUE(report.SetColumns(kColumns, 0, nullptr, nullptr));
        edit.Attach(kId, &report, OnChanged, OnFill, this);
        ::SetFocus(report.m_hWnd);
    }
    void TearDown() override
    {
        edit.CloseEditor();
        report.Destroy();
        DestroyWindow(host);
        g_test = nullptr;
        Pump();
    }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // One report row and its editable row; column 2 gets the given kind and value.
    int AddRow(int index, int kind, const CAttribute& value, const wchar_t* choiceList = nullptr)
    {
        void* key = &keys[index];
        CTListCtrlReport::Row shown(key);
        wchar_t name[16];
        _snwprintf(name, 16, L"row%d", index);
        shown.AddText(name).AddText(L"").AddAttribute(value).AddText(L"x");
        int item = report.AddRow(-1, shown);
        Edit::Row row(key);
        row.AddCell(Edit::KindReadOnly).SetText(L"row").AddCell(Edit::KindCheck).SetBool(false).AddCell(kind).SetValue(value);
        if (choiceList) row.SetText(choiceList);
        row.AddCell(Edit::KindText).SetText(L"x");
        edit.AddRow(row);
        return item;
    }
    RECT SubItemRect(int item, int column)
    {
        RECT rc = {};
        rc.top = column;
        rc.left = LVIR_LABEL;
        report.SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
        return rc;
    }
    void Notify(UINT code, int item, int column, POINT at = {0, 0}, UINT keyFlags = 0)
    {
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = report.m_hWnd;
        nm.hdr.idFrom = kId;
        nm.hdr.code = code;
        nm.iItem = item;
        nm.iSubItem = column;
        nm.ptAction = at;
        nm.uKeyFlags = keyFlags;
        ::SendMessageW(host, WM_NOTIFY, kId, reinterpret_cast<LPARAM>(&nm));
    }
    // A click into the middle of the cell.
    void Click(int item, int column)
    {
        RECT rc = SubItemRect(item, column);
        Notify(NM_CLICK, item, column, {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    }
    void Activate(int item) { Notify(Edit::kNotifyActivate, item, 0); }
    void HotTrack(int item, int column)
    {
        NMLISTVIEW nm = {};
        nm.hdr.hwndFrom = report.m_hWnd;
        nm.hdr.idFrom = kId;
        nm.hdr.code = LVN_HOTTRACK;
        nm.iItem = item;
        nm.iSubItem = column;
        ::SendMessageW(host, WM_NOTIFY, kId, reinterpret_cast<LPARAM>(&nm));
    }
    // Items move as rows are inserted: look them up by key.
    int Item(int index) { return report.FindRowByData(&keys[index]); }
    HWND Editor() { return edit.m_editor && edit.m_editor->IsOpen() ? edit.m_editor->GetWindow() : nullptr; }
    CAttribute Value(int index, int column = 2)
    {
        CAttribute out;
        return edit.GetValue(out, &keys[index], column);
    }
    std::wstring ReportText(int item, int column)
    {
        CAttribute out;
        report.GetCell(item, column, out);
        return out.GetText();
    }
    __int64 ReportNumber(int item, int column)
    {
        CAttribute out;
        report.GetCell(item, column, out);
        return out.GetValue();
    }
    int CheckImageShown(int item) { return static_cast<int>(ReportNumber(item, 1) >> 16); }
    void Key(wchar_t ch) { ::SendMessageW(Editor(), WM_CHAR, ch, 0); }
    void TypeAndPress(const wchar_t* text, wchar_t key)
    {
        HWND e = Editor();
        ASSERT_NE(nullptr, e);
        SetWindowTextW(e, text);
        ::SendMessageW(e, WM_CHAR, key, 0);
    }
};

} // namespace

// ---- Rows, check boxes and choice lists ----

TEST_F(ListEditTest, CheckBoxesShowTheirLookAndToggleByClickAndActivation)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"a")));
    // A check-box cell is a centred symbol of kind 7 with its image.
    EXPECT_EQ(4, [&] { CAttribute c; report.GetCell(item, 1, c); return c.GetType(); }());
    EXPECT_EQ(7, ReportNumber(item, 1) & 0xFFFF);
    EXPECT_EQ(edit.m_images[Edit::UncheckedNormal], CheckImageShown(item));
    // Eight distinct images in the report's image list.
    for (int i = 0; i < Edit::LookCount; ++i)
        for (int j = i + 1; j < Edit::LookCount; ++j) EXPECT_NE(edit.m_images[i], edit.m_images[j]);

    Click(item, 1);
    EXPECT_EQ(1, Value(0, 1).GetValue());
    EXPECT_EQ(CAttribute::Integer, Value(0, 1).GetType());
    EXPECT_EQ(edit.m_images[Edit::CheckedNormal], CheckImageShown(item));
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(1, changes[0].column);
    EXPECT_EQ(1, changes[0].value);

    // Enter or Space: the report's focused column, else column 0 (read-only here).
    report.m_focusedColumn = 1;
    Activate(item);
    EXPECT_EQ(0, Value(0, 1).GetValue());
    report.m_focusedColumn = -1;
    Activate(item);
    EXPECT_EQ(0, Value(0, 1).GetValue());
    EXPECT_EQ(nullptr, edit.m_editor);
    EXPECT_EQ(2u, changes.size());

    // A text value counts as unchecked; toggled it becomes integer 1.
    edit.SetValue(&keys[0], 1, CAttribute(CTString(L"yes")));
    Click(item, 1);
    EXPECT_EQ(CAttribute::Integer, Value(0, 1).GetType());
    EXPECT_EQ(1, Value(0, 1).GetValue());
}

TEST_F(ListEditTest, ReadOnlyCellsAndAllReadOnlyBlockEditingAndShowDisabled)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"a")));
    edit.SetReadOnly(&keys[0], 1, true);
    EXPECT_TRUE(edit.IsReadOnly(&keys[0], 1));
    EXPECT_EQ(edit.m_images[Edit::UncheckedDisabled], CheckImageShown(item));
    Click(item, 1);
    EXPECT_EQ(0, Value(0, 1).GetValue());
    edit.SetReadOnly(&keys[0], 1, false);
    EXPECT_EQ(edit.m_images[Edit::UncheckedNormal], CheckImageShown(item));

    edit.SetAllReadOnly(true);
    EXPECT_EQ(edit.m_images[Edit::UncheckedDisabled], CheckImageShown(item));
    Click(item, 1);
    Click(item, 2);
    report.m_focusedColumn = 2;
    Activate(item);
    EXPECT_EQ(nullptr, edit.m_editor);
    EXPECT_TRUE(changes.empty());
    // No hot cell while everything is read-only.
    HotTrack(item, 1);
    HotTrack(item, 2);
    EXPECT_EQ(-1, edit.m_hotItem);

    edit.SetAllReadOnly(false);
    EXPECT_EQ(edit.m_images[Edit::UncheckedNormal], CheckImageShown(item));
    // Unknown keys and columns change nothing and read as the empty integer.
    edit.SetValue(&keys[3], 2, CAttribute(CTString(L"z")));
    edit.SetReadOnly(&keys[3], 2, true);
    EXPECT_FALSE(edit.IsReadOnly(&keys[3], 2));
    CAttribute missing = Value(0, 9);
    EXPECT_EQ(CAttribute::Integer, missing.GetType());
    EXPECT_EQ(0, missing.GetValue());
    EXPECT_EQ(std::wstring(), std::wstring(missing.GetText()));
}

TEST_F(ListEditTest, HotCellFollowsTheMouse)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"a")));
    HotTrack(item, 1);
    EXPECT_EQ(item, edit.m_hotItem);
    EXPECT_EQ(1, edit.m_hotColumn);
    EXPECT_EQ(edit.m_images[Edit::UncheckedHot], CheckImageShown(item));
    Click(item, 1);
    EXPECT_EQ(edit.m_images[Edit::CheckedHot], CheckImageShown(item));

    // A non-check-box cell moves the report's hot cell and makes its column the focused one.
    HotTrack(item, 2);
    EXPECT_EQ(edit.m_images[Edit::CheckedNormal], CheckImageShown(item));
    EXPECT_EQ(2, edit.m_hotColumn);
    EXPECT_EQ(item, report.m_hotItem);
    EXPECT_EQ(2, report.m_hotColumn);
    EXPECT_EQ(2, report.m_focusedColumn);

    // Read-only kind 0: nothing becomes hot; leaving the list clears everything.
    HotTrack(item, 0);
    EXPECT_EQ(-1, edit.m_hotItem);
    EXPECT_EQ(-1, report.m_hotItem);
    HotTrack(item, 1);
    Notify(Edit::kNotifyMouseLeft, -1, 0);
    EXPECT_EQ(-1, edit.m_hotItem);
    EXPECT_EQ(edit.m_images[Edit::CheckedNormal], CheckImageShown(item));
}

TEST_F(ListEditTest, ClicksForwardedFromTheFrameToolbarAreIgnored)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"a")));
    HotTrack(item, 1);
    RECT rc = SubItemRect(item, 1);
    Notify(NM_CLICK, item, 1, {rc.left + 2, rc.top + 2}, 0x10);
    EXPECT_EQ(0, Value(0, 1).GetValue());
    Notify(NM_CLICK, item, 2, {rc.left + 2, rc.top + 2}, 0x10);
    EXPECT_EQ(nullptr, edit.m_editor);
    // A different control id is none of this object's business.
    NMITEMACTIVATE nm = {};
    nm.hdr.code = NM_CLICK;
    nm.iItem = item;
    nm.iSubItem = 1;
    LRESULT r = 0;
    edit.OnNotify(kId + 1, &nm.hdr, &r);
    EXPECT_EQ(0, Value(0, 1).GetValue());
}

TEST_F(ListEditTest, ChoiceListsAreFilledOnceAndShowTheirTexts)
{
    int a = AddRow(0, Edit::KindChoice, CAttribute(2ull), L"colours");
    EXPECT_EQ(1, fills);
    EXPECT_EQ(L"Green", ReportText(a, 2));
    // A value its list does not hold leaves the owner's text.
    int b = AddRow(1, Edit::KindChoice, CAttribute(9ull), L"colours");
    EXPECT_EQ(1, fills);
    EXPECT_EQ(L"9", ReportText(b, 2));

    // SetChoices keeps the list's flags: the callback is not called for it again.
    edit.SetChoices(L"colours", {{1, L"Rot"}, {2, L"Grün"}});
    a = Item(0);
    b = Item(1);
    EXPECT_EQ(L"Grün", ReportText(a, 2));
    // Looked up by SetChoices, the missing value gets an empty entry.
    EXPECT_EQ(L"", ReportText(b, 2));
    EXPECT_EQ(1u, edit.m_choiceLists[L"colours"].entries.count(9));
    AddRow(2, Edit::KindChoice, CAttribute(1ull), L"colours");
    a = Item(0);
    b = Item(1);
    EXPECT_EQ(1, fills);
    EXPECT_TRUE(edit.m_choiceLists[L"colours"].flags & Edit::ChoiceFilled);

    edit.SetValue(&keys[0], 2, CAttribute(1ull));
    EXPECT_EQ(L"Rot", ReportText(a, 2));
    edit.SetColumnValue(2, CAttribute(2ull));
    EXPECT_EQ(L"Grün", ReportText(a, 2));
    EXPECT_EQ(L"Grün", ReportText(b, 2));
}

TEST_F(ListEditTest, DeletingAReportItemDropsItsEditableRow)
{
    AddRow(0, Edit::KindText, CAttribute(CTString(L"a")));
    AddRow(1, Edit::KindText, CAttribute(CTString(L"b")));
    ASSERT_TRUE(report.DeleteRow(Item(1)));
    EXPECT_EQ(0u, edit.m_rowMap.count(&keys[1]));
    edit.SetValue(&keys[1], 2, CAttribute(CTString(L"late")));
    EXPECT_EQ(std::wstring(), std::wstring(Value(1).GetText()));
    EXPECT_EQ(std::wstring(L"a"), std::wstring(Value(0).GetText()));
}

TEST_F(ListEditTest, UpdateRowReplacesTheCellsOfItsKey)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"a")));
    Edit::Row row(&keys[0]);
    row.AddCell(Edit::KindReadOnly).AddCell(Edit::KindCheck).SetBool(true).AddCell(Edit::KindText).SetText(L"b");
    edit.UpdateRow(item, row);
    EXPECT_EQ(std::wstring(L"b"), std::wstring(Value(0).GetText()));
    EXPECT_EQ(edit.m_images[Edit::CheckedNormal], CheckImageShown(item));
    // An unknown key changes nothing.
    Edit::Row other(&keys[3]);
    other.AddCell(Edit::KindText).SetText(L"z");
    edit.UpdateRow(item, other);
    EXPECT_EQ(std::wstring(L"b"), std::wstring(Value(0).GetText()));
}

// ---- Editors: kinds, geometry and keys ----

TEST_F(ListEditTest, EachKindOpensItsControlOverTheCell)
{
    struct Case {
        int kind;
        const wchar_t* windowClass;
        LONG style;       // bits that must be set
    } cases[] = {
        {Edit::KindText, L"Edit", 0},
        {Edit::KindNumber, L"Edit", 0},
        {Edit::KindPassword, L"Edit", ES_PASSWORD},
        {Edit::KindMultiLine, L"Edit", ES_MULTILINE},
        {Edit::KindLocale, L"Edit", 0},
        {Edit::KindTime, DATETIMEPICK_CLASSW, DTS_UPDOWN},
        {Edit::KindChoice, L"ComboBox", CBS_DROPDOWNLIST},
        {Edit::KindDate, DATETIMEPICK_CLASSW, DTS_UPDOWN},
        {Edit::KindDateTime, DATETIMEPICK_CLASSW, DTS_UPDOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        int item = AddRow(0, c.kind, CAttribute(1ull), c.kind == Edit::KindChoice ? L"colours" : nullptr);
        report.m_focusedColumn = 2;
        Activate(item);
        HWND e = Editor();
        ASSERT_NE(nullptr, e);
        EXPECT_EQ(c.kind, edit.m_editor->GetKind());
        EXPECT_EQ(c.windowClass, ClassOf(e));
        EXPECT_EQ(report.m_hWnd, GetParent(e));
        EXPECT_EQ(c.style, GetWindowLongW(e, GWL_STYLE) & c.style);
        EXPECT_TRUE(IsWindowVisible(e));
        EXPECT_TRUE(edit.m_editor->HasFocus() || IsChild(e, GetFocus()));

        RECT cell = SubItemRect(item, 2);
        RECT rc = {};
        GetWindowRect(e, &rc);
        MapWindowPoints(nullptr, report.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        int h = cell.bottom - cell.top;
        switch (c.kind) {
        case Edit::KindMultiLine:
            EXPECT_EQ(cell.left + 1, rc.left);
            EXPECT_EQ(cell.top + 3 * h, rc.bottom);
            break;
        case Edit::KindChoice:
            EXPECT_EQ(cell.left + 4, rc.left);
            EXPECT_EQ(cell.top - 2, rc.top);
            EXPECT_EQ(123456, GetDlgCtrlID(e));
            break;
        case Edit::KindTime:
        case Edit::KindDate:
        case Edit::KindDateTime:
            EXPECT_EQ(cell.left + 4, rc.left);
            EXPECT_EQ(cell.top - 2, rc.top);
            EXPECT_EQ(cell.bottom + 2, rc.bottom);
            EXPECT_EQ(123456, GetDlgCtrlID(e));
            EXPECT_TRUE(GetWindowLongW(e, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY);
            break;
        default:
            EXPECT_EQ(cell.left + 1, rc.left);
            EXPECT_EQ(cell.top, rc.top);
            EXPECT_EQ(cell.bottom, rc.bottom);
            EXPECT_TRUE(GetWindowLongW(e, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
            break;
        }
        // Escape closes without committing and gives the focus back to the report.
        Key(VK_ESCAPE);
        EXPECT_EQ(nullptr, Editor());
        EXPECT_EQ(report.m_hWnd, GetFocus());
        edit.RemoveAllRows();
        report.DeleteAllRows();
    }
    EXPECT_TRUE(changes.empty());

    // Kinds without a control open nothing.
    Edit::Cell cell(Edit::KindCheck);
    RECT rc = {0, 0, 10, 10};
    for (int kind : {0, 1, 11, -1}) {
        cell.m_kind = kind;
        EXPECT_EQ(nullptr, Edit::CreateEditor(&edit, &cell, 0, 2, &rc, nullptr));
    }
}

TEST_F(ListEditTest, DropDownHeightFollowsTheNumberOfChoices)
{
    for (int count : {4, 5}) {
        SCOPED_TRACE(count);
        Edit::Choices choices;
        for (int i = 1; i <= count; ++i) choices[i] = L"choice";
        edit.SetChoices(L"sized", choices);
        int item = AddRow(0, Edit::KindChoice, CAttribute(1ull), L"sized");
        report.m_focusedColumn = 2;
        Activate(item);
        ASSERT_NE(nullptr, Editor());
        RECT cell = SubItemRect(item, 2);
        EXPECT_EQ(cell.bottom + (count >= 5 ? 320 : 70), edit.m_editor->m_rect.bottom);
        Key(VK_ESCAPE);
        edit.RemoveAllRows();
        report.DeleteAllRows();
    }
}

TEST_F(ListEditTest, TextEditCaretLandsWhereClickedOrSelectsAll)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"abcdefghijklmnop")));
    report.m_focusedColumn = 2;
    Activate(item);
    DWORD start = 0, end = 0;
    ::SendMessageW(Editor(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(16u, end);
    Key(VK_ESCAPE);

    // A click into the middle of the text puts an empty selection inside it.
    RECT cell = SubItemRect(item, 2);
    HDC hdc = GetDC(report.m_hWnd);
    HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HFONT>(report.SendMessage(WM_GETFONT)));
    SIZE size = {};
    GetTextExtentPoint32W(hdc, L"abcdefgh", 8, &size);
    SelectObject(hdc, old);
    ReleaseDC(report.m_hWnd, hdc);
    Notify(NM_CLICK, item, 2, {cell.left + 4 + size.cx, (cell.top + cell.bottom) / 2});
    ASSERT_NE(nullptr, Editor());
    ::SendMessageW(Editor(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);
    EXPECT_GE(start, 6u);
    EXPECT_LE(start, 10u);
}

TEST_F(ListEditTest, ARealClickOnTheListOpensTheEditorAndTogglesCheckBoxes)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"clicked")));
    for (int column : {1, 2}) {
        RECT rc = SubItemRect(item, column);
        LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        PostMessageW(report.m_hWnd, WM_LBUTTONUP, 0, at);
        ::SendMessageW(report.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        Pump();
    }
    EXPECT_EQ(1, Value(0, 1).GetValue());
    ASSERT_NE(nullptr, edit.m_editor);
    // Made for the clicked cell (whether it still has the focus depends on the other windows of
    // the display).
    EXPECT_EQ(2, edit.m_editor->m_column);
}

TEST_F(ListEditTest, KeysOnTheListOpenEditorsAndTabMovesOnThroughTheCells)
{
    report.ModifyOptions(0, CTListCtrlReport::OptCellFocus);
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"first")));
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
    report.SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));

    // Space on the check-box column toggles it.
    report.m_focusedColumn = 1;
    report.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(1, Value(0, 1).GetValue());

    // Enter on the value column opens its editor; Tab commits and moves the focused column on.
    report.m_focusedColumn = 2;
    report.SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_NE(nullptr, Editor());
    EXPECT_EQ(2, edit.m_editor->m_column);
    TypeAndPress(L"second", VK_TAB);
    Pump();
    EXPECT_EQ(std::wstring(L"second"), std::wstring(Value(0).GetText()));
    EXPECT_EQ(3, report.m_focusedColumn);
    report.SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_NE(nullptr, Editor());
    EXPECT_EQ(3, edit.m_editor->m_column);
    TypeAndPress(L"third", VK_RETURN);
    EXPECT_EQ(std::wstring(L"third"), std::wstring(Value(0, 3).GetText()));
    EXPECT_EQ(3u, changes.size());
}

TEST_F(ListEditTest, InsideTheListFrameListClicksEditAndToolbarClicksDoNot)
{
    constexpr int kFrameId = 200;
    ShowWindow(report.m_hWnd, SW_HIDE);
    CTWndListCtrlEx2 frame;
    ASSERT_TRUE(frame.Create(host, kFrameId, false, 0));
    MoveWindow(frame.m_hWnd, 0, 0, 600, 360, TRUE);
    ASSERT_TRUE(frame.SetColumns(kColumns, 0, nullptr, nullptr));
    CTListCtrlReportEx::ToolbarButton button = {CTListCtrlReportEx::CmdNew, CTListCtrlReportEx::kStandardImage, 0, BTNS_BUTTON};
    ASSERT_TRUE(frame.CreateToolbar(nullptr, 0, 1, &button));
    CTListCtrlReportEx& list = frame.m_report;
    edit.Attach(kFrameId, &list, OnChanged, OnFill, this);

    CTListCtrlReport::Row shown(&keys[0]);
    shown.AddText(L"row").AddText(L"").AddText(L"framed").AddText(L"x");
    int item = list.AddRow(-1, shown);
    Edit::Row row(&keys[0]);
    row.AddCell(Edit::KindCheck).AddCell(Edit::KindCheck).SetBool(false).AddCell(Edit::KindText).SetText(L"framed");
    edit.AddRow(row);

    // A toolbar click while a check box is hot toggles nothing: its record names a button, which
    // must not be read as the list's item 0, column 0.
    HotTrack(item, 1);
    NMMOUSE mouse = {};
    mouse.hdr.hwndFrom = list.m_toolbar.m_hWnd;
    mouse.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list.m_toolbar.m_hWnd));
    mouse.hdr.code = NM_CLICK;
    mouse.dwItemSpec = static_cast<DWORD_PTR>(item);
    ::SendMessageW(frame.m_hWnd, WM_NOTIFY, mouse.hdr.idFrom, reinterpret_cast<LPARAM>(&mouse));
    EXPECT_EQ(0, Value(0, 0).GetValue());
    EXPECT_EQ(0, Value(0, 1).GetValue());
    EXPECT_EQ(nullptr, edit.m_editor);

    // A click on the list reaches the editing object through the frame.
    RECT rc = {};
    rc.top = 2;
    rc.left = LVIR_LABEL;
    list.SendMessage(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&rc));
    LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    PostMessageW(list.m_hWnd, WM_LBUTTONUP, 0, at);
    ::SendMessageW(list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Pump();
    ASSERT_NE(nullptr, edit.m_editor);
    EXPECT_EQ(2, edit.m_editor->m_column);
    // (Pumping lets other windows of the display take the focus, which closes the editor.)
    if (edit.m_editor->IsOpen()) {
        EXPECT_EQ(list.m_hWnd, GetParent(edit.m_editor->GetWindow()));
    }

    // A row inserted above the open editor moves its item: the commit goes to the row it was
    // opened on.
    if (!edit.m_editor->IsOpen()) {
        Notify(NM_CLICK, -1, 0); // the display took the focus: open it again by key
        edit.m_report->m_focusedColumn = 2;
        NMITEMACTIVATE act = {};
        act.hdr = {list.m_hWnd, 0, Edit::kNotifyActivate};
        act.iItem = item;
        LRESULT r = 0;
        edit.OnNotify(kFrameId, &act.hdr, &r);
    }
    CTListCtrlReport::Row above(&keys[1]);
    above.AddText(L"above").AddText(L"").AddText(L"untouched").AddText(L"");
    list.InsertRow(0, -1, above);
    Edit::Row aboveRow(&keys[1]);
    aboveRow.AddCell(Edit::KindReadOnly).AddCell(Edit::KindCheck).AddCell(Edit::KindText).SetText(L"untouched");
    edit.AddRow(aboveRow);
    ASSERT_NE(item, list.FindRowByData(&keys[0]));
    TypeAndPress(L"edited", VK_RETURN);
    int moved = list.FindRowByData(&keys[0]), other = list.FindRowByData(&keys[1]);
    CAttribute text;
    list.GetCell(moved, 2, text);
    EXPECT_EQ(std::wstring(L"edited"), std::wstring(text.GetText()));
    list.GetCell(other, 2, text);
    EXPECT_EQ(std::wstring(L"untouched"), std::wstring(text.GetText()));
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(moved, changes.back().item);

    // Deleting the row under an open editor: the notice reaches this object through the frame
    // while the row still exists, so the editor goes first and no other row takes its value.
    NMITEMACTIVATE act = {};
    act.hdr = {list.m_hWnd, 0, Edit::kNotifyActivate};
    act.iItem = moved;
    edit.m_report->m_focusedColumn = 2;
    LRESULT r = 0;
    edit.OnNotify(kFrameId, &act.hdr, &r);
    ASSERT_NE(nullptr, Editor());
    SetWindowTextW(Editor(), L"orphan");
    ASSERT_TRUE(list.DeleteRow(moved));
    EXPECT_EQ(nullptr, Editor());
    EXPECT_EQ(0u, edit.m_rowMap.count(&keys[0]));
    edit.CloseEditor();
    list.GetCell(list.FindRowByData(&keys[1]), 2, text);
    EXPECT_EQ(std::wstring(L"untouched"), std::wstring(text.GetText()));

    edit.RemoveAllRows();
    edit.Attach(kId, &report, OnChanged, OnFill, this);
}

TEST_F(ListEditTest, EnterTabAndFocusLossCommitEscapeDoesNot)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"old")));
    report.m_focusedColumn = 2;

    Activate(item);
    TypeAndPress(L"escaped", VK_ESCAPE);
    EXPECT_EQ(std::wstring(L"old"), std::wstring(Value(0).GetText()));
    EXPECT_TRUE(changes.empty());

    Activate(item);
    TypeAndPress(L"entered", VK_RETURN);
    EXPECT_EQ(std::wstring(L"entered"), std::wstring(Value(0).GetText()));
    EXPECT_EQ(L"entered", ReportText(item, 2));
    EXPECT_EQ(report.m_hWnd, GetFocus());
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(item, changes[0].item);
    EXPECT_EQ(2, changes[0].column);
    EXPECT_EQ(L"entered", changes[0].text);

    // Enter again without a change reports nothing.
    Activate(item);
    Key(VK_RETURN);
    EXPECT_EQ(1u, changes.size());

    // Tab commits and asks the report to move its focused column right; Shift+Tab left.
    for (bool shift : {false, true}) {
        SCOPED_TRACE(shift);
        Pump();
        Activate(item);
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        TypeAndPress(shift ? L"back" : L"forth", VK_TAB);
        state[VK_SHIFT] = 0;
        SetKeyboardState(state);
        EXPECT_EQ(shift ? L"back" : L"forth", std::wstring(Value(0).GetText()));
        MSG msg = {};
        ASSERT_TRUE(PeekMessageW(&msg, report.m_hWnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
        EXPECT_EQ(static_cast<WPARAM>(shift ? VK_LEFT : VK_RIGHT), msg.wParam);
    }

    // Moving the focus away commits.
    Activate(item);
    SetWindowTextW(Editor(), L"blurred");
    ::SetFocus(host);
    EXPECT_EQ(nullptr, Editor());
    EXPECT_EQ(std::wstring(L"blurred"), std::wstring(Value(0).GetText()));
    EXPECT_EQ(4u, changes.size());
}

TEST_F(ListEditTest, ScrollingResizingAndAnotherClickCommitTheOpenEditor)
{
    AddRow(0, Edit::KindText, CAttribute(CTString(L"old")));
    AddRow(1, Edit::KindText, CAttribute(CTString(L"second")));
    int item = Item(0);
    report.m_focusedColumn = 2;
    struct Closer {
        const wchar_t* typed;
        void (*close)(ListEditTest*);
    } closers[] = {
        {L"scrolled", [](ListEditTest* t) { t->Notify(LVN_BEGINSCROLL, -1, 0); }},
        {L"resized", [](ListEditTest* t) { ::SendMessageW(t->host, WM_SIZE, 0, MAKELPARAM(500, 300)); }},
        {L"list lost focus", [](ListEditTest* t) { t->Notify(NM_KILLFOCUS, -1, 0); }},
        {L"clicked away", [](ListEditTest* t) { t->Click(t->Item(1), 2); }},
    };
    for (const Closer& c : closers) {
        SCOPED_TRACE(c.typed);
        Activate(item);
        ASSERT_NE(nullptr, Editor());
        SetWindowTextW(Editor(), c.typed);
        c.close(this);
        EXPECT_EQ(c.typed, std::wstring(Value(0).GetText()));
        EXPECT_EQ(c.typed, ReportText(item, 2));
        if (Editor()) Key(VK_ESCAPE);
    }
    EXPECT_EQ(std::wstring(L"second"), std::wstring(Value(1).GetText()));
}

TEST_F(ListEditTest, MultiLineEditSizesFromItsBorders)
{
    int item = AddRow(0, Edit::KindMultiLine, CAttribute(CTString(L"line")));
    report.m_focusedColumn = 2;
    Activate(item);
    ASSERT_NE(nullptr, Editor());
    EXPECT_TRUE(edit.m_editor->m_resizable);
    RECT rc = {};
    GetWindowRect(Editor(), &rc);
    int midX = (rc.left + rc.right) / 2, midY = (rc.top + rc.bottom) / 2;
    struct Probe {
        int x, y;
        LRESULT hit;
    } probes[] = {
        {rc.left + 1, rc.top + 1, HTTOPLEFT},      {rc.right - 2, rc.top + 1, HTTOPRIGHT},
        {rc.left + 1, rc.bottom - 2, HTBOTTOMLEFT}, {rc.right - 2, rc.bottom - 2, HTBOTTOMRIGHT},
        {midX, rc.top + 6, HTTOP},                 {rc.left + 6, midY, HTLEFT},
        {midX, rc.bottom - 6, HTBOTTOM},           {rc.right - 6, midY, HTRIGHT},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(p.hit, ::SendMessageW(Editor(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y))) << p.x << "," << p.y;
    }
    EXPECT_EQ(HTCLIENT, ::SendMessageW(Editor(), WM_NCHITTEST, 0, MAKELPARAM(midX, rc.top + 12)));
    // Every key reaches the editor, even inside a dialog.
    EXPECT_TRUE(::SendMessageW(Editor(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
    TypeAndPress(L"one\r\ntwo", VK_RETURN);
    EXPECT_EQ(std::wstring(L"one\r\ntwo"), std::wstring(Value(0).GetText()));
}

// ---- Commit rules and their mends ----

TEST_F(ListEditTest, NumberEditFiltersKeysAndCommitsWholeNumbers)
{
    int item = AddRow(0, Edit::KindNumber, CAttribute(5ull));
    report.m_focusedColumn = 2;
    Activate(item);
    ASSERT_NE(nullptr, Editor());
    EXPECT_EQ(0, GetWindowLongW(Editor(), GWL_STYLE) & ES_NUMBER);
    EXPECT_TRUE(static_cast<Edit::CEdit*>(edit.m_editor)->m_digitsOnly);
    SetWindowTextW(Editor(), L"");
    for (wchar_t ch : std::wstring(L"1a2.x5-"))
        ::SendMessageW(Editor(), WM_CHAR, ch, 0);
    CTString typed;
    GetWindowTextString(Editor(), typed);
    EXPECT_EQ(L"12.5-", Str(typed));

    TypeAndPress(L"12.5", VK_RETURN);
    EXPECT_EQ(CAttribute::Integer, Value(0).GetType());
    EXPECT_EQ(12, Value(0).GetValue());
    EXPECT_EQ(L"12", ReportText(item, 2));
    ASSERT_EQ(1u, changes.size());

    struct Case {
        const wchar_t* typed;
        __int64 stored;
    } cases[] = {{L"-7", -7}, {L"abc", 0}, {L"", 0}, {L"+30", 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Activate(item);
        TypeAndPress(c.typed, VK_RETURN);
        EXPECT_EQ(c.stored, Value(0).GetValue());
    }

    // A text-typed value keeps its type and takes the number as its text.
    edit.SetValue(&keys[0], 2, CAttribute(CTString(L"n/a")));
    Activate(item);
    TypeAndPress(L"42.9", VK_RETURN);
    EXPECT_EQ(CAttribute::Text, Value(0).GetType());
    EXPECT_EQ(std::wstring(L"42"), std::wstring(Value(0).GetText()));
    EXPECT_EQ(L"42", ReportText(item, 2));
}

TEST_F(ListEditTest, TextEditKeepsWhatWasTypedWhateverTheValueType)
{
    struct Case {
        CAttribute before;
        const wchar_t* typed;
        int type;
        __int64 value;
    } cases[] = {
        {CAttribute(), L"hello", CAttribute::Text, 0},                              // a new cell: integer 0
        {CAttribute(42ull), L"43", CAttribute::Integer, 43},                        // a number stays a number
        {CAttribute(42ull), L"43 apples", CAttribute::Text, 0},
        {CAttribute(CAttribute::DateTime, 1700000000), L"soon", CAttribute::Text, 0},
        {CAttribute(CAttribute::Text2, CTString(L"a")), L"b", CAttribute::Text2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        changes.clear();
        int item = AddRow(0, Edit::KindText, c.before);
        report.m_focusedColumn = 2;
        Activate(item);
        TypeAndPress(c.typed, VK_RETURN);
        EXPECT_EQ(c.typed, std::wstring(Value(0).GetText()));
        EXPECT_EQ(c.type, Value(0).GetType());
        EXPECT_EQ(c.value, Value(0).GetValue());
        EXPECT_EQ(c.typed, ReportText(item, 2));
        ASSERT_EQ(1u, changes.size());
        EXPECT_EQ(c.typed, changes[0].text);
        edit.RemoveAllRows();
        report.DeleteAllRows();
    }
}

TEST_F(ListEditTest, PasswordEditCommitsItsText)
{
    int item = AddRow(0, Edit::KindPassword, CAttribute(CTString(L"secret")));
    report.m_focusedColumn = 2;
    Activate(item);
    CTString shown;
    GetWindowTextString(Editor(), shown);
    EXPECT_EQ(L"secret", Str(shown));
    TypeAndPress(L"better", VK_RETURN);
    EXPECT_EQ(std::wstring(L"better"), std::wstring(Value(0).GetText()));
}

TEST_F(ListEditTest, MultiLanguageEditCommitsTheWholeText)
{
    const std::wstring stored = L"Hello\u00A6de-DE\u00A6Hallo";
    int item = AddRow(0, Edit::KindLocale, CAttribute(CTString(stored.c_str())));
    report.m_focusedColumn = 2;
    Activate(item);
    HWND e = Editor();
    ASSERT_NE(nullptr, e);
    EXPECT_NE(nullptr, dynamic_cast<CTWndEditLocale*>(CTWnd2::FromHandle(e)));
    EXPECT_EQ(0, GetDlgCtrlID(e));
    EXPECT_EQ(0, GetWindowLongW(e, GWL_STYLE) & WS_BORDER);
    // The edit shows the user's language; its window text is the whole text.
    wchar_t visible[64] = {};
    CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(e, GCLP_WNDPROC)), e, WM_GETTEXT, 64,
                    reinterpret_cast<LPARAM>(visible));
    EXPECT_EQ(std::wstring(L"Hello"), visible);
    CTString whole;
    GetWindowTextString(e, whole);
    EXPECT_EQ(stored, Str(whole));

    // Escape keeps the value; leaving unchanged reports nothing.
    Key(VK_ESCAPE);
    Activate(item);
    Key(VK_RETURN);
    EXPECT_TRUE(changes.empty());

    // Typing in the default language, then in German after Alt+Right: both parts are kept.
    Activate(item);
    e = Editor();
    SetWindowTextW(e, stored.c_str());
    ::SendMessageW(e, WM_KEYDOWN, 'H', 0);
    CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(e, GCLP_WNDPROC)), e, WM_SETTEXT, 0,
                    reinterpret_cast<LPARAM>(L"Hi"));
    ::SendMessageW(e, WM_SYSKEYDOWN, VK_RIGHT, 1 << 29);
    ::SendMessageW(e, WM_KEYDOWN, 'S', 0);
    CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(e, GCLP_WNDPROC)), e, WM_SETTEXT, 0,
                    reinterpret_cast<LPARAM>(L"Servus"));
    Key(VK_RETURN);
    EXPECT_EQ(L"Hi\u00A6de-DE\u00A6Servus", std::wstring(Value(0).GetText()));
    EXPECT_EQ(CAttribute::Text, Value(0).GetType());
    // The report shows the user's own language.
    EXPECT_EQ(L"Hi", ReportText(item, 2));
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(L"Hi\u00A6de-DE\u00A6Servus", changes[0].text);

    // Focus loss commits as well.
    Activate(item);
    ::SendMessageW(Editor(), WM_KEYDOWN, 'X', 0);
    CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(Editor(), GCLP_WNDPROC)), Editor(), WM_SETTEXT, 0,
                    reinterpret_cast<LPARAM>(L"Hey"));
    ::SetFocus(host);
    EXPECT_EQ(nullptr, Editor());
    EXPECT_EQ(L"Hey\u00A6de-DE\u00A6Servus", std::wstring(Value(0).GetText()));
    EXPECT_EQ(2u, changes.size());
}

TEST_F(ListEditTest, DropDownCommitsTheChosenIdAndLeavesAnUnlistedValueAlone)
{
    AddRow(0, Edit::KindChoice, CAttribute(2ull), L"colours");
    AddRow(1, Edit::KindChoice, CAttribute(9ull), L"colours");
    int listed = Item(0), unlisted = Item(1);
    report.m_focusedColumn = 2;

    // Opening and leaving a value the list does not hold: nothing written, nothing reported.
    for (wchar_t key : {L'\r', L'\t'}) {
        Activate(unlisted);
        ASSERT_NE(nullptr, Editor());
        EXPECT_EQ(CB_ERR, ::SendMessageW(Editor(), CB_GETCURSEL, 0, 0));
        Key(key);
        EXPECT_EQ(9, Value(1).GetValue());
        Pump();
    }
    Activate(unlisted);
    ::SetFocus(host);
    EXPECT_EQ(9, Value(1).GetValue());
    EXPECT_EQ(L"9", ReportText(unlisted, 2));
    EXPECT_TRUE(changes.empty());

    // The list in id order with the value selected; a new choice is written by the commit.
    Activate(listed);
    HWND combo = Editor();
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(3, ::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, ::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(3, ::SendMessageW(combo, CB_GETITEMDATA, 2, 0));
    ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
    // A selection change tells the owner at once, with the value as it stands.
    ::SendMessageW(combo, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), 0);
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(2, changes[0].value);
    Key(VK_RETURN);
    EXPECT_EQ(3, Value(0).GetValue());
    EXPECT_EQ(L"Blue", ReportText(listed, 2));
    ASSERT_EQ(2u, changes.size());
    EXPECT_EQ(3, changes[1].value);

    // Leaving the same choice reports nothing.
    Activate(listed);
    Key(VK_RETURN);
    EXPECT_EQ(2u, changes.size());

    // Sorted by text when the list asks for it.
    edit.m_choiceLists[L"colours"].flags |= Edit::ChoiceSortByText;
    Activate(listed);
    wchar_t first[32] = {};
    ::SendMessageW(Editor(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::wstring(L"Blue"), first);
    EXPECT_EQ(0, ::SendMessageW(Editor(), CB_GETCURSEL, 0, 0));
    Key(VK_ESCAPE);
}

TEST_F(ListEditTest, RemovingAllRowsClosesTheOpenEditorFirst)
{
    int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"old")));
    report.m_focusedColumn = 2;
    Activate(item);
    SetWindowTextW(Editor(), L"typed");
    HWND editor = Editor();
    edit.RemoveAllRows();
    EXPECT_EQ(nullptr, edit.m_editor);
    EXPECT_FALSE(IsWindow(editor));
    // The edit was committed while its row still existed.
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(L"typed", changes[0].text);
    // Focus loss and another close find nothing to write into.
    ::SetFocus(host);
    edit.CloseEditor();
    EXPECT_EQ(1u, changes.size());
}

TEST_F(ListEditTest, AnOwnerRefillingTheListFromTheCallbackIsSafe)
{
    report.m_focusedColumn = 2;
    onChange = [](ListEditTest* t) {
        t->edit.RemoveAllRows();
        t->report.DeleteAllRows();
        t->AddRow(1, Edit::KindText, CAttribute(CTString(L"fresh")));
    };
    struct Way {
        const wchar_t* name;
        void (*commit)(ListEditTest*);
    } ways[] = {
        {L"enter", [](ListEditTest* t) { t->Key(VK_RETURN); }},
        {L"tab", [](ListEditTest* t) { t->Key(VK_TAB); }},
        {L"focus", [](ListEditTest* t) { ::SetFocus(t->host); }},
        {L"scroll", [](ListEditTest* t) { t->Notify(LVN_BEGINSCROLL, -1, 0); }},
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.name);
        edit.RemoveAllRows();
        report.DeleteAllRows();
        changes.clear();
        int item = AddRow(0, Edit::KindText, CAttribute(CTString(L"old")));
        Activate(item);
        ASSERT_NE(nullptr, Editor());
        SetWindowTextW(Editor(), L"new");
        w.commit(this);
        Pump();
        EXPECT_EQ(1u, changes.size());
        EXPECT_EQ(nullptr, Editor());
        EXPECT_EQ(std::wstring(L"fresh"), std::wstring(Value(1).GetText()));
        ::SetFocus(report.m_hWnd);
    }
    onChange = nullptr;
}

// ---- Dates and times ----

namespace {
SYSTEMTIME PickerTime(HWND picker)
{
    SYSTEMTIME st = {};
    ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
    return st;
}
void SetPickerDay(HWND picker, WORD year, WORD month, WORD day)
{
    SYSTEMTIME st = PickerTime(picker);
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wDayOfWeek = 0;
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}
} // namespace

TEST_F(ListEditTest, DatesOpenAndLeaveWithoutMoving)
{
    // The runs east and west of UTC must really be in their zone.
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    const char* tz = getenv("TZ");
    if (tz && strcmp(tz, "UTC") != 0) {
        EXPECT_NE(0, zone.Bias) << tz;
    }
    // Around midnight UTC, so that the UTC and local days differ east or west of UTC.
    struct Case {
        int kind;
        int type;
        __int64 value;
    } cases[] = {
        {Edit::KindDate, CAttribute::Date, 1710028800},          // 2024-03-10 00:00 UTC
        {Edit::KindDate, CAttribute::Date, 1710114299},          // 2024-03-10 23:44:59 UTC
        {Edit::KindDate, CAttribute::DateTime, 1710028800},
        {Edit::KindDateTime, CAttribute::DateTime, 1710028837},  // with seconds
        {Edit::KindDateTime, CAttribute::DateTimeSeconds, 1698541200}, // 2023-10-29 01:00 UTC, a DST change in Europe
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        int item = AddRow(0, c.kind, CAttribute(c.type, c.value));
        std::wstring shownBefore = ReportText(item, 2);
        report.m_focusedColumn = 2;
        for (wchar_t key : {L'\r', L'\t'}) {
            Activate(item);
            ASSERT_NE(nullptr, Editor());
            Key(key);
            Pump();
        }
        Activate(item);
        ::SetFocus(host);
        EXPECT_EQ(c.value, Value(0).GetValue());
        EXPECT_EQ(c.type, Value(0).GetType());
        EXPECT_EQ(shownBefore, ReportText(item, 2));
        EXPECT_TRUE(changes.empty());
        ::SetFocus(report.m_hWnd);
        edit.RemoveAllRows();
        report.DeleteAllRows();
    }
}

TEST_F(ListEditTest, ADateShownAsADayIsStoredAsThatDay)
{
    // A date value is a UTC calendar day: the picker shows that day and stores the day picked.
    int item = AddRow(0, Edit::KindDate, CAttribute(CAttribute::Date, 1710028800)); // 2024-03-10
    report.m_focusedColumn = 2;
    Activate(item);
    SYSTEMTIME shown = PickerTime(Editor());
    EXPECT_EQ(2024, shown.wYear);
    EXPECT_EQ(3, shown.wMonth);
    EXPECT_EQ(10, shown.wDay);
    SetPickerDay(Editor(), 2024, 3, 12);
    Key(VK_RETURN);
    EXPECT_EQ(1710028800 + 2 * 86400, Value(0).GetValue());
    CTString expected;
    int32_t day = 1710028800 + 2 * 86400;
    FormatUnixDate(&day, expected);
    EXPECT_EQ(Str(expected), ReportText(item, 2));
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(CAttribute::Date, changes[0].type);

    // A local date-and-time value shows its local day and stores the local day picked.
    edit.SetValue(&keys[0], 2, CAttribute(CAttribute::DateTime, 1710028800));
    Activate(item);
    SYSTEMTIME local = {};
    ASSERT_TRUE(CTTime(1710028800).ToSystemTime(local, true));
    shown = PickerTime(Editor());
    EXPECT_EQ(local.wDay, shown.wDay);
    EXPECT_EQ(local.wHour, shown.wHour);
    SetPickerDay(Editor(), 2024, 7, 1);
    Key(VK_RETURN);
    SYSTEMTIME back = {};
    ASSERT_TRUE(CTTime(Value(0).GetValue()).ToSystemTime(back, true));
    EXPECT_EQ(2024, back.wYear);
    EXPECT_EQ(7, back.wMonth);
    EXPECT_EQ(1, back.wDay);
    EXPECT_EQ(local.wHour, back.wHour);
    EXPECT_EQ(local.wMinute, back.wMinute);
    EXPECT_EQ(2u, changes.size());

    // A day a 32-bit date cannot hold is not stored as some other day.
    __int64 before = Value(0).GetValue();
    Activate(item);
    SetPickerDay(Editor(), 2040, 1, 1);
    Key(VK_RETURN);
    EXPECT_EQ(before, Value(0).GetValue());
    EXPECT_EQ(2u, changes.size());

    // An empty date opens on today and committing writes today.
    edit.SetValue(&keys[0], 2, CAttribute(CAttribute::Date, static_cast<__int64>(0)));
    Activate(item);
    Key(VK_RETURN);
    SYSTEMTIME today = {}, stored = {};
    GetSystemTime(&today);
    ASSERT_TRUE(CTTime(Value(0).GetValue()).ToSystemTime(stored, false));
    EXPECT_EQ(today.wYear, stored.wYear);
    EXPECT_EQ(today.wMonth, stored.wMonth);
    EXPECT_EQ(today.wDay, stored.wDay);
}

TEST_F(ListEditTest, DatePickerOnATextValueStoresADate)
{
    int item = AddRow(0, Edit::KindDate, CAttribute(CTString(L"someday")));
    report.m_focusedColumn = 2;
    Activate(item);
    SetPickerDay(Editor(), 2025, 1, 15);
    Key(VK_RETURN);
    EXPECT_EQ(CAttribute::Date, Value(0).GetType());
    SYSTEMTIME stored = {};
    ASSERT_TRUE(CTTime(Value(0).GetValue()).ToSystemTime(stored, false));
    EXPECT_EQ(15, stored.wDay);
    EXPECT_NE(L"someday", ReportText(item, 2));
}

TEST_F(ListEditTest, TimePickerEditsHoursAndMinutes)
{
    int item = AddRow(0, Edit::KindTime, CAttribute(CAttribute::TimeOfDay, 3661)); // 01:01:01
    report.m_focusedColumn = 2;
    Activate(item);
    SYSTEMTIME shown = PickerTime(Editor());
    EXPECT_EQ(1970, shown.wYear);
    EXPECT_EQ(1, shown.wHour);
    EXPECT_EQ(1, shown.wMinute);
    EXPECT_EQ(0, shown.wSecond);
    // Untouched: the seconds the value had survive.
    Key(VK_RETURN);
    EXPECT_EQ(3661, Value(0).GetValue());
    EXPECT_TRUE(changes.empty());

    Activate(item);
    shown.wHour = 10;
    shown.wMinute = 15;
    ::SendMessageW(Editor(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown));
    Key(VK_RETURN);
    EXPECT_EQ(10 * 3600 + 15 * 60, Value(0).GetValue());
    EXPECT_EQ(CAttribute::TimeOfDay, Value(0).GetType());
    ASSERT_EQ(1u, changes.size());
}

TEST(ListEditSeconds, PatternsLoseTheirSeconds)
{
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"HH:mm:ss", L"HH:mm "},
        {L"h:mm:ss tt", L"h:mm  tt"},
        {L"HH:mm", L"HH:mm"},
        {L"H.mm.ss", L"H.mm "},
        {L"ss", L""},
    };
    for (const Case& c : cases) {
        CTString pattern(c.in);
        Edit::CControlBase::RemoveSeconds(pattern);
        EXPECT_EQ(c.out, Str(pattern)) << c.in;
    }
}
