#pragma once
// The editable "Security" page of the group and administrator forms: the directory objects on
// which the principal (the form's object) holds rights, with Read / Write / Perm / Priv ticks.
// Loads when first shown; each changed or removed row is stored with one request; the page's share
// of the form's save is complete once every store has been answered.
#include <windows.h>
#include <functional>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CWMForm.h"
#include "session/Object.h"
#include "session/RequestResult.h"

class AccessRightsPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 345;
    static constexpr int kList = 1012;
    static constexpr int kCmdNew = 257, kCmdDelete = 258;
    static constexpr int kReqIcon = 1022, kReqPath = 1029, kReqStore = 1058, kReqLoad = 1059;
    static constexpr int kPickerType = 15;
    static constexpr UINT kMsgPickerSetup = 1041, kMsgPickerAnswer = 1042;
    static constexpr int kSaveBit = 8;

    struct Row {
        __int64 id = 0;
        int rights[4] = {};   // Read, Write, Perm, Priv: 0 or 1
        bool changed = true;
        bool isNew = false;
    };

    CTWndListCtrlEx2 m_list;
    CTListCtrlEdit m_editor;
    bool m_shown = false;
    bool m_loadPending = false;
    bool m_modified = false;          // never cleared: later saves store whatever is changed then
    std::vector<Row> m_rows;
    std::vector<Row> m_removed;
    int m_pendingStores = 0;
    // The form's save completion, told kSaveBit once every store is answered.
    std::function<void(int)> m_markSaved;

    // second: the routes' second parameter of the load and store requests (0 groups, 3 administrators).
    AccessRightsPage(__int64 second, const wchar_t* layoutKey);
    ~AccessRightsPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool CreatePage(HWND parent) override;

    // Replies 1022, 1029, and 1058 / 1059 with this page's second parameter.
    void OnResult(RequestResult& reply);
    void AddRow(const Object& object, bool isNew, __int64 rights);
    void RemoveSelected();
    void OpenPicker();
    Row* FindRow(__int64 id);

private:
    __int64 m_second = 0;
    const wchar_t* m_layoutKey = L"";

    static void OnValueChanged(void* context, int item, int column, CAttribute* value);
    __int64 PrincipalId();
    RequestRoute MakeRoute(int requestId, __int64 second) const;
    void InitList();
    void LoadNow();
    void SetEmptyText(const wchar_t* text);
    int ImageFor(const Object& object);
    void Changed();
};
