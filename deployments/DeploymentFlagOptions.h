#pragma once
// The "Properties:" option list of the deployment status and type forms: one check option per flag
// of "deployment_attribs". Loading sets every option from the stored value (clear bits untick), and
// saving keeps the stored bits that no option shows.
#include <windows.h>
#include "controls/CTWndSettings.h"
#include "session/Object.h"

struct DeploymentFlagOption {
    DWORD flag = 0;
    const wchar_t* text = L"";
};

class DeploymentFlagOptions {
public:
    DeploymentFlagOptions(const DeploymentFlagOption* options, size_t count) : m_options(options), m_count(count) {}

    // Creates the list on the dialog item without a tool bar and adds the options in order.
    bool Create(HWND dialog, int id, HMODULE module);
    // Ticks exactly the options whose flag shares a bit with value.
    void Load(__int64 value);
    // value with the bits of every option replaced by the ticked ones.
    __int64 Save(__int64 stored) const;
    // The bits the options show.
    DWORD Mask() const;

    CTWndSettings m_list;

private:
    const DeploymentFlagOption* m_options;
    size_t m_count;
};

// "deployment_attribs" of the object as a number, 0 when absent.
__int64 DeploymentAttribs(const Object& object);
