#pragma once
// A recording application with the structure module registered, type definitions as the main
// window keeps them, sent forms read back as fields, and replies to the requests the forms sent.
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include "app/AppFixture.h"
#include "app/MainWindowCache.h"
#include "foundation/IShellLauncher.h"
#include "structure/StructureWindows.h"

namespace structuretest {

using Fields = std::map<std::string, std::string>;

inline std::string Decode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

inline Fields ParseForm(const std::string& body)
{
    Fields fields;
    size_t from = 0;
    while (from <= body.size()) {
        size_t amp = body.find('&', from);
        std::string pair = body.substr(from, amp == std::string::npos ? std::string::npos : amp - from);
        size_t eq = pair.find('=');
        if (!pair.empty())
            fields[Decode(pair.substr(0, eq))] = eq == std::string::npos ? "" : Decode(pair.substr(eq + 1));
        if (amp == std::string::npos)
            break;
        from = amp + 1;
    }
    return fields;
}

// The fields whose names start with prefix.
inline Fields WithPrefix(const Fields& fields, const std::string& prefix)
{
    Fields out;
    for (const auto& [key, value] : fields)
        if (key.rfind(prefix, 0) == 0)
            out[key] = value;
    return out;
}

// A type definition: attributes listed in inheritable carry the type's inherit mark.
inline Object& DefineStructureType(App& app, __int64 number, const wchar_t* name,
                                   const std::vector<std::pair<int, const wchar_t*>>& inheritable = {})
{
    MainWindowCache& cache = app.m_mainWindow->m_cache;
    std::erase_if(cache.types, [&](const Object& known) { return known.type == number; });
    Object definition;
    definition.id = number;
    definition.type = number;
    definition.name = name;
    for (const auto& [id, attribute] : inheritable) {
        Object::Attribute& a = definition.attributes[id];
        a.name = attribute;
        a.flags = Object::Attribute::Inherit;
    }
    cache.types.push_back(definition);
    CTString lower(name);
    lower.MakeLower();
    cache.typeNames[lower] = definition;
    cache.attributeCache.clear();
    return cache.types.back();
}

inline std::string Attr(int id, const char* name, const char* kind, const std::string& value, const char* extra = "")
{
    return "<attrib id=\"" + std::to_string(id) + "\" name=\"" + name + "\" type=\"" + kind + "\" " + extra + ">" +
           value + "</attrib>";
}

inline std::string ObjectXml(__int64 id, int type, const std::string& name, const std::string& attribs,
                             __int64 parent = 10)
{
    return "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
           std::to_string(parent) + "\" serial=\"4\" name=\"" + name +
           "\" created=\"1700000000\" updated=\"1700086400\">" + attribs + "</object>";
}

inline std::string ObjectReply(__int64 id, const std::string& object)
{
    return apptest::Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"" + std::to_string(id) + "\"/>" + object);
}

// The request bodies sent to path, in order.
inline std::vector<Fields> Sent(apptest::TestApp& t, const std::string& path)
{
    std::vector<Fields> out;
    for (const apptest::Sent& sent : t.transport->m_sent)
        if (sent.path == path)
            out.push_back(ParseForm(sent.body));
    return out;
}

// Answers the request to path whose ID field is id (the last such one).
inline void AnswerFor(apptest::TestApp& t, const std::string& path, __int64 id, const std::string& body)
{
    int which = -1, n = 0;
    for (const apptest::Sent& sent : t.transport->m_sent)
        if (sent.path == path) {
            if (ParseForm(sent.body)["ID"] == std::to_string(id))
                which = n;
            ++n;
        }
    ASSERT_GE(which, 0) << path << " " << id;
    t.Answer(path, apptest::XmlHeaders(), body, which);
}

// Records what would have been opened in the browser instead of opening it.
class RecordingLauncher : public IShellLauncher {
public:
    RecordingLauncher() { previous = SetShellLauncher(this); }
    ~RecordingLauncher() override { SetShellLauncher(previous); }
    HRESULT Open(const wchar_t* file) override
    {
        opened.push_back(file ? file : L"");
        return S_OK;
    }
    std::vector<std::wstring> opened;
    IShellLauncher* previous = nullptr;
};

inline std::wstring ItemText(HWND dialog, int id)
{
    wchar_t buffer[512] = {};
    GetDlgItemTextW(dialog, id, buffer, 512);
    return buffer;
}

} // namespace structuretest
