#include "session/CWinHttp2Transport.h"

void CWinHttp2Transport::Listen(const wchar_t* notice, Listener listener)
{
    m_http.m_channels[CTString(notice)] = std::move(listener);
}

int CWinHttp2Transport::GetQueuedCallbackCount()
{
    return static_cast<int>(m_http.m_workerQueue.GetCount() + m_http.m_uiQueue.GetCount());
}
