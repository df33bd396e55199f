#pragma once
// The location picker (window type 34): searches the asset locations of the whole directory, of
// one location type or all, optionally only those linked to the signed-in administrator, and
// posts the chosen one's id (1044). Both filters are kept per connection.
#include "lists/DlgPicker.h"

class DlgSelectLocation : public DlgPicker {
public:
    enum : UINT { kTemplate = 388 };
    enum : int { kIdType = 1137, kIdOnlyAssigned = 1232 };
    static constexpr const wchar_t* kValueType = L"DlgSelectLocation-LocationType";
    static constexpr const wchar_t* kValueOnlyAssigned = L"DlgSelectLocation-ONLYASSIGNED";

    int m_allData = 0; // item data of the "<All>" entry

    BOOL OnInitDialog() override;
    // "Settings\<connection>\DlgSelectLocation".
    static CTString SettingsPath();

protected:
    UINT TemplateId() const override { return kTemplate; }
    const wchar_t* PlacementName() const override { return L"DlgSelectLocation"; }
    bool SelectsSingleResult() const override { return false; }
    void SendSearch(App& app, const RequestRoute& route) override;
    void OnSearchReply(RequestResult& result) override;
    bool ShowsObject(const Object& object) override;
    void AddCells(CTListCtrlReport::Row& row, const Object& object) override;
    void Answer(__int64 id, bool none) override;
    void OnDestroyWork() override;

private:
    int SelectedTypeData();
    bool m_onlyAssigned = false; // the box as the current answer is read
};
