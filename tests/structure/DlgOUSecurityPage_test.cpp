// The unit form's read-only Security page against a recording transport: one access query per
// load, the rights as four marks, and an inherited right's source shown by its cached path at
// once or by its id until one batched path reply names it.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUSecurityPage.h"

using namespace structuretest;

namespace {

constexpr __int64 kUnit = 1660;

struct UnitSecurity : ::testing::Test {
    apptest::TestApp t;
    DlgOU* form = nullptr;

    UnitSecurity()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, 3, L"OU");
        DefineStructureType(*t.app, 9, L"Administrator");
        DefineStructureType(*t.app, 12, L"Group");
    }

    void Open()
    {
        t.app->m_windows.OpenWindow(DlgOU::kWindowType, kUnit, 0);
        form = dynamic_cast<DlgOU*>(t.app->m_windows.FindWindow(DlgOU::kWindowType, kUnit));
        ASSERT_NE(form, nullptr);
        AnswerFor(t, "api/api_objGet.php", kUnit, ObjectReply(kUnit, ObjectXml(kUnit, 3, "Research", "")));
    }

    std::wstring Cell(__int64 id, int column)
    {
        CTListCtrlReport& report = form->m_security->m_list.m_report;
        int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        if (item < 0) return L"<no row>";
        CAttribute value;
        report.GetCell(item, column, value);
        if (CAttribute::IsTextType(value.GetType())) return value.GetText();
        return std::to_wstring(value.GetValue());
    }

    static std::string Holder(__int64 id, int type, const char* name, const char* acl, const char* inherit = "0",
                              const char* grant = "0")
    {
        return "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"5\" name=\"" +
               name + "\" acl=\"" + acl + "\" acl_grant=\"" + grant + "\" acl_inherit=\"" + inherit + "\"/>";
    }
};

} // namespace

TEST_F(UnitSecurity, RightsAndTheirSources)
{
    t.app->m_paths[10] = L"\\Acme";
    Open();
    std::vector<Fields> queries = Sent(t, "api/api_objAccessGet.php");
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0], (Fields{{"ID", std::to_string(kUnit)}, {"QUERYACL", "1"}}));

    t.Answer("api/api_objAccessGet.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/>" + Holder(90, 9, "Ada", "3") + Holder(95, 12, "Helpdesk", "1", "1", "10") +
                          Holder(91, 9, "Alan", "15", "1", "13")));
    struct Row {
        __int64 id;
        std::vector<std::wstring> cells;   // Name, Type, Read, Write, Perm, Priv, Inherited
    } rows[] = {
        {90, {L"Ada", L"Administrator", L"1", L"1", L"0", L"0", L"0"}},
        {95, {L"Helpdesk", L"Group", L"1", L"0", L"0", L"0", L"\\Acme"}},
        {91, {L"Alan", L"Administrator", L"1", L"1", L"1", L"1", L"13"}},
    };
    for (const Row& row : rows)
        for (int column = 0; column < 7; ++column)
            EXPECT_EQ(Cell(row.id, column), row.cells[static_cast<size_t>(column)]) << row.id << " column " << column;

    // Only the uncached source is asked for, in one request; its reply names it.
    std::vector<Fields> paths = Sent(t, "api/api_dirIDToPath.php");
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(WithPrefix(paths.back(), "ID"), (Fields{{"ID_1", "13"}}));
    t.Answer("api/api_dirIDToPath.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/><parameters/><value ID=\"13\" path=\"\\Acme\\Operations\"/>"));
    EXPECT_EQ(Cell(91, 6), L"\\Acme\\Operations");
    EXPECT_EQ(Cell(90, 6), L"0") << "a right set on the unit itself has no source";
}

TEST_F(UnitSecurity, EveryLoadAsksAgainAndAReplyThatIsNotXmlChangesNothing)
{
    Open();
    t.Answer("api/api_objAccessGet.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/>" + Holder(90, 9, "Ada", "3")));
    form->Load(kUnit);
    AnswerFor(t, "api/api_objGet.php", kUnit, ObjectReply(kUnit, ObjectXml(kUnit, 3, "Research", "")));
    EXPECT_EQ(Sent(t, "api/api_objAccessGet.php").size(), 2u);
    t.Answer("api/api_objAccessGet.php", L"Content-Type: text/html\r\n", "<html>busy</html>");
    EXPECT_EQ(Cell(90, 0), L"Ada");
}
