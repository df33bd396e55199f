#include "framework/CWindowManager.h"
#include <commctrl.h>
#include <prsht.h>
#include <algorithm>
#include <vector>

namespace {
CWindowManager* g_manager = nullptr;

bool Matches(const CWindowManager::CWindow* window, int type, UINT64 key)
{
    return (key == 0 || key == window->m_key) && (type == 0 || type == window->m_type);
}
} // namespace

void CWindowManager::CWindow::Unregister()
{
    if (m_manager) m_manager->ReleaseWindow(this);
}

CWindowManager::CWindowManager()
{
    m_deletingThread = GetCurrentThreadId();
    g_manager = this;
}

CWindowManager::~CWindowManager()
{
    CloseAllWindows();
    m_deletion.DeleteAll();
    if (g_manager == this) g_manager = nullptr;
}

CWindowManager* CWindowManager::Instance()
{
    return g_manager;
}

bool CWindowManager::SetCallbacks(const Callbacks& callbacks)
{
    m_factory = callbacks.factory;
    m_event = callbacks.event;
    m_user = callbacks.user;
    m_deletingThread = GetCurrentThreadId();
    return true;
}

void CWindowManager::OpenWindow(int type, UINT64 key, INT_PTR param)
{
    CJob job;
    job.op = CJob::kOpen;
    job.param = reinterpret_cast<void*>(param);
    job.key = key;
    job.type = type;
    Execute(job);
}

void CWindowManager::CloseWindows(int type, UINT64 key)
{
    CJob job;
    job.op = CJob::kClose;
    job.key = key;
    job.type = type;
    Execute(job);
}

void CWindowManager::CloseAllWindows()
{
    CJob job;
    job.op = CJob::kCloseAll;
    Execute(job);
}

bool CWindowManager::NotifyWindows(int type, UINT64 key, void* param)
{
    CJob job;
    job.op = CJob::kNotify;
    job.param = param;
    job.key = key;
    job.type = type;
    Execute(job);
    return true;
}

void CWindowManager::ReleaseWindow(CWindow* window)
{
    CJob job;
    job.op = CJob::kRelease;
    job.param = window;
    Execute(job);
}

void CWindowManager::Execute(CJob& job)
{
    switch (job.op) {
    case CJob::kOpen: DoOpen(job); break;
    case CJob::kClose: DoClose(job.type, job.key); break;
    case CJob::kCloseAll: DoCloseAll(); break;
    case CJob::kRelease: DoRelease(static_cast<CWindow*>(job.param)); break;
    case CJob::kNotify: DoNotify(job); break;
    }
}

CWindowManager::CWindow* CWindowManager::FindLocked(int type, UINT64 key)
{
    for (CLinkedListObject* item = m_registry.GetHead(); item; item = item->m_next) {
        auto* window = static_cast<CWindow*>(item);
        if (window->m_type == type && window->m_key == key) return window;
    }
    return nullptr;
}

CWindowManager::CWindow* CWindowManager::FindWindow(int type, UINT64 key)
{
    CLinkedListMTLock lock(m_registry);
    return FindLocked(type, key);
}

void CWindowManager::DoOpen(const CJob& job)
{
    CWindow* window = nullptr;
    {
        CLinkedListMTLock lock(m_registry);
        if (CWindow* existing = FindLocked(job.type, job.key)) {
            existing->Activate();
            return;
        }
        if (!m_factory) return;
        window = m_factory(m_user, job.type, job.key);
        if (!window) return;
        window->m_type = job.type;
        window->m_key = job.key;
        window->m_activeDialog = &m_activeDialog;
        window->m_manager = this;
        window->m_param = reinterpret_cast<INT_PTR>(job.param);
        m_registry.AddTail(window);
    }
    if (!window->Open()) {
        // A window that failed to open must not block the next open of its (type, key).
        ReleaseWindow(window);
        return;
    }
    if (m_event) m_event(m_user, window, kEventOpened, nullptr);
}

void CWindowManager::DoClose(int type, UINT64 key)
{
    CLinkedListMTLock lock(m_registry);
    // A window's Close may close others (a form closes the windows it owns), so the walk starts
    // again from the head after every close, skipping windows already asked to close.
    std::vector<CWindow*> asked;
    for (;;) {
        CWindow* next = nullptr;
        for (CLinkedListObject* item = m_registry.GetHead(); item; item = item->m_next) {
            auto* window = static_cast<CWindow*>(item);
            bool closes = (window->m_type == type && window->m_key == key) || type == 0 ||
                          (window->m_type == type && key == 0);
            if (closes && std::find(asked.begin(), asked.end(), window) == asked.end()) {
                next = window;
                break;
            }
        }
        if (!next) break;
        asked.push_back(next);
        next->Close();
    }
}

void CWindowManager::DoCloseAll()
{
    CLinkedListMTLock lock(m_registry);
    while (CLinkedListObject* head = m_registry.GetHead()) {
        auto* window = static_cast<CWindow*>(head);
        DoClose(window->m_type, window->m_key);
        // A Close that left its window registered would stall this loop: release it here.
        if (m_registry.GetHead() == head) ReleaseWindow(window);
    }
}

void CWindowManager::DoNotify(const CJob& job)
{
    CLinkedListMTLock lock(m_registry);
    // Deliver to the windows that match now; a window that leaves the registry during the
    // delivery (closed by an earlier window's Notify) is skipped, windows opened meanwhile are not
    // reached.
    std::vector<CWindow*> targets;
    for (CLinkedListObject* item = m_registry.GetHead(); item; item = item->m_next) {
        auto* window = static_cast<CWindow*>(item);
        if (Matches(window, job.type, job.key)) targets.push_back(window);
    }
    for (CWindow* window : targets) {
        if (!m_registry.Contains(window)) continue;
        if (m_event) m_event(m_user, window, kEventNotify, job.param);
        window->Notify(job.param);
    }
}

void CWindowManager::DoRelease(CWindow* window)
{
    if (!window) return;
    {
        CLinkedListMTLock lock(m_registry);
        // Releasing a window that is no longer registered does nothing: it is already waiting
        // for deletion, and linking it twice would delete it twice.
        if (!m_registry.Remove(window)) return;
    }
    BYTE deleteNow = 1;
    if (m_event) m_event(m_user, window, kEventClosed, &deleteNow);
    m_deletion.AddTail(window);
    if (deleteNow) PostThreadMessageW(m_deletingThread, WM_USER, 0, reinterpret_cast<LPARAM>(window));
}

bool CWindowManager::PreTranslateMessage(MSG* msg)
{
    if (m_activeDialog) {
        if (IsDialogMessageW(m_activeDialog, msg)) return true;
        if (SendMessageW(m_activeDialog, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg))) return true;
    }
    if (!msg->hwnd && msg->message == WM_USER && msg->lParam) {
        auto* window = reinterpret_cast<CLinkedListObject*>(msg->lParam);
        // Only a window still waiting is deleted; the pointer is compared, never followed, before.
        if (m_deletion.Remove(window)) delete window;
    }
    return false;
}

void CWindowManager::DeleteClosedWindows()
{
    m_deletion.DeleteAll();
}
