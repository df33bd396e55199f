#pragma once
// A window that takes an organisational-unit id from the window that opened it (the bulk user
// wizard sends it as OUID with its e-mail requests). Windows find the opened window by type and
// key and hand the id over through this interface, without knowing the window's class.
class OrganisationalUnitParameter {
public:
    virtual ~OrganisationalUnitParameter() = default;
    virtual void SetOrganisationalUnitId(__int64 id) = 0;
};
