#pragma once
// CTWndManager::VTabPage: the side of a page window that the vertical tab strip talks to. The
// strip asks it to save or discard its changes; the page reports unsaved changes to the strip.
class CTWndVTab;

namespace CTWndManager {

class VTabPage {
public:
    CTWndVTab* m_strip = nullptr; // set by the strip when the page is added

    virtual ~VTabPage() = default;
    // Discard the changes and show the stored state again (the bar's Cancel).
    virtual bool Refresh() { return false; }
    // Save the changes (the bar's Save).
    virtual bool Save() { return false; }
    virtual int GetReserved1() { return 0; }
    virtual int GetReserved2() { return 100; }
    virtual bool GetReserved3() { return false; }
    // Marks this page's tab modified; the current page shows or hides the save/cancel bar.
    virtual void SetModified(bool modified);
};

} // namespace CTWndManager
