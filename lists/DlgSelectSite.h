#pragma once
// The site picker (window type 37): finds sites by name and posts the chosen one's id (1039). It
// also tells its owner when it starts (1040 with 2), when it is cancelled (1040 with 3) and, last
// of all, when it is gone (1040 with 4).
#include "lists/DlgPicker.h"

class DlgSelectSite : public DlgPicker {
public:
    enum : UINT { kTemplate = 404 };

    BOOL OnInitDialog() override;

protected:
    UINT TemplateId() const override { return kTemplate; }
    const wchar_t* PlacementName() const override { return L"DlgSelectSite"; }
    void SendSearch(App& app, const RequestRoute& route) override;
    void AddCells(CTListCtrlReport::Row& row, const Object& object) override;
    void Answer(__int64 id, bool none) override;
    void OnCancel() override;
    void OnDestroyWork() override;
};
