#pragma once
// The deployments view on a main window with a recording transport: groups, deployments, slots,
// users and computers in the server's reply shape, and helpers that answer the view's requests.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "PaneFixture.h"
#include "deployments/DlgDeployments.h"
#include "deployments/DlgDeploymentsPanels.h"
#include "framework/CTRegKey.h"

namespace viewtest {

using namespace deptest;

// name, kind ("value_int", "value_varchar", "value_iddirectory", "value_date"), value
using Field = std::tuple<std::string, std::string, std::string>;

inline std::string Xml(__int64 id, int type, __int64 parent, const std::string& name, const std::vector<Field>& fields,
                       const std::string& path = "")
{
    std::string xml = "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
                      std::to_string(parent) + "\" serial=\"1\" name=\"" + name + "\"" +
                      (path.empty() ? "" : " path=\"" + path + "\"") + ">";
    int aid = 700;
    for (const auto& [n, kind, value] : fields) {
        int known = AttrSpec(n).first;
        xml += "<attrib id=\"" + std::to_string(known < 600 ? known : aid++) + "\" name=\"" + n +
               "\" edit=\"\" default=\"0\" inherit=\"0\" type=\"" + kind + "\">" + value + "</attrib>";
    }
    return xml + "</object>";
}

enum : int { kSlotType = 12, kWindowType = 27 };

inline std::string GroupXml(__int64 id, const std::string& name, const std::string& members = "")
{
    std::vector<Field> fields;
    if (!members.empty())
        fields.push_back({"members", "value_iddirectory_array", members});
    return Xml(id, kGroupType, 2, name, fields, "\\Org\\" + name);
}

struct DepSpec {
    __int64 id = 0;
    __int64 group = 0;
    std::vector<Field> fields;
};

inline std::string DeploymentXml(const DepSpec& d)
{
    return Xml(d.id, kDeploymentType, d.group, "D" + std::to_string(d.id), d.fields);
}

class ViewFixture : public PaneFixture {
protected:
    static constexpr const wchar_t* kServer = L"depview-test";

    void SetUp() override
    {
        PaneFixture::SetUp();
        DefineType(*t.app, kSlotType, L"Deployment Slot");
        t.app->m_server = kServer;
        ClearRegistry();
    }

    static void ClearRegistry()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QEL\\Settings\\depview-test");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QEL\\DlgScheduleGroup::CPageDeployments");
    }

    static CTRegKey& ViewKey(CTRegKey& key)
    {
        key.SetPath(104, GetModuleHandleW(nullptr), L"Settings\\depview-test\\DlgDeployments");
        return key;
    }

    DlgDeployments* Open()
    {
        EXPECT_TRUE(main->ShowConsole(DlgDeployments::kConsoleType, 0, false));
        t.Pump();
        view = static_cast<DlgDeployments*>(main->FindConsole(DlgDeployments::kConsoleType, 0));
        return view;
    }

    // The bodies of the requests sent to path, in order.
    std::vector<std::string> Bodies(const std::string& path) const
    {
        std::vector<std::string> out;
        for (const Sent& sent : t.transport->m_sent)
            if (sent.path == path)
                out.push_back(sent.body);
        return out;
    }
    size_t CountBodies(const std::string& path, const std::string& part) const
    {
        size_t n = 0;
        for (const std::string& body : Bodies(path))
            n += body.find(part) != std::string::npos;
        return n;
    }

    // Answers the one request numbered index (in sending order) among those sent to path.
    void ReplyNth(const std::string& path, size_t index, const std::string& body)
    {
        size_t seen = 0;
        for (size_t i = 0; i < t.transport->m_sent.size(); ++i) {
            if (t.transport->m_sent[i].path != path)
                continue;
            if (seen++ != index)
                continue;
            answered.insert(i);
            auto completion = t.transport->m_sent[i].completion;
            TxRx result;
            CTByteArray headerBytes = Utf16Bytes(XmlHeaders()), bodyBytes = Bytes(body);
            result.SwapBytes(1u, headerBytes);
            result.SwapBytes(2u, bodyBytes);
            completion(result);
            t.Pump();
            return;
        }
        ADD_FAILURE() << "no request " << index << " to " << path;
    }

    static std::string Ok(const std::string& inner) { return Doc("<RC id=\"0\" text=\"\"/>" + inner); }
    static std::string Failed() { return Doc("<RC id=\"1001\" text=\"\"/>"); }

    void AnswerGroups(const std::vector<std::pair<__int64, std::string>>& groups)
    {
        std::string inner = "<parameters PARENT=\"0\" EDIT=\"TYPE='Schedule Group'\"/>";
        for (const auto& [id, name] : groups)
            inner += GroupXml(id, name, groupMembers);
        ReplyNth("api/api_dirGetLookup.php", 0, Ok(inner));
    }

    // The deployment ids of the list's rows, in row order.
    std::vector<__int64> RowIds()
    {
        std::vector<__int64> ids;
        CTListCtrlReportEx& report = view->Report();
        for (int item = 0; item < report.GetItemCount(); ++item)
            ids.push_back(reinterpret_cast<__int64>(report.GetRowData(item)));
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    std::wstring CellText(__int64 id, int column)
    {
        CTListCtrlReportEx& report = view->Report();
        CAttribute value;
        report.GetCell(report.FindRowByData(reinterpret_cast<void*>(id)), column, value);
        return value.GetText();
    }
    CAttribute Cell(__int64 id, int column)
    {
        CTListCtrlReportEx& report = view->Report();
        CAttribute value;
        report.GetCell(report.FindRowByData(reinterpret_cast<void*>(id)), column, value);
        return value;
    }

    DlgDeployments* view = nullptr;
    std::string groupMembers;   // the "members" of every group answered
};

} // namespace viewtest
