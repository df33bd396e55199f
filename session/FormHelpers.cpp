#include "session/FormHelpers.h"
#include "controls/CGDIManager.h"
#include "controls/CTWndHeader.h"
#include "controls/CTWndPropertyList.h"
#include "foundation/CTTime.h"
#include "foundation/CTTokenString.h"
#include "foundation/IPv4Address.h"
#include "foundation/UnixClock.h"
#include "session/Dir.h"
#include "session/MainWindowLookups.h"

namespace {

const wchar_t* TextOf(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

int AddComboItem(HWND combo, const wchar_t* text, LPARAM data)
{
    int index = static_cast<int>(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    if (index >= 0)
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return index;
}

// The values of the first "VALUES=" item of an edit definition.
std::vector<CTString> AllowedValues(const CTString& spec)
{
    std::vector<CTString> values;
    std::vector<CTString> items;
    SplitAtBar(items, spec);
    for (const CTString& item : items) {
        if (item.GetLength() < 7 || CompareStringOrdinal(TextOf(item), 7, L"VALUES=", 7, TRUE) != CSTR_EQUAL)
            continue;
        CTString rest;
        item.MidToEnd(rest, 7);
        CTTokenString list(rest);
        list.SetSeparators(L",", 0);
        CTString value;
        for (unsigned i = 0; list.GetTokenUncached(i, value); ++i) {
            value.Trim(L'\'');
            values.push_back(value);
        }
        break;
    }
    return values;
}

COLORREF ColourEntry(int id)
{
    CGDIManager::CObject* entry = CGDIManager::Instance()->Find(id);
    return entry ? static_cast<COLORREF>(entry->Get()) : 0;
}

} // namespace

void FillComboWithObjects(HWND combo, const std::vector<Object>& objects, const CAttribute& current, bool addNone)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    if (addNone) {
        int index = AddComboItem(combo, L"<none>", -1);
        if (!current.HasValue())
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    for (const Object& object : objects) {
        Object copy(object);   // the localised name is read through a cache of its own
        int index = AddComboItem(combo, copy.name.GetUserText(), static_cast<LPARAM>(object.id));
        if (current.HasValue() && current.GetValue() == object.id)
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void FillComboFromAttributeValues(HWND combo, const CTString& name, const Object& object, bool addAny)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    CAttribute value;
    object.GetAttribute(value, name);
    const __int64 current = value.GetValue();
    CTString spec;
    object.GetAttributeEditSpec(name, spec);
    std::vector<CTString> values = AllowedValues(spec);
    for (size_t i = 0; i < values.size(); ++i) {
        int index = AddComboItem(combo, TextOf(values[i]), static_cast<LPARAM>(i));
        if (static_cast<__int64>(i) == current)
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    if (addAny) {
        int index = AddComboItem(combo, L"<Any>", -1);
        if (current == -1)
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

std::vector<CTString>& SplitAtBar(std::vector<CTString>& out, const CTString& text)
{
    out.clear();
    CTTokenString items(text);
    items.SetSeparators(L"|", 0);
    CTString item;
    for (unsigned i = 0; items.GetTokenUncached(i, item); ++i)
        out.push_back(item);
    return out;
}

bool SetAttributeInherited(int mode, Object& object, const CTString& name)
{
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    Object type;
    if (lookups)
        lookups->GetTypeById(type, object.type);
    if (!type.IsAttributeInheritable(name))
        return true;
    if (mode & 1) {
        if (!object.IsAttributeDefault(name))
            object.ResetAttribute(name);
        return false;
    }
    if (object.IsAttributeDefault(name))
        object.OverrideDefault(name);
    return true;
}

void StorePropertyRows(CTWndPropertyList& grid, Object& object, bool keepType)
{
    if (!grid.m_hWnd)
        return;
    CTString text;
    __int64 data = 0;
    for (int row = 0; grid.GetValueText(row, text, data); ++row) {
        CTString name;
        if (data == 0 || !object.GetAttributeNameById(static_cast<int>(data), name))
            continue;
        if (!SetAttributeInherited(grid.IsChecked(row) ? 1 : 0, object, name) ||
            grid.IsReadOnly(row))
            continue;
        const Object::Attribute* current = object.FindAttribute(name);
        if (!current)
            continue;
        CAttribute value;
        grid.GetValue(row, value);
        if (keepType) {
            object.SetAttribute(name, value);
            continue;
        }
        const int type = current->GetType();
        CAttribute values;
        object.GetEditSpecItem(values, name, CTString(L"VALUES"));
        __int64 position = 0;
        if (values.GetTextLength() && object.FindAllowedValueIndex(name, text, position))
            value = CAttribute(CAttribute::Integer, position);
        else if (type == CAttribute::Integer)
            value = CAttribute(CAttribute::Integer, CAttribute::IsTextType(value.GetType())
                                                        ? ReadDecimal64(text.GetBuffer())
                                                        : value.GetValue());
        else if (CAttribute::IsTextType(type))
            value = CAttribute(type, text);
        else
            value.SetValue(type, value.GetValue());
        object.SetAttribute(name, value);
    }
}

void ApplyHeaderColours(CTWndHeader& header)
{
    header.SetBackColour(ColourEntry(kHeaderBackColour));
    header.SetTextColour(ColourEntry(kHeaderTextColour));
    header.ApplyStyle();
}

CTListCtrlReport::Row& BuildEventListRow(CTListCtrlReport::Row& row, int columns, const Object& item, bool withUser,
                                         bool& isNew, bool& isUpdated, Dir* dir)
{
    row.m_data = reinterpret_cast<void*>(static_cast<UINT_PTR>(item.id));
    const __int64 created = item.created.GetValue();
    const __int64 updated = item.updated.GetValue();
    row.AddAttribute(CAttribute(CAttribute::DateTimeSeconds, created));

    CTString typeName;
    if (MainWindowLookups* lookups = MainWindowLookups::Installed()) {
        Object type;
        lookups->GetTypeById(type, item.type);
        typeName = type.name.GetUserText();
    }
    row.AddText(typeName);

    if (item.HasAttribute(CTString(L"duration"))) {
        CAttribute duration;
        item.GetAttribute(duration, CTString(L"duration"));
        row.AddAttribute(CAttribute(CAttribute::DurationSeconds, duration.GetValue()));
    } else if (updated > created) {
        row.AddAttribute(CAttribute(CAttribute::DurationSeconds, updated - created));
    } else {
        row.AddText(CTString());
    }

    if (withUser) {
        CAttribute user;
        item.GetAttribute(user, CTString(L"link_user"));
        CTString userName;
        if (dir && user.HasValue()) {
            Object found(*dir->Lookup(user.GetValue()));
            userName = found.name.GetUserText();
        }
        row.AddText(userName);
    }

    CAttribute display;
    item.GetAttribute(display, CTString(L"console_display_attribs"));
    std::vector<CTString> names;
    SplitAtBar(names, display.GetString());
    int added = 0;
    for (const CTString& name : names) {
        if (added >= columns)
            break;
        CAttribute value;
        item.GetAttribute(value, name);
        CAttribute values;   // a text when the edit definition has a "VALUES" item
        item.GetEditSpecItem(values, name, CTString(L"VALUES"));
        if (name.Compare(L"ip_address") == 0) {
            unsigned address = 0;
            ParseIPv4Address(value.GetString(), &address);
            value = CAttribute(CAttribute::IPv4, static_cast<__int64>(address));
        } else if (CAttribute::IsTextType(values.GetType())) {
            item.GetAttributeValueText(value, name);
        } else if (!CAttribute::IsTextType(value.GetType()) && item.IsAttributeDefault(name)) {
            value = CAttribute(CTString());
        }
        row.AddAttribute(value);
        ++added;
    }
    for (; added < columns; ++added)
        row.AddText(CTString());

    const __int64 now = UnixClock::Now();
    if (now < created + kRecentSeconds)
        isNew = true;
    if (now < updated + kRecentSeconds)
        isUpdated = true;
    return row;
}

void RestrictHtmlImageSources(CTString& html, const CTString& serverText)
{
    CTString lower(html);
    if (lower.GetLength())
        CharLowerBuffW(lower.GetBuffer(), lower.GetLength());
    if (lower.Find(CTString(L"<html")) < 0) {
        CTString wrapped(L"<html><body>");
        wrapped.Append(html);
        wrapped.AppendText(L"</body></html>");
        html = wrapped;
    }
    html.Replace(CTString(L"src=\"denied:"), CTString(L"src=\""), true);

    CTString server;
    CTString scheme;
    serverText.Left(scheme, 4);
    if (scheme.GetLength() < 4 || scheme.CompareNoCase(L"http") != 0)
        server = L"https://";
    server.Append(serverText);
    CTString with(L"src=\"");
    with.Append(server);
    with.AppendText(L"/custom/images");
    html.Replace(CTString(L"src=\"/custom/images"), with, false);
}

void RestrictHtmlImageSources(CTString& html)
{
    MainWindowLookups* lookups = MainWindowLookups::Installed();
    RestrictHtmlImageSources(html, lookups ? lookups->GetServerText() : CTString());
}

bool HasLinkAccess(const Object* user)
{
    if (!user || !user->GetPrivilege(CTString(L"Logon")))
        return false;
    const __int64 startOfToday = CTTime(UnixClock::Now()).StartOfDay();
    CAttribute expires;
    user->GetAttribute(expires, CTString(L"linkaccess_expire"));
    return !CAttribute::IsTextType(expires.GetType()) && expires.GetValue() > startOfToday;
}
