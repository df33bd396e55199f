// Component lists against the fixture server: a computer model opened from the main window gets a
// mandatory component and is saved with OK, and a unit's inherited lists become its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "people/DlgComputerStock.h"
#include "people/PeopleWindows.h"
#include "session/FixtureServer.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUDeployablePage.h"
#include "structure/StructureWindows.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// tests/fixtures/sample/directory.json
constexpr __int64 kModel = 1640, kSales = 12, kOffice = 1610, kBrowser = 1611, kPrinter = 1620;

class ComponentDefaultsLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app) {
            RegisterStructureWindows(s_app->m_catalogue);
            RegisterPeopleWindows(s_app->m_catalogue);
        }
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    template <class Form>
    static Form* OpenForm(__int64 id, const wchar_t* type)
    {
        Object object;
        object.id = id;
        object.type = s_app->m_mainWindow->GetTypeId(CTString(type));
        s_app->m_mainWindow->OpenObject(object, true, false);
        auto* form = dynamic_cast<Form*>(s_app->m_windows.FindWindow(Form::kWindowType, static_cast<UINT64>(id)));
        if (!form) return nullptr;
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return form->m_object.type != 0; }));
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return !form->m_deployable->m_components.empty(); }));
        Settle(*s_app);
        return form;
    }

    template <class Form>
    static bool SaveWithOk(Form* form, __int64 id)
    {
        SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
        bool gone = PumpUntil(*s_app, [&] { return s_app->m_windows.FindWindow(Form::kWindowType, static_cast<UINT64>(id)) == nullptr; });
        Settle(*s_app);
        return gone;
    }

    // Ticks a cell of a shown row as the cell editor does after a click.
    static void Tick(DeployablePage* page, __int64 id, int column)
    {
        page->SetFilter(0);
        int item = page->m_list.m_report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        ASSERT_GE(item, 0) << id;
        CTListCtrlEdit::Cell* cell = page->CellOf(item, column);
        ASSERT_NE(cell, nullptr);
        cell->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
        page->m_editor.NotifyChanged(item, column, *cell);
    }

    static std::vector<__int64> Sorted(const ComponentIdSet& set)
    {
        std::vector<__int64> ids = set.Ids();
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    static App* s_app;
};

App* ComponentDefaultsLive::s_app = nullptr;

} // namespace

TEST_F(ComponentDefaultsLive, ModelComponentMadeMandatoryIsSavedWithOk)
{
    ASSERT_NE(s_app, nullptr);
    auto* form = OpenForm<DlgComputerStock>(kModel, L"Computer Stock");
    ASSERT_NE(form, nullptr);
    DeployablePage* page = form->m_deployable;
    for (const Object& component : page->m_components) EXPECT_NE(component.id, kModel) << "models are not listed";
    Tick(page, kBrowser, 2);
    Tick(page, kBrowser, 3);
    ASSERT_TRUE(form->IsModified());
    EXPECT_TRUE(SaveWithOk(form, kModel));

    form = OpenForm<DlgComputerStock>(kModel, L"Computer Stock");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Sorted(form->m_deployable->m_available), (std::vector<__int64>{kOffice, kBrowser}));
    EXPECT_EQ(Sorted(form->m_deployable->m_mandatory), (std::vector<__int64>{kBrowser}));
    form->Close();
    Settle(*s_app);
}

TEST_F(ComponentDefaultsLive, UnitComponentDefaultsAreSavedWithOk)
{
    ASSERT_NE(s_app, nullptr);
    auto* form = OpenForm<DlgOU>(kSales, L"OU");
    ASSERT_NE(form, nullptr);
    DeployablePage* page = form->m_deployable;
    EXPECT_TRUE(page->IsInheritPressed());
    Tick(page, kPrinter, 3);
    Tick(page, kPrinter, 4);
    EXPECT_FALSE(page->IsInheritPressed());
    ASSERT_TRUE(form->IsModified());
    EXPECT_TRUE(SaveWithOk(form, kSales));

    form = OpenForm<DlgOU>(kSales, L"OU");
    ASSERT_NE(form, nullptr);
    page = form->m_deployable;
    EXPECT_FALSE(page->IsInheritPressed()) << "the unit's own lists now";
    EXPECT_EQ(Sorted(page->m_available), (std::vector<__int64>{kOffice, kPrinter}));
    EXPECT_EQ(Sorted(page->m_default), (std::vector<__int64>{kOffice, kPrinter}));
    EXPECT_EQ(page->m_mandatory.Ids(), (std::vector<__int64>{kPrinter}));
    form->Close();
    Settle(*s_app);
}
