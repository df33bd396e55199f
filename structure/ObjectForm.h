#pragma once
// What the unit form and the route form share: the shown object, the form icon taken from the
// object's "tree_image", the header subtitle, the read-only state across window creation, and the
// change notice to the main window's consoles once a save has been accepted by the server. A form
// closed with OK while its save is out stays registered without a window until the reply comes,
// so that the notice still goes out; opening the object again meanwhile builds the window anew.
#include <windows.h>
#include <vector>
#include "framework/CTIcon.h"
#include "framework/CWMForm.h"
#include "session/Object.h"
#include "session/RequestResult.h"

class App;

class ObjectForm : public CWindowManager::CWMForm {
public:
    static constexpr int kReqBusy = 1019;
    static constexpr int kReqIcon = 1022;
    static constexpr int kReqPath = 1028;
    static constexpr int kReqSave = 1051;
    static constexpr int kReqObject = 1052;
    static constexpr int kNoticeChanged = 1017;
    static constexpr int kMainWindowType = 0xFFFF;

    Object m_object;
    CTIcon m_icon;
    bool m_savePending = false;     // an objSet is out and its reply has not come
    std::vector<int> m_noticeConsoles;

    void* GetObject() override { return &m_object; }
    // Makes the window when there is none, then loads the object.
    bool Open() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnOK() override;
    void OnDestroy() override;
    void Activate() override;
    void Close() override;

    // The form template, header, tabs, close confirmation and minimum size the object forms share,
    // with the form's own placement name and minimum height.
    void SetFormLayout(const wchar_t* placementName, int minHeight);
    // Creates the window with the application icon and colours the header; the pages of an earlier
    // window are dropped, to be made anew.
    bool CreateFormWindow(const wchar_t* placementName);
    // Empties the shown object and fetches the one the form is keyed by.
    bool RequestObject();
    // Stores the pages and sends what changed; false when a page refused (the request still goes).
    bool SavePagesAndChanges();

    // The route of a request of this form.
    RequestRoute MakeRoute(int requestId, __int64 param2 = 0) const;
    // Takes the icon named by "tree_image" (a fetch answers with kReqIcon) for window and header.
    void TakeTreeImageIcon();
    // "ID: %d  Created: ... Updated: ..." of the shown object.
    static CTString BuildSubtitle(const Object& object);
    // Sends the object's id, serial, name and changes; false when nothing was sent.
    void SendChanges(const CAttributes& privileges);
    // A successful save reply: the change notice to each console of m_noticeConsoles, and a form
    // without a window leaves the registry.
    void OnSaveAccepted();

    // The "ID" of the reply's first parameters element (0 when none).
    static __int64 ReplyId(const RequestResult& reply);
    static TiXmlElement* ReplyElement(const RequestResult& reply, const wchar_t* name);
    static bool Succeeded(const RequestResult& reply) { return reply.resultCode == 0 && reply.returnCode == 0; }

    static App* GetApp();
    // The module that holds the window icon: the language module when it has it, else the application's.
    static HINSTANCE IconModule(UINT id);

protected:
    virtual bool OpenWindow() = 0;   // creates the window and its pages
};
