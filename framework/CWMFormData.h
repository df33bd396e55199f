#pragma once
// The data a form hands to its pages. Pages convert it to the class they expect with dynamic_cast.
#include "framework/CWindowManager.h"

namespace CTWndManager {
class Data {
public:
    virtual ~Data() = default;
};
} // namespace CTWndManager

class CWindowManager::CWMFormData : public CTWndManager::Data {
public:
    ~CWMFormData() override = default;
    // No form data of the system answers yes; kept for derived data that may.
    virtual bool Query() const { return false; }
};
