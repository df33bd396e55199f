// The event holder: manual-reset and auto-reset events and closing.
#include <windows.h>
#include <gtest/gtest.h>
#include "foundation/CTEventHandle.h"

TEST(CTEventHandle, ManualResetStaysSignalledUntilReset)
{
    CTEventHandle event;
    EXPECT_EQ(nullptr, event.GetHandle());
    EXPECT_EQ(&event, event.Create());
    ASSERT_NE(nullptr, event.GetHandle());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(event.GetHandle(), 0));
    EXPECT_TRUE(event.Set());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event.GetHandle(), 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event.GetHandle(), 0));
    EXPECT_TRUE(event.Reset());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(event.GetHandle(), 0));
}

TEST(CTEventHandle, AutoResetReleasesOneWaitAndCloseEmptiesTheHolder)
{
    CTEventHandle event;
    event.Create();
    event.Set();
    ASSERT_TRUE(event.RecreateAutoReset());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(event.GetHandle(), 0)) << "recreated not signalled";
    event.Set();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event.GetHandle(), 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(event.GetHandle(), 0));

    EXPECT_TRUE(event.Close());
    EXPECT_EQ(nullptr, event.GetHandle());
    EXPECT_FALSE(event.Close());
    EXPECT_FALSE(event.Set());
}
