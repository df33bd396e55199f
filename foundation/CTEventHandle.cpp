#include "foundation/CTEventHandle.h"

CTEventHandle::~CTEventHandle()
{
    Close();
}

CTEventHandle* CTEventHandle::Create()
{
    // Replacing a held event would leak it.
    Close();
    m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return this;
}

bool CTEventHandle::RecreateAutoReset()
{
    Close();
    m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return m_event != nullptr;
}

bool CTEventHandle::Set()
{
    return SetEvent(m_event) != FALSE;
}

bool CTEventHandle::Reset()
{
    return ResetEvent(m_event) != FALSE;
}

bool CTEventHandle::Close()
{
    if (!m_event)
        return false;
    BOOL ok = CloseHandle(m_event);
    m_event = nullptr;
    return ok != FALSE;
}
