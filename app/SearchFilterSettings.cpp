#include "app/SearchFilterSettings.h"

#include "foundation/CTTokenString.h"
#include "framework/CTRegKey.h"

namespace {

constexpr UINT kRegistryRoot = 104;

CTString FilterKeyPath(const CTString& connection)
{
    CTString path(L"Settings\\");
    path.Append(connection);
    path.AppendText(L"\\SearchFilter");
    return path;
}

} // namespace

SearchFilterSettings& SearchFilterSettings::Instance()
{
    static SearchFilterSettings settings;
    return settings;
}

void SearchFilterSettings::SetDefaults()
{
    EnableLimit = true;
    Limit = 50;
    EnableTypeLimit = false;
    Types.clear();
}

CTString SearchFilterSettings::JoinTypes(const std::vector<int>& types)
{
    CTString text;
    for (size_t i = 0; i < types.size(); ++i) {
        if (i)
            text.AppendChar(L'|');
        text.AppendInt(types[i]);
    }
    return text;
}

std::vector<int> SearchFilterSettings::SplitTypes(const CTString& text)
{
    std::vector<int> types;
    if (text.IsEmpty())
        return types;
    CTTokenString tokens(text);
    tokens.SetSeparators(L"|", 0);
    CTString token;
    for (unsigned i = 0; tokens.GetToken(i, token); ++i) {
        token.Trim(L'|');
        if (token.IsEmpty())
            break;
        types.push_back(token.ToInt());
    }
    return types;
}

void SearchFilterSettings::Load(const CTString& connection)
{
    SetDefaults();
    CTRegKey key(kRegistryRoot, nullptr, FilterKeyPath(connection).GetBuffer());
    EnableTypeLimit = key.ReadBool(L"EnableTypeLimit", EnableTypeLimit);
    CTString types;
    key.ReadString(types, L"Types", L"");
    Types = SplitTypes(types);
    EnableLimit = key.ReadBool(L"EnableLimit", EnableLimit);
    Limit = key.ReadInt(L"Limit", Limit);
}

void SearchFilterSettings::Save(const CTString& connection) const
{
    CTRegKey key(kRegistryRoot, nullptr, FilterKeyPath(connection).GetBuffer());
    key.WriteBool(L"EnableTypeLimit", EnableTypeLimit);
    key.WriteString(L"Types", JoinTypes(Types).GetBuffer());
    key.WriteBool(L"EnableLimit", EnableLimit);
    key.WriteInt(L"Limit", Limit);
}
