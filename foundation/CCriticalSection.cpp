#include "foundation/CCriticalSection.h"

CCriticalSection::CCriticalSection()
{
    InitializeCriticalSection(&m_section);
}

CCriticalSection::~CCriticalSection()
{
    DeleteCriticalSection(&m_section);
}

void CCriticalSection::Enter()
{
    EnterCriticalSection(&m_section);
}

void CCriticalSection::Leave()
{
    LeaveCriticalSection(&m_section);
}
