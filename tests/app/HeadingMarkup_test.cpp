// The heading mark-up builders: exact text for each combination of title, subtitle, heading
// attribute, type, path and dates, the colour of palette entry 24, and escaping of the texts.
#include <gtest/gtest.h>

#include "app/HeadingMarkup.h"
#include "controls/CGDIManager.h"
#include "session/Object.h"

namespace {

// Holds palette entry 24 (the heading colour) for one test.
class HeadingColour {
public:
    explicit HeadingColour(COLORREF colour) { CGDIManager::Instance()->AddColour(24, colour); }
    ~HeadingColour() { CGDIManager::Instance()->Release(24); }
};

Object MakeObject(__int64 type, const wchar_t* path, const wchar_t* displayName)
{
    Object object;
    object.id = 77;
    object.type = type;
    object.path = path;
    if (displayName) {
        Object::Attribute attribute;
        attribute.name = L"display_name";
        attribute.SetText(CAttribute::Text, CTString(displayName));
        object.attributes[5] = attribute;
    }
    return object;
}

std::wstring Text(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

TEST(HeadingMarkup, TitleAndSubtitle)
{
    HeadingColour white(RGB(255, 255, 255));
    struct Case {
        const wchar_t* title;
        const wchar_t* subtitle;
        const wchar_t* expected;
    } cases[] = {
        {L"Deployments", L"",
         LR"(<Div vertical-align="middle" padding-left="8"><Text line-spacing="1" font-size="14" color="#FFFFFF" >Deployments</Text></Div>)"},
        {L"Deployments", L"Week 12",
         LR"(<Div vertical-align="middle" padding-left="8"><Text line-spacing="1" font-size="14" color="#FFFFFF" >Deployments</Text>)"
         LR"(<BR /><Text line-spacing="1" font-size="11" font-family="Tahoma" font-weight="700" color="#FFFFFF" >Week 12</Text></Div>)"},
        // Texts from the server or the user cannot open or close elements.
        {L"A<B>&\"C\"", L"</Text><Image src=\"x\"/>",
         LR"(<Div vertical-align="middle" padding-left="8"><Text line-spacing="1" font-size="14" color="#FFFFFF" >A&lt;B&gt;&amp;&quot;C&quot;</Text>)"
         LR"(<BR /><Text line-spacing="1" font-size="11" font-family="Tahoma" font-weight="700" color="#FFFFFF" >&lt;/Text&gt;&lt;Image src=&quot;x&quot;/&gt;</Text></Div>)"},
    };
    for (const Case& c : cases) {
        CTString out(L"prefix:");
        AppendHeadingMarkup(CTString(c.title), CTString(c.subtitle), out);
        EXPECT_EQ(Text(out), std::wstring(L"prefix:") + c.expected) << c.title;
    }
}

TEST(HeadingMarkup, MissingPaletteEntryGivesBlack)
{
    ASSERT_EQ(CGDIManager::Instance()->Find(24), nullptr);
    CTString out;
    AppendHeadingMarkup(CTString(L"T"), CTString(), out);
    EXPECT_EQ(Text(out),
              LR"(<Div vertical-align="middle" padding-left="8"><Text line-spacing="1" font-size="14" color="#000000" >T</Text></Div>)");
}

TEST(HeadingMarkup, ObjectHeadings)
{
    HeadingColour colour(RGB(0x12, 0xAB, 0x0C));
    const std::wstring open =
        LR"(<Div vertical-align="middle" padding-left="8"><Text font-size="14" line-spacing="1" color="#12AB0C" >)";
    struct Case {
        const char* name;
        __int64 type;
        const wchar_t* displayName; // null: no attribute
        bool showPath;
        bool showDates;
        std::wstring expected;
    } cases[] = {
        {"path only without type, dates ignored", 0, nullptr, true, true,
         open + LR"(\Sites\Berlin</Text></Div>)"},
        {"empty display name: path, then type", 4, L"", true, false,
         open + LR"(\Sites\Berlin</Text><BR /><Text font-size="11" line-spacing="1" font-family="Tahoma" font-weight="700" color="#12AB0C" >Site</Text></Div>)"},
        {"display name alone still ends its line", 0, L"Berlin", false, false,
         open + LR"(Berlin</Text><BR /></Div>)"},
        {"display name, type and path", 4, L"Berlin", true, false,
         open + LR"(Berlin</Text><BR /><Text font-size="11" line-spacing="1" font-family="Tahoma" font-weight="700" color="#12AB0C" >Site  </Text>)"
                LR"(<Text font-size="10" line-spacing="1" font-family="Tahoma" color="#12AB0C" >\Sites\Berlin</Text></Div>)"},
        {"multi-language name in the user's language", 4, L"Berlin\u00A6de-DE\u00A6Berlin-Mitte", false, false,
         open + LR"(Berlin</Text><BR /><Text font-size="11" line-spacing="1" font-family="Tahoma" font-weight="700" color="#12AB0C" >Site  </Text></Div>)"},
        {"escaped name and path", 0, L"R&D <lab>", true, false,
         open + LR"(R&amp;D &lt;lab&gt;</Text><BR /><Text font-size="10" line-spacing="1" font-family="Tahoma" color="#12AB0C" >\Sites\Berlin</Text></Div>)"},
    };
    for (const Case& c : cases) {
        Object object = MakeObject(c.type, L"\\Sites\\Berlin", c.displayName);
        CTString out = BuildObjectHeadingMarkupWithType(object, CTString(L"Site"), CTString(L"display_name"),
                                                        c.showPath, c.showDates);
        EXPECT_EQ(Text(out), c.expected) << c.name;
    }
}

TEST(HeadingMarkup, DateLinesLeaveOutEmptyDates)
{
    HeadingColour white(RGB(255, 255, 255));
    const std::wstring line = LR"(<Text font-size="10" line-spacing="1" color="#FFFFFF)";
    Object object = MakeObject(4, L"\\P", nullptr);
    object.created.SetValue(CAttribute::DateTime, 0);           // empty: left out
    object.updated.SetValue(CAttribute::DateTime, 1700000000);  // 2023
    const std::wstring updated = object.updated.GetText();
    ASSERT_FALSE(updated.empty());

    // The path heads the mark-up when the attribute name is empty.
    CTString out = BuildObjectHeadingMarkupWithType(object, CTString(L"Site"), CTString(), false, true);
    EXPECT_EQ(Text(out),
              LR"(<Div vertical-align="middle" padding-left="8"><Text font-size="14" line-spacing="1" color="#FFFFFF" >\P</Text>)"
              LR"(<BR /><Text font-size="11" line-spacing="1" font-family="Tahoma" font-weight="700" color="#FFFFFF" >Site</Text>)" +
                  line + L"\" > updated: " + updated + L"</Text></Div>");

    object.created.SetValue(CAttribute::DateTime, 1600000000);
    const std::wstring created = object.created.GetText();
    out = BuildObjectHeadingMarkupWithType(object, CTString(L"Site"), CTString(L"none"), false, true);
    EXPECT_NE(Text(out).find(line + L"\" > created: " + created + L"</Text>" + line + L"\" > updated: " + updated +
                             L"</Text></Div>"),
              std::wstring::npos)
        << Text(out);
}

} // namespace
