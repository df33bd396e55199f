#pragma once
// The list of a site's surveys, shown by the unit form's Survey page and, read-only, by the site
// pane: one row per "Survey Result" (Date, Name, User, Updated, Complete) with its id as row data,
// person names resolved through the path cache, one saved column layout for both, and a survey's
// link opened in the browser.
#include <windows.h>
#include "controls/CTWndListCtrlEx2.h"
#include "session/Object.h"
#include "session/ObjectBranch.h"
#include "session/RequestRoute.h"

class App;
class TiXmlDocument;
struct RequestResult;

class SurveyList {
public:
    static constexpr int kListId = 1016;
    static constexpr int kUserColumn = 2;
    static constexpr int kReqNames = 1033;
    static constexpr int kCmdOpen = 261;
    static constexpr int kCmdSend = 184;
    static constexpr int kCmdDelete = 258;
    static constexpr UINT kSendIcon = 164;
    static constexpr const wchar_t* kLayoutName = L"DlgOU::CSurveyPage";

    CTWndListCtrlEx2 m_list;
    ObjectBranch m_surveys;   // the listed surveys, in order of arrival

    // Attaches to item kListId of dialog and sets the list up. The page's list has Open, Send and
    // Delete with a delete confirmation owned by dialog; the pane's only Open. False when the list
    // could not be made.
    bool Create(HWND dialog, void* owner, bool editable);

    // Rebuilds the list from a search reply. Person ids the path cache does not hold are asked for
    // on namesRoute (its request id and second parameter are set here).
    void Fill(TiXmlDocument& document, const RequestRoute& namesRoute);
    // Appends a survey's row (or the rows of one already listed are left and the stored survey
    // updated); userName, when given, fills the User cell at once.
    void AddSurvey(const Object& survey, const CTString* userName);
    // Removes the survey and its row.
    void RemoveSurvey(__int64 id);
    // A 1033 reply: each "value" names the rows whose cell in the reply's column holds that id.
    void OnNames(RequestResult& reply);

    const Object* FindSurvey(__int64 id) const;
    // The survey of the first selected row; null when none is selected or it is not listed.
    const Object* FirstSelected() const;
    // Opens the first selected survey's link with the installed shell launcher.
    void OpenSelected(const Object& settings) const;

    // Adds the "name" of each "lang" element of type "survey" in a template-list reply to combo.
    static void AddTemplateChoices(TiXmlDocument& document, HWND combo);
    // "web_address" of settings, "/=" and the survey's "linkaccess_id"; each part empty when missing.
    static CTString LinkAddress(const Object& settings, const Object& survey);
    // The part of a path after its last "\" (the whole path without one).
    static CTString LastPathPart(const CTString& path);

    CTListCtrlReportEx& Report() { return m_list.m_report; }

private:
    // Builds a survey's row; the User cell is the cached name when the path cache holds one, else
    // the link value (true then, so the caller asks for the name).
    bool BuildRow(const Object& survey, const CTString* userName, CTListCtrlReport::Row& row) const;
};
