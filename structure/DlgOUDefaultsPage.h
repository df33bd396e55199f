#pragma once
// The "Schedule Group Defaults" page of the unit form: the defaults a unit hands down to the
// schedule groups below it, each its own value or the inherited one (a push-like toggle beside it;
// pressed means inherited), seven check lists of allowed choices, and the working-day calendar.
#include <windows.h>
#include <map>

#include "calendars/model/ProjectCalendar.h"
#include "controls/CTWndSettings.h"
#include "framework/CTHyperLink.h"
#include "structure/DlgOU.h"

class RequestResult;

class DlgOU::CDefaultsPage : public CWindowManager::CWMFormPage {
public:
    static constexpr UINT kTemplateId = 333;
    static constexpr int kToggleIcon = 19;   // the shared drawing-cache entry of the inherited-value glyph
    static constexpr int kLocationPickerType = 34;
    static constexpr int kObjectPickerType = 15;
    enum : UINT { MsgLocationPicked = 1044, MsgPickerSetup = 1041, MsgObjectPicked = 1042 };
    enum : int { ReqLocales = 1067, ReqObject = 1052, ParamLocation = 11, ParamOrderFolder = 12, NoticeTemplates = 1086 };
    enum Control : int {
        IdLanguage = 1056, IdLanguageToggle = 1248, IdTimeZone = 1059, IdTimeZoneToggle = 1250,
        IdMsgService = 1062, IdMsgServiceToggle = 1253, IdLocation = 1046, IdLocationPick = 1077,
        IdLocationToggle = 1245, IdOrderFolder = 1047, IdOrderFolderPick = 1078, IdOrderFolderToggle = 1246,
        IdTemplate = 1057, IdTemplateToggle = 1249, IdUserPortal = 1060, IdUserPortalToggle = 1251,
        IdBuildSheet = 1061, IdBuildSheetToggle = 1252, IdLinkEnabled = 1261, IdExpiryLabel = 1262, IdExpiry = 1259,
        IdLinkToggle = 1260, IdLockMin = 1303, IdLockMinToggle = 1304, IdLockMax = 1305, IdLockMaxToggle = 1306,
        IdRunRate = 1029, IdRunRateToggle = 1247, IdCalendar = 1026, IdCalendarToggle = 1244, IdDayText = 1207,
        IdDefault = 1204, IdInclude = 1205, IdExclude = 1206,
        IdDeploymentTypes = 1222, IdAdminPortal = 1307, IdRequestTypes = 1308, IdSlots = 1223, IdOrderPortal = 1224,
        IdAssignmentPortal = 1221, IdDeploymentPortal = 1229,
    };
    static constexpr int kListCount = 7;
    static const int kListIds[kListCount];
    static const wchar_t* const kListAttributes[kListCount];

    std::map<int, CTString> m_localeCodes;
    CTHyperLink m_locationLink;
    CTHyperLink m_orderFolderLink;
    Object m_location;
    Object m_orderFolder;
    CTWndSettings m_lists[kListCount];
    ProjectCalendar m_calendar;
    CTString m_unassignedText;
    bool m_enabled = true;
    // Whether the language, time-zone and template lists were filled for the loaded object: an
    // unfilled list leaves its setting as it was.
    bool m_languagesFilled = false;
    bool m_timeZonesFilled = false;
    bool m_templatesFilled = false;
    // A calendar the administrator did not edit is not written back (its text may differ only in layout).
    bool m_calendarEdited = false;

    explicit CDefaultsPage(DlgOU* form);
    ~CDefaultsPage() override;

    bool CreatePage(HWND parent) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool Load() override;
    bool Save() override;
    UINT GetTemplateId() override { return kTemplateId; }
    bool IsEnabled() override { return m_enabled; }

    // Every reply of the form: takes the locale list, its location and order folder, and the
    // main window's notice that the templates arrived.
    void OnReply(RequestResult& reply);
    void FillTemplates();
    void UpdateControls();
    // The message services of a GetMsgTypes reply after the current one, each once.
    static std::vector<CTString> MessageServices(const CTString& current, const CTString& reply);
    // The shown day's rule into the radio buttons and the day's date into static 1207.
    void ShowSelectedDay();

private:
    DlgOU* Form() { return static_cast<DlgOU*>(m_form); }
    Object& Unit();
    void Initialise();
    bool Pressed(int id) { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void Press(int id, bool on) { CheckDlgButton(m_hWnd, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void PressFor(int toggle, const wchar_t* name);
    void Enable(int id, bool on) { EnableWindow(GetDlgItem(m_hWnd, id), on); }
    void Modified();
    void FillCombo(int id, const wchar_t* first, const std::vector<Object>& objects, __int64 selected);
    void RequestMessageServices();
    void RequestObject(__int64 id, int which);
    void OnDayChoice();
    bool ListInherited(int index);
};

// Shows a check list's items read-only (state bit 0) while its "Inherit Values" button is pressed.
void ApplySettingsInheritState(CTWndSettings& list);
