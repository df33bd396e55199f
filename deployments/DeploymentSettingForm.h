#pragma once
// What the deployment status and deployment type forms share: the object is shown at once from
// the settings list tab's copy and then read from the server, saved with its changed attributes,
// and each accepted save is handed to that list tab; OK on a changed form closes once the save is
// accepted, on an unchanged one at once.
#include "structure/ObjectForm.h"

class DeploymentSettingForm : public ObjectForm {
public:
    static constexpr int kSettingsConsole = 1019;
    static constexpr int kReqNotice = 1003;

    DeploymentSettingForm(int listTabId, const wchar_t* placementName);

    bool Open() override;
    bool Load(UINT64 key) override;
    bool Save() override;
    void OnOK() override;
    void Notify(void* param) override;

    void UpdateHeader();

    // The text of a control into a text attribute, keeping the attribute's type.
    static void StoreText(Object& object, const wchar_t* name, HWND dialog, int id);
    // A number typed into a control (an empty or non-numeric field gives 0).
    static void StoreNumber(Object& object, const wchar_t* name, HWND dialog, int id);
    static void StoreNumber(Object& object, const wchar_t* name, __int64 value);
    static void ShowText(const Object& object, const wchar_t* name, HWND dialog, int id);

    int m_listTabId = 0;
    bool m_closeAfterSave = false;

protected:
    bool OpenWindow() override;
    // The form's pages, added to a window just created.
    virtual void AddPages() = 0;

private:
    void OnObjectReply(RequestResult& reply);
};
