#pragma once
// A page of an object form on which the user ticks which candidate objects are linked to the
// form's object: a tick creates a link object under it, an untick deletes that link, and the
// link's own attributes are edited in the row. Saving sends every pending row at once and posts
// 1028 with the page's post value to the form once every row is settled.
#include <functional>
#include <memory>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CWMForm.h"
#include "framework/CTMenu.h"
#include "lists/ObjectPick.h"

struct RequestResult;
class CTWndToolbar;

class CPickPage : public CWindowManager::CWMFormPage {
public:
    enum TYPE : int { ToolbarCreated = 0, Filled = 1, SavedNothing = 2, ToolbarCommand = 3 };
    enum : int { kTemplate = 336, kIdList = 1016, kCmdSelect = 122 };
    enum : int { kCmdAll = 32808, kCmdNone = 32809, kCmdInvert = 32810, kCmdFirstColumn = 5000, kCmdLastColumn = 5198 };
    enum : UINT { kMsgSaved = WM_USER + 4 };
    enum : int { kReqIcon = 1022 };
    enum : UINT { kStrLoading = 148, kStrNoItems = 152 };

    using Callback = std::function<void(TYPE, CTWndToolbar&)>;

    // One entry of the Select menu per link-type column.
    struct CSelect {
        CTString name;
        int column = 0;
        int commands[3] = {};   // All, None, Invert
    };

    CPickPage(const CTString& title, int requestId, const Object& linkType, int postValue, Callback callback);
    ~CPickPage() override;

    // Takes over the candidates and the locked ids (the caller's containers are left empty).
    void SetCandidates(std::vector<Object>& candidates, int fillAtOnce, int pathRequest, const CTString& extraColumns,
                       std::vector<__int64>& lockedIds);
    // The link objects that exist under the form's object.
    void SetExistingLinks(std::vector<Object> links) { m_links = std::move(links); }

    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplate; }
    // Every reply the owner form receives.
    void OnResult(RequestResult& result);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // All, None or Invert: 32808-32810 on the ticks, 5000 + 3k.. on the k-th link-type column.
    void ApplySelect(int command);
    // The Select menu: one sub-menu per link-type column after the tick commands.
    HMENU BuildSelectMenu();
    // The answer to the report's question for the Select button's sub-menu of its context menu:
    // the Select menu, handed over to the report, while an item is selected; else nullptr.
    HMENU SelectMenuForReport();
    CTListCtrlReportEx& Report() { return m_list.m_report; }

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    ObjectPick m_model;
    bool m_visible = false;
    bool m_loadPending = false;
    std::vector<Object> m_candidates;
    std::vector<Object> m_links;
    int m_fillAtOnce = 1;
    int m_pathRequest = 0;
    std::vector<__int64> m_lockedIds;
    CTString m_extraColumns;
    int m_requestId = 0;
    Object m_linkTypeDefinition;
    int m_postValue = 0;
    CTMenu m_selectMenu;
    Callback m_callback;
    std::vector<CSelect> m_selects;

private:
    // A cell showing a link id until the linked object's name is known.
    struct LinkCell {
        ObjectPick::Row* row = nullptr;
        int column = 0;
        __int64 id = 0;
    };

    void InitDialog();
    void SetReportColumns();
    void FillReport();
    // Link cells of the row are queued on links, or fetched at once without a queue.
    int UpdateRowItem(ObjectPick::Row& row, std::vector<LinkCell>* links = nullptr);
    // The names of the linked objects, once the directory cache holds them, into their cells.
    void ShowLinkNames(std::vector<LinkCell> links);
    void OnPathReply(RequestResult& result);
    void SetEmptyText(const CTString& text);
    void OnShown(bool shown);
    void ShowSelectMenu();
    void Notify(TYPE type);
    void PostSaved();
    RequestRoute FormRoute() const;
    __int64 FormObjectId() const;
    static void OnEditValue(void* context, int item, int column, CAttribute* value);

    // Cleared when the page goes, so a directory fetch answered later touches nothing.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
