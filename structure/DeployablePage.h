#pragma once
// The component list shared by the unit form, the computer-model form and the schedule-group form:
// every deployable component with Available / Default / Mandatory ticks by component type, a type
// filter menu, All / None / Invert on the rows shown, and (units only) an "Inherit Values" button.
// A mandatory component is a default one and a default one an available one; the row rule keeps
// that while the ticks change.
#include <windows.h>
#include <map>
#include <unordered_map>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTMenu.h"
#include "framework/CWMForm.h"
#include "session/Object.h"
#include "session/RequestResult.h"

class ObjectForm;
class TiXmlDocument;

// Ids in the order they were added; adding or removing one is constant time.
class ComponentIdSet {
public:
    void Assign(const std::vector<__int64>& ids);
    void Add(__int64 id);
    void Remove(__int64 id);
    void Set(__int64 id, bool on) { on ? Add(id) : Remove(id); }
    bool Contains(__int64 id) const { return m_where.count(id) != 0; }
    size_t Size() const { return m_where.size(); }
    std::vector<__int64> Ids() const;

private:
    std::vector<__int64> m_order;                 // removed entries become 0
    std::unordered_map<__int64, size_t> m_where;  // id -> position in m_order
};

class DeployablePage : public CWindowManager::CWMFormPage {
public:
    struct Variant {
        bool withDefault = true;      // the Default column and its set
        bool withInherit = true;      // the "Inherit Values" button
        bool hideModels = false;      // "Computer Stock" components are not listed
        __int64 searchTag = 10;       // second parameter of the component search
        const wchar_t* columns = L"Type;Name;Available;Default;Mandatory";
        const wchar_t* layoutKey = L"DlgOU::CDeployablePage";
    };

    static constexpr UINT kTemplateId = 371;
    static constexpr int kList = 1016;
    static constexpr int kCmdSelect = 122;
    static constexpr int kCmdInherit = 388;
    static constexpr int kCmdView = 389;
    static constexpr int kCmdAll = 32808, kCmdNone = 32809, kCmdInvert = 32810;
    static constexpr int kCmdViewAll = 32826;
    static constexpr int kCmdFirstType = 5000, kCmdLastType = 5198;
    static constexpr UINT kMenuSelect = 204, kMenuView = 205;
    static constexpr UINT kStrSelect = 146, kStrInherit = 158, kStrView = 159;
    static constexpr UINT kIconSelect = 188, kIconInherit = 207, kIconView = 208;
    static constexpr UINT kMsgRedraw = 1025;
    static constexpr int kReqIcon = 1022;
    static constexpr int kReqSearch = 1047;
    static constexpr int kColType = 0, kColName = 1, kColAvailable = 2;

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    std::vector<Object> m_components;         // all components of the last search reply
    ComponentIdSet m_available;
    ComponentIdSet m_default;
    ComponentIdSet m_mandatory;
    std::vector<__int64> m_types;             // component types in order of first appearance
    std::vector<CTString> m_typeNames;
    std::map<int, __int64> m_typeCommands;    // type-menu command -> type number
    __int64 m_filter = 0;                     // 0: every type
    bool m_firstFill = true;
    bool m_changed = false;                   // the sets or the inherit button changed since load/save
    bool m_enabled = true;
    CTMenu m_selectMenu;
    CTMenu m_viewMenu;
    HIMAGELIST m_viewImages = nullptr;
    std::vector<HICON> m_menuIcons;           // handed out for the type menu's items

    DeployablePage(ObjectForm* form, const Variant& variant);
    ~DeployablePage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool IsEnabled() override { return m_enabled; }
    bool CreatePage(HWND parent) override;

    // Replies 1022 (an icon) and the component search (1047 with this page's tag).
    void OnReply(RequestResult& reply);
    // Takes the components of a search reply (a form with its own search calls this, then FillList).
    void ReadComponents(TiXmlDocument& document);
    // Rebuilds the rows from the held components, sets and filter.
    void FillList();
    // All / None / Invert over the rows shown.
    void SelectRows(int command);
    void SetFilter(__int64 type);
    bool IsInheritPressed() const;
    int MandatoryColumn() const { return m_variant.withDefault ? 4 : 3; }
    // The check cell of a shown row (null when the row or column is not there).
    CTListCtrlEdit::Cell* CellOf(int item, int column) { return m_editor.FindCell(item, column); }

protected:
    ObjectForm* m_owner = nullptr;
    Variant m_variant;

private:
    static void OnValueChanged(void* context, int item, int column, CAttribute* value);
    void InitList();
    void ApplyRule(int item, bool changed);
    void SetInheritButton(bool pressed);
    void ShowSelectMenu();
    void ShowViewMenu();
    bool BuildViewMenu();
    int ImageFor(const Object& component);
    void Redraw();
    POINT MenuCorner(int command);
};
