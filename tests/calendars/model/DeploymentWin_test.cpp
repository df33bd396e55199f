#include <gtest/gtest.h>

#include "calendars/model/DeploymentWin.h"

namespace {

DB::Slot Update(__int64 id, __int64 used, __int64 capacity)
{
    DB::Slot slot;
    slot.SetInt64(1u, static_cast<unsigned __int64>(id));
    slot.SetInt64(2u, static_cast<unsigned __int64>(used));
    slot.SetInt64(3u, static_cast<unsigned __int64>(capacity));
    return slot;
}

const wchar_t* kReply =
    L"<result><day id=\"7\" used_days=\"1\" max_deployments=\"5\"/>"
    L"<other id=\"9\"/><day id=\"9\" used_days=\"2\" max_deployments=\"4\"/>"
    L"<day id=\"9\" used_days=\"3\" max_deployments=\"3\"/></result>";

TEST(DeploymentWin, SlotUpdateRewritesTheFirstDayOfThatWindowOnly)
{
    TiXmlDocument reply;
    reply.Parse(kReply, nullptr, 0);
    ASSERT_FALSE(reply.Error());
    DB::Slot slot = Update(9, 4, 6);
    EXPECT_EQ(ApplySlotUpdateToReply(reply, slot), 9);
    TiXmlElement* first = reply.FirstChildElementNamed(L"result")->FirstChildElementNamed(L"day");
    TiXmlElement* nine = first->NextSiblingElementNamed(L"day");
    TiXmlElement* second = nine->NextSiblingElementNamed(L"day");
    EXPECT_STREQ(first->GetAttribute(L"used_days"), L"1");
    EXPECT_STREQ(nine->GetAttribute(L"used_days"), L"4");
    EXPECT_STREQ(nine->GetAttribute(L"max_deployments"), L"6");
    EXPECT_STREQ(second->GetAttribute(L"used_days"), L"3");
}

TEST(DeploymentWin, SlotUpdateWithoutAMatchingDayChangesNothing)
{
    struct Case { const wchar_t* reply; __int64 id; } cases[] = {
        {kReply, 8},                       // no such window
        {L"<other><day id=\"9\"/></other>", 9},   // no result element
        {L"<result/>", 9},
    };
    for (const Case& c : cases) {
        TiXmlDocument reply;
        reply.Parse(c.reply, nullptr, 0);
    ASSERT_FALSE(reply.Error());
        DB::Slot slot = Update(c.id, 1, 1);
        EXPECT_EQ(ApplySlotUpdateToReply(reply, slot), 0) << c.id;
    }
    TiXmlDocument reply;
    reply.Parse(kReply, nullptr, 0);
    ASSERT_FALSE(reply.Error());
    DB::Slot slot = Update(8, 1, 1);
    ApplySlotUpdateToReply(reply, slot);
    EXPECT_STREQ(reply.FirstChildElementNamed(L"result")->FirstChildElementNamed(L"day")->GetAttribute(L"used_days"), L"1");
}

} // namespace
