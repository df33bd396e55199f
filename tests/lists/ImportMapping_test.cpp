#include <gtest/gtest.h>
#include "lists/ImportMapping.h"
#include "lists/ListsFixture.h"

namespace {
class ImportMappingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AddType(cache, 30, L"Schedule Group");
        Object& computer = AddType(cache, 40, L"Computer");
        AddAttribute(computer, 1, L"flag", CAttribute(CAttribute::Integer, 0ll));
        AddAttribute(computer, 2, L"state", CAttribute(CAttribute::Integer, 0ll), L"VALUES=Off,On,Broken");
        AddAttribute(computer, 3, L"label", CAttribute(CAttribute::Text, L""));
        AddAttribute(computer, 4, L"bought", CAttribute(CAttribute::DateTime, 0ll));
        AddAttribute(computer, 5, L"email_address", CAttribute(CAttribute::Text, L""));
        AddType(cache, 41, L"Application");
        Object& deployment = AddType(cache, 50, L"Deployment");
        AddAttribute(deployment, 1, L"amber_days", CAttribute(CAttribute::Integer, 5ll));
        AddAttribute(deployment, 2, L"end_date", CAttribute(CAttribute::DateTime, 0ll));
        IndexTypes(cache);
        Object slot;
        slot.id = 812;
        AddAttribute(slot, 1, L"code", CAttribute(CAttribute::Text, L"AM"));
        cache.slotData.push_back(slot);
        cache.loaded |= MainWindowCache::LoadSlotData;
    }

    Object Record(const wchar_t* typeName, std::vector<LookupField>& lookups)
    {
        Object target;
        CTString name(typeName);
        RegisterImportLookups(target, lookups, name, cache);
        return target;
    }

    MainWindowCache cache;
};
} // namespace

TEST_F(ImportMappingTest, CompletesTheTypeAndItsStandardLookups)
{
    struct Case {
        const wchar_t* typeName;
        __int64 type;
        size_t lookups;
    };
    const Case cases[] = {
        {L"Schedule_Group", 30, 3}, {L"new_application", 41, 0}, {L"Computer", 40, 1},
        {L"Deployment", 50, 11},   {L"Nothing", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.typeName));
        std::vector<LookupField> lookups;
        Object target = Record(c.typeName, lookups);
        EXPECT_EQ(target.type, c.type);
        EXPECT_EQ(lookups.size(), c.lookups);
    }
    std::vector<LookupField> lookups;
    Object deployment = Record(L"Deployment", lookups);
    CAttribute value;
    EXPECT_EQ(deployment.GetAttribute(value, L"amber_days").GetValue(), 0);
    EXPECT_EQ(lookups[5].scope, 1);
    EXPECT_EQ(Narrow(lookups[5].field.GetBuffer()), "end_date");
    EXPECT_EQ(Narrow(lookups[9].sgLink.GetBuffer()), "deployable_available");
}

TEST_F(ImportMappingTest, MapsValuesAndLookups)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* text;
        bool exported;
        __int64 value;       // the attribute's value afterwards (text attributes: ignored)
        const char* textValue;
    };
    const Case cases[] = {
        {L"flag", L" Y ", false, 1, nullptr},     {L"flag", L"y", false, 1, nullptr},
        {L"flag", L"1", false, 1, nullptr},       {L"flag", L"n", false, 0, nullptr},
        {L"flag", L"-5", false, 0, nullptr},      {L"flag", L"12a", false, 0, nullptr},
        {L"flag", L"-5", true, -5, nullptr},      {L"flag", L"", false, 0, nullptr},
        {L"state", L"Broken", false, 2, nullptr}, {L"state", L"1", false, 1, nullptr},
        {L"label", L"  spaced ", false, 0, "spaced"},
        {L"bought", L"03/02/2021", false, 1612310400, nullptr},
        {L"bought", L"3-2-2021", false, 1612310400, nullptr},
        {L"bought", L"1612310400", true, 1612310400, nullptr},
        {L"bought", L"32-1-2021", false, 1612137600, nullptr},   // rolls over to 1 February
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name) + "=" + Narrow(c.text));
        std::vector<LookupField> lookups;
        Object target = Record(L"Computer", lookups);
        SetImportAttribute(c.text, c.name, lookups, target, cache, c.exported);
        CAttribute value;
        target.GetAttribute(value, c.name);
        if (c.textValue)
            EXPECT_EQ(Narrow(value.GetText()), c.textValue);
        else
            EXPECT_EQ(value.GetValue(), c.value);
        EXPECT_FALSE(target.IsAttributeDefault(c.name));
    }

    CAttribute date;
    EXPECT_EQ(ParseImportDate(date, L"2021").GetValue(), -1);
    EXPECT_EQ(date.GetType(), CAttribute::DateTime);

    // A trimmed attribute, an untrimmed lookup; a name that is no attribute still fills its lookup.
    std::vector<LookupField> lookups;
    Object computer = Record(L"Computer", lookups);
    SetImportAttribute(L" a@b ", L"email_address", lookups, computer, cache);
    CAttribute value;
    EXPECT_EQ(Narrow(computer.GetAttribute(value, L"email_address").GetText()), "a@b");
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(Narrow(lookups[0].value.GetBuffer()), " a@b ");

    // Repeated names add lookups; the deployed computer is matched by the computer's own names; a
    // slot code narrows the end-date lookup; the date's lookup carries its seconds.
    lookups.clear();
    Object deployment = Record(L"Deployment", lookups);
    const size_t standard = lookups.size();
    SetImportAttribute(L"P1", L"package_id", lookups, deployment, cache);
    SetImportAttribute(L"P2", L"package_id", lookups, deployment, cache);
    SetImportAttribute(L"PC7", L"deployed_computer_name", lookups, deployment, cache);
    SetImportAttribute(L"am", L"SLOT", lookups, deployment, cache);
    SetImportAttribute(L"ZZ", L"slot", lookups, deployment, cache);
    SetImportAttribute(L"3/2/2021", L"end_date", lookups, deployment, cache);
    ASSERT_EQ(lookups.size(), standard + 1);
    EXPECT_EQ(Narrow(lookups[standard].value.GetBuffer()), "P2");
    EXPECT_EQ(Narrow(lookups[standard].attrib.GetBuffer()), "deployable");
    EXPECT_EQ(Narrow(lookups[2].field.GetBuffer()), "computer_name");
    EXPECT_EQ(Narrow(lookups[2].value.GetBuffer()), "PC7");
    EXPECT_EQ(Narrow(lookups[5].field2.GetBuffer()), "link_deployment_slot_data");
    EXPECT_EQ(Narrow(lookups[5].value2.GetBuffer()), "8120");
    EXPECT_EQ(Narrow(lookups[5].value.GetBuffer()), "1612310400");
}
