#pragma once
// A main window on a recording transport with the people module registered, the type definitions a
// computer pane reads, computers in the server's reply shape, sent forms read back as fields, and
// answers to the requests the pane sent.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>
#include "app/AppFixture.h"
#include "app/MainWindow.h"
#include "people/DlgComputer.h"
#include "people/PeopleWindows.h"
#include "structure/StructureFixture.h"

namespace computertest {

using namespace apptest;
using structuretest::Fields;
using structuretest::ParseForm;

struct Attr {
    const char* name;
    std::string value;
};

enum : int { kComputerType = 6, kDeploymentType = 8, kTransferType = 37 };

// Attribute ids, kinds and edit rules as the sample directory gives them.
inline std::string AttribXml(const std::string& name, const std::string& value)
{
    struct Definition {
        const char* name;
        int id;
        const char* kind;
        const char* edit;
    };
    static const Definition definitions[] = {
        {"tree_image", 103, "value_varchar", ""}, {"link_deployment_type", 105, "value_iddirectory", ""},
        {"deployment_status", 106, "value_int", ""}, {"link_legacy_computer", 108, "value_iddirectory", ""},
        {"link_deployed_computer", 109, "value_iddirectory", ""}, {"link_user", 113, "value_iddirectory", ""},
        {"completed", 133, "value_date", ""}, {"link_user_request", 147, "value_iddirectory", ""},
        {"assets_requested", 153, "value_iddirectory_array", ""}, {"assets_transferred", 154, "value_iddirectory_array", ""},
        {"serial_number", 155, "value_varchar", ""}, {"asset_tag", 156, "value_varchar", ""},
        {"vendor", 157, "value_varchar", ""}, {"model", 158, "value_varchar", ""},
        {"link_order", 165, "value_iddirectory_array", ""}, {"deployment_id", 166, "value_varchar", ""},
        {"link_user_accept", 168, "value_iddirectory", ""},
        {"computer_type", 183, "value_int", "TYPE=Combo|VALUES=Desktop,Laptop,Tablet"},
        {"asset_type", 184, "value_int", "TYPE=Combo|VALUES=Unassigned,Available,Deployed"},
        {"computer_name", 185, "value_varchar", ""}, {"link_deployment_lock", 186, "value_iddirectory", ""},
        {"tag", 193, "value_varchar", ""}, {"vim", 202, "value_int", ""}, {"shared", 450, "value_int", ""},
        {"link_asset_transfer", 451, "value_iddirectory", ""}, {"link_asset_destination", 452, "value_iddirectory", ""},
        {"link_asset_location", 140, "value_iddirectory", ""}, {"order_date", 151, "value_date", ""},
    };
    for (const Definition& d : definitions)
        if (name == d.name)
            return "<attrib id=\"" + std::to_string(d.id) + "\" name=\"" + name + "\" edit=\"" + d.edit +
                   "\" default=\"0\" inherit=\"0\" type=\"" + d.kind + "\">" + value + "</attrib>";
    ADD_FAILURE() << "no attribute definition for " << name;
    return "";
}

inline std::string ObjectXml(__int64 id, int type, __int64 parent, const std::string& name,
                             const std::vector<Attr>& attrs, int serial = 4)
{
    std::string xml = "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
                      std::to_string(parent) + "\" serial=\"" + std::to_string(serial) + "\" name=\"" + name +
                      "\" created=\"1700000000\" updated=\"1700000000\">";
    for (const Attr& a : attrs)
        xml += AttribXml(a.name, a.value);
    return xml + "</object>";
}

inline Object ObjectOf(const std::string& xml)
{
    std::wstring wide(xml.begin(), xml.end());
    TiXmlDocument doc;
    doc.Parse(wide.c_str(), nullptr, 0);
    Object object;
    if (TiXmlElement* element = doc.FirstChildElementNamed(L"object"))
        object.ReadFromXml(element, true);
    return object;
}

// Every attribute a computer pane edits, with the values given.
inline std::vector<Attr> ComputerAttrs(const std::vector<Attr>& extra)
{
    std::vector<Attr> attrs = {{"computer_name", "PC-300"}, {"vendor", "Dell"}, {"model", "Latitude"},
                               {"serial_number", "SN300"}, {"asset_tag", "A-300"}, {"computer_type", "1"},
                               {"asset_type", "2"}, {"vim", "0"}, {"shared", "0"}, {"tag", "Loan"},
                               {"link_user", "0"}};
    for (const Attr& a : extra) {
        bool replaced = false;
        for (Attr& have : attrs)
            if (std::string(have.name) == a.name) {
                have.value = a.value;
                replaced = true;
            }
        if (!replaced)
            attrs.push_back(a);
    }
    return attrs;
}

struct ComputerPaneFixture : testing::Test {
    enum : __int64 { kLocation = 530, kComputer = 300, kView = 52 };

    TestApp t;
    BoxRecorder boxes;
    MainWindow* main = nullptr;
    std::set<size_t> answered;

    void SetUp() override
    {
        RegisterPeopleWindows(t.app->m_catalogue);
        main = t.app->m_mainWindow;
        ASSERT_NE(main, nullptr);
        main->m_idle = true;
        main->m_cache.loaded |= MainWindowCache::LoadTypes;
        std::vector<Object>& types = main->m_cache.types;
        types.push_back(ObjectOf(ObjectXml(kComputerType, kComputerType, 3, "Computer",
                                           ComputerAttrs({{"asset_type", "0"}, {"computer_type", "0"}}), 1)));
        types.push_back(ObjectOf(ObjectXml(kTransferType, kTransferType, 3, "Asset Transfer",
                                           {{"assets_requested", ""}, {"assets_transferred", ""}}, 1)));
        DefineType(*t.app, kDeploymentType, L"Deployment");
        for (const Object& definition : types) {
            CTString lower(definition.name);
            lower.MakeLower();
            main->m_cache.typeNames[lower] = definition;
        }
    }

    static std::string Computer(__int64 id, __int64 parent, const std::vector<Attr>& extra = {}, int serial = 4)
    {
        return ObjectXml(id, kComputerType, parent, "PC-" + std::to_string(id), ComputerAttrs(extra), serial);
    }

    // Answers every request to path not answered yet, each with the same body.
    void ReplyAll(const std::string& path, const std::string& body)
    {
        const size_t waiting = t.transport->m_sent.size();
        for (size_t i = 0; i < waiting; ++i) {
            if (t.transport->m_sent[i].path != path || answered.count(i))
                continue;
            answered.insert(i);
            auto completion = t.transport->m_sent[i].completion;
            TxRx result;
            CTByteArray headerBytes = Utf16Bytes(XmlHeaders()), bodyBytes = Bytes(body);
            result.SwapBytes(1u, headerBytes);
            result.SwapBytes(2u, bodyBytes);
            completion(result);
            t.Pump();
        }
    }

    // The forms sent to path, in order.
    std::vector<Fields> Forms(const std::string& path) const
    {
        std::vector<Fields> forms;
        for (const Sent& sent : t.transport->m_sent)
            if (sent.path == path)
                forms.push_back(ParseForm(sent.body));
        return forms;
    }
    size_t Count(const std::string& path) const { return t.transport->CountPath(path); }

    DlgComputer* Open(__int64 id, const std::string& computer)
    {
        EXPECT_TRUE(main->ShowConsole(DlgComputer::kConsoleType, id, false));
        t.Pump();
        auto* pane = dynamic_cast<DlgComputer*>(main->FindConsole(DlgComputer::kConsoleType, id));
        if (!pane)
            return nullptr;
        ReplyAll("api/api_objGet.php", Doc("<parameters ID=\"" + std::to_string(id) + "\"/>" + computer));
        return pane;
    }

    // Delivers a reply to the pane as the main window's routing would.
    void Deliver(DlgComputer* pane, int request, __int64 param2, const std::string& body, int rc = 0)
    {
        std::string inner = body;
        if (rc != 0)
            inner = "<RC id=\"" + std::to_string(rc) + "\" text=\"Refused\"/>" + body;
        apptest::Deliver(t, pane->Route(request, param2, true), L"api/x.php", XmlHeaders(), Doc(inner));
    }

    // Selects a tab as a click does.
    static void SelectTab(DlgComputer* pane, int index)
    {
        HWND tab = GetDlgItem(pane->GetHwnd(), DlgComputer::kIdTabs);
        NMHDR changing = {tab, DlgComputer::kIdTabs, static_cast<UINT>(TCN_SELCHANGING)};
        SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgComputer::kIdTabs, reinterpret_cast<LPARAM>(&changing));
        SendMessageW(tab, TCM_SETCURSEL, index, 0);
        NMHDR changed = {tab, DlgComputer::kIdTabs, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgComputer::kIdTabs, reinterpret_cast<LPARAM>(&changed));
    }
    static std::vector<std::wstring> TabTexts(DlgComputer* pane)
    {
        std::vector<std::wstring> texts;
        HWND tab = GetDlgItem(pane->GetHwnd(), DlgComputer::kIdTabs);
        for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
            wchar_t text[64] = {};
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            TabCtrl_GetItem(tab, i, &item);
            texts.push_back(text);
        }
        return texts;
    }
    static std::wstring Text(DlgComputer* pane, int id)
    {
        wchar_t text[512] = {};
        GetDlgItemTextW(pane->GetHwnd(), id, text, 512);
        return text;
    }
    // Types into an edit field as a person does: the field sends its change notice.
    static void Type(DlgComputer* pane, int id, const wchar_t* text) { SetDlgItemTextW(pane->GetHwnd(), id, text); }
    static bool Enabled(DlgComputer* pane, int id) { return IsWindowEnabled(GetDlgItem(pane->GetHwnd(), id)) != FALSE; }
    static bool Shown(DlgComputer* pane, int id)
    {
        return (GetWindowLongPtrW(GetDlgItem(pane->GetHwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
};

} // namespace computertest
