#include "app/MainWindowCacheLookups.h"

#include "app/App.h"
#include "app/MainWindow.h"

Object& MainWindowCacheLookups::GetDeploymentStatus(Object& out, const CAttribute& code)
{
    return m_window.m_cache.GetDeploymentStatus(out, code);
}

CAttribute& MainWindowCacheLookups::GetDeploymentStatusAttribute(CAttribute& out, const Object& deployment,
                                                                 const CTString& name)
{
    return m_window.m_cache.GetDeploymentStatusAttribute(out, deployment, name);
}

bool MainWindowCacheLookups::GetAvailableStatuses(std::vector<Object>& out, const Object& deployment)
{
    return m_window.m_cache.GetAvailableStatuses(out, deployment);
}

void MainWindowCacheLookups::FilterAvailableStatusCodes(std::vector<CTString>& codes, const Object& deployment)
{
    m_window.m_cache.FilterAvailableStatusCodes(codes, deployment);
}

bool MainWindowCacheLookups::HasDeploymentTypeFlag(const Object& deployment, DWORD mask)
{
    return m_window.m_cache.HasDeploymentTypeFlag(deployment, mask);
}

Object& MainWindowCacheLookups::GetTypeById(Object& out, __int64 type)
{
    return m_window.m_cache.GetTypeById(out, type);
}

CTString MainWindowCacheLookups::GetServerText()
{
    return m_window.m_app ? m_window.m_app->m_server : CTString();
}
