#include "controls/CGfxDraw.h"

#include "framework/CTREngine.h"

void CGfxDraw::Paint(HDC dc, const RECT* clip)
{
    if (m_visible) {
        RECT rc = ClientBounds();
        RECT common;
        if ((!clip || IntersectRect(&common, &rc, clip)) && m_doc.gdi) {
            m_doc.Layout(dc, &rc);
            m_doc.root.Paint(dc, m_doc.gdi, nullptr);
        }
    }
    PaintChildren(dc, clip);
}

void CGfxDraw::OnScroll()
{
    // The document lives in client coordinates: every scroll lays it out anew.
    HWND hwnd = CanvasHwnd();
    if (hwnd && m_doc.gdi) {
        CGfxCanvasDC dc(hwnd);
        RECT rc = ClientBounds();
        m_doc.Layout(dc.dc, &rc);
    }
    CGfxObject::OnScroll();
}

void CGfxDraw::OnMouseMove(const POINT* pt)
{
    m_doc.OnMouseMove(CanvasHwnd(), pt->x, pt->y);
    CGfxObject::OnMouseMove(pt);
}

void CGfxDraw::OnLButtonDown(int x, int y)
{
    m_doc.OnClick(CanvasHwnd(), x, y);
    if (m_doc.GetClickId(x, y) <= 0) CGfxObject::OnLButtonDown(x, y);
}

void CGfxDraw::OnLButtonUp(int x, int y)
{
    __int64 id = m_doc.GetClickId(x, y);
    if (id > 0)
        OnMarkupClick(id);
    else
        CGfxObject::OnLButtonUp(x, y);
    m_doc.OnMouseMove(CanvasHwnd(), x, y);
}

void CGfxDraw::SetMarkup(const CTString& markup)
{
    m_doc.LoadText(markup.GetBuffer() ? markup.GetBuffer() : L"", &CTREngine::Instance()->m_fontCache);
    Redraw(true);
}
