#pragma once
// The computer picker (window type 12): the computers the server offers for an asset location,
// filtered by type, status and free text, optionally with the locked ones, and a way to create a
// computer of an allowed model (DlgNew). It asks its owner for the computer-choice record (sent
// 1034) and answers with sent 1036 carrying a pointer to the chosen computer, valid during the call.
#include <windows.h>
#include <deque>
#include <list>
#include <memory>
#include <vector>
#include "lists/DlgPicker.h"

// What the opener hands the computer picker, filled on 1034.
struct ComputerChoice {
    BYTE noneAllowed = 0;               // shows "Set to not assigned"
    __int64 modelId = 0;                // the model the new-computer dialog preselects
    std::vector<__int64> locationIds;   // locations put at the top of the location list
    int locationId = 0;                 // set by the picker on "New": the parent of a created computer
    Object::Attribute computerType{};   // preset of the type filter
    Object::Attribute assetType{};      // preset of the status filter
    int reserved = 0;
    Object deployment;                  // its "deployable_available" lists the models "New" offers
    Object computer;                    // the computer assigned now; always offered (INCID)

    ComputerChoice()
    {
        computerType.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
        assetType.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
    }
};

class DlgSelectComputer : public DlgPicker {
public:
    enum : int { kType = 12 };
    enum : UINT { kTemplate = 178, kMsgChoice = 1034, kMsgAnswer = 1036 };
    enum : int {
        kIdLocation = 1168,
        kIdComputerType = 1137,
        kIdStatus = 1170,
        kIdShowLocked = 1085,
        kIdNew = 1155,
        kReqLookup = 1036,
        kReqModels = 1002,
        kReqCreate = 1049,
        kReqNames = 1052,
    };
    enum : __int64 { kLookupLocations = 1, kLookupComputers = 2 };
    static constexpr int kUserColumn = 7;
    static constexpr int kLockColumn = 8;

    // The modal "Create New Computer" dialog (template 191).
    class DlgNew : public CTWnd2 {
    public:
        enum : int { kTemplate = 191, kIdModel = 1049, kIdName = 1076, kIdSerial = 1132, kIdAssetTag = 1082 };
        Object m_computer;              // the computer to create, valid after OK
        CAttribute m_modelId;           // the model to preselect
        DlgSelectComputer* m_picker = nullptr;

        explicit DlgNew(DlgSelectComputer* picker) : m_picker(picker) {}
        ~DlgNew() override;
        bool Run(HWND owner);
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    private:
        void OnOk();
    };

    ComputerChoice m_choice;
    std::deque<Object> m_computers;         // the last search's computers in reply order, then created ones
    std::vector<CTString> m_haystacks;      // per computer: its attribute texts in lower case
    std::vector<Object> m_models;
    bool m_modelsLoaded = false;
    int m_searchLocation = 0;
    int m_searchAssetType = -1;
    bool m_showLocked = false;

    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // "CUSTOMLOOKUP=SelectComputer|INCID=..." for the filters as they stand.
    CTString LookupText(int assetType, bool showLocked) const;
    // Fills the list from the results with the type filter and search text as they stand.
    void FillList();
    // Starts "New": the dialog once the models are known.
    void NewComputer();
    // The computer's text as the search text matches it.
    static CTString Haystack(const Object& computer);
    // "Settings\<connection>\DlgSelectComputer".
    static CTString SettingsPath();

protected:
    UINT TemplateId() const override { return kTemplate; }
    const wchar_t* PlacementName() const override { return L"DlgSelectComputer"; }
    const wchar_t* ColumnSpec() const override;
    const wchar_t* LayoutName() const override { return L"DlgSelectRoute"; }
    bool AnswersWithoutSelection() const override { return false; }
    void AddExtraItems() override;
    void SendSearch(App& app, const RequestRoute& route) override;
    void AddCells(CTListCtrlReport::Row& row, const Object& object) override { (void)row, (void)object; }
    void OnPathReply(RequestResult& result) override;
    void OnOtherReply(RequestResult& result) override;
    void Answer(__int64 id, bool none) override;
    void EnableSearchControls(bool enable) override;
    void OnDestroyWork() override;

private:
    void OnLocations(RequestResult& result);
    void OnComputers(RequestResult& result);
    void OnModels(RequestResult& result);
    void OnCreated(RequestResult& result);
    void RunNew();
    int AddComputerRow(const Object& computer, bool withUser, std::list<__int64>* ids);
    void ShowNames();
    int ComboData(int id);

    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
