#pragma once
// Pairs an object with the name of its key attribute so that lists of objects can be matched
// against each other by that key (CLinkedList::CompareWith, FindMatch).
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class Object;

class ObjectCompare : public CLinkedListCompare {
public:
    ObjectCompare() = default;
    ObjectCompare(const Object* object, const CTString& keyName) : object(object), keyName(keyName) {}

    // 0 same object, same attribute values; 1 same type and key value but other attributes differ;
    // 2 another object. key is always an ObjectCompare.
    int Compare(CLinkedListCompare* key) override;

    const Object* object = nullptr;   // not owned; outlives the item
    CTString keyName;
};
