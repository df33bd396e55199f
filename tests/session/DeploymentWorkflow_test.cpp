// Deployment status flags, needs and next-status rules over fake status definitions.
#include <gtest/gtest.h>
#include "framework/CTIcon.h"
#include "session/DeploymentWorkflow.h"
#include "FakeLookups.h"

namespace {

Object Deployment(const wchar_t* status)
{
    Object deployment;
    Put(deployment, L"deployment_status", CAttribute(CTString(status)));
    return deployment;
}

CAttribute Number(__int64 value)
{
    return CAttribute(CAttribute::Integer, value);
}

} // namespace

TEST(DeploymentWorkflow, StatusFlagTestsAndIcon)
{
    struct Case {
        CAttribute flags;
        bool succeeded, failed, reschedule, edit;
        __int64 icon;   // value of the icon cell, 0 for none
    } cases[] = {
        {Number(0x04), true, false, false, false, (3 << 16) | 7},
        {Number(0x08), false, true, false, false, (9 << 16) | 7},
        {Number(0x0C), true, true, false, false, (9 << 16) | 7},   // failed wins
        {Number(0x30), false, false, true, true, 0},
        {Number(0x104), true, false, false, false, (3 << 16) | 7},   // only the low 8 bits are read
        {Number(0x400), false, false, false, false, 0},
        {CAttribute(CTString(L"12")), false, false, false, false, 0},   // a text flag word reads as none
    };
    for (const Case& c : cases) {
        FakeLookups lookups;
        lookups.statuses = {Status(L"S", c.flags)};
        Object deployment = Deployment(L"S");
        EXPECT_EQ(c.succeeded, DeploymentStatusIsSucceeded(deployment)) << c.flags.GetText();
        EXPECT_EQ(c.failed, DeploymentStatusIsFailed(deployment)) << c.flags.GetText();
        EXPECT_EQ(c.reschedule, DeploymentStatusShowsReschedule(deployment)) << c.flags.GetText();
        EXPECT_EQ(c.edit, DeploymentStatusAllowsConsoleEdit(deployment)) << c.flags.GetText();
        CAttribute icon = MakeDeploymentStatusIcon(deployment, 3, 9);
        EXPECT_EQ(c.icon ? CAttribute::Integer2 : CAttribute::Integer, icon.GetType()) << c.flags.GetText();
        EXPECT_EQ(c.icon, icon.GetValue()) << c.flags.GetText();

        // An unknown status or no definitions: no flags.
        EXPECT_FALSE(DeploymentStatusIsSucceeded(Deployment(L"other")));
    }
    EXPECT_FALSE(DeploymentStatusIsFailed(Deployment(L"S")));   // nothing installed
    // A negative image number stays a signed 16-bit number.
    FakeLookups lookups;
    lookups.statuses = {Status(L"S", Number(4))};
    EXPECT_EQ(-65536 + 7, MakeDeploymentStatusIcon(Deployment(L"S"), -1, 0).GetValue());
}

TEST(DeploymentWorkflow, StatusNeeds)
{
    enum Link { User = 1, Slot = 2, Location = 4, Legacy = 8, Deployed = 16, Model = 32 };
    struct Case {
        DWORD flags;
        DWORD typeFlags;
        int links;
        bool meets;
    } cases[] = {
        {0, 0, 0, true},
        {0x40, 0, 0, false},
        {0x40, 0, User, true},
        {0x80, 0, User, false},
        {0x80, 0, Slot, true},
        // Location only for a transfer type that moves an asset.
        {0x100, 0x2, 0, true},
        {0x100, 0x8, 0, true},
        {0x100, 0x8 | 0x2, 0, false},
        {0x100, 0x10 | 0x1, Location, true},
        // Devices as the type calls for them.
        {0x200, 0, 0, true},
        {0x200, 0x1, 0, false},
        {0x200, 0x1, Legacy, true},
        {0x200, 0x3, Legacy, false},
        {0x200, 0x3, Legacy | Deployed, true},
        {0x200, 0x3, Legacy | Model, true},
        {0x200, 0x2, Model, true},
        {0x200, 0x2, 0, false},
        {0x40 | 0x200, 0x2, Model, false},
    };
    for (const Case& c : cases) {
        FakeLookups lookups;
        lookups.typeFlags = c.typeFlags;
        Object deployment = Deployment(L"S");
        const wchar_t* names[] = {L"link_user", L"link_deployment_slot", L"link_deployment_location",
                                  L"link_legacy_computer", L"link_deployed_computer", L"link_deploy_model"};
        for (int bit = 0; bit < 6; ++bit)
            Put(deployment, names[bit], c.links & (1 << bit) ? Number(100 + bit) : CAttribute(CTString(L"7")));
        EXPECT_EQ(c.meets, DeploymentMeetsStatusNeeds(deployment, c.flags))
            << std::hex << c.flags << " type " << c.typeFlags << " links " << c.links;
    }
}

TEST(DeploymentWorkflow, NextStatusFollowsTheTypeAndTheNeeds)
{
    FakeLookups lookups;
    // "X" is not allowed by the type, so "B" is the success candidate; "B" needs a user.
    lookups.statuses = {Status(L"A", Number(0x1), L"X|B", L" \"F\" ", L"P", L"Assigned"),
                        Status(L"B", Number(0x40)), Status(L"X", Number(0)), Status(L"F", Number(0x8)),
                        Status(L"P", Number(0x20))};
    lookups.available = {L"A", L"B", L"F", L"P"};
    const CTString success(L"code_next_success"), failure(L"code_next_failure"), previous(L"code_prev");
    CTString code;

    Object without = Deployment(L"A");
    EXPECT_FALSE(CanAdvanceOnSuccess(without));
    EXPECT_TRUE(GetNextStatusCode(code, without, success).IsEmpty());   // B's needs are not met
    EXPECT_EQ(std::wstring(L"F"), GetNextStatusCode(code, without, failure).GetBuffer());
    EXPECT_TRUE(PreviousStatusAllowsConsoleEdit(without));

    Object with = Deployment(L"A");
    Put(with, L"link_user", Number(5));
    EXPECT_TRUE(CanAdvanceOnSuccess(with));
    // While the success can be taken directly, no success transition is offered.
    EXPECT_TRUE(GetNextStatusCode(code, with, success).IsEmpty());
    EXPECT_EQ(std::wstring(L"F"), GetNextStatusCode(code, with, failure).GetBuffer());

    // Without "Show Succeed" the success transition is offered.
    lookups.statuses[0] = Status(L"A", Number(0), L"X|B", L"F", L"P", L"Assigned");
    EXPECT_FALSE(CanAdvanceOnSuccess(with));
    EXPECT_EQ(std::wstring(L"B"), GetNextStatusCode(code, with, success).GetBuffer());

    // A current status the type does not allow, or an unknown one: no transition.
    lookups.available = {L"B", L"F", L"P"};
    EXPECT_TRUE(GetNextStatusCode(code, with, failure).IsEmpty());
    lookups.available.clear();
    EXPECT_TRUE(GetNextStatusCode(code, Deployment(L"Q"), failure).IsEmpty());
    // The status must match with its value type: a number 5 is not the text "5".
    lookups.statuses.push_back(Status(L"5", Number(0), L"", L"F"));
    Object numeric;
    Put(numeric, L"deployment_status", Number(5));
    EXPECT_TRUE(GetNextStatusCode(code, numeric, failure).IsEmpty());
    EXPECT_EQ(std::wstring(L"F"), GetNextStatusCode(code, Deployment(L"5"), failure).GetBuffer());

    EXPECT_EQ(std::wstring(L"Assigned"), GetLinkedObjectName(code, CTString(L"A")).GetBuffer());
    EXPECT_TRUE(GetLinkedObjectName(code, CTString(L"nope")).IsEmpty());
}

TEST(DeploymentWorkflow, FlagNames)
{
    EXPECT_STREQ(L"Show Succeed", DeploymentFlagName(0x1));
    EXPECT_STREQ(L"Need Device", DeploymentFlagName(0x200));
    EXPECT_STREQ(L"New Device Locked", DeploymentFlagName(0x800));
    EXPECT_STREQ(L"Available for Web Portals", DeploymentFlagName(0x10000));
    EXPECT_STREQ(L"", DeploymentFlagName(0x1000));
    EXPECT_STREQ(L"", DeploymentFlagName(0x3));
    EXPECT_STREQ(L"", DeploymentFlagName(0));
}

namespace {

// The colour of the middle pixel of an icon's colour image; 0xFFFFFFFF without an icon.
COLORREF MiddleColour(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return 0xFFFFFFFF;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmColor);
    COLORREF colour = GetPixel(dc, 8, 8) & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return colour;
}

} // namespace

TEST(DeploymentWorkflow, StatusIconIntoTheHolder)
{
    struct Case {
        DWORD flags;
        COLORREF colour;
    } cases[] = {
        {0x4, RGB(0, 0, 255)},
        {0x8, RGB(255, 0, 0)},
        {0xC, RGB(255, 0, 0)},   // failed wins
        {0x0, 0xFFFFFFFF},       // holder left as it was
    };
    for (const Case& c : cases) {
        FakeLookups lookups;
        lookups.statuses = {Status(L"S", Number(c.flags))};
        CTIcon holder;
        AddDeploymentStatusIcons(Deployment(L"S"), holder);
        EXPECT_EQ(c.colour, MiddleColour(holder.GetHandle())) << c.flags;
    }
}
