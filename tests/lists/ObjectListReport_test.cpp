// The object list on a real report: filling from a search reply, sorting once, captions, read-only
// cells, link ids collected for their paths, and rows updated in place from change notices.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTListCtrlReportEx.h"
#include "foundation/TiXmlDocument.h"
#include "lists/ListsFixture.h"
#include "lists/ObjectList.h"

namespace {
constexpr int kId = 100;

class CountingList : public ObjectList {
public:
    CountingList()
    {
        Object type;
        type.type = 7;
        type.name = L"Site";
        AddAttribute(type, 1, L"console_edit_attribs",
                     CAttribute(CAttribute::Text, L"Name|code|site_ref|*last_logon|created"));
        SetType(type);
    }
    void RequestPendingValues() override
    {
        calls.push_back(pendingValues.size());
        pendingValues.clear();
    }
    std::vector<size_t> calls;
};

std::wstring Text(CTListCtrlReport& report, int item, int column)
{
    CAttribute value;
    report.GetCell(item, column, value);
    const CTString& s = value.GetString();
    return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : L"";
}

std::wstring Caption(CTListCtrlReport& report, int column)
{
    wchar_t text[64] = {};
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_TEXT;
    lvc.pszText = text;
    lvc.cchTextMax = 64;
    ListView_GetColumn(report.m_hWnd, column, &lvc);
    return text;
}

std::wstring SiteXml(int id, const wchar_t* name, const wchar_t* code, int link, bool withLogon)
{
    wchar_t buffer[512];
    _snwprintf(buffer, 512,
               L"<object id=\"%d\" type=\"7\" serial=\"1\" name=\"%ls\">"
               L"<attrib id=\"5\" name=\"code\" type=\"value_varchar\">%ls</attrib>"
               L"<attrib id=\"6\" name=\"site_ref\" edit=\"TYPE='Site'\" type=\"value_iddirectory\">%d</attrib>%ls</object>",
               id, name, code, link,
               withLogon ? L"<attrib id=\"8\" name=\"last_logon\" type=\"value_int\">3</attrib>" : L"");
    buffer[511] = 0;
    return buffer;
}

class ObjectListReport : public ::testing::Test {
protected:
    HWND host = nullptr;
    CTListCtrlReportEx report;
    CTListCtrlEdit editor;
    CountingList list;

    void SetUp() override
    {
        host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 400, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, host);
        ASSERT_TRUE(report.CreateReport(host, kId, 0));
        list.captions[L"code"] = L"Code";
        list.SetReportColumns(report);
        editor.Attach(kId, &report, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        report.Destroy();
        DestroyWindow(host);
    }
    void Fill(const std::wstring& objects, std::vector<__int64>& ids)
    {
        TiXmlDocument reply;
        std::wstring text = L"<result>" + objects + L"</result>";
        reply.Parse(text.c_str(), nullptr, 0);
        list.FillFromSearch(report, editor, reply, ids);
    }
};
} // namespace

TEST_F(ObjectListReport, FillsFromSearchSortedOnceWithCaptionsAndLinkIds)
{
    EXPECT_EQ(Caption(report, 1), L"Name");
    EXPECT_EQ(Caption(report, 2), L"Code");
    report.SortBy(1, true);
    std::vector<__int64> ids;
    Fill(SiteXml(1, L"Charlie", L"c", 901, true) + SiteXml(2, L"Alpha", L"a", 902, false) +
             SiteXml(3, L"Bravo", L"b", 0, false),
         ids);
    ASSERT_EQ(report.GetItemCount(), 3);
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows.front().object.name.GetBuffer(), std::wstring(L"Charlie"));   // model in reply order
    EXPECT_EQ(Text(report, 0, 1), L"Alpha");                                           // report sorted
    EXPECT_EQ(Text(report, 2, 1), L"Charlie");
    EXPECT_EQ(Text(report, 0, 2), L"a");
    EXPECT_EQ(ids, (std::vector<__int64>{901, 902}));
    // Two objects lack the starred attribute: handed over once, after the fill.
    EXPECT_EQ(list.calls, (std::vector<size_t>{2}));
    EXPECT_TRUE(report.m_autoSort);
    // A link shown by path is read-only, "code" is not.
    ObjectList::Row* first = &list.rows.front();
    EXPECT_TRUE(editor.IsReadOnly(first, 3));
    EXPECT_FALSE(editor.IsReadOnly(first, 2));
    EXPECT_EQ(report.GetRowData(report.FindRowByData(first)), first);

    // A second search replaces every row and item.
    ids.clear();
    Fill(SiteXml(4, L"Delta", L"d", 0, true), ids);
    EXPECT_EQ(report.GetItemCount(), 1);
    EXPECT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(Text(report, 0, 1), L"Delta");
}

TEST_F(ObjectListReport, ReadOnlyColumnsOfTheOwnerApplyToEveryRow)
{
    list.readOnlyColumns = {2};
    std::vector<__int64> ids;
    Fill(SiteXml(1, L"One", L"x", 0, true), ids);
    EXPECT_TRUE(editor.IsReadOnly(&list.rows.front(), 2));
    EXPECT_FALSE(editor.IsReadOnly(&list.rows.front(), 1));
}

TEST_F(ObjectListReport, ChangeNoticesUpdateRowsInPlaceAndAppendUnknownObjects)
{
    std::vector<__int64> ids;
    Fill(SiteXml(1, L"One", L"x", 0, true) + SiteXml(2, L"Two", L"y", 0, true), ids);
    ObjectList::Row& edited = list.rows.front();
    list.SetCellValue(edited, 2, CAttribute(CAttribute::Text, L"local"));
    ASSERT_EQ(edited.operation, ObjectList::OpChanged);

    TiXmlDocument notice;
    std::wstring text = L"<result>" + SiteXml(1, L"One renamed", L"srv", 0, true) + SiteXml(9, L"Nine", L"n", 0, true) +
                        L"</result>";
    notice.Parse(text.c_str(), nullptr, 0);
    list.UpdateFromReply(report, editor, notice, ids);

    ASSERT_EQ(list.rows.size(), 3u);
    ASSERT_EQ(report.GetItemCount(), 3);
    int item = report.FindRowByData(&edited);
    EXPECT_EQ(Text(report, item, 1), L"One renamed");
    EXPECT_EQ(Text(report, item, 2), L"srv");
    EXPECT_EQ(edited.operation, ObjectList::OpChanged);   // the pending operation stays
    EXPECT_EQ(edited.dirty, 1);
    ObjectList::Row& appended = list.rows.back();
    EXPECT_EQ(appended.object.id, 9);
    EXPECT_EQ(appended.operation, ObjectList::OpNone);
    EXPECT_EQ(Text(report, report.FindRowByData(&appended), 1), L"Nine");
}

TEST_F(ObjectListReport, WithoutATypeNothingIsAdded)
{
    ObjectList bare;
    std::vector<__int64> ids;
    ObjectList::Row& row = bare.AddRow(Object());
    EXPECT_EQ(bare.UpdateRowItem(report, editor, row, ids), -1);
    EXPECT_EQ(report.GetItemCount(), 0);
}

TEST_F(ObjectListReport, NewRowsAreSelectedAndDeletedItemsFollowTheirOperation)
{
    std::vector<__int64> ids;
    Fill(SiteXml(1, L"One", L"x", 0, true), ids);
    Object fresh;
    fresh.type = 7;
    fresh.name = L"Fresh";
    int item = list.AddNewRow(report, editor, fresh, ids);
    ASSERT_GE(item, 0);
    EXPECT_EQ(report.GetItemCount(), 2);
    EXPECT_EQ(ListView_GetItemState(report.m_hWnd, item, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(list.rows.back().operation, ObjectList::OpNew);
    EXPECT_EQ(list.GetRowId(report, report.FindRowByData(&list.rows.front())), 1);

    // A foreign item is left alone.
    CTListCtrlReport::Row foreign(reinterpret_cast<void*>(0x10));
    foreign.AddText(CTString(L"other"));
    report.AddRow(0, foreign);
    ASSERT_EQ(report.GetItemCount(), 3);
    int other = report.FindRowByData(reinterpret_cast<void*>(0x10));
    EXPECT_EQ(list.GetRowId(report, other), 0);
    list.DeleteRow(report, editor, other);
    EXPECT_EQ(report.GetItemCount(), 3);

    // The new row goes at once; the stored one waits to be deleted on the server.
    list.DeleteRow(report, editor, report.FindRowByData(&list.rows.back()));
    EXPECT_EQ(list.rows.size(), 1u);
    list.DeleteRow(report, editor, report.FindRowByData(&list.rows.front()));
    EXPECT_EQ(report.GetItemCount(), 1);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows.front().operation, ObjectList::OpDelete);
    EXPECT_EQ(list.rows.front().dirty, 1);
}
