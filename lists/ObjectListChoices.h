#pragma once
// Link choice lists of the running console: the objects of a type that the directory cache holds
// under the folder of the system settings object.
#include "app/MainWindowCache.h"
#include "lists/ObjectListColumns.h"
#include "session/Dir.h"

class ObjectListCacheChoices : public ObjectListChoiceSource {
public:
    ObjectListCacheChoices(const MainWindowCache& cache, Dir& dir) : m_cache(cache), m_dir(dir) {}

    // typeName is matched exactly against the cached type definitions; objects in cache order.
    void ForEachSettingsObjectOfType(const CTString& typeName,
                                     const std::function<void(const Object&)>& fn) const override;

private:
    const MainWindowCache& m_cache;
    Dir& m_dir;
};
