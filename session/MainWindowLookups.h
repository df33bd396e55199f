#pragma once
// The main window's caches as the session's helpers read them: deployment-status definitions,
// deployment types, object-type definitions and the current server text. The main window
// implements it and installs it after sign-in; with none installed every lookup answers empty, as
// the caches do before they are loaded.
#include <windows.h>
#include <vector>
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "session/Object.h"

class MainWindowLookups {
public:
    virtual ~MainWindowLookups() = default;

    // The cached deployment-status definition whose "code" equals code; an empty object when the
    // definitions are not loaded or none matches.
    virtual Object& GetDeploymentStatus(Object& out, const CAttribute& code) = 0;
    // That attribute of the status definition named by the deployment's "deployment_status".
    virtual CAttribute& GetDeploymentStatusAttribute(CAttribute& out, const Object& deployment,
                                                     const CTString& name) = 0;
    // False when the definitions are not loaded; else every definition the deployment's type allows.
    virtual bool GetAvailableStatuses(std::vector<Object>& out, const Object& deployment) = 0;
    // Keeps only the codes the deployment's type lists as available.
    virtual void FilterAvailableStatusCodes(std::vector<CTString>& codes, const Object& deployment) = 0;
    // Whether the "deployment_attribs" of the deployment's type has a bit of mask.
    virtual bool HasDeploymentTypeFlag(const Object& deployment, DWORD mask) = 0;
    // The object-type definition with that number, else an empty object.
    virtual Object& GetTypeById(Object& out, __int64 type) = 0;
    // The server the session is signed in to, as the user gave it.
    virtual CTString GetServerText() = 0;

    // Process-wide; null removes it. Called on the user-interface thread.
    static void Install(MainWindowLookups* lookups);
    static MainWindowLookups* Installed();
};
