#include "lists/ImportMapping.h"
#include <ctime>
#include "foundation/CTTokenString.h"

namespace {
struct StandardLookup {
    const wchar_t* type;
    int scope;
    const wchar_t* field;
    const wchar_t* attrib;
    const wchar_t* sgLink;
};

const StandardLookup kStandardLookups[] = {
    {L"Computer", 2, L"email_address", L"link_user", L""},
    {L"OU", 2, L"path_link_organisation", L"link_organisation", L""},
    {L"OU", 2, L"path_link_deployment_location", L"link_deployment_location", L""},
    {L"OU", 2, L"path_link_site", L"link_site", L""},
    {L"OU", 2, L"path_link_project_manager", L"link_project_manager", L""},
    {L"OU", 2, L"path_link_primary_contact", L"link_primary_contact", L""},
    {L"OU", 2, L"path_link_secondary_contact", L"link_secondary_contact", L""},
    {L"Schedule Group", 2, L"path_link_organisation", L"link_organisation", L""},
    {L"Schedule Group", 2, L"path_link_deployment_location", L"link_deployment_location", L""},
    {L"Schedule Group", 2, L"path_link_site", L"link_site", L""},
    {L"Asset Location", 2, L"path_link_organisation", L"link_organisation", L""},
    {L"Asset Location", 2, L"path_link_site", L"link_site", L""},
    {L"Deployment", 2, L"computer_name", L"link_legacy_computer", L""},
    {L"Deployment", 2, L"serial_number", L"link_legacy_computer", L""},
    {L"Deployment", 2, L"deployed_computer_name", L"link_deployed_computer", L""},
    {L"Deployment", 2, L"deployed_serial_number", L"link_deployed_computer", L""},
    {L"Deployment", 2, L"email_address", L"link_user", L""},
    {L"Deployment", 1, L"end_date", L"link_deployment_slot", L""},
    {L"Deployment", 2, L"path_link_deployment_location", L"link_deployment_location", L""},
    {L"Deployment", 3, L"model", L"link_deploy_model", L"deployable_available"},
    {L"Deployment", 3, L"package_id", L"deployable", L"deployable_available"},
    {L"Deployment", 3, L"peripheral_id", L"deployable", L"deployable_available"},
    {L"Deployment", 2, L"deployment_type", L"link_deployment_type", L"deployment_type_available"},
};

CTString Trimmed(const CTString& text)
{
    CTString out(text);
    out.Trim(L' ');
    return out;
}

bool AllDigits(const CTString& text, bool allowMinus)
{
    const wchar_t* p = text.GetBuffer() ? text.GetBuffer() : L"";
    if (allowMinus && *p == L'-')
        ++p;
    if (!*p)
        return false;
    for (; *p; ++p)
        if (*p < L'0' || *p > L'9')
            return false;
    return true;
}

CTString Decimal(__int64 value)
{
    wchar_t buffer[32];
    _snwprintf(buffer, 32, L"%I64d", value);
    buffer[31] = 0;
    return CTString(buffer);
}
} // namespace

void RegisterImportLookups(Object& target, std::vector<LookupField>& lookups, CTString& typeName,
                           const MainWindowCache& cache)
{
    if (target.type == 0) {
        typeName.Replace(L"_", L" ", false);
        Object definition;
        target.Assign(cache.GetTypeByName(definition, typeName));
        if (target.type == 0 && typeName.Equals(L"new application"))
            target.Assign(cache.GetTypeByName(definition, CTString(L"Application")));
    }
    target.parent = 0;
    target.serial = 0;
    if (target.name.Equals(L"Deployment"))
        target.SetAttribute(L"amber_days", CAttribute(CAttribute::Integer, 0ll));
    for (const StandardLookup& row : kStandardLookups) {
        if (!target.name.Equals(row.type))
            continue;
        LookupField lookup;
        lookup.scope = row.scope;
        lookup.field = row.field;
        lookup.attrib = row.attrib;
        lookup.sgLink = row.sgLink;
        lookups.push_back(lookup);
    }
}

void SetImportAttribute(const CTString& value, const CTString& name, std::vector<LookupField>& lookups, Object& target,
                        const MainWindowCache& cache, bool exported)
{
    LookupField* matched = nullptr;
    if (name.CompareNoCase(L"slot") == 0) {
        for (LookupField& lookup : lookups) {
            if (lookup.field.Equals(L"end_date")) {
                lookup.field2 = L"link_deployment_slot_data";
                lookup.value2.Append(Decimal(cache.FindSlotDataId(value)));
                break;
            }
        }
    } else {
        size_t index = lookups.size();
        for (size_t i = 0; i < lookups.size(); ++i)
            if (lookups[i].field.Equals(name)) {
                index = i;
                break;
            }
        if (index < lookups.size()) {
            if (lookups[index].value.IsEmpty()) {
                LookupField& lookup = lookups[index];
                lookup.value = value;
                if (lookup.field.CompareNoCase(L"deployed_computer_name") == 0)
                    lookup.field = L"computer_name";
                else if (lookup.field.CompareNoCase(L"deployed_serial_number") == 0)
                    lookup.field = L"serial_number";
            } else {
                LookupField copy = lookups[index];
                copy.value = value;
                lookups.push_back(copy);
            }
            matched = &lookups[index];
        }
    }

    if (!target.HasAttribute(name))
        return;
    CAttribute current;
    target.GetAttribute(current, name);
    switch (current.GetType()) {
    case CAttribute::Text:
        target.SetAttribute(name, CAttribute(CAttribute::Text, Trimmed(value)));
        break;
    case CAttribute::Integer: {
        CTString text = Trimmed(value);
        __int64 number = 0;
        if (!target.FindAllowedValueIndex(name, text, number)) {
            if (text.CompareNoCase(L"N") == 0)
                number = 0;
            else if (text.CompareNoCase(L"Y") == 0)
                number = 1;
            else if (AllDigits(text, exported))
                number = ReadDecimal64(text.GetBuffer());
            else
                number = 0;
        }
        target.SetAttribute(name, CAttribute(CAttribute::Integer, number));
        target.OverrideDefault(name);
        break;
    }
    case CAttribute::DateTime: {
        CAttribute date;
        CTString text = Trimmed(value);
        if (exported && AllDigits(text, true))
            date.SetValue(CAttribute::DateTime, ReadDecimal64(text.GetBuffer()));
        else
            ParseImportDate(date, value.GetBuffer());
        target.SetAttribute(name, date);
        if (matched)
            matched->value = Decimal(date.GetValue());
        break;
    }
    default:
        break;
    }
}

CAttribute& ParseImportDate(CAttribute& out, const wchar_t* text)
{
    CTTokenString tokens(text ? text : L"");
    tokens.SetSeparators(L"-/", 0);
    int parts[3] = {};
    CTString token;
    for (unsigned i = 0; i < 3; ++i)
        if (tokens.GetToken(i, token) && !token.IsEmpty())
            parts[i] = ReadDecimal32(token.GetBuffer());
    tm when = {};
    when.tm_mday = parts[0];
    when.tm_mon = parts[1] - 1;
    when.tm_year = parts[2] - 1900;
    when.tm_isdst = 0;
    out.SetValue(CAttribute::DateTime, static_cast<__int64>(_mkgmtime64(&when)));
    return out;
}
