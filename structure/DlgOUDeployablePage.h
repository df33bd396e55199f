#pragma once
// The "Component Defaults" page of the unit form: available, default and mandatory components,
// or the three lists inherited.
#include "structure/DeployablePage.h"
#include "structure/DlgOU.h"

class DlgOU::CDeployablePage : public DeployablePage {
public:
    static constexpr __int64 kSearchTag = 10;

    explicit CDeployablePage(DlgOU* form) : DeployablePage(form, Variant()) {}
};
