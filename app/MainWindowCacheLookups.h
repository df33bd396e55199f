#pragma once
// The main window's caches as the session's helpers read them (status definitions, deployment
// types, object types, the server text): installed for as long as the main window lives.
#include "session/MainWindowLookups.h"

class MainWindow;

class MainWindowCacheLookups : public MainWindowLookups {
public:
    explicit MainWindowCacheLookups(MainWindow& window) : m_window(window) {}

    Object& GetDeploymentStatus(Object& out, const CAttribute& code) override;
    CAttribute& GetDeploymentStatusAttribute(CAttribute& out, const Object& deployment, const CTString& name) override;
    bool GetAvailableStatuses(std::vector<Object>& out, const Object& deployment) override;
    void FilterAvailableStatusCodes(std::vector<CTString>& codes, const Object& deployment) override;
    bool HasDeploymentTypeFlag(const Object& deployment, DWORD mask) override;
    Object& GetTypeById(Object& out, __int64 type) override;
    CTString GetServerText() override;

private:
    MainWindow& m_window;
};
