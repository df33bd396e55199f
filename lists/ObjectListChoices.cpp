#include "lists/ObjectListChoices.h"

void ObjectListCacheChoices::ForEachSettingsObjectOfType(const CTString& typeName,
                                                         const std::function<void(const Object&)>& fn) const
{
    const __int64 type = m_cache.GetTypeId(typeName);
    const __int64 folder = m_cache.systemSettings.parent;
    if (type == 0 || folder == 0)
        return;
    std::vector<Object> below;
    m_dir.CollectDescendants(folder, below);
    for (const Object& object : below)
        if (object.type == type && object.id != 0)
            fn(object);
}
