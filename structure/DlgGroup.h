#pragma once
// The form of a group (window type 51, keyed by the group's id): its name, its members (the
// "users" link array) and the rights it holds. It reads the group through the directory cache and
// follows it. A save is complete once the group's own save and every rights store are answered;
// OK closes the form then.
#include <list>
#include <map>
#include <unordered_set>
#include <vector>
#include "controls/CTWndListCtrlEx2.h"
#include "structure/AccessRightsPage.h"
#include "structure/ObjectForm.h"

class DlgGroup : public ObjectForm {
public:
    class CGeneralPage;
    class CSecurityPage;

    static constexpr int kWindowType = 51;
    static constexpr int kReqStore = 1058, kReqLoadRights = 1059, kReqNamePath = 1029, kReqCacheChanged = 1100;
    static constexpr int kNoticeSaved = 1003;
    static constexpr int kAdministratorsConsole = 1016;
    enum : int { SavedObject = 1, SavedRights = 8 };

    CGeneralPage* m_general = nullptr;
    CSecurityPage* m_security = nullptr;
    int m_saveBits = 0;
    bool m_closeAfterSave = false;
    bool m_membersChanged = false;
    bool m_saving = false;         // a save is out and not yet complete or failed
    bool m_reloadWaiting = false;  // the cache reported a change while saving

    DlgGroup();

    bool Open() override;
    bool Load(UINT64 key) override;
    bool Save() override;
    void OnOK() override;
    void Notify(void* param) override;

    void RefreshFromCache();
    void MarkSaved(int bit);

protected:
    bool OpenWindow() override;

private:
    void OnSaveReply(RequestResult& reply);
    void SaveEnded();
};

class DlgGroup::CGeneralPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 441;
    static constexpr int kName = 1017, kList = 1016;
    static constexpr int kCmdNew = 257, kCmdDelete = 258;
    static constexpr int kPersonPickerType = 11;
    static constexpr UINT kMsgPersonPicked = 1037;

    CTWndListCtrlEx2 m_list;
    std::map<__int64, CTString> m_paths;     // parent id -> path text
    __int64 m_pickerKey = 0;
    std::vector<Object> m_members;
    std::unordered_set<__int64> m_memberIds;

    explicit CGeneralPage(DlgGroup* form);
    ~CGeneralPage() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool CreatePage(HWND parent) override;

    void FillMembers(const std::vector<__int64>& ids);
    // False when the id is listed already.
    bool AddMemberRow(__int64 id, std::list<__int64>& organisations);
    void OnPathReply(__int64 parent, const CTString& path);
    void OnIcon(int index);
    void OpenPicker();
    void OnPicked(__int64 id);
    void RemoveSelected();

private:
    DlgGroup* m_group = nullptr;
    void ShowOrganisations(const std::list<__int64>& organisations);
};

class DlgGroup::CSecurityPage : public AccessRightsPage {
public:
    explicit CSecurityPage(DlgGroup* form) : AccessRightsPage(0, L"DirectoryDlg::CSecurityPage::ctrlList_")
    {
        m_markSaved = [form](int bit) { form->MarkSaved(bit); };
    }
};
