#pragma once
// Keeps the top-level windows in one registry keyed by (type, key): opens or activates them
// through the application's factory, notifies and closes them by pattern, and deletes closed
// windows later, outside the code that closed them.
#include <windows.h>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class CWindowManager {
public:
    // Data a form hands to its pages (framework/CWMFormData.h).
    class CWMFormData;

    // Interface of a managed window; a second base of the window classes beside CTWnd2.
    class CWindow : public CLinkedListObject {
    public:
        UINT64 m_key = 0;               // object id or pointer; 0 for windows that exist once
        HWND* m_activeDialog = nullptr; // the manager's active-dialog field
        CTString m_text;
        CWindowManager* m_manager = nullptr;
        int m_type = 0;
        INT_PTR m_param = 0;            // creation parameter given to OpenWindow

        virtual void Activate() {}
        virtual void Close() { Unregister(); }
        virtual bool Open() { return true; }
        virtual void Notify(void* param) { (void)param; }

        void Unregister();
    };

    // Tabbed object editor and its pages (CWMForm.h).
    class CWMForm;
    class CWMFormPage;

    // One manager operation; each public operation builds one and executes it at once.
    struct CJob : CLinkedListObject {
        enum : int { kOpen = 1, kClose = 2, kCloseAll = 3, kRelease = 4, kNotify = 5 };
        int op = 0;
        void* param = nullptr;
        UINT64 key = 0;
        int type = 0;
    };

    using FactoryFn = CWindow* (*)(void* user, int type, UINT64 key);
    using EventFn = void (*)(void* user, CWindow* window, int code, void* param);
    struct Callbacks {
        FactoryFn factory = nullptr;
        EventFn event = nullptr;
        void* user = nullptr;
    };
    enum : int { kEventNotify = 1, kEventOpened = 2, kEventClosed = 3 };

    CLinkedListMT m_registry;  // opened order; its lock is the registry lock
    CLinkedListMT m_deletion;  // closed windows waiting for deletion (owned)
    FactoryFn m_factory = nullptr;
    EventFn m_event = nullptr;
    void* m_user = nullptr;
    HWND m_activeDialog = nullptr;
    DWORD m_deletingThread = 0;

    CWindowManager();
    ~CWindowManager();
    CWindowManager(const CWindowManager&) = delete;
    CWindowManager& operator=(const CWindowManager&) = delete;

    static CWindowManager* Instance();

    bool SetCallbacks(const Callbacks& callbacks);
    void OpenWindow(int type, UINT64 key, INT_PTR param);
    CWindow* FindWindow(int type, UINT64 key);
    void CloseWindows(int type, UINT64 key);
    void CloseAllWindows();
    bool NotifyWindows(int type, UINT64 key, void* param);
    void ReleaseWindow(CWindow* window);
    bool PreTranslateMessage(MSG* msg);
    void DeleteClosedWindows();

private:
    void Execute(CJob& job);
    void DoOpen(const CJob& job);
    void DoClose(int type, UINT64 key);
    void DoCloseAll();
    void DoNotify(const CJob& job);
    void DoRelease(CWindow* window);
    CWindow* FindLocked(int type, UINT64 key);
};
