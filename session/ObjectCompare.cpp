#include "session/ObjectCompare.h"
#include "session/Object.h"

int ObjectCompare::Compare(CLinkedListCompare* key)
{
    const ObjectCompare* other = static_cast<const ObjectCompare*>(key);
    if (!other || !object || !other->object)
        return 2;
    const Object& a = *object;
    const Object& b = *other->object;
    if (a.type != b.type)
        return 2;
    CAttribute mine, theirs;
    if (a.GetAttribute(mine, keyName).IsNotEqual(b.GetAttribute(theirs, keyName)))
        return 2;
    if (a.attributes.size() != b.attributes.size())
        return 1;
    for (auto x = a.attributes.begin(), y = b.attributes.begin(); x != a.attributes.end(); ++x, ++y)
        if (x->first != y->first || !x->second.IsEqual(y->second))
            return 1;
    return 0;
}
