#pragma once
#include <cstdint>
#include <cstdlib>

#include "foundation/TiXmlAttribute.h"

// Names of an element's attributes by hash, built once an element has many: the plain walk of
// the set for each new attribute would make an element of 10^5 attributes quadratic (parsing
// a hostile reply, copying a large element).
class TiXmlAttributeIndex {
public:
    TiXmlAttributeIndex() = default;
    TiXmlAttributeIndex(const TiXmlAttributeIndex&) = delete;
    TiXmlAttributeIndex& operator=(const TiXmlAttributeIndex&) = delete;
    ~TiXmlAttributeIndex() { free(slots_); }

    bool Active() const { return slots_ != nullptr; }
    // Back to walking the set (memory was short).
    void Drop() {
        free(slots_);
        slots_ = nullptr;
        mask_ = count_ = 0;
    }

    // Indexes every attribute of the set; false when memory is short (the walk then serves).
    bool Build(const TiXmlAttributeSet& set) {
        for (TiXmlAttribute* a = set.First(); a; a = a->next == &set.sentinel ? nullptr : a->next)
            if (!Insert(a))
                return false;
        return true;
    }

    TiXmlAttribute* Find(const TiXmlString& name) const {
        for (uint32_t i = Hash(name) & mask_;; i = (i + 1) & mask_) {
            if (!slots_[i])
                return nullptr;
            if (slots_[i]->name.Equals(name))
                return slots_[i];
        }
    }

    bool Insert(TiXmlAttribute* a) {
        if ((count_ + 1) * 2 > mask_ + 1 && !Resize(mask_ ? (mask_ + 1) * 2 : 64))
            return false;
        uint32_t i = Hash(a->name) & mask_;
        while (slots_[i])
            i = (i + 1) & mask_;
        slots_[i] = a;
        ++count_;
        return true;
    }

private:
    static uint32_t Hash(const TiXmlString& s) {
        uint32_t h = 2166136261u;
        for (const wchar_t* p = s.c_str(); *p; ++p)
            h = (h ^ *p) * 16777619u;
        return h;
    }

    bool Resize(uint32_t size) {
        auto** fresh = (TiXmlAttribute**)calloc(size, sizeof(TiXmlAttribute*));
        if (!fresh)
            return false;
        TiXmlAttribute** old = slots_;
        uint32_t oldSize = mask_ ? mask_ + 1 : 0;
        slots_ = fresh;
        mask_ = size - 1;
        count_ = 0;
        for (uint32_t i = 0; i < oldSize; ++i)
            if (old[i])
                Insert(old[i]);
        free(old);
        return true;
    }

    TiXmlAttribute** slots_ = nullptr;
    uint32_t mask_ = 0;
    uint32_t count_ = 0;
};
