#pragma once
// The entries of the schedule chart: one task, or a group of tasks due the same day, drawn as
// mark-up with the due-status ball and, for a group, a count badge.
#include <windows.h>
#include <vector>

#include "calendars/CTWndSchedule.h"
#include "controls/CGfxDraw.h"

class CTWndSchedule::CGfxEntry : public CGfxDraw {
public:
    // Drawing-cache ids of the entry's look.
    enum GdiId : int {
        IconCompleted = 2, IconDueSoon = 3, IconOverdue = 4,
        ColourBadge = 21, ColourBadgeText = 24, ColourHot = 25, ColourName = 26,
    };

    Object m_task;
    int m_status = 1;
    CTString m_markup;   // the mark-up last handed to the drawable

    void SetText(const CTString& name);
    using CGfxObject::OnClick;
    virtual void OnClick(__int64 id);
    virtual int UpdateStatus();
    virtual int GetCount() { return 1; }
    virtual bool Holds(__int64 id) { return m_task.id == id; }
    virtual void UpdateObject(const Object& task);

    void OnMarkupClick(__int64 id) override { OnClick(id); }
    // A chart holds hundreds of entries: each lays its mark-up out only when its place in the
    // window changed, and a scroll lays out only the entries it brings into view.
    void Paint(HDC dc, const RECT* clip) override;
    void OnScroll() override;

    // The entry's mark-up for a name (as the user's language shows it), a due status and a count.
    static void BuildMarkup(CTString& out, const CTString& name, int status, int count);

private:
    RECT m_laidOut = {};          // the client rectangle of the last layout
    bool m_layoutValid = false;
    void LayoutAt(HDC dc, const RECT& rc);
};

class CTWndSchedule::CGfxMultiTask : public CTWndSchedule::CGfxEntry {
public:
    __int64 m_key = 0;

    void OnClick(__int64 id) override;
    int UpdateStatus() override;
    int GetCount() override;
    bool Holds(__int64 id) override;
    void UpdateObject(const Object& task) override;

private:
    // The group's tasks in the application's keyed lists; null when the key has none.
    std::vector<Object>* Tasks();
};
