#pragma once
// An object together with further objects that belong with it: a folder's children, an object's
// ancestors, the hits of a search. Every object form holds one as the data it shows.
#include <vector>
#include "session/Object.h"

class ObjectBranch : public Object {
public:
    ObjectBranch() = default;
    ObjectBranch(const ObjectBranch& other) : Object() { AssignBranch(other); }
    ObjectBranch& operator=(const ObjectBranch& other) { return AssignBranch(other); }
    using Object::operator=;
    ~ObjectBranch() override;

    // Assigning a plain object drops the children.
    Object& Assign(const Object& other) override;
    void Clear() override;
    virtual ObjectBranch& AssignBranch(const ObjectBranch& other);

    // A child with the same id (the first) takes the object's content; otherwise a copy is appended.
    void AddChild(const Object& object);
    // object's path from its ancestors among the children: "\top\...\parent\name". A repeated
    // ancestor (parent ids that loop) ends the chain.
    void BuildPath(Object& object) const;

    std::vector<Object> children;
};
