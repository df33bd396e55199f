#pragma once
#include "controls/CDrawDocument.h"
#include "controls/CGfxObject.h"

// A drawable whose look is a mark-up document, laid out in client coordinates in its rectangle
// and painted directly (no cached bitmap). Hot-tracking and "on-click" clicks go to the document.
class CGfxDraw : public CGfxObject {
public:
    CDraw::CDrawDocument m_doc;

    void Paint(HDC dc, const RECT* clip) override;
    void OnScroll() override;
    void OnMouseMove(const POINT* pt) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;

    virtual void SetMarkup(const CTString& markup);
    // Called with the positive "on-click" number of the element clicked; subclasses act on it.
    virtual void OnMarkupClick(__int64) {}
};
