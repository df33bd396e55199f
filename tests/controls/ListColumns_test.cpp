#include <gtest/gtest.h>
#include "controls/ListColumns.h"

namespace {
struct Expected {
    const wchar_t* caption;
    int width;
    bool shown;
};

struct Case {
    const char* name;
    const wchar_t* definition;
    std::vector<Expected> columns;
};

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }
} // namespace

TEST(ListColumnSpec, ParsesEntriesFieldsAndEnds)
{
    const Case cases[] = {
        {"six with blank filler", L"Name,200;Read,50;Write,50;Perm,50;Priv,50; ;",
         {{L"Name", 200, true}, {L"Read", 50, true}, {L"Write", 50, true}, {L"Perm", 50, true}, {L"Priv", 50, true}, {L"", 50, true}}},
        {"no trailing separator", L"Date Time,140;Object,200;Type,100",
         {{L"Date Time", 140, true}, {L"Object", 200, true}, {L"Type", 100, true}}},
        {"double separator ends the list", L"A,10;;B,20;", {{L"A", 10, true}}},
        {"caption alone", L"Caption", {{L"Caption", 50, true}}},
        {"empty text", L"", {}},
        {"hidden first column", L"First,100,0;Second", {{L"First", 100, false}, {L"Second", 50, true}}},
        {"only 1 shows", L"A,10,1;B,10,yes;C,10, 1 ", {{L"A", 10, true}, {L"B", 10, false}, {L"C", 10, true}}},
        {"quoted caption keeps comma", L"\"Last, First\",120;X", {{L"Last, First", 120, true}, {L"X", 50, true}}},
        {"empty width field then 0", L"Cap,,0", {{L"Cap", 0, true}}},
        {"width without digits", L"Cap,wide", {{L"Cap", 0, true}}},
        {"leading digits only", L"Cap,75px", {{L"Cap", 75, true}}},
        {"trimmed", L"  Name  , 30 ;", {{L"Name", 30, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ListColumnSpec::Entry> out;
        ListColumnSpec::Parse(c.definition, out);
        ASSERT_EQ(c.columns.size(), out.size());
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(Narrow(c.columns[i].caption), Narrow(out[i].caption)) << i;
            EXPECT_EQ(c.columns[i].width, out[i].width) << i;
            EXPECT_EQ(c.columns[i].shown, out[i].shown) << i;
        }
    }
}
