// ctest-env: TZ=Europe/Berlin
// The shared form helpers: bar lists, combo fillers, place-holders, colours, inheritance, the HTML
// preparation for the browser, link access around local midnight, event-list rows and the single
// object of a reply.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "controls/CGDIManager.h"
#include "controls/CTWndHeader.h"
#include "foundation/UnixClock.h"
#include "session/DB.h"
#include "session/FormHelpers.h"
#include "FakeLookups.h"

namespace {

std::vector<std::wstring> Texts(const std::vector<CTString>& items)
{
    std::vector<std::wstring> out;
    for (const CTString& item : items)
        out.emplace_back(item.GetBuffer() ? item.GetBuffer() : L"");
    return out;
}

std::wstring TextOf(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

// A hidden drop-down list for the fillers.
struct Combo {
    HWND hwnd;
    explicit Combo(DWORD style = 0)
    {
        hwnd = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST | style, 0, 0, 200, 200, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~Combo() { DestroyWindow(hwnd); }

    // Every item as "text=data".
    std::vector<std::wstring> Items() const
    {
        std::vector<std::wstring> out;
        int count = static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            out.push_back(std::wstring(text) + L"=" +
                          std::to_wstring(static_cast<long long>(SendMessageW(hwnd, CB_GETITEMDATA, i, 0))));
        }
        return out;
    }
    std::wstring Selected() const
    {
        int index = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
        if (index < 0)
            return L"(none)";
        wchar_t text[256] = {};
        SendMessageW(hwnd, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }
};

Object Named(__int64 id, const wchar_t* name)
{
    Object object;
    object.id = id;
    object.name = name;
    return object;
}

__int64 g_now = 0;
__int64 PinnedNow() { return g_now; }

struct PinClock {
    explicit PinClock(__int64 now) { g_now = now, previous = UnixClock::Replace(&PinnedNow); }
    ~PinClock() { UnixClock::Replace(nullptr); }
    UnixClock::Function previous;
};

bool BerlinZone()
{
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    return zone.Bias == -60;
}

} // namespace

TEST(FormHelpers, SplitAtBar)
{
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> items;
    } cases[] = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a|b", {L"a", L"b"}},
        {L"a||b", {L"a", L"", L"b"}},
        {L" \"x\" | y ", {L"x", L"y"}},
        {L"a|", {L"a"}},
    };
    for (const Case& c : cases) {
        std::vector<CTString> out{CTString(L"stale")};
        EXPECT_EQ(c.items, Texts(SplitAtBar(out, CTString(c.text)))) << c.text;
    }
}

TEST(FormHelpers, ComboFromAttributeValues)
{
    Object object;
    Put(object, L"priority", CAttribute(CAttribute::Integer, 1)).editSpec = L"TYPE=Combo|VALUES= 'Low', 'High'|VALUES=x";
    Combo combo;
    ASSERT_TRUE(combo.hwnd);
    FillComboFromAttributeValues(combo.hwnd, CTString(L"priority"), object, true);
    EXPECT_EQ((std::vector<std::wstring>{L"Low=0", L"High=1", L"<Any>=-1"}), combo.Items());
    EXPECT_EQ(L"High", combo.Selected());

    object.attributes.begin()->second.SetValue(CAttribute::Integer, -1);
    FillComboFromAttributeValues(combo.hwnd, CTString(L"priority"), object, true);
    EXPECT_EQ(L"<Any>", combo.Selected());

    Object other;   // a missing attribute: no values, nothing selected; a text value selects the first
    FillComboFromAttributeValues(combo.hwnd, CTString(L"priority"), other, false);
    EXPECT_TRUE(combo.Items().empty());
    Put(other, L"priority", CAttribute(CTString(L"High"))).editSpec = L"VALUES=Low,High";
    FillComboFromAttributeValues(combo.hwnd, CTString(L"priority"), other, false);
    EXPECT_EQ(L"Low", combo.Selected());
}

TEST(FormHelpers, ComboWithObjects)
{
    std::vector<Object> objects{Named(30, L"Zeta"), Named(20, L"Alpha"), Named(10, L"Mid")};
    Combo sorted(CBS_SORT);
    FillComboWithObjects(sorted.hwnd, objects, CAttribute(CAttribute::Integer, 20), true);
    EXPECT_EQ((std::vector<std::wstring>{L"<none>=-1", L"Alpha=20", L"Mid=10", L"Zeta=30"}), sorted.Items());
    EXPECT_EQ(L"Alpha", sorted.Selected());

    Combo plain;
    FillComboWithObjects(plain.hwnd, objects, CAttribute(CTString(L"20")), true);
    EXPECT_EQ(L"<none>", plain.Selected());
    FillComboWithObjects(plain.hwnd, objects, CAttribute(CAttribute::Integer, 10), false);
    EXPECT_EQ((std::vector<std::wstring>{L"Zeta=30", L"Alpha=20", L"Mid=10"}), plain.Items());
    EXPECT_EQ(L"Mid", plain.Selected());
}

TEST(FormHelpers, HtmlColourAndObjectPlaceholder)
{
    struct Colour {
        const wchar_t* text;
        bool ok;
        COLORREF colour;
    } colours[] = {
        {L"#102030", true, RGB(0x10, 0x20, 0x30)},
        {L"#ffFFfe", true, RGB(0xFF, 0xFF, 0xFE)},
        {L"#GG2030", true, RGB(0, 0x20, 0x30)},
        {L"#1G2030", true, RGB(1, 0x20, 0x30)},
        {L"102030", false, 0x123456},
        {L"#10203", false, 0x123456},
        {L"#1020300", false, 0x123456},
        {L"", false, 0x123456},
    };
    for (const Colour& c : colours) {
        COLORREF out = 0x123456;
        EXPECT_EQ(c.ok, CTString(c.text).ParseHtmlColour(out)) << c.text;
        EXPECT_EQ(c.colour, out) << c.text;
    }

    struct Placeholder {
        const wchar_t* text;
        const wchar_t* object;
        const wchar_t* rest;
    } placeholders[] = {
        {L"Serial %o.Computer\\serial% here", L"Computer", L"serial"},
        {L"%o.User%", L"User", L""},
        {L"%oUser\\name%", L"ser", L"name"},   // the second character is skipped whatever it is
        {L"%x.User\\name%", L"old", L"old"},
        {L"%o%", L"old", L"old"},
        {L"no place-holder", L"old", L"old"},
        {L"%o.open", L"old", L"old"},
    };
    for (const Placeholder& p : placeholders) {
        CTString object(L"old"), rest(L"old");
        CTString(p.text).SplitObjectPlaceholder(object, rest);
        EXPECT_EQ(std::wstring(p.object), TextOf(object)) << p.text;
        EXPECT_EQ(std::wstring(p.rest), TextOf(rest)) << p.text;
    }
}

TEST(FormHelpers, InheritedAttributeSwitch)
{
    FakeLookups lookups;
    Object type;
    Put(type, L"colour", CAttribute(CTString()), Object::Attribute::Inherit);
    Put(type, L"plain", CAttribute(CTString()));
    lookups.types[7] = type;

    Object object;
    object.type = 7;
    Put(object, L"colour", CAttribute(CTString(L"red")), Object::Attribute::Default);
    Put(object, L"plain", CAttribute(CTString(L"x")), Object::Attribute::Default);

    EXPECT_TRUE(SetAttributeInherited(0, object, CTString(L"colour")));   // inherited value made own
    EXPECT_FALSE(object.IsAttributeDefault(CTString(L"colour")));
    EXPECT_FALSE(SetAttributeInherited(1, object, CTString(L"colour")));  // own value reset
    EXPECT_FALSE(SetAttributeInherited(1, object, CTString(L"colour")));  // already inherited: unchanged
    EXPECT_TRUE(SetAttributeInherited(1, object, CTString(L"plain")));    // not inheritable
    EXPECT_TRUE(object.IsAttributeDefault(CTString(L"plain")));
}

TEST(FormHelpers, HtmlForTheBrowser)
{
    struct Case {
        const wchar_t* html;
        const wchar_t* server;
        const wchar_t* out;
    } cases[] = {
        {L"<p>hi</p>", L"srv", L"<html><body><p>hi</p></body></html>"},
        {L"<HTML><img src=\"denied:a.png\"><img src=\"denied:denied:b\"></HTML>", L"srv",
         L"<HTML><img src=\"a.png\"><img src=\"b\"></HTML>"},
        {L"<html><img src=\"/custom/images/a.png\"><img src=\"/custom/images/b.png\">", L"srv.example/qel",
         L"<html><img src=\"https://srv.example/qel/custom/images/a.png\">"
         L"<img src=\"https://srv.example/qel/custom/images/b.png\">"},
        {L"<html><img src=\"denied:/custom/images/a.png\">", L"HTTP://h",
         L"<html><img src=\"HTTP://h/custom/images/a.png\">"},
        {L"<html><img SRC=\"denied:x\">", L"h", L"<html><img SRC=\"denied:x\">"},   // both compare with case
    };
    for (const Case& c : cases) {
        CTString html(c.html);
        RestrictHtmlImageSources(html, CTString(c.server));
        EXPECT_EQ(std::wstring(c.out), TextOf(html)) << c.html;
    }
    FakeLookups lookups;
    lookups.server = L"srv";
    CTString html(L"<img src=\"/custom/images/x\">");
    RestrictHtmlImageSources(html);
    EXPECT_EQ(L"<html><body><img src=\"https://srv/custom/images/x\"></body></html>", TextOf(html));
}

TEST(FormHelpers, LinkAccessEndsAtTheStartOfTheLocalDay)
{
    const __int64 tenUtc = 1773136800;   // 2026-03-10 10:00 UTC
    PinClock clock(tenUtc);
    const bool berlin = BerlinZone();
    struct Case {
        bool logon;
        CAttribute expires;
        bool utc, east;   // expected in UTC and in Berlin (local midnight 23:00 UTC the day before)
    } cases[] = {
        {true, CAttribute(CAttribute::Date, tenUtc + 3600), true, true},
        {true, CAttribute(CAttribute::Date, tenUtc - 86400), false, false},
        {true, CAttribute(CAttribute::Date, tenUtc - 10 * 3600 + 1800), true, true},   // 00:30 UTC today
        {true, CAttribute(CAttribute::Date, tenUtc - 10 * 3600 - 1800), false, true},  // 23:30 UTC yesterday
        {false, CAttribute(CAttribute::Date, tenUtc + 3600), false, false},
        {true, CAttribute(CTString(L"2099-01-01")), false, false},
    };
    for (const Case& c : cases) {
        Object user;
        user.privileges[1] = Object::Privilege{CTString(L"Logon"), false, c.logon};
        Put(user, L"linkaccess_expire", c.expires);
        EXPECT_EQ(berlin ? c.east : c.utc, HasLinkAccess(&user)) << c.expires.GetText();
    }
    EXPECT_FALSE(HasLinkAccess(nullptr));
}

TEST(FormHelpers, EventListRow)
{
    FakeLookups lookups;
    Object type;
    type.name = L"Task";
    lookups.types[12] = type;
    PinClock clock(1000000);

    Object item;
    item.id = 77;
    item.type = 12;
    item.created = CAttribute(CAttribute::DateTime, 1000000 - 1000);
    item.updated = CAttribute(CAttribute::DateTime, 1000000 - 3000);
    Put(item, L"console_display_attribs", CAttribute(CTString(L"ip_address|level|count|a|b")));
    Put(item, L"ip_address", CAttribute(CTString(L"10.1.2.3")));
    Put(item, L"level", CAttribute(CAttribute::Integer, 1)).editSpec = L"VALUES=Low,High";
    Put(item, L"count", CAttribute(CAttribute::Integer, 5), Object::Attribute::Default);

    CTListCtrlReport::Row row;
    bool isNew = false, isUpdated = false;
    BuildEventListRow(row, 3, item, false, isNew, isUpdated, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(77), row.m_data);
    ASSERT_EQ(6u, row.m_cells.GetCount());   // time, type, duration, exactly 3 display cells
    EXPECT_TRUE(isNew);
    EXPECT_FALSE(isUpdated);

    CTListCtrlReport::Row padded;
    isNew = false;
    Object few(item);
    few.attributes.begin()->second.SetText(CAttribute::Text, CTString(L"level"));
    BuildEventListRow(padded, 4, few, true, isNew, isUpdated, nullptr);
    EXPECT_EQ(3u + 1u + 4u, padded.m_cells.GetCount());   // with the user cell, padded to 4
}

TEST(FormHelpers, ReadObjectOfAReply)
{
    struct Case {
        const wchar_t* headers;
        const char* body;
        bool read;
        __int64 id;
    } cases[] = {
        {L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n",
         "<?xml version=\"1.0\"?><result><RC id=\"0\"/><object id=\"42\" name=\"n\"/><object id=\"43\"/></result>", true,
         42},
        {L"HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n\r\n", "<?xml version=\"1.0\"?><result/>", false, 5},
        {L"HTTP/1.1 500 Oops\r\nContent-Type: application/xml\r\n\r\n",
         "<?xml version=\"1.0\"?><result><object id=\"42\"/></result>", false, 5},
    };
    for (const Case& c : cases) {
        DB::DBEvent event;
        CTByteArray raw;
        size_t length = wcslen(c.headers) * 2;
        memcpy(raw.Extend(static_cast<unsigned>(length)), c.headers, length);
        event.SwapBytes(DBEvent::KeyHeaders, raw);
        CTByteArray body;
        memcpy(body.Extend(static_cast<unsigned>(strlen(c.body))), c.body, strlen(c.body));
        event.SwapBytes(DBEvent::KeyBody, body);
        Object out;
        out.id = 5;
        EXPECT_EQ(c.read, event.ReadObject(out)) << c.body;
        EXPECT_EQ(c.id, out.id) << c.body;
    }
}

TEST(FormHelpers, HeaderTakesTheSharedHeaderColours)
{
    CGDIManager* gdi = CGDIManager::Instance();
    gdi->AddColour(kHeaderBackColour, RGB(0x8F, 0x8F, 0x8F));
    gdi->AddColour(kHeaderTextColour, RGB(255, 255, 255));
    CTWndHeader header;
    ApplyHeaderColours(header);
    EXPECT_EQ(RGB(0x8F, 0x8F, 0x8F), header.backColour);
    EXPECT_EQ(RGB(255, 255, 255), header.textColour);
    EXPECT_EQ(CTWndHeader::FlagBackColourSet | CTWndHeader::FlagTextColourSet,
              header.flags & (CTWndHeader::FlagBackColourSet | CTWndHeader::FlagTextColourSet));
    gdi->Release(kHeaderBackColour);
    gdi->Release(kHeaderTextColour);

    CTWndHeader missing;   // missing entries read as 0
    ApplyHeaderColours(missing);
    EXPECT_EQ(0u, missing.backColour);
    EXPECT_EQ(0u, missing.textColour);
}
