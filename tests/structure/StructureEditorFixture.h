#pragma once
// The structure editor on a recording application: type definitions with navigation flags, the
// allowed-child table, objects in the reply shapes the server sends, and helpers that drive the
// tree and the list.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/AppFixture.h"
#include "framework/FakeSeams.h"
#include "structure/DlgStructure.h"
#include "structure/StructureWindows.h"
#include "structure/StructureFixture.h"

namespace editortest {

using namespace apptest;
using structuretest::Fields;
using structuretest::Sent;

constexpr int kOu = 3, kSite = 4, kUser = 5, kLocation = 35, kRoute = 36, kFolder = 1;

inline std::string Nav(int flags)
{
    return structuretest::Attr(300, "console_setup_navigation", "value_int", std::to_string(flags));
}

inline std::string Obj(__int64 id, int type, __int64 parent, const std::string& name, int flags,
                       const std::string& extra = "")
{
    return structuretest::ObjectXml(id, type, name, Nav(flags) + extra, parent);
}

inline std::string Children(__int64 parent, const std::string& objects)
{
    return Doc("<RC id=\"0\" text=\"\"/><parameters PARENT=\"" + std::to_string(parent) + "\"/>" + objects);
}

inline std::string AllowedRow(int parent, const char* label, int count, int child)
{
    return "<row><p>" + std::to_string(parent) + "</p><l>" + label + "</l><c>" + std::to_string(count) +
           "</c><t>" + std::to_string(child) + "</t></row>";
}

inline std::string AllowedTable()
{
    return Doc("<RC id=\"0\" text=\"\"/><column name=\"p\" flags=\"0\" len=\"4\" type=\"3\"/>"
               "<column name=\"l\" flags=\"0\" len=\"64\" type=\"254\"/><column name=\"c\" flags=\"0\" len=\"4\" type=\"3\"/>"
               "<column name=\"t\" flags=\"0\" len=\"4\" type=\"3\"/>" +
               AllowedRow(kOu, "OU", 1, kOu) + AllowedRow(kOu, "OU", 1, kSite) + AllowedRow(kOu, "OU", 1, kLocation) +
               AllowedRow(kSite, "Site", 0, kUser) + AllowedRow(kLocation, "Asset Location", 0, kRoute) +
               AllowedRow(kRoute, "Route [AT]", 1, kLocation));
}

struct Editor : TestApp {
    DlgStructure* pane = nullptr;

    explicit Editor(const wchar_t* settingsName = L"Acme Settings")
    {
        RegisterStructureWindows(app->m_catalogue);
        MainWindowCache& cache = app->m_mainWindow->m_cache;
        cache.administrator.id = 90;
        Define(kOu, L"OU", 3, true);
        Define(kSite, L"Site", 3, true);
        Define(kUser, L"Schedule User", 2, false);
        Define(kLocation, L"Asset Location", 3, true);
        Define(kRoute, L"Route [AT]", 0, false);
        Define(kFolder, L"Folder", 0, false);
        cache.systemSettings.id = 6;
        Object::Attribute& name = cache.systemSettings.attributes[118];
        name.name = L"name";
        name.Assign(CAttribute(CTString(settingsName)));
        cache.loaded |= MainWindowCache::LoadTypes;
    }

    // A type definition with its navigation flags and, when asked, a "name" attribute (id 1).
    void Define(int number, const wchar_t* typeName, int flags, bool withName)
    {
        Object& definition = structuretest::DefineStructureType(*app, number, typeName);
        Object::Attribute& nav = definition.attributes[2];
        nav.name = L"console_setup_navigation";
        nav.Assign(CAttribute(CAttribute::Integer, flags));
        if (withName) {
            Object::Attribute& name = definition.attributes[1];
            name.name = L"name";
            name.Assign(CAttribute(CTString(typeName)));
        }
        CTString lower(typeName);
        lower.MakeLower();
        app->m_mainWindow->m_cache.typeNames[lower] = definition;
    }

    // Shows the pane and answers its allowed-child request.
    DlgStructure* Show(bool answerTable = true)
    {
        app->m_mainWindow->ShowConsole(DlgStructure::kConsoleType, 0, false);
        Pump();
        pane = dynamic_cast<DlgStructure*>(app->m_mainWindow->FindConsole(DlgStructure::kConsoleType, 0));
        if (pane && answerTable)
            Reply("api/api_dirGetAllowedChild.php", AllowedTable());
        return pane;
    }

    void Reply(const std::string& path, const std::string& body) { Answer(path, XmlHeaders(), body); }

    std::vector<Fields> Requests(const std::string& path) { return structuretest::Sent(*this, path); }

    HWND Tree() const { return pane->m_tree.m_hWnd; }
    HWND List() const { return pane->m_list.m_hWnd; }

    HTREEITEM Item(__int64 id) { return pane->TreeItemOf(id); }

    std::wstring ItemText(HTREEITEM item)
    {
        wchar_t buffer[256] = {};
        TVITEMW data = {};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = buffer;
        data.cchTextMax = 256;
        TreeView_GetItem(Tree(), &data);
        return buffer;
    }

    std::vector<std::wstring> ChildTexts(HTREEITEM parent)
    {
        std::vector<std::wstring> out;
        for (HTREEITEM child = TreeView_GetChild(Tree(), parent); child; child = TreeView_GetNextSibling(Tree(), child))
            out.push_back(ItemText(child));
        return out;
    }

    // The root expanded and its children answered.
    void ExpandRoot(const std::string& objects)
    {
        TreeView_Expand(Tree(), Item(pane->m_rootId), TVE_EXPAND);
        Pump();
        Reply("api/api_objSearch.php", Children(pane->m_rootId, objects));
    }

    // Selects a node (which lists it) and answers its first search with objects.
    void SelectNode(__int64 id, const std::string& objects)
    {
        size_t before = transport->CountPath("api/api_objSearch.php");
        TreeView_SelectItem(Tree(), Item(id));
        Pump();
        if (transport->CountPath("api/api_objSearch.php") > before)
            Reply("api/api_objSearch.php", Children(id, objects));
    }

    std::vector<std::wstring> ListNames()
    {
        std::vector<std::wstring> out;
        for (int i = 0; i < pane->m_list.GetItemCount(); ++i) {
            CAttribute cell;
            pane->m_list.GetCell(i, 0, cell);
            out.push_back(cell.GetText());
        }
        return out;
    }

    std::vector<__int64> ListIds()
    {
        std::vector<__int64> out;
        for (int i = 0; i < pane->m_list.GetItemCount(); ++i)
            out.push_back(reinterpret_cast<__int64>(pane->m_list.GetRowData(i)));
        return out;
    }

    void SelectRows(const std::vector<__int64>& ids)
    {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
        for (__int64 id : ids)
            ListView_SetItemState(List(), pane->m_list.FindRowByData(reinterpret_cast<void*>(id)), LVIS_SELECTED,
                                  LVIS_SELECTED);
    }

    std::wstring StatusText()
    {
        return Wide(app->m_mainWindow->m_statusTexts[app->m_mainWindow->GetPaneKey(pane)]);
    }
};

} // namespace editortest
