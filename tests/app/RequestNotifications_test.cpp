// Request notifications: the judgement of one request into the pending-request and attention lists,
// reading a request's facts, the badge, the realtime "requests" message and the request actions.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/RequestNotifications.h"
#include "foundation/CTByteArray.h"
#include "foundation/TiXmlDocument.h"
#include "session/Object.h"

namespace {

constexpr __int64 kAdmin = 90;
constexpr __int64 kOther = 31;
constexpr __int64 kThird = 32;

std::wstring Wide(const CTString& text)
{
    return text.GetBuffer() ? std::wstring(text.GetBuffer()) : std::wstring();
}

Object RequestFromXml(const wchar_t* attribs)
{
    std::wstring xml = L"<object id=\"500\" type=\"15\" parent=\"1\" serial=\"1\" name=\"R\">";
    xml += attribs;
    xml += L"</object>";
    TiXmlDocument doc;
    doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    Object request;
    request.ReadFromXml(doc.FirstChildElementNamed(L"object"), true);
    return request;
}

} // namespace

TEST(RequestJudgement, WhoRaisedAcceptedOrMayTakeARequest)
{
    using Facts = RequestNotifications::Facts;
    struct Case {
        const char* name;
        __int64 raised, accepted;
        bool completed, closed, assignee;
        bool attention, concerns;
    } cases[] = {
        {"raised by me, nobody accepted", kAdmin, 0, false, false, false, true, true},
        {"raised by me, accepted, open", kAdmin, kOther, false, false, false, false, true},
        {"raised by me, accepted, completed", kAdmin, kOther, true, false, false, true, true},
        {"accepted by me, open", kOther, kAdmin, false, false, false, true, true},
        {"accepted by me, completed", kOther, kAdmin, true, false, false, false, true},
        {"open to me as assignee", kOther, 0, false, false, true, true, true},
        {"accepted by another, I am assignee", kOther, kThird, false, false, true, false, false},
        {"not mine at all", kOther, 0, false, false, false, false, false},
        {"closed, raised by me", kAdmin, 0, false, true, false, false, false},
        {"closed, open to me as assignee", kOther, 0, false, true, true, false, false},
    };
    for (const Case& c : cases) {
        Facts f;
        f.administrator = kAdmin;
        f.raisedBy = c.raised;
        f.acceptedBy = c.accepted;
        f.completed = c.completed;
        f.closed = c.closed;
        f.isAssignee = c.assignee;
        RequestNotifications::Verdict v = RequestNotifications::Judge(f);
        EXPECT_EQ(c.attention, v.needsAttention) << c.name;
        EXPECT_EQ(c.concerns, v.concerns) << c.name;
    }
}

TEST(RequestJudgement, FactsReadLinksFlagsAndTreatTextOrMissingLinksAsNobody)
{
    Object request = RequestFromXml(
        L"<attrib id=\"1\" name=\"link_user_request\" type=\"value_iddirectory\">90</attrib>"
        L"<attrib id=\"2\" name=\"link_user_accept\" type=\"value_varchar\">31</attrib>"
        L"<attrib id=\"3\" name=\"request_attribs\" type=\"value_int\">131072</attrib>");
    RequestNotifications::Facts f = RequestNotifications::ReadFacts(request, kAdmin, true);
    EXPECT_EQ(kAdmin, f.raisedBy);
    EXPECT_EQ(0, f.acceptedBy) << "a link held as text counts as nobody";
    EXPECT_FALSE(f.completed) << "missing";
    EXPECT_TRUE(f.closed) << "0x20000 closes";
    EXPECT_TRUE(f.isAssignee);

    Object open = RequestFromXml(L"<attrib id=\"3\" name=\"request_attribs\" type=\"value_int\">1</attrib>"
                                 L"<attrib id=\"4\" name=\"completed\" type=\"value_date\">1700000000</attrib>");
    f = RequestNotifications::ReadFacts(open, kAdmin, false);
    EXPECT_FALSE(f.closed);
    EXPECT_TRUE(f.completed);
}

TEST(RequestLists, EachIdOnceAddedAndRemovedAsTheVerdictChanges)
{
    RequestNotifications lists;
    lists.Apply(7, {true, true});
    lists.Apply(8, {false, true});
    lists.Apply(7, {true, true});
    EXPECT_EQ((std::vector<__int64>{7, 8}), lists.pending);
    EXPECT_EQ((std::vector<__int64>{7}), lists.attention);
    // Closed: out of both.
    lists.Apply(7, {false, false});
    EXPECT_EQ((std::vector<__int64>{8}), lists.pending);
    EXPECT_TRUE(lists.attention.empty());
    EXPECT_TRUE(lists.IsPending(8));
    EXPECT_FALSE(lists.IsPending(7));
    lists.Clear();
    EXPECT_TRUE(lists.pending.empty());
}

TEST(RequestBadge, LabelAndMarkup)
{
    EXPECT_EQ(L"0", Wide(RequestNotifications::BadgeLabel(0)));
    EXPECT_EQ(L"99", Wide(RequestNotifications::BadgeLabel(99)));
    EXPECT_EQ(L"\x221E", Wide(RequestNotifications::BadgeLabel(100)));

    CTString markup;
    RequestNotifications::BuildBadgeMarkup(3, 17, 17, RGB(0xCC, 0xE4, 0xF7), RGB(0x20, 0x20, 0x20), markup);
    EXPECT_EQ(L"<Div width=\"17\" height=\"17\"><Div background-color=\"#CCE4F7\" width=\"17\" text-align=\"right\" "
              L"background-type=\"circle\"><Text font-size=\"11\" font-weight=\"600\" color=\"#202020\" "
              L"text-align=\"center\">3</Text></Div></Div>",
              Wide(markup));
    // The mark-up is a well-formed document.
    TiXmlDocument doc;
    doc.Parse(markup.GetBuffer(), nullptr, TIXML_ENCODING_UNKNOWN);
    EXPECT_FALSE(doc.Error());
}

TEST(RequestMessage, AddedAndUpdatedIdsAreFetchedUnreadableMembersSkipped)
{
    struct Case {
        const char* name;
        std::string text;
        bool readable;
        std::wstring ids;
    } cases[] = {
        {"added, updated, deleted", R"({"channel":"requests","data":{"12":{"a":"a"},"13":{"a":"d"},"14":{"a":"u"}}})",
         true, L"12,14"},
        {"only deletions still fetch", R"({"channel":"requests","data":{"5":{"a":"d"}}})", true, L""},
        {"bad names and missing actions skip only themselves",
         R"({"channel":"requests","data":{"x1":{"a":"a"},"21":{},"22":{"a":7},"23":"a","24":{"a":"a"}}})", true,
         L"24"},
        {"64-bit ids", R"({"data":{"4294967301":{"a":"u"}}})", true, L"4294967301"},
        {"no data", R"({"channel":"requests"})", true, L""},
        {"not JSON", "{\"data\":{\"1\":", false, L""},
        {"not an object", "[1,2]", false, L""},
    };
    for (const Case& c : cases) {
        CTString ids(L"stale");
        EXPECT_EQ(c.readable, RequestNotifications::ReadMessageIds(c.text.data(), c.text.size(), ids)) << c.name;
        EXPECT_EQ(c.ids, Wide(ids)) << c.name;
    }
}

TEST(RequestActions, FormsOfTheFourActionsAndNothingForOthers)
{
    struct Case {
        int action;
        const wchar_t* type;
    } cases[] = {{1, L"CANCEL"}, {2, L"ASSIGN"}, {3, L"COMPLETE"}, {4, L"ACKNOWLEDGE"}, {0, nullptr}, {5, nullptr}};
    for (const Case& c : cases) {
        CAttributes form;
        bool built = RequestNotifications::BuildActionForm(4242, c.action, form);
        EXPECT_EQ(c.type != nullptr, built) << c.action;
        if (!c.type) {
            EXPECT_EQ(0, form.GetCount()) << c.action;
            continue;
        }
        CTByteArray encoded;
        form.FormEncode(encoded);
        std::string body(reinterpret_cast<const char*>(encoded.GetData()), encoded.GetSize());
        std::wstring type(c.type);
        EXPECT_EQ("TYPE=" + std::string(type.begin(), type.end()) + "&ID=4242", body) << c.action;
    }
}
