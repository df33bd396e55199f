#pragma once
// The modal choice of how a deployment is duplicated: which of the two deployments keeps its
// "deployment_id" (template 440). The last option clicked is remembered in the registry, so the
// next duplication starts from it. The caller builds it on its stack, presets m_choice, runs it and
// reads m_choice when Run answered true.
#include <windows.h>
#include "foundation/CAttribute.h"
#include "framework/CTWnd2.h"

class DlgSelectDuplicate : public CTWnd2 {
public:
    enum : int {
        kTemplate = 440, kIdOriginal = 1004,
        kDefaultId = 1331,      // the copy gets a default id
        kTransferId = 1332,     // the copy takes the id over, the original reverts to a default
        kRevisedId = 1333,      // the copy gets the id with a revision suffix
    };
    static constexpr const wchar_t* kRegistryPath = L"DlgSelectDuplicate";
    static constexpr const wchar_t* kRegistryValue = L"DEPIP";

    CAttribute m_currentId;       // shown in the static text
    int m_choice = kDefaultId;    // the chosen option's control id

    DlgSelectDuplicate() = default;
    ~DlgSelectDuplicate() override;

    // Runs the dialog modally over owner; true when it ended with OK.
    bool Run(HWND owner);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
