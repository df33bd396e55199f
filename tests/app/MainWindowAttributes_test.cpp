// The custom attribute editor: which mappings apply to an object (per type, per deployment type,
// cached under keys that never collide), and the property grid filled from them with its editor
// kinds, choice lists, read-only links and inherit toggles.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "AppFixture.h"
#include "app/App.h"
#include "app/MainWindow.h"
#include "app/MainWindowCache.h"
#include "controls/CGDIManager.h"
#include "foundation/TiXmlDocument.h"
#include "tests/controls/PropertyListFixture.h"

namespace {

std::wstring TextAttr(const wchar_t* name, int id, const std::wstring& value, const wchar_t* extra = L"")
{
    return L"<attrib id=\"" + std::to_wstring(id) + L"\" name=\"" + name + L"\" type=\"value_varchar\" " + extra +
           L">" + value + L"</attrib>";
}

std::wstring Int(const wchar_t* name, int id, long long value, const wchar_t* extra = L"",
                 const wchar_t* kind = L"value_int")
{
    return L"<attrib id=\"" + std::to_wstring(id) + L"\" name=\"" + name + L"\" type=\"" + kind + L"\" " + extra +
           L">" + std::to_wstring(value) + L"</attrib>";
}

Object ParseObject(const std::wstring& xml)
{
    TiXmlDocument doc;
    doc.Parse(xml.c_str(), nullptr, 0);
    Object obj;
    if (TiXmlElement* element = doc.FirstChildElementNamed(L"object"))
        obj.ReadFromXml(element, true);
    return obj;
}

Object MakeObject(int id, int type, const std::wstring& attribs, const wchar_t* name = L"obj")
{
    return ParseObject(L"<object id=\"" + std::to_wstring(id) + L"\" type=\"" + std::to_wstring(type) +
                       L"\" parent=\"1\" name=\"" + name + L"\">" + attribs + L"</object>");
}

// An "Attribute Mapping" setting object.
Object Mapping(int id, const wchar_t* caption, const wchar_t* objectType, const wchar_t* attribute, int order,
               const std::wstring& more = L"", int enable = 1, int displayType = 2)
{
    return MakeObject(id, 90,
                      TextAttr(L"attrib_object", 1, objectType) + TextAttr(L"attrib_name", 2, attribute) +
                          Int(L"enable", 3, enable) + Int(L"console_display_type", 4, displayType) +
                          Int(L"display_order", 5, order) + more,
                      caption);
}

std::vector<std::wstring> Captions(const std::vector<Object>& list)
{
    std::vector<std::wstring> out;
    for (const Object& obj : list)
        out.push_back(obj.name.GetBuffer() ? obj.name.GetBuffer() : L"");
    return out;
}

// Types 10 Computer, 11 Laptop (a Computer), 20 Deployment, 21 Asset; deployment types 10 and 700
// (id 10 on purpose: the same number as the Computer type).
struct Cache : MainWindowCache {
    Cache()
    {
        TiXmlDocument doc;
        std::wstring xml = L"<result><RC id=\"0\"/>"
                           L"<type id=\"10\" type=\"10\" parent=\"0\" name=\"Computer\">" +
                           TextAttr(L"site", 1, L"", L"inherit=\"1\"") + L"</type>"
                           L"<type id=\"11\" type=\"11\" parent=\"10\" name=\"Laptop\"/>"
                           L"<type id=\"20\" type=\"20\" parent=\"0\" name=\"Deployment\"/>"
                           L"<type id=\"21\" type=\"21\" parent=\"0\" name=\"Asset\"/></result>";
        doc.Parse(xml.c_str(), nullptr, 0);
        ReadTypes(doc);
        settings[AttributeMapping] = {
            Mapping(1, L"Owner", L"computer", L"owner", 3),
            Mapping(2, L"Site", L"Computer", L"site", 1),
            Mapping(3, L"Tag", L"Asset", L"asset_tag", 1),
            Mapping(4, L"Off", L"Computer", L"off", 0, L"", 0),
            Mapping(5, L"Hidden", L"Computer", L"hidden", 0, L"", 1, 0),
            Mapping(6, L"Window", L"Deployment", L"window", 2),
            Mapping(7, L"Region", L"Deployment", L"region", 1),
            Mapping(8, L"Notes", L"Deployment", L"notes", 3),
        };
        deploymentTypes = {
            MakeObject(10, 30, TextAttr(L"deployment_custom_attributes", 1, L" \"REGION\" |Window")),
            MakeObject(700, 30, TextAttr(L"deployment_custom_attributes", 1, L"notes")),
            MakeObject(700, 30, TextAttr(L"deployment_custom_attributes", 1, L"Notes|region")),   // the last one counts
        };
    }
};

Object Deployment(int id, int deploymentType)
{
    return MakeObject(id, 20, Int(L"link_deployment_type", 1, deploymentType, L"", L"value_iddirectory") +
                                  TextAttr(L"window", 2, L"w") + TextAttr(L"region", 3, L"r") + TextAttr(L"notes", 4, L"n"));
}

} // namespace

TEST(CustomAttributes, ChosenByTypeAndSortedByDisplayOrder)
{
    Cache cache;
    std::vector<Object> out;
    // A new object gets every enabled mapping of its type and its base types, whatever it holds.
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(0, 11, L""), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Site", L"Owner"}), Captions(out));
    // A saved one only those it has an attribute for.
    out.clear();
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(5, 10, TextAttr(L"owner", 1, L"x")), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Owner"}), Captions(out));
    // The type-less object gets nothing and its vector stays as it was.
    std::vector<Object> kept = {MakeObject(1, 1, L"")};
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(0, 0, L""), kept));
    EXPECT_EQ(1u, kept.size());
    out.clear();
    EXPECT_FALSE(cache.GetCustomAttributes(MakeObject(0, 99, L""), out));
}

TEST(CustomAttributes, CacheEntriesNeverCollide)
{
    Cache cache;
    std::vector<Object> out;
    // A saved object asked first must not decide what a new object of the type gets, nor the reverse.
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(5, 10, TextAttr(L"owner", 1, L"x")), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Owner"}), Captions(out));
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(0, 10, L""), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Site", L"Owner"}), Captions(out));
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(6, 10, TextAttr(L"site", 1, L"y")), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Site"}), Captions(out));

    // Deployment type 10 and object type 10 (Computer) have entries of their own.
    EXPECT_TRUE(cache.GetCustomAttributes(Deployment(0, 10), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Region", L"Window"}), Captions(out));
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(0, 10, L""), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Site", L"Owner"}), Captions(out));

    // The list of all mappings is no answer for a deployment without a deployment type.
    std::vector<Object> all;
    cache.GetAttributeMappings(all);
    EXPECT_EQ(8u, all.size());
    out.clear();
    EXPECT_FALSE(cache.GetCustomAttributes(Deployment(0, 0), out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(cache.GetCustomAttributes(MakeObject(0, 20, TextAttr(L"window", 2, L"w")), out));
}

TEST(CustomAttributes, DeploymentsShowWhatTheirTypeLists)
{
    Cache cache;
    std::vector<Object> out;
    // Listed names match in any case, trimmed of blanks and quotes; the last cached type of an id counts.
    EXPECT_TRUE(cache.GetCustomAttributes(Deployment(9, 700), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Region", L"Notes"}), Captions(out));
    // A deployment type that is not cached shows nothing.
    out.clear();
    EXPECT_FALSE(cache.GetCustomAttributes(Deployment(9, 701), out));
}

TEST(CustomAttributes, CachedUntilTheSettingObjectsReload)
{
    Cache cache;
    std::vector<Object> out;
    cache.GetCustomAttributes(MakeObject(0, 10, L""), out);
    cache.settings[MainWindowCache::AttributeMapping].push_back(Mapping(9, L"Later", L"Computer", L"later", 0));
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(0, 10, L""), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Site", L"Owner"}), Captions(out));
    std::vector<Object> all;
    cache.GetAttributeMappings(all);
    EXPECT_EQ(9u, all.size());
    EXPECT_EQ(1, std::count_if(all.begin(), all.end(), [](const Object& m) { return m.name.Equals(CTString(L"Later")); }));

    // A reload of the setting objects empties the cache with them.
    TiXmlDocument doc;
    doc.Parse(L"<result><RC id=\"0\"/></result>", nullptr, 0);
    cache.ReadSettingObjects(doc, nullptr);
    cache.settings[MainWindowCache::AttributeMapping].push_back(Mapping(10, L"Only", L"Computer", L"only", 0));
    EXPECT_TRUE(cache.GetCustomAttributes(MakeObject(0, 10, L""), out));
    EXPECT_EQ((std::vector<std::wstring>{L"Only"}), Captions(out));
}

// ---------------------------------------------------------------------------------------------
// The grid

namespace {

int Validate(void*, HWND, int, __int64) { return 0; }

class AttributeEditorTest : public proplisttest::PropertyListTest {
protected:
    std::unique_ptr<apptest::TestApp> t;
    MainWindow* main = nullptr;
    std::unique_ptr<MainWindow> ownMain;

    void SetUp() override
    {
        proplisttest::PropertyListTest::SetUp();
        t = std::make_unique<apptest::TestApp>(false);
        ownMain = std::make_unique<MainWindow>();
        main = ownMain.get();
        t->app->m_mainWindow = main;
        MainWindowCache& cache = main->m_cache;
        TiXmlDocument doc;
        std::wstring xml = L"<result><RC id=\"0\"/><type id=\"10\" type=\"10\" parent=\"0\" name=\"Computer\">" +
                           TextAttr(L"site", 1, L"", L"inherit=\"1\"") + TextAttr(L"model", 2, L"", L"inherit=\"1\"") +
                           L"</type></result>";
        doc.Parse(xml.c_str(), nullptr, 0);
        cache.ReadTypes(doc);
        int order = 0;
        auto add = [&](const wchar_t* caption, const wchar_t* attribute, const std::wstring& more = L"",
                       int displayType = 2) {
            cache.settings[MainWindowCache::AttributeMapping].push_back(
                Mapping(100 + order, caption, L"Computer", attribute, order, more, 1, displayType));
            ++order;
        };
        add(L"Colour", L"colour", TextAttr(L"attrib_list_name", 9, L"Colours") + TextAttr(L"category", 10, L"Look"));
        add(L"Shape", L"shape", TextAttr(L"attrib_list_name", 9, L"Shapes"));
        add(L"Notes", L"notes");
        add(L"Title", L"title");
        add(L"Plain", L"plain");
        add(L"Owner", L"owner", L"", 1);
        add(L"Site", L"site");
        add(L"Enabled", L"enabled");
        add(L"Size", L"size");
        add(L"Odd", L"odd");
        add(L"Count", L"count");
        add(L"Bought", L"bought");
        add(L"Seen", L"seen");
        add(L"Model", L"model");
        add(L"Absent", L"absent");

        // Named list "Colours" and the site lookup are cached; "Shapes" is not.
        App::LookupEntry& colours = t->app->m_lookups[CAttribute(CTString(L"Colours"))];
        colours.loaded = true;
        colours.items[1] = {CAttribute(CTString(L"r")), CTString(L"Red")};
        colours.items[2] = {CAttribute(CTString(L"g")), CTString(L"Green")};
        App::LookupEntry& sites = t->app->m_lookups[CAttribute(CTString(L"TYPE=Site"))];
        sites.loaded = true;
        sites.items[1] = {CAttribute(CAttribute::Integer, 7), CTString(L"Berlin")};
        Object owner = MakeObject(55, 10, L"", L"Ada");
        t->app->m_dir.StoreObject(owner, 0);
    }
    void TearDown() override
    {
        proplisttest::PropertyListTest::TearDown();
        t->app->m_mainWindow = nullptr;
        ownMain.reset();
        t.reset();
    }

    Object Computer(bool siteDefault)
    {
        return MakeObject(
            4, 10,
            TextAttr(L"colour", 11, L"r") + TextAttr(L"shape", 12, L"s") + TextAttr(L"notes", 13, L"n", L"edit=\"TYPE=MultiLine\"") +
                TextAttr(L"title", 14, L"t", L"edit=\"type=locale\"") + TextAttr(L"plain", 15, L"p") +
                Int(L"owner", 16, 55, L"edit=\"TYPE=Admin\"", L"value_iddirectory") +
                Int(L"site", 17, 7, siteDefault ? L"edit=\"TYPE=Site\" default=\"1\"" : L"edit=\"TYPE=Site\"",
                    L"value_iddirectory") +
                Int(L"enabled", 18, 1, L"edit=\"TYPE=Checkbox\"") +
                Int(L"size", 19, 1, L"edit=\"VALUES='Small','Large'\"") + Int(L"odd", 20, 3, L"edit=\"TYPE=Other\"") +
                Int(L"count", 21, 42) + Int(L"bought", 22, 86400 * 3, L"edit=\"TYPE=Date\"", L"value_date") +
                Int(L"seen", 23, 86400 * 3, L"", L"value_date") + TextAttr(L"model", 24, L"m", L"default=\"1\""));
    }

    struct Row {
        int kind;
        bool readOnly;
        bool checked;
        DWORD flags;
        std::wstring value;
        int valueType;
    };
    bool Find(const wchar_t* caption, Row& row)
    {
        int index = list->FindProperty(CTString(caption));
        CTWndPropertyList::CItem* item = list->GetItem(index);
        if (!item)
            return false;
        row = {item->m_kind, item->m_readOnly != 0, item->m_checked != 0, item->m_flags, item->m_value.GetText(),
               item->m_value.GetType()};
        return true;
    }
    std::vector<std::wstring> Choices(const wchar_t* caption)
    {
        std::vector<std::wstring> out;
        if (CTWndPropertyList::CItem* item = list->GetItem(list->FindProperty(CTString(caption))))
            for (const auto& [key, text] : item->m_choices)
                out.push_back(std::wstring(key.GetText()) + L"=" + text.GetBuffer());
        return out;
    }
};

} // namespace

TEST_F(AttributeEditorTest, RowsFollowTheValueTypeAndEditDefinition)
{
    Object computer = Computer(true);
    RequestRoute route;
    route.targetType = 150;
    route.requestId = 77;
    main->FillAttributeEditor(*list, &Validate, host, route, computer);

    struct Case {
        const wchar_t* caption;
        int kind;
        bool readOnly;
        std::wstring value;
        int valueType;
    } cases[] = {
        {L"Colour", 0, false, L"r", CAttribute::Text},
        {L"Shape", 0, false, L"s", CAttribute::Text},
        {L"Notes", 2, false, L"n", CAttribute::Text},
        {L"Title", 9, false, L"t", CAttribute::Text},
        {L"Plain", 1, false, L"p", CAttribute::Text},
        {L"Owner", 1, true, L"Ada", CAttribute::Text},        // read-only link: the linked object's name
        {L"Site", 0, true, L"7", CAttribute::Integer},        // inherited default: read-only
        {L"Enabled", 4, false, L"1", CAttribute::Integer},
        {L"Size", 0, false, L"1", CAttribute::Integer},
        {L"Count", 1, false, L"42", CAttribute::Integer},
        {L"Bought", 8, false, L"", CAttribute::Date},
        {L"Seen", 7, false, L"", CAttribute::DateTime},
        {L"Model", 1, true, L"m", CAttribute::Text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.caption, c.caption + wcslen(c.caption)));
        Row row{};
        ASSERT_TRUE(Find(c.caption, row));
        EXPECT_EQ(c.kind, row.kind);
        EXPECT_EQ(c.readOnly, row.readOnly);
        EXPECT_EQ(c.valueType, row.valueType);
        if (!c.value.empty())
            EXPECT_EQ(c.value, row.value);
    }
    Row row{};
    EXPECT_FALSE(Find(L"Odd", row));      // an integer edit definition without an editor
    EXPECT_FALSE(Find(L"Absent", row));   // the object lacks the attribute
    // A date-only value no longer shows a time.
    ASSERT_TRUE(Find(L"Bought", row));
    EXPECT_EQ(std::wstring::npos, row.value.find(L':'));

    // Choice lists: a cached named list, a cached lookup, the VALUES items without their quotes.
    EXPECT_EQ((std::vector<std::wstring>{L"g=Green", L"r=Red"}), Choices(L"Colour"));
    EXPECT_EQ((std::vector<std::wstring>{L"7=Berlin"}), Choices(L"Site"));
    EXPECT_EQ((std::vector<std::wstring>{L"0=Small", L"1=Large"}), Choices(L"Size"));
    // The list not cached yet is asked for, with the row's attribute id on the caller's route.
    EXPECT_TRUE(Choices(L"Shape").empty());
    const App::LookupEntry& shapes = t->app->m_lookups[CAttribute(CTString(L"Shapes"))];
    ASSERT_EQ(1u, shapes.waiting.size());
    EXPECT_EQ(77, shapes.waiting[0].requestId);
    EXPECT_EQ(12, shapes.waiting[0].param2);

    // The category becomes a heading.
    EXPECT_GE(list->FindProperty(CTString(L"Look")), 0);
    EXPECT_EQ(CTWndPropertyList::KindHeading, list->GetItem(list->FindProperty(CTString(L"Look")))->m_kind);
}

TEST_F(AttributeEditorTest, InheritToggles)
{
    RequestRoute route;
    // Inherited attributes get the toggle when a validate callback is given; held defaults start checked.
    main->FillAttributeEditor(*list, &Validate, host, route, Computer(true));
    Row site{}, model{}, plain{};
    ASSERT_TRUE(Find(L"Site", site));
    ASSERT_TRUE(Find(L"Model", model));
    ASSERT_TRUE(Find(L"Plain", plain));
    EXPECT_EQ(0x7002u, site.flags);
    EXPECT_TRUE(site.checked);
    EXPECT_EQ(0x7002u, model.flags);
    EXPECT_EQ(0u, plain.flags);
    EXPECT_FALSE(plain.checked);

    // An own value: inheritable, unchecked and editable.
    main->FillAttributeEditor(*list, &Validate, host, route, Computer(false));
    ASSERT_TRUE(Find(L"Site", site));
    EXPECT_FALSE(site.checked);
    EXPECT_FALSE(site.readOnly);

    // Without a validate callback there is no toggle, but a held default is still shown as such.
    main->FillAttributeEditor(*list, nullptr, host, route, Computer(true));
    ASSERT_TRUE(Find(L"Site", site));
    EXPECT_EQ(0u, site.flags);
    EXPECT_TRUE(site.readOnly);
}

TEST_F(AttributeEditorTest, TheToggleButtonSwitchesBetweenInheritedAndOwnValue)
{
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    CGDIManager::Instance()->AddIconCopy(19, icon);
    RequestRoute route;
    main->FillAttributeEditor(*list, &Validate, host, route, Computer(true));
    int index = list->FindProperty(CTString(L"Site"));
    ASSERT_GE(index, 0);
    Select(index);
    ASSERT_TRUE(list->m_button.m_hWnd);
    // The button wears the shared inherit icon.
    CAttribute value;
    EXPECT_EQ(1, MainWindow::AttributeRowCallback(host, 17, CTWndPropertyList::CodeButtonIcon, &value));
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(19);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(static_cast<__int64>(entry->Get()), value.GetValue());
    EXPECT_EQ(0, MainWindow::AttributeRowCallback(host, 17, 5, &value));

    ::SendMessageW(list->m_button.m_hWnd, BM_CLICK, 0, 0);
    proplisttest::Pump();
    EXPECT_FALSE(list->IsChecked(index));
    EXPECT_FALSE(list->IsReadOnly(index));
    if (list->m_button.m_hWnd) {
        ::SendMessageW(list->m_button.m_hWnd, BM_CLICK, 0, 0);
        proplisttest::Pump();
        EXPECT_TRUE(list->IsChecked(index));
        EXPECT_TRUE(list->IsReadOnly(index));
    }
}

TEST_F(AttributeEditorTest, RefillKeepsTheSelection)
{
    RequestRoute route;
    Object computer = Computer(false);
    computer.attributes[16].SetValue(CAttribute::Integer, 56);   // an owner not cached yet: its id shows
    main->FillAttributeEditor(*list, &Validate, host, route, computer);
    Row owner{};
    ASSERT_TRUE(Find(L"Owner", owner));
    EXPECT_EQ(L"56", owner.value);
    int plain = list->FindProperty(CTString(L"Plain"));
    ::SendMessageW(list->m_hWnd, LB_SETCURSEL, plain, 0);
    main->FillAttributeEditor(*list, &Validate, host, route, computer);
    EXPECT_EQ(plain, static_cast<int>(::SendMessageW(list->m_hWnd, LB_GETCURSEL, 0, 0)));
    EXPECT_EQ(list, main->m_attributeEditors[host]);
}
