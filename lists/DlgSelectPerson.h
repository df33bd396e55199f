#pragma once
// The person picker (window type 11) and the user picker (13): search the schedule users and
// administrators by name or e-mail address and post the chosen one's id (message 1037). The user
// picker can narrow the search to one schedule group, preselected by its owner's answer to 1035.
#include "lists/DlgPicker.h"

class DlgSelectPerson : public DlgPicker {
public:
    enum : UINT { kTemplate = 176 };
    static constexpr unsigned kMaxResults = 200;

protected:
    UINT TemplateId() const override { return kTemplate; }
    const wchar_t* PlacementName() const override { return L"DlgSelectPerson"; }
    void SendSearch(App& app, const RequestRoute& route) override;
    bool ShowsObject(const Object& object) override;
    void AddCells(CTListCtrlReport::Row& row, const Object& object) override;
    void Answer(__int64 id, bool none) override;
    void OnSearchReply(RequestResult& result) override;

    // The search text of the edit.
    CTString SearchText();
    // Whether the signed-in administrator may see objects holding "SuperUser"; read per answer.
    bool m_seesSuperUsers = true;
};

class DlgSelectUser : public DlgSelectPerson {
public:
    enum : UINT { kTemplate = 370 };
    enum : int { kIdGroups = 1168 };
    __int64 m_groupToSelect = 0;   // the owner's answer to 1035

    BOOL OnInitDialog() override;

protected:
    UINT TemplateId() const override { return kTemplate; }
    const wchar_t* PlacementName() const override { return L"DlgSelectUser"; }
    const wchar_t* ColumnSpec() const override { return L"Path;Name;Email Address"; }
    const wchar_t* LayoutName() const override { return L"DlgSelectUser"; }
    void AddExtraItems() override;
    void SendSearch(App& app, const RequestRoute& route) override;
    void AddCells(CTListCtrlReport::Row& row, const Object& object) override;
    void OnOtherReply(RequestResult& result) override;
    void EnableSearchControls(bool enable) override;
};
