#include "session/Object.h"
#include <unordered_set>
#include "foundation/CTTokenString.h"
#include "foundation/TiXmlElement.h"
#include "foundation/TiXmlNode.h"

namespace {

const wchar_t* Buf(const CTString& text) { return text.GetBuffer() ? text.GetBuffer() : L""; }

// Names inside an object compare by length first, then with case.
bool NameMatches(const CTString& a, const CTString& b)
{
    return a.GetLength() == b.GetLength() && lstrcmpW(Buf(a), Buf(b)) == 0;
}

const wchar_t* Attr(const TiXmlElement* element, const wchar_t* name)
{
    const wchar_t* value = element->GetAttribute(name);
    return value ? value : L"";
}

// The text of an element: its first child when that is a text node.
const wchar_t* ElementText(const TiXmlElement* element)
{
    const TiXmlNode* child = element->FirstChild();
    if (child && child->GetType() == TiXmlNode::TEXT)
        return child->Value();
    return L"";
}

// Leaves exactly one item of that name in the form, holding value.
void SetSingle(CAttributes& form, const CTString& name, const CAttribute& value)
{
    unsigned count = 0;
    for (CAttributes::CItem* item = form.GetHead(); item; item = item->GetNextItem())
        if (CAttributes::NamesEqual(item->GetName(), name))
            ++count;
    if (count > 1)
        while (form.Find(name))
            form.Remove(name);
    form.Set(name, value);
}

unsigned __int64 ParseDigits(const wchar_t* text, bool& negative)
{
    negative = false;
    if (!text)
        return 0;
    while (*text == L' ' || *text == L'\t' || *text == L'\r' || *text == L'\n' || *text == L'\v' || *text == L'\f')
        ++text;
    if (*text == L'-' || *text == L'+')
        negative = *text++ == L'-';
    unsigned __int64 value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text)
        value = value * 10 + static_cast<unsigned>(*text - L'0');
    return value;
}

} // namespace

int ReadDecimal32(const wchar_t* text)
{
    bool negative;
    unsigned __int64 value = ParseDigits(text, negative);
    unsigned low = static_cast<unsigned>(value);
    return static_cast<int>(negative ? 0u - low : low);
}

__int64 ReadDecimal64(const wchar_t* text)
{
    bool negative;
    unsigned __int64 value = ParseDigits(text, negative);
    return static_cast<__int64>(negative ? 0ull - value : value);
}

// ---- Object::Attribute

Object::Attribute::Attribute(const Attribute& other)
    : CAttribute(other), name(other.name), editSpec(other.editSpec), flags(other.flags)
{
}

Object::Attribute& Object::Attribute::operator=(const Attribute& other)
{
    if (this != &other) {
        CAttribute::Assign(other);
        name.Assign(other.name);
        editSpec.Assign(other.editSpec);
        flags = other.flags;
    }
    return *this;
}

CAttribute& Object::Attribute::Assign(const CAttribute& other)
{
    return CAttribute::Assign(other);
}

// ---- Object

Object::Object(const Object& other)
    : CWindowManager::CWMFormData()
{
    Assign(other);
}

Object::~Object()
{
    name.Empty();
    path.Empty();
}

Object& Object::Assign(const Object& other)
{
    id = other.id;
    type = other.type;
    parent = other.parent;
    serial = other.serial;
    if (this == &other)
        return *this;
    name.AssignLocale(other.name);
    path.Assign(other.path);
    created.CAttribute::Assign(other.created);
    updated.CAttribute::Assign(other.updated);
    viewHandle = other.viewHandle;
    viewFlag = other.viewFlag;
    attributes = other.attributes;
    privileges = other.privileges;
    return *this;
}

void Object::Clear()
{
    id = type = parent = serial = 0;
    name.AssignText(L"");
    path.Empty();
    attributes.clear();
    privileges.clear();
    viewHandle = 0;
    viewFlag = 0;
}

void Object::ReadFromXml(TiXmlElement* element, bool clearFirst)
{
    if (clearFirst)
        Clear();
    if (!element)
        return;
    id = ReadDecimal32(element->GetAttribute(L"id"));
    type = ReadDecimal32(element->GetAttribute(L"type"));
    parent = ReadDecimal32(element->GetAttribute(L"parent"));
    serial = ReadDecimal32(element->GetAttribute(L"serial"));
    // The server escapes entities once more inside the name.
    name.AssignText(Attr(element, L"name"));
    path.AssignText(Attr(element, L"path"));
    name.XmlUnescape();
    created.SetValue(CAttribute::DateTime, ReadDecimal32(element->GetAttribute(L"created")));
    updated.SetValue(CAttribute::DateTime, ReadDecimal32(element->GetAttribute(L"updated")));

    for (TiXmlElement* child = element->FirstChildElementNamed(L"attrib"); child;
         child = child->NextSiblingElementNamed(L"attrib")) {
        Attribute& attribute = attributes[ReadDecimal32(child->GetAttribute(L"id"))];
        attribute.name.AssignText(Attr(child, L"name"));
        attribute.editSpec.AssignText(Attr(child, L"edit"));
        if (ReadDecimal32(child->GetAttribute(L"default")))
            attribute.flags |= Attribute::Default;
        else
            attribute.flags &= ~static_cast<DWORD>(Attribute::Default);
        if (ReadDecimal32(child->GetAttribute(L"inherit")))
            attribute.flags |= Attribute::Inherit;
        else
            attribute.flags &= ~static_cast<DWORD>(Attribute::Inherit);

        const wchar_t* kind = Attr(child, L"type");
        const wchar_t* text = ElementText(child);
        if (lstrcmpW(kind, L"value_varchar") == 0) {
            CTString value(text);
            value.XmlUnescape();
            attribute.SetText(CAttribute::Text, value);
        } else if (lstrcmpW(kind, L"value_int") == 0) {
            attribute.SetValue(CAttribute::Integer, ReadDecimal32(text));
        } else if (lstrcmpW(kind, L"value_date") == 0) {
            attribute.SetValue(CAttribute::DateTime, ReadDecimal32(text));
        } else if (lstrcmpW(kind, L"value_iddirectory") == 0) {
            attribute.SetValue(CAttribute::Integer, ReadDecimal32(text));
            attribute.flags |= Attribute::Link;
        } else if (lstrcmpW(kind, L"value_iddirectory_array") == 0) {
            attribute.SetText(CAttribute::Text, CTString(text));
            attribute.flags |= Attribute::LinkArray;
        }
    }

    for (TiXmlElement* child = element->FirstChildElementNamed(L"priv"); child;
         child = child->NextSiblingElementNamed(L"priv")) {
        Privilege& privilege = privileges[ReadDecimal32(child->GetAttribute(L"id"))];
        privilege.name.AssignText(Attr(child, L"name"));
        privilege.granted = ReadDecimal32(child->GetAttribute(L"value")) != 0;
    }
}

bool Object::IsModified() const
{
    for (const auto& [attributeId, attribute] : attributes)
        if (attribute.flags & Attribute::Dirty)
            return true;
    for (const auto& [privilegeId, privilege] : privileges)
        if (privilege.dirty)
            return true;
    return false;
}

Object::Attribute* Object::FindAttribute(const CTString& wanted)
{
    for (auto& [attributeId, attribute] : attributes)
        if (NameMatches(attribute.name, wanted))
            return &attribute;
    return nullptr;
}

const Object::Attribute* Object::FindAttribute(const CTString& wanted) const
{
    return const_cast<Object*>(this)->FindAttribute(wanted);
}

Object::Privilege* Object::FindPrivilege(const CTString& wanted)
{
    for (auto& [privilegeId, privilege] : privileges)
        if (NameMatches(privilege.name, wanted))
            return &privilege;
    return nullptr;
}

const Object::Privilege* Object::FindPrivilege(const CTString& wanted) const
{
    return const_cast<Object*>(this)->FindPrivilege(wanted);
}

bool Object::HasFlag(const CTString& wanted, DWORD flag) const
{
    const Attribute* attribute = FindAttribute(wanted);
    return attribute && (attribute->flags & flag);
}

CAttribute& Object::GetAttribute(CAttribute& out, const CTString& wanted) const
{
    out.Clear();
    if (const Attribute* attribute = FindAttribute(wanted))
        out.CAttribute::Assign(*attribute);
    return out;
}

bool Object::HasAttribute(const CTString& wanted) const
{
    return FindAttribute(wanted) != nullptr;
}

int Object::GetAttributeId(const CTString& wanted) const
{
    for (const auto& [attributeId, attribute] : attributes)
        if (NameMatches(attribute.name, wanted))
            return attributeId;
    return 0;
}

bool Object::GetAttributeNameById(int attributeId, CTString& out) const
{
    auto it = attributes.find(attributeId);
    if (it == attributes.end())
        return false;
    out.Assign(it->second.name);
    return true;
}

void Object::GetAttributeEditSpec(const CTString& wanted, CTString& out) const
{
    if (const Attribute* attribute = FindAttribute(wanted))
        out.Assign(attribute->editSpec);
    else
        out.Empty();
}

void Object::MarkChanged(Attribute& attribute, const CAttribute& value)
{
    if (!attribute.IsNotEqual(value))
        return;
    attribute.flags &= ~static_cast<DWORD>(Attribute::Default);
    attribute.flags |= Attribute::Dirty;
    attribute.CAttribute::Assign(value);
}

void Object::SetAttribute(const CTString& wanted, const CAttribute& value)
{
    if (Attribute* attribute = FindAttribute(wanted))
        MarkChanged(*attribute, value);
}

void Object::SetAttributeById(int attributeId, const CAttribute& value)
{
    MarkChanged(attributes[attributeId], value);
}

void Object::OverrideDefault(const CTString& wanted)
{
    Attribute* attribute = FindAttribute(wanted);
    if (attribute && (attribute->flags & Attribute::Default)) {
        attribute->flags &= ~static_cast<DWORD>(Attribute::Default);
        attribute->flags |= Attribute::Dirty;
    }
}

void Object::ResetAttribute(const CTString& wanted)
{
    Attribute* attribute = FindAttribute(wanted);
    if (attribute && !(attribute->flags & Attribute::Default)) {
        attribute->CAttribute::Clear();
        attribute->flags |= Attribute::Default | Attribute::Dirty;
    }
}

void Object::ClearAttributeDirty(const CTString& wanted)
{
    for (auto& [attributeId, attribute] : attributes)
        if (NameMatches(attribute.name, wanted))
            attribute.flags &= ~static_cast<DWORD>(Attribute::Dirty);
}

bool Object::GetPrivilege(const CTString& wanted) const
{
    const Privilege* privilege = FindPrivilege(wanted);
    return privilege && privilege->granted;
}

void Object::SetPrivilege(const CTString& wanted, bool granted)
{
    Privilege* privilege = FindPrivilege(wanted);
    if (privilege && privilege->granted != granted) {
        privilege->granted = granted;
        privilege->dirty = true;
    }
}

bool Object::CollectChanges(CAttributes& form, bool clearDirty)
{
    bool any = false;
    for (auto& [attributeId, attribute] : attributes) {
        if (!(attribute.flags & Attribute::Dirty))
            continue;
        any = true;
        // The state ResetAttribute leaves asks the server to delete the object's own value.
        bool deletion = (attribute.flags & Attribute::Default) && attribute.GetType() == CAttribute::Integer
                        && static_cast<unsigned>(attribute.m_value) == 0;
        CTString itemName;
        itemName.Format(deletion ? L"ATTRIBIDDEL_%d" : L"ATTRIBID_%d", attributeId);
        SetSingle(form, itemName, attribute);
        if (clearDirty)
            attribute.flags &= ~static_cast<DWORD>(Attribute::Dirty);
    }
    return any;
}

void Object::CollectPrivilegeChanges(CAttributes& form)
{
    for (auto& [privilegeId, privilege] : privileges) {
        if (!privilege.dirty)
            continue;
        CTString itemName;
        itemName.Format(L"PRIVID_%d", privilegeId);
        SetSingle(form, itemName, CAttribute(CAttribute::Integer, privilege.granted ? 1 : 0));
        privilege.dirty = false;
    }
}

// ---- Edit definitions and value lists

bool EditSpecItemEquals(const Object::Attribute& attribute, const CTString& key, const CTString& text)
{
    CAttribute item = CAttribute::ConstructFromSpec(attribute.editSpec, key);
    const wchar_t* itemText = CAttribute::IsTextType(item.GetType()) ? item.GetText() : L"";
    return lstrcmpiW(itemText, Buf(text)) == 0;
}

bool Object::EditSpecItemEquals(const CTString& wanted, const CTString& key, const CTString& text) const
{
    const Attribute* attribute = FindAttribute(wanted);
    return attribute && ::EditSpecItemEquals(*attribute, key, text);
}

CAttribute& Object::GetEditSpecItem(CAttribute& out, const CTString& wanted, const CTString& key) const
{
    const Attribute* attribute = FindAttribute(wanted);
    if (attribute)
        out.CAttribute::Assign(CAttribute::ConstructFromSpec(attribute->editSpec, key));
    else
        out.Clear();
    return out;
}

CAttribute& Object::GetAttributeValueText(CAttribute& out, const CTString& wanted) const
{
    out.Clear();
    const Attribute* attribute = FindAttribute(wanted);
    if (!attribute)
        return out;
    out.CAttribute::Assign(*attribute);
    // A text is its own display; only a stored index selects from the list.
    if (CAttribute::IsTextType(out.GetType()) || attribute->editSpec.IsEmpty())
        return out;

    CTTokenString items(attribute->editSpec);
    items.SetSeparators(L"|", 0);
    CTString item;
    for (unsigned i = 0; items.GetToken(i, item); ++i) {
        if (item.GetLength() < 7 || CompareStringOrdinal(Buf(item), 7, L"VALUES=", 7, TRUE) != CSTR_EQUAL)
            continue;
        CTString rest;
        item.MidToEnd(rest, 7);
        CTTokenString entries(rest);
        entries.SetSeparators(L",", 0);
        CTString entry;
        if (entries.GetToken(static_cast<unsigned>(out.m_value), entry)) {
            entry.TrimLeft(L'\'');
            entry.TrimRight(L'\'');
            out.SetText(CAttribute::Text, entry);
        }
        break;
    }
    return out;
}

bool Object::FindAllowedValueIndex(const CTString& wanted, const CTString& text, __int64& index) const
{
    const Attribute* attribute = FindAttribute(wanted);
    if (!attribute)
        return false;
    CAttribute list = CAttribute::ConstructFromSpec(attribute->editSpec, L"VALUES");
    if (!CAttribute::IsTextType(list.GetType()))
        return false;
    CTTokenString entries(list.GetString());
    entries.SetSeparators(L",", 0);
    CTString entry;
    for (unsigned i = 0; entries.GetToken(i, entry); ++i) {
        entry.TrimLeft(L'\'');
        entry.TrimRight(L'\'');
        if (lstrcmpiW(Buf(entry), Buf(text)) == 0) {
            index = i;
            return true;
        }
    }
    return false;
}

// ---- Link arrays

std::vector<__int64>& Object::GetLinkArray(std::vector<__int64>& out, const CTString& wanted) const
{
    out.clear();
    const Attribute* attribute = FindAttribute(wanted);
    if (!attribute || !(attribute->flags & Attribute::LinkArray))
        return out;
    CTTokenString pieces(attribute->GetString());
    pieces.SetSeparators(L"/", 0);
    CTString piece;
    for (unsigned i = 0; pieces.GetToken(i, piece); ++i) {
        piece.TrimLeft(L'/');
        piece.TrimRight(L'/');
        if (!piece.IsEmpty())
            out.push_back(ReadDecimal64(piece.GetBuffer()));
    }
    return out;
}

void Object::SetLinkArray(const CTString& wanted, const std::vector<__int64>& ids)
{
    Attribute* attribute = FindAttribute(wanted);
    if (!attribute || !(attribute->flags & Attribute::LinkArray))
        return;
    CTString text;
    if (!ids.empty()) {
        text.AssignText(L"/");
        CTString part;
        for (__int64 linked : ids) {
            part.Format(L"%I64d/", linked);
            text.Append(part);
        }
    }
    MarkChanged(*attribute, CAttribute(CAttribute::Text, text));
}

void AddOrRemoveByFlag(std::vector<__int64>& ids, __int64 linked, const CAttribute& flag)
{
    bool add = !CAttribute::IsTextType(flag.GetType()) && flag.GetValue() != 0;
    if (add) {
        for (__int64 present : ids)
            if (present == linked)
                return;
        ids.push_back(linked);
    } else {
        std::erase(ids, linked);
    }
}

void MergeUnique(std::vector<__int64>& ids, const std::vector<__int64>& more)
{
    std::unordered_set<__int64> held(ids.begin(), ids.end());
    for (__int64 linked : more)
        if (held.insert(linked).second)
            ids.push_back(linked);
}

// ---- Display name

namespace {

// A multi-language text under construction: languages in the order they were first touched.
struct LocaleBuilder {
    std::vector<std::pair<CTString, CTString>> parts;   // language, text

    CTString& Part(const CTString& language)
    {
        for (auto& [name, text] : parts)
            if (name.Equals(language))
                return text;
        parts.emplace_back(language, CTString());
        return parts.back().second;
    }

    CTString Compose() const
    {
        CTString out;
        for (const auto& [language, text] : parts)
            if (language.Equals(L"en-GB"))
                out.Append(text);
        for (const auto& [language, text] : parts) {
            if (language.Equals(L"en-GB"))
                continue;
            out.AppendChar(0x00A6);
            out.Append(language);
            out.AppendChar(0x00A6);
            out.Append(text);
        }
        return out;
    }

    bool IsEmpty() const { return Compose().IsEmpty(); }
};

bool IsLocaleSpec(const Object::Attribute& attribute)
{
    return lstrcmpW(Buf(attribute.editSpec), L"TYPE=Locale") == 0;
}

} // namespace

void Object::ApplyConsoleDisplayName()
{
    CAttribute listValue;
    GetAttribute(listValue, L"console_display_name");
    if (listValue.GetString().IsEmpty())
        return;

    std::vector<CTString> names;
    CTTokenString list(listValue.GetString());
    list.SetSeparators(L"|", 0);
    CTString listed;
    for (unsigned i = 0; list.GetToken(i, listed); ++i)
        names.push_back(listed);

    std::vector<CTString> languages;
    for (const CTString& listedName : names) {
        const Attribute* attribute = FindAttribute(listedName);
        if (!attribute || !IsLocaleSpec(*attribute))
            continue;
        CTStringLocale text(attribute->GetString());
        CTString language, part;
        for (unsigned i = 0; text.GetLocaleAt(i, language, part); ++i) {
            bool known = false;
            for (const CTString& have : languages)
                known = known || have.Equals(language);
            if (!known)
                languages.push_back(language);
        }
    }

    LocaleBuilder result;
    CTString plain;
    for (const CTString& listedName : names) {
        const Attribute* attribute = FindAttribute(listedName);
        if (!attribute || attribute->GetString().IsEmpty())
            continue;
        if (languages.empty()) {
            if (!plain.IsEmpty())
                plain.AppendChar(L' ');
            plain.Append(attribute->GetString());
            continue;
        }
        if (!result.IsEmpty())
            for (const CTString& language : languages)
                result.Part(language).AppendChar(L' ');
        if (IsLocaleSpec(*attribute)) {
            CTStringLocale text(attribute->GetString());
            CTString language, part;
            for (unsigned i = 0; text.GetLocaleAt(i, language, part); ++i)
                if (!part.IsEmpty())
                    result.Part(language).Append(part);
        } else {
            for (const CTString& language : languages)
                result.Part(language).Append(attribute->GetString());
        }
    }

    CTString composed = languages.empty() ? plain : result.Compose();
    if (!composed.IsEmpty())
        name.Assign(composed);
}

// ---- Orderings

namespace {

// Texts by lstrcmpW, other values as unsigned numbers; a non-text value (an absent attribute reads
// as the empty integer) sorts before any text, which keeps the order strict and weak on mixed lists.
int CompareValues(const CAttribute& a, const CAttribute& b)
{
    bool aText = CAttribute::IsTextType(a.GetType());
    bool bText = CAttribute::IsTextType(b.GetType());
    if (aText != bText)
        return aText ? 1 : -1;
    if (aText)
        return lstrcmpW(a.GetText(), b.GetText());
    unsigned __int64 x = static_cast<unsigned __int64>(a.m_value);
    unsigned __int64 y = static_cast<unsigned __int64>(b.m_value);
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // namespace

bool ObjectSortsBefore(const Object& a, const Object& b)
{
    // Each rule applies to both objects alike (an absent attribute is the empty integer), so that
    // the result is a strict weak ordering even when only one of the two has the attribute.
    CAttribute x, y;
    for (const wchar_t* key : {L"display_order", L"end_date"}) {
        int order = CompareValues(a.GetAttribute(x, key), b.GetAttribute(y, key));
        if (order != 0)
            return order < 0;
    }
    if (a.HasAttribute(L"name") || b.HasAttribute(L"name")) {
        CTStringLocale nameA(a.GetAttribute(x, L"name").GetString());
        CTStringLocale nameB(b.GetAttribute(y, L"name").GetString());
        int order = lstrcmpW(nameA.GetUserText(), nameB.GetUserText());
        if (order != 0)
            return order < 0;
    }
    return lstrcmpW(Buf(a.name), Buf(b.name)) < 0;
}

bool ObjectCreatedBefore(const Object& a, const Object& b)
{
    return a.created.IsLess(b.created);
}
