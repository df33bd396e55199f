#include "session/ObjectBranch.h"

ObjectBranch::~ObjectBranch() = default;

Object& ObjectBranch::Assign(const Object& other)
{
    if (this == &other)
        return *this;
    ObjectBranch::Clear();
    return Object::Assign(other);
}

void ObjectBranch::Clear()
{
    Object::Clear();
    children.clear();
}

ObjectBranch& ObjectBranch::AssignBranch(const ObjectBranch& other)
{
    if (this == &other)
        return *this;
    ObjectBranch::Clear();
    Object::Assign(other);
    children = other.children;
    return *this;
}

void ObjectBranch::AddChild(const Object& object)
{
    for (Object& child : children) {
        if (child.id == object.id) {
            child.Object::Assign(object);
            return;
        }
    }
    children.push_back(object);
}

void ObjectBranch::BuildPath(Object& object) const
{
    auto findChild = [this](__int64 childId) -> const Object* {
        for (const Object& child : children)
            if (child.id == childId)
                return &child;
        return nullptr;
    };

    CTString gathered(object.name);
    // Each child can be an ancestor once: a loop in the parent ids ends the walk.
    std::vector<bool> used(children.size(), false);
    for (const Object* ancestor = findChild(object.parent); ancestor; ancestor = findChild(ancestor->parent)) {
        size_t index = static_cast<size_t>(ancestor - children.data());
        if (used[index])
            break;
        used[index] = true;
        CTString front(ancestor->name);
        front.AppendChar(L'\\');
        front.Append(gathered);
        gathered.Swap(front);
    }
    object.path.AssignText(L"\\");
    object.path.Append(gathered);
}
