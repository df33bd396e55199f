#pragma once
// The route picker (window type 14): lists every asset route with the paths of its source and
// destination locations as soon as it opens, preselects the route chosen last time, and posts the
// chosen route's id (1038). "None" is sent; Cancel posts 0.
#include <vector>
#include "lists/DlgPicker.h"

class DlgSelectRoute : public DlgPicker {
public:
    enum : UINT { kTemplate = 344 };
    static constexpr const wchar_t* kValueLastItem = L"LastItem";

    // Path answers still to come for the current search: one for the paths the application has
    // cached, one per server request for the others. Counted per answer, not per id, so that ids
    // the server leaves out or an answer that fails cannot hold the cells back for ever.
    int m_pathAnswersDue = 0;

    BOOL OnInitDialog() override;
    // "Settings\<connection>\DlgSelectRoute".
    static CTString SettingsPath();

protected:
    UINT TemplateId() const override { return kTemplate; }
    const wchar_t* PlacementName() const override { return L"DlgSelectRoute"; }
    const wchar_t* ColumnSpec() const override { return L"ID;Source;Destination;"; }
    const wchar_t* LayoutName() const override { return L"DlgSelectRoute"; }
    bool SortsByFirstColumn() const override { return false; }
    bool CopiesOwnerIcons() const override { return false; }
    bool AnswersWithoutSelection() const override { return false; }
    void SendSearch(App& app, const RequestRoute& route) override;
    void AddCells(CTListCtrlReport::Row& row, const Object& object) override { (void)row, (void)object; }
    void OnSearchReply(RequestResult& result) override;
    void OnPathReply(RequestResult& result) override;
    void Answer(__int64 id, bool none) override;
    void OnCancel() override;
    void EnableSearchControls(bool enable) override;
    void OnDestroyWork() override;

private:
    void FillPathCells();
    void ScrollSelectionIntoView();
    static __int64 LinkedLocation(const Object& route);
};
