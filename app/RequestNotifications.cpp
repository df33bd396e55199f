#include "app/RequestNotifications.h"

#include <algorithm>
#include <string>
#include <nlohmann/json.hpp>
#include "session/JsonDepth.h"
#include "session/Object.h"

namespace {

__int64 Link(const Object& request, const wchar_t* name)
{
    CAttribute value;
    request.GetAttribute(value, CTString(name));
    return value.GetValue();   // 0 for a text type or a missing attribute
}

void AppendAttribute(CTString& out, const wchar_t* name, const wchar_t* value)
{
    out.AppendChar(L' ').AppendText(name).AppendText(L"=\"").AppendText(value).AppendChar(L'"');
}

void AppendAttribute(CTString& out, const wchar_t* name, int value)
{
    CTString text;
    text.AppendInt(value);
    AppendAttribute(out, name, text.GetBuffer());
}

CTString Html(COLORREF colour)
{
    CTString text;
    text.Format(L"#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

// A member name that is a decimal 64-bit id and nothing else.
bool ParseId(const std::string& name, __int64& id)
{
    if (name.empty() || name.size() > 19)
        return false;
    __int64 value = 0;
    for (char c : name) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    id = value;
    return true;
}

} // namespace

RequestNotifications::Verdict RequestNotifications::Judge(const Facts& f)
{
    Verdict v;
    if (f.closed)
        return v;
    const __int64 a = f.administrator;
    if (f.raisedBy == a && f.acceptedBy == 0)
        v.needsAttention = true;
    else if (f.raisedBy == a && f.acceptedBy != 0 && f.completed)
        v.needsAttention = true;
    else if (f.acceptedBy == a && !f.completed)
        v.needsAttention = true;
    else
        v.needsAttention = f.acceptedBy == 0 && f.isAssignee;
    if (f.raisedBy == a || f.acceptedBy == a)
        v.concerns = true;
    else
        v.concerns = f.acceptedBy == 0 && f.isAssignee;
    return v;
}

RequestNotifications::Facts RequestNotifications::ReadFacts(const Object& request, __int64 administrator,
                                                            bool isAssignee)
{
    Facts f;
    f.administrator = administrator;
    f.raisedBy = Link(request, L"link_user_request");
    f.acceptedBy = Link(request, L"link_user_accept");
    f.completed = Link(request, L"completed") != 0;
    f.closed = (Link(request, L"request_attribs") & kClosedFlags) != 0;
    f.isAssignee = isAssignee;
    return f;
}

void RequestNotifications::Apply(__int64 id, const Verdict& verdict)
{
    auto inPending = std::find(pending.begin(), pending.end(), id);
    if (verdict.concerns && inPending == pending.end())
        pending.push_back(id);
    else if (!verdict.concerns && inPending != pending.end())
        pending.erase(inPending);
    auto inAttention = std::find(attention.begin(), attention.end(), id);
    if (!verdict.needsAttention && inAttention != attention.end())
        attention.erase(inAttention);
    else if (verdict.needsAttention && inAttention == attention.end())
        attention.push_back(id);
}

bool RequestNotifications::IsPending(__int64 id) const
{
    return std::find(pending.begin(), pending.end(), id) != pending.end();
}

void RequestNotifications::Clear()
{
    pending.clear();
    attention.clear();
}

CTString RequestNotifications::BadgeLabel(size_t n)
{
    CTString label;
    if (n <= 99)
        label.AppendInt(static_cast<int>(n));
    else
        label.AssignText(L"\x221E");
    return label;
}

void RequestNotifications::BuildBadgeMarkup(size_t n, int width, int height, COLORREF highlight, COLORREF text,
                                            CTString& out)
{
    out.Empty();
    out.AppendText(L"<Div");
    AppendAttribute(out, L"width", width);
    AppendAttribute(out, L"height", height);
    out.AppendText(L"><Div");
    AppendAttribute(out, L"background-color", Html(highlight).GetBuffer());
    AppendAttribute(out, L"width", width);
    AppendAttribute(out, L"text-align", L"right");
    AppendAttribute(out, L"background-type", L"circle");
    out.AppendText(L"><Text");
    AppendAttribute(out, L"font-size", 11);
    AppendAttribute(out, L"font-weight", 600);
    AppendAttribute(out, L"color", Html(text).GetBuffer());
    AppendAttribute(out, L"text-align", L"center");
    out.AppendChar(L'>');
    out.Append(BadgeLabel(n));
    out.AppendText(L"</Text></Div></Div>");
}

bool RequestNotifications::ReadMessageIds(const char* text, size_t length, CTString& ids)
{
    ids.Empty();
    if (!text || JsonNestsDeeperThan(text, length))
        return false;
    nlohmann::json message = nlohmann::json::parse(text, text + length, nullptr, false);
    if (message.is_discarded() || !message.is_object())
        return false;
    auto data = message.find("data");
    if (data == message.end() || !data->is_object())
        return true;
    for (const auto& member : data->items()) {
        __int64 id = 0;
        if (!ParseId(member.key(), id) || !member.value().is_object())
            continue;
        auto action = member.value().find("a");
        if (action == member.value().end() || !action->is_string())
            continue;
        const std::string& a = action->get_ref<const std::string&>();
        if (a != "a" && a != "u")
            continue;
        if (!ids.IsEmpty())
            ids.AppendChar(L',');
        CTString number;
        number.AppendQWORD(static_cast<unsigned __int64>(id));
        ids.Append(number);
    }
    return true;
}

bool RequestNotifications::BuildActionForm(__int64 requestId, int action, CAttributes& form)
{
    const wchar_t* type = nullptr;
    switch (action) {
    case Cancel: type = L"CANCEL"; break;
    case Assign: type = L"ASSIGN"; break;
    case Complete: type = L"COMPLETE"; break;
    case Acknowledge: type = L"ACKNOWLEDGE"; break;
    default: return false;
    }
    form.SetText(CTString(L"TYPE"), CTString(type));
    form.SetNumber(CTString(L"ID"), requestId);
    return true;
}
