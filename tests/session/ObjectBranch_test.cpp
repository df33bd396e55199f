// Object branches (children, assignment, paths) and the key-attribute comparison of objects.
#include <gtest/gtest.h>
#include <string>
#include "session/ObjectBranch.h"
#include "session/ObjectCompare.h"

namespace {

std::wstring Str(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

Object Make(__int64 id, __int64 parent, const wchar_t* name)
{
    Object o;
    o.id = id;
    o.parent = parent;
    o.name.AssignText(name);
    return o;
}

Object WithAttributes(__int64 type, std::initializer_list<std::pair<int, CAttribute>> values)
{
    Object o;
    o.type = type;
    for (const auto& [attributeId, value] : values)
        o.attributes[attributeId].CAttribute::Assign(value);
    return o;
}

} // namespace

TEST(ObjectBranch, AddChildReplacesTheFirstWithTheSameIdInPlace)
{
    ObjectBranch branch;
    branch.AddChild(Make(5, 1, L"five"));
    branch.AddChild(Make(6, 1, L"six"));
    branch.AddChild(Make(5, 2, L"five again"));
    ASSERT_EQ(branch.children.size(), 2u);
    EXPECT_EQ(Str(branch.children[0].name), L"five again");
    EXPECT_EQ(branch.children[0].parent, 2);
    EXPECT_EQ(branch.children[1].id, 6);
}

TEST(ObjectBranch, AssignDropsChildrenAssignBranchCopiesThem)
{
    ObjectBranch branch;
    branch.id = 1;
    branch.AddChild(Make(5, 1, L"five"));
    ObjectBranch other;
    other.AssignBranch(branch);
    EXPECT_EQ(other.id, 1);
    ASSERT_EQ(other.children.size(), 1u);
    branch.children[0].name.AssignText(L"changed");
    EXPECT_EQ(Str(other.children[0].name), L"five");   // a copy

    other.AssignBranch(other);
    EXPECT_EQ(other.children.size(), 1u);

    Object plain = Make(9, 0, L"plain");
    Object& asObject = other;
    asObject = plain;   // through the object part: the children go
    EXPECT_EQ(other.id, 9);
    EXPECT_TRUE(other.children.empty());

    ObjectBranch copy(branch);
    EXPECT_EQ(copy.children.size(), 1u);
    copy.Clear();
    EXPECT_EQ(copy.id, 0);
    EXPECT_TRUE(copy.children.empty());
}

TEST(ObjectBranch, BuildPathFollowsAncestorsAndStopsAtALoop)
{
    ObjectBranch branch;
    branch.AddChild(Make(2, 1, L"Sub"));
    branch.AddChild(Make(1, 0, L"Top"));
    branch.AddChild(Make(7, 1, L"Other"));
    Object leaf = Make(3, 2, L"Leaf");
    branch.BuildPath(leaf);
    EXPECT_EQ(Str(leaf.path), L"\\Top\\Sub\\Leaf");

    Object orphan = Make(4, 99, L"Orphan");
    branch.BuildPath(orphan);
    EXPECT_EQ(Str(orphan.path), L"\\Orphan");

    // Ancestors whose parents point back at each other: the walk ends instead of running on.
    ObjectBranch looped;
    looped.AddChild(Make(10, 11, L"A"));
    looped.AddChild(Make(11, 10, L"B"));
    Object inLoop = Make(12, 10, L"C");
    looped.BuildPath(inLoop);
    EXPECT_EQ(Str(inLoop.path), L"\\B\\A\\C");
    Object self = Make(13, 13, L"Self");
    ObjectBranch selfBranch;
    selfBranch.AddChild(self);
    selfBranch.BuildPath(self);
    EXPECT_EQ(Str(self.path), L"\\Self\\Self");
}

TEST(ObjectCompare, MatchesByTypeAndKeyThenComparesValues)
{
    Object base = WithAttributes(4, {{1, CAttribute(CAttribute::Text, L"k1")}, {2, CAttribute(CAttribute::Integer, 5)}});
    base.attributes[1].name.AssignText(L"key");
    Object same = base;
    same.serial = 99;
    same.name.AssignText(L"other name");
    same.attributes[2].flags = Object::Attribute::Dirty;
    Object changed = base;
    changed.attributes[2].SetValue(CAttribute::Integer, 6);
    Object extra = base;
    extra.attributes[3].SetValue(CAttribute::Integer, 0);
    Object otherKey = base;
    otherKey.attributes[1].SetText(CAttribute::Text, L"k2");
    Object otherType = base;
    otherType.type = 5;
    Object shifted = WithAttributes(4, {{1, CAttribute(CAttribute::Text, L"k1")}, {3, CAttribute(CAttribute::Integer, 5)}});
    shifted.attributes[1].name.AssignText(L"key");

    struct Case { const Object* other; int expected; } cases[] = {
        {&same, 0}, {&changed, 1}, {&extra, 1}, {&shifted, 1}, {&otherKey, 2}, {&otherType, 2},
    };
    ObjectCompare mine(&base, L"key");
    for (const Case& c : cases) {
        ObjectCompare theirs(c.other, L"key");
        EXPECT_EQ(mine.Compare(&theirs), c.expected);
    }

    // Both without the key attribute: the same object.
    Object bare1 = WithAttributes(4, {{2, CAttribute(CAttribute::Integer, 5)}});
    Object bare2 = WithAttributes(4, {{2, CAttribute(CAttribute::Integer, 6)}});
    ObjectCompare left(&bare1, L"key"), right(&bare2, L"key");
    EXPECT_EQ(left.Compare(&right), 1);

    // Through the list matcher.
    CLinkedList list;
    list.AddTail(new ObjectCompare(&otherType, L"key"));
    list.AddTail(new ObjectCompare(&changed, L"key"));
    CLinkedListObject* match = nullptr;
    EXPECT_EQ(list.FindMatch(&mine, &match), CLinkedList::MatchChanged);
    EXPECT_EQ(static_cast<ObjectCompare*>(match)->object, &changed);
}
