#pragma once
// A tree of options inside a tree view: check boxes, radio buttons, headings and plain items with
// icons. The check and radio glyphs are drawn into the tree's image list in all their states, so
// a click toggles a check box and the glyph follows the mouse. A small toolbar sits at the top
// right beside the window text; a right click repeats its buttons in a menu. Toggles, selection
// changes, moves and deletions reach the parent as WM_NOTIFY with a CTWndSettingsNotify record.
#include <windows.h>
#include <commctrl.h>

#include <map>

#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTWndTheme.h"
#include "framework/CTWndToolbar.h"

class CTWndSettings : public CTWndTheme {
public:
    static constexpr const wchar_t* kClassName = L"TWnd2Settings";
    static constexpr int kTreeId = 257;
    static constexpr int kInheritCommand = 388;  // the "Inherit Values" check button some forms add
    static constexpr UINT kToolbarIcon = 207;

    enum Kind : int { KindItem = 0, KindHeading = 1, KindCheck = 2, KindPlain = 3, KindRadio = 4 };
    enum ItemFlags : DWORD { FlagDisabled = 0x1 };
    enum Code : UINT {
        NotifyToggled = 1,
        NotifyMoving = 2,
        NotifyMoved = 3,
        NotifySelChanged = 4,
        NotifyDeleting = 5,
        NotifyDeleted = 6,
    };
    // Image indexes of the glyphs, in the order they are built.
    enum Glyph : int {
        CheckUnchecked,
        CheckChecked,
        CheckUncheckedDisabled,
        CheckCheckedDisabled,
        CheckUncheckedHot,
        CheckCheckedHot,
        CheckUncheckedPressed,
        CheckCheckedPressed,
        RadioUnchecked,
        RadioChecked,
        RadioUncheckedDisabled,
        RadioCheckedDisabled,
        RadioUncheckedHot,
        RadioCheckedHot,
        GlyphCount
    };

    struct Icon {
        int width = 0;
        int height = 0;
        HICON icon = nullptr;  // copied by AddItem
    };

    struct ToolbarButton {
        int command = 0;
        int image = 0;  // 0xFFFF: none
        UINT stringId = 0;
        BYTE style = 0;
    };

    struct ToolbarDesc {
        HINSTANCE module = nullptr;
        int imageCount = 0;
        UINT bitmapId = 0;
        int buttonCount = 0;
        const ToolbarButton* buttons = nullptr;
    };

    class CItem : public CLinkedListObject {
    public:
        CItem* parent = nullptr;
        HTREEITEM treeItem = nullptr;
        CLinkedList children;  // of CItem
        int kind = KindItem;
        int iconWidth = 0;
        int iconHeight = 0;
        HICON icon = nullptr;  // owned
        CTString text;
        int value = 0;
        int defaultValue = 0;
        __int64 data = 0;
        DWORD flags = 0;
        ~CItem() override;
    };

    class CTWnd2Tree : public CTWnd2 {
    public:
        CTWndSettings* m_owner = nullptr;
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    };

    DWORD m_options = 0;
    CTWnd2Tree m_tree;
    CTWndToolbar m_toolbar;
    CLinkedList m_items;  // root items
    int m_controlId = 0;
    HIMAGELIST m_images = nullptr;
    std::map<HICON, int> m_iconMap;
    int m_glyphs[GlyphCount] = {};
    HTREEITEM m_hot = nullptr;

    CTWndSettings();
    ~CTWndSettings() override;

    static bool RegisterClass(HINSTANCE module);
    bool Create(HWND dialog, int id, const ToolbarDesc& toolbar);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void ReopenTheme() override;

    CItem* AddItem(CItem* parent, const Icon& icon, int kind, const CTString& text, int value, int defaultValue,
                   __int64 data);
    bool DeleteItem(CItem* item, bool notify);
    bool MoveItem(CItem* item, bool before, CItem* reference);
    void SetItemEnabled(CItem* item, bool enable);
    void SetItemChecked(CItem* item);
    bool ToggleItem(CItem* item, bool hot);
    void ResetToDefaults();
    CItem* FindItemByData(__int64 data);
    CItem* GetNextItem(CItem* item);
    bool ContainsItem(CItem* item, CLinkedList* list = nullptr);
    bool IsItemEnabled(CItem* item);
    CItem* GetItemFromTreeItem(HTREEITEM treeItem);

    int AddToolbarIcon(HINSTANCE module);
    bool SetCheckButtonImage(int image);
    int GetCheckButtonState();

    void BuildImageList();
    int GetImageIndex(CItem* item, HICON icon, bool hot);
    void RefreshItem(CItem* item);
    void ShowContextMenu(int x, int y);
    void OnTreeMouseMove(int x, int y);
    void OnTreeMouseLeave();

private:
    LRESULT Notify(UINT code, CItem* first, CItem* described);
    void RebuildImages();
    void AddIcons(CLinkedList& list);
    void SetItemImage(CItem* item, bool hot);
    void InsertTreeItem(CItem* item, HTREEITEM parent, HTREEITEM after);
    void ForgetHot(CItem* item);
    void PaintCaption(HDC dc, bool nonClient);
};

// The WM_NOTIFY record of CTWndSettings (wParam = control id); see the codes of the class.
struct CTWndSettingsNotify {
    NMHDR hdr;
    CTWndSettings::CItem* item;        // 1, 5, 6: the described item's parent; 2: the item; 4: the old selection
    union {
        struct {
            int width;
            int height;
        } iconSize;                    // 1, 5, 6
        __int64 before;                // 2
    };
    union {
        HICON icon;                    // 1, 5, 6: a copy, destroyed after the call
        CTWndSettings::CItem* second;  // 2: the reference item; 4: the new selection
    };
    int kind;
    const wchar_t* text;
    int value;
    int defaultValue;
    __int64 data;
};
