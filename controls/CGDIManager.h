#pragma once
#include <windows.h>

#include "foundation/CLinkedList.h"
#include "framework/CTIcon.h"

// The process-wide palette of shared fonts, brushes, pens, icons and colours, kept under ids
// that its users choose. Every entry counts its users: adding an existing id only counts one
// more, releasing counts one fewer, and the entry (with its GDI object) goes at zero.
class CGDIManager : public CLinkedList {
public:
    struct CObject : CLinkedListObject {
        int id = 0;
        unsigned refs = 1;
        explicit CObject(int objectId) : id(objectId) {}
        // The held value; callers cast it to the kind they registered under the id.
        virtual UINT_PTR Get() { return 0; }
    };
    struct CFont : CObject {
        HFONT font = nullptr;
        CFont(int objectId, HFONT owned) : CObject(objectId), font(owned) {}
        ~CFont() override { if (font) DeleteObject(font); }
        UINT_PTR Get() override { return reinterpret_cast<UINT_PTR>(font); }
    };
    struct CBrush : CObject {
        HBRUSH brush = nullptr;
        CBrush(int objectId, HBRUSH owned) : CObject(objectId), brush(owned) {}
        ~CBrush() override { if (brush) DeleteObject(brush); }
        UINT_PTR Get() override { return reinterpret_cast<UINT_PTR>(brush); }
    };
    struct CPen : CObject {
        HPEN pen = nullptr;
        CPen(int objectId, HPEN owned) : CObject(objectId), pen(owned) {}
        ~CPen() override { if (pen) DeleteObject(pen); }
        UINT_PTR Get() override { return reinterpret_cast<UINT_PTR>(pen); }
    };
    struct CColour : CObject {
        COLORREF colour = 0;
        CColour(int objectId, COLORREF value) : CObject(objectId), colour(value) {}
        UINT_PTR Get() override { return colour; }
    };
    struct CIcon : CObject {
        CTIcon icon;
        explicit CIcon(int objectId) : CObject(objectId) {}
        ~CIcon() override { icon.Free(); }
        UINT_PTR Get() override { return reinterpret_cast<UINT_PTR>(icon.icon); }
    };

    // The one cache of the process, emptied at exit.
    static CGDIManager* Instance();

    // Each add answers the entry now under the id (an existing one only gains a user).
    CObject* AddFont(int id, int weight, int height, int escapement, int orientation);
    CObject* AddBrush(int id, HBRUSH brush);   // takes the brush only when it makes a new entry
    CObject* AddPen(int id, COLORREF colour, int width);
    CObject* AddColour(int id, COLORREF colour);
    CObject* AddIcon(int id, UINT iconId, int size);
    CObject* AddIconCopy(int id, HICON icon);  // the caller keeps its own icon

    CObject* Find(int id);
    void Release(int id);

private:
    CObject* AddRef(int id);
};
