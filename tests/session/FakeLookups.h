#pragma once
// The main window's caches for tests of the session helpers: status definitions, one deployment
// type (its flags and the status codes it allows), type definitions and the server text. Installed
// while it lives.
#include <map>
#include <vector>
#include "session/MainWindowLookups.h"

// Adds a named attribute to an object as a reply would.
inline Object::Attribute& Put(Object& object, const wchar_t* name, const CAttribute& value, DWORD flags = 0)
{
    int id = static_cast<int>(object.attributes.size()) + 1;
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
    return attribute;
}

inline Object Status(const wchar_t* code, const CAttribute& flags, const wchar_t* next = L"",
                     const wchar_t* failure = L"", const wchar_t* previous = L"", const wchar_t* name = L"")
{
    Object status;
    Put(status, L"code", CAttribute(CTString(code)));
    Put(status, L"deployment_attribs", flags);
    Put(status, L"code_next_success", CAttribute(CTString(next)));
    Put(status, L"code_next_failure", CAttribute(CTString(failure)));
    Put(status, L"code_prev", CAttribute(CTString(previous)));
    status.name = name;
    return status;
}

class FakeLookups : public MainWindowLookups {
public:
    FakeLookups() { Install(this); }
    ~FakeLookups() override { Install(nullptr); }

    Object& GetDeploymentStatus(Object& out, const CAttribute& code) override
    {
        out = Object();
        for (const Object& status : statuses) {
            CAttribute own;
            status.GetAttribute(own, CTString(L"code"));
            if (lstrcmpW(own.GetText(), code.GetText()) == 0) {
                out = status;
                break;
            }
        }
        return out;
    }
    CAttribute& GetDeploymentStatusAttribute(CAttribute& out, const Object& deployment, const CTString& name) override
    {
        CAttribute code;
        deployment.GetAttribute(code, CTString(L"deployment_status"));
        Object status;
        GetDeploymentStatus(status, code);
        return status.GetAttribute(out, name);
    }
    bool GetAvailableStatuses(std::vector<Object>& out, const Object&) override
    {
        out.clear();
        if (statuses.empty())
            return false;
        for (const Object& status : statuses) {
            CAttribute code;
            status.GetAttribute(code, CTString(L"code"));
            if (Allowed(code.GetText()))
                out.push_back(status);
        }
        return true;
    }
    void FilterAvailableStatusCodes(std::vector<CTString>& codes, const Object&) override
    {
        std::vector<CTString> kept;
        for (const CTString& code : codes)
            if (Allowed(code.GetBuffer() ? code.GetBuffer() : L""))
                kept.push_back(code);
        codes = kept;
    }
    bool HasDeploymentTypeFlag(const Object&, DWORD mask) override { return (typeFlags & mask) != 0; }
    Object& GetTypeById(Object& out, __int64 type) override
    {
        auto it = types.find(type);
        out = it == types.end() ? Object() : it->second;
        return out;
    }
    CTString GetServerText() override { return server; }

    bool Allowed(const wchar_t* code) const
    {
        if (available.empty())
            return true;
        for (const std::wstring& a : available)
            if (a == code)
                return true;
        return false;
    }

    std::vector<Object> statuses;
    std::vector<std::wstring> available;   // empty: the type allows every status
    DWORD typeFlags = 0;
    std::map<__int64, Object> types;
    CTString server;
};
