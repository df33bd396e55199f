#pragma once
// The schedule-group form (window type 4): the group with its tasks and deployment-window slots
// in one branch, shown on tabbed pages, saved with one object-set request per changed object.
#include <windows.h>

#include "framework/CTIcon.h"
#include "framework/CWMForm.h"
#include "session/ObjectBranch.h"
#include "session/RequestResult.h"

class DlgScheduleGroupDlg : public CWindowManager::CWMForm {
public:
    class CT0Page;
    class CDefaultsPage;
    class CDeployablePage;
    class CTasksPage;
    class CTasksPageRHS;

    static constexpr int kWindowType = 4;
    static constexpr UINT kTemplateId = 170;
    static constexpr UINT kIconId = 2;
    static constexpr const wchar_t* kPlacementName = L"DlgScheduleGroupDlg";

    // Request ids of the form's routes.
    enum Request : int {
        ReqObject = 1052, ReqSearch = 1047, ReqPath = 1028, ReqSet = 1051, ReqBusy = 1019, ReqTasks = 1010,
        ReqEmailTemplates = 1068, ReqIcon = 1022, ReqLocales = 1067, ReqChoices = 1074, ReqTemplate = 1087,
        NoticeGroupSaved = 1017,
    };
    // Second parameters of the searches and paths.
    enum SearchKind : int { SearchTasks = 1, SearchSlots = 2, SearchComponents = 3, PathLocation = 4 };
    // Parts of a save cycle: the object sets, the tasks page.
    enum Completion : int { CompletedSets = 1, CompletedTasks = 8, CompletedAll = 9 };

    CT0Page* m_t0Page = nullptr;
    CDefaultsPage* m_defaultsPage = nullptr;
    CTasksPage* m_tasksPage = nullptr;
    CDeployablePage* m_deployablePage = nullptr;
    ObjectBranch m_group;
    CTIcon m_icon;
    int m_completion = 0;
    int m_pendingSets = 0;
    bool m_closeAfterSave = false;
    bool m_emailTemplatesRequested = false;
    CTString m_pathTitle;

    DlgScheduleGroupDlg();
    ~DlgScheduleGroupDlg() override;

    bool Open() override;
    void Notify(void* param) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    bool BuildPages();
    bool Load(UINT64 key) override;
    bool Load() { return Load(m_key); }
    void* GetObject() override { return &m_group; }
    ObjectBranch& GetGroup() { return m_group; }
    bool Save() override;
    void OnOK() override;
    void OnApply() override;
    void AddCompletion(int bits);
    void OnResult(RequestResult* result);
    bool ShowLoadedObject();

    // "ID: %d  Created: ... Updated: ..." of the header.
    static CTString BuildSubtitle(const Object& group);
    // A route of the form's with that request and second parameter.
    RequestRoute Route(int requestId, __int64 param2 = 0) const;

private:
    static bool IsGood(const RequestResult& result) { return result.resultCode == 0 && result.returnCode == 0; }
    // Takes the group's own part from an object element, keeping its children and path title.
    void ReadGroup(TiXmlElement* element);
    void ReadChildren(RequestResult& result, __int64* lastWindow);
    void ShowTitle();
};
