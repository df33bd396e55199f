#pragma once
// The site pane (console type 1043, keyed by the site's id): heading, a drawn panel linking the
// site's organisation and contacts, its address and description, its custom attributes and its
// surveys, all read-only. The unit form edits sites.
#include <windows.h>
#include <vector>
#include "controls/CTWndDraw.h"
#include "controls/CTWndEditLocale.h"
#include "controls/CTWndPropertyList.h"
#include "session/ObjectBranch.h"
#include "structure/ObjectPane.h"
#include "structure/SurveyList.h"

class DlgSite : public ObjectPane {
public:
    enum : int { kConsoleType = 1043, kTemplate = 406 };
    enum : int { kHeader = 105, kPanel = 1197, kDescription = 1194, kAddress = 1018, kAttributes = 1185 };
    enum : int { kReqSearch = 1047, kReqLookups = 1074 };
    enum : int { kSiteTag = 1, kLinkedTag = 2, kSurveysTag = 3 };
    static constexpr int kGdiHotTrack = 25;

    CTWndDraw m_panel;
    CTWndEditLocale m_description;
    CTWndPropertyList m_attributes;
    SurveyList m_surveys;
    ObjectBranch m_site;   // children: the linked objects fetched so far, kept across refreshes

    DlgSite();
    ~DlgSite() override;

    void OnReply(RequestResult& result) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The panel's mark-up: the attribute sets, then Owner, Primary Contact and Secondary Contact,
    // each only when its link names an object among linked. Names are escaped. The heading colour
    // is the highlight colour halved; hotTrack null stands for a missing cache entry (black).
    static CTString BuildPanelMarkup(const Object& site, const std::vector<Object>& linked, COLORREF highlight,
                                     const COLORREF* hotTrack);
    // The address lines that are not empty, each followed by a line break, then the country.
    static CTString BuildAddress(const Object& site);
    // "#RRGGBB".
    static CTString ColourText(COLORREF colour);

protected:
    void SendRequests() override;

private:
    void OnInitDialog();
    void OnSiteReply(RequestResult& result);
    void OnLinkedReply(RequestResult& result);
    void ShowSite();
    const Object* FindLinked(__int64 id) const;
};
