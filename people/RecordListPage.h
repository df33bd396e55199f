#pragma once
// Base of the record list pages of the person and computer panes: the list on control 1016, lazy
// loading by an object search, Open into a console pane, and the hooks New and Delete.
#include "people/RecordList.h"
#include "people/RecordPage.h"

struct RequestResult;
struct DeleteConfirmInfo;

class RecordListPage : public RecordPage {
public:
    enum : int { kReqSearch = 1047 };
    RecordList m_list;

    virtual RecordList::Layout GetLayout() const = 0;
    virtual int GetOpenConsole() const = 0;
    // The page's own search; false when it has none (its pane searches for it).
    virtual bool SendSearch() { return false; }
    virtual void OnNew() {}
    virtual void OnDelete() {}
    virtual void OnDeleteIcon(DeleteConfirmInfo& info) { (void)info; }

    // Hidden: only marks the load pending. Shown: clears the mark and searches.
    bool Load() override;
    void BuildPage() override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OpenSelected();
    // Whether a search reply may change the rows: not when its transfer failed.
    static bool IsUsableReply(const RequestResult& reply);

protected:
    // ObjSearch of type for objects whose attrib holds the shown id, anywhere in the directory.
    void SearchLinked(const wchar_t* type, const wchar_t* attrib, __int64 param2);
    bool Run(RecordList::Action action, NMHDR* hdr);
};
