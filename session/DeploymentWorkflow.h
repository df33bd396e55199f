#pragma once
// How the console reads a deployment's status through the server's deployment-status definitions:
// the status flag tests, the status icon, the data a status needs, and the next status of a
// transition. The definitions and the deployment types come from the main window's caches
// (MainWindowLookups); before they are loaded every flag reads 0 and there is no next status.
#include <windows.h>
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "session/Object.h"

class CTIcon;

// Bits of a status definition's "deployment_attribs".
enum DeploymentStatusFlag : DWORD {
    StatusShowSucceed = 0x1,
    StatusShowFail = 0x2,
    StatusSucceeded = 0x4,
    StatusFailed = 0x8,
    StatusShowReschedule = 0x10,
    StatusConsoleEdit = 0x20,
    StatusNeedUser = 0x40,
    StatusNeedSlot = 0x80,
    StatusNeedLocation = 0x100,
    StatusNeedDevice = 0x200,
    StatusLegacyDeviceLocked = 0x400,
    StatusNewDeviceLocked = 0x800,
    StatusWebPortals = 0x10000,
};

// Bits of a deployment type's "deployment_attribs" read here.
enum DeploymentTypeFlag : DWORD {
    TypeLegacyAsset = 0x1,
    TypeNewAsset = 0x2,
    TypeTransferLegacyAsset = 0x8,
    TypeTransferNewAsset = 0x10,
};

enum : UINT { kIconStatusSucceeded = 172, kIconStatusFailed = 173 };

bool DeploymentStatusIsSucceeded(const Object& deployment);
bool DeploymentStatusIsFailed(const Object& deployment);
bool DeploymentStatusShowsReschedule(const Object& deployment);
bool DeploymentStatusAllowsConsoleEdit(const Object& deployment);
// Bit 0x20 of the status that GetNextStatusCode gives for "code_prev".
bool PreviousStatusAllowsConsoleEdit(const Object& deployment);

// A list-cell value for the status icon: type 4 holding (image << 16) | 7 for a succeeded or
// failed status (failed wins), else the empty integer value.
CAttribute MakeDeploymentStatusIcon(const Object& deployment, int succeededImage, int failedImage);
// Loads icon 172 (succeeded) or 173 (failed, which wins) at the small-icon size into holder;
// neither leaves holder as it was.
void AddDeploymentStatusIcons(const Object& deployment, CTIcon& holder);

// Whether the deployment has the links a status with these flags needs.
bool DeploymentMeetsStatusNeeds(const Object& deployment, DWORD flags);
// "Show Succeed" is set and the first allowed "code_next_success" status's needs are met.
bool CanAdvanceOnSuccess(const Object& deployment);
// The status a transition ("code_next_success", "code_next_failure", "code_prev") moves to; empty
// when none. A success transition is given only while CanAdvanceOnSuccess does not hold.
CTString& GetNextStatusCode(CTString& out, const Object& deployment, const CTString& transition);
// The localised name of the status definition with that code; empty when none.
CTString& GetLinkedObjectName(CTString& out, const CTString& code);
// The name of one flag bit of a status definition; empty for anything else.
const wchar_t* DeploymentFlagName(DWORD flag);
