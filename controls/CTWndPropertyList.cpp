#include "controls/CTWndPropertyList.h"
#include <windowsx.h>
#include <cstdlib>
#include "controls/CTWndPropertyListEditors.h"
#include "foundation/CTStringLocale.h"
#include "framework/CTREngine.h"

namespace {

// One guard for every list: closing hides windows, which can send messages that close again.
bool g_closingEditor = false;

const wchar_t kNone[] = L"<none>";

ScreenDpi& Dpi()
{
    return CTREngine::Instance()->m_dpi;
}

} // namespace

bool CTWndPropertyList::CItem::IsChecked() const
{
    return !CAttribute::IsTextType(m_value.GetType()) && m_value.GetValue() > 0;
}

// ---------------------------------------------------------------------------------------------
// Construction

CTWndPropertyList::CTWndPropertyList()
{
    m_arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    m_sizeCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    m_button.m_list = this;
}

CTWndPropertyList::~CTWndPropertyList()
{
    CloseEditor();
    delete m_keptEditor;
    m_keptEditor = nullptr;
    RemoveRowButton();
    if (m_checkImages)
        ImageList_Destroy(m_checkImages);
    m_checkImages = nullptr;
    if (m_headingFont)
        DeleteObject(m_headingFont);
    m_headingFont = nullptr;
}

bool CTWndPropertyList::Create(int id, HWND dialog)
{
    if (!AttachDlgItem(id, dialog, true))
        return false;
    ModifyStyle(0, WS_CLIPCHILDREN, 0);
    m_rowBase = Dpi().Scale(20);
    BuildCheckImages();
    return true;
}

void CTWndPropertyList::BuildCheckImages()
{
    if (m_checkImages)
        ImageList_Destroy(m_checkImages);
    int cx = Dpi().Scale(16), cy = Dpi().ScaleY(16);
    m_checkImages = ImageList_Create(cx, cy, ILC_MASK | ILC_COLORDDB, 4, 0);
    if (!m_checkImages)
        return;
    struct Glyph {
        UINT flags;
        int themeState;
        int* index;
    } glyphs[] = {
        {DFCS_BUTTONCHECK | DFCS_FLAT, 1, &m_imgUnchecked},
        {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED, 5, &m_imgChecked},
        {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_INACTIVE, 4, &m_imgUncheckedDisabled},
        {DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE, 8, &m_imgCheckedDisabled},
    };
    CTREngine* engine = CTREngine::Instance();
    RECT rc = {0, 0, cx, cy};
    COLORREF background = GetSysColor(IsWindowEnabled(m_hWnd) ? COLOR_WINDOW : COLOR_BTNFACE);
    for (const Glyph& g : glyphs) {
        HBITMAP bitmap = nullptr;
        COLORREF mask = background;
        if (engine->RenderCheckBoxImage(m_hWnd, g.flags, g.themeState, rc, &bitmap, &mask) && bitmap)
            *g.index = ImageList_AddMasked(m_checkImages, bitmap, mask);
        if (bitmap)
            DeleteObject(bitmap);
    }
}

// ---------------------------------------------------------------------------------------------
// Rows

int CTWndPropertyList::GetCount() const
{
    if (!m_hWnd)
        return 0;
    LRESULT count = ::SendMessageW(m_hWnd, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

int CTWndPropertyList::GetCurrent() const
{
    if (!m_hWnd)
        return -1;
    LRESULT current = ::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0);
    return current == LB_ERR ? -1 : static_cast<int>(current);
}

bool CTWndPropertyList::ValidIndex(int index) const
{
    return m_hWnd && index >= 0 && index < GetCount();
}

CTWndPropertyList::CItem* CTWndPropertyList::GetItem(int index) const
{
    if (!ValidIndex(index))
        return nullptr;
    LRESULT data = ::SendMessageW(m_hWnd, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<CItem*>(data);
}

int CTWndPropertyList::ItemIndex(const CItem* item) const
{
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (GetItem(i) == item)
            return i;
    return -1;
}

HFONT CTWndPropertyList::GetGuiFont()
{
    HFONT font = CTREngine::Instance()->m_menuFont;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HFONT CTWndPropertyList::GetListFont() const
{
    HFONT font = m_hWnd ? reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)) : nullptr;
    return font ? font : GetGuiFont();
}

int CTWndPropertyList::RowHeight(int kind) const
{
    if (kind == KindHeading)
        return Dpi().ScaleY(16);
    return m_rowBase + Dpi().ScaleY(4);
}

int CTWndPropertyList::InsertProperty(int kind, const CTString& name, const CAttribute& value, __int64 data,
                                      const wchar_t* group, RowCallback rowCallback, EditCallback editCallback,
                                      void* context, DWORD flags)
{
    if (!m_hWnd)
        return -1;
    auto* item = new CItem();
    item->Assign(name);
    item->m_value = value;
    item->m_kind = kind;
    item->m_data = data;
    item->m_rowCallback = rowCallback;
    item->m_editCallback = editCallback;
    item->m_context = context;
    item->m_flags = flags;

    int position = -1;  // append
    if (group && *group) {
        CTString groupName(group);
        int heading = -1;
        int count = GetCount();
        for (int i = 0; i < count && heading < 0; ++i) {
            CItem* row = GetItem(i);
            if (row && row->m_kind == KindHeading && row->Equals(groupName))
                heading = i;
        }
        if (heading >= 0) {
            for (int i = heading + 1; i < count && position < 0; ++i) {
                CItem* row = GetItem(i);
                if (row && row->m_kind == KindHeading)
                    position = i;
            }
        } else {
            auto* headingRow = new CItem();
            headingRow->Assign(groupName);
            headingRow->m_kind = KindHeading;
            headingRow->m_value.SetText(CAttribute::Text, CTString());
            LRESULT added = ::SendMessageW(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(headingRow));
            if (added == LB_ERR || added == LB_ERRSPACE)
                delete headingRow;
        }
    }

    LRESULT index = position < 0 ? ::SendMessageW(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item))
                                 : ::SendMessageW(m_hWnd, LB_INSERTSTRING, position, reinterpret_cast<LPARAM>(item));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        delete item;
        return -1;
    }
    if (GetCurrent() < 0)
        ::SendMessageW(m_hWnd, LB_SETCURSEL, index, 0);
    ResizeNameColumn();
    return static_cast<int>(index);
}

void CTWndPropertyList::ResizeNameColumn()
{
    if (!m_hWnd)
        return;
    HDC hdc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(hdc, GetGuiFont());
    int widest = 0;
    for (int i = 0, n = GetCount(); i < n; ++i) {
        CItem* row = GetItem(i);
        if (!row || row->m_kind == KindHeading || row->IsEmpty())
            continue;
        RECT rc = {0, 0, 0, 0};
        DrawTextW(hdc, row->GetBuffer(), static_cast<int>(row->GetLength()), &rc, DT_CALCRECT | DT_SINGLELINE);
        if (rc.right - rc.left > widest)
            widest = rc.right - rc.left;
    }
    SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    int tenth = (client.right - client.left) / 10;
    m_splitter = widest + 16 > tenth ? widest + 16 : tenth;
    Invalidate(true);
}

int CTWndPropertyList::FindProperty(const CTString& name) const
{
    for (int i = 0, n = GetCount(); i < n; ++i) {
        CItem* row = GetItem(i);
        if (row && row->GetLength() == name.GetLength() && row->Compare(name) == 0)
            return i;
    }
    return -1;
}

int CTWndPropertyList::FindPropertyByData(__int64 data) const
{
    for (int i = 0, n = GetCount(); i < n; ++i) {
        CItem* row = GetItem(i);
        if (row && row->m_data == data)
            return i;
    }
    return -1;
}

bool CTWndPropertyList::SetValue(int index, const CAttribute& value)
{
    CItem* row = GetItem(index);
    if (!row)
        return false;
    row->m_value = value;
    Invalidate(true);
    return true;
}

bool CTWndPropertyList::GetValue(int index, CAttribute& out) const
{
    CItem* row = GetItem(index);
    if (!row)
        return false;
    out = row->m_value;
    return true;
}

bool CTWndPropertyList::GetValueText(int index, CTString& out, __int64& data) const
{
    CItem* row = GetItem(index);
    if (!row)
        return false;
    out.Assign(row->m_value.GetString());
    data = row->m_data;
    return true;
}

bool CTWndPropertyList::SetChecked(int index, bool checked)
{
    CItem* row = GetItem(index);
    if (!row)
        return false;
    if (row->ButtonType() == kButtonToggle) {
        row->m_checked = checked ? 1 : 0;
        RECT rc;
        if (::SendMessageW(m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
            InvalidateRect(m_hWnd, &rc, TRUE);
    }
    return true;
}

bool CTWndPropertyList::IsChecked(int index) const
{
    CItem* row = GetItem(index);
    return row && row->m_checked;
}

bool CTWndPropertyList::SetReadOnly(int index, bool readOnly)
{
    CItem* row = GetItem(index);
    if (!row)
        return false;
    row->m_readOnly = readOnly ? 1 : 0;
    if (readOnly && m_editor && m_editor->m_item == row)
        CommitEditor();
    RECT rc;
    if (::SendMessageW(m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
        InvalidateRect(m_hWnd, &rc, TRUE);
    return true;
}

bool CTWndPropertyList::IsReadOnly(int index) const
{
    CItem* row = GetItem(index);
    return row && row->m_readOnly;
}

bool CTWndPropertyList::SetListReadOnly(bool readOnly)
{
    bool changed = (m_listReadOnly != 0) != readOnly;
    m_listReadOnly = readOnly ? 1 : 0;
    Invalidate(true);
    return changed;
}

void CTWndPropertyList::SetChoiceList(int index, const CTString& items, bool offerNone)
{
    CItem* row = GetItem(index);
    if (!row)
        return;
    const wchar_t* text = items.GetBuffer();
    unsigned length = items.GetLength();
    unsigned start = 0;
    for (unsigned i = 0; text && i < length; ++i) {
        if (text[i] != L'|')
            continue;
        CTString entry;
        items.Mid(entry, start, i - start);
        CAttribute key(CAttribute::Text, entry);
        row->m_choices[key] = entry;
        start = i + 1;
    }
    row->m_sortedChoices = 1;
    row->m_offerNone = offerNone ? 1 : 0;
    Invalidate(true);
}

void CTWndPropertyList::SetChoices(const CTString& name, const ChoiceMap& choices)
{
    CItem* row = GetItem(FindProperty(name));
    if (!row)
        return;
    row->m_choices.clear();
    row->m_comboIndex.clear();
    row->m_choices = choices;
    Invalidate(true);
}

void CTWndPropertyList::RemoveAll()
{
    // The editor writes into its row: it must be gone before the rows are freed.
    CloseEditor();
    RemoveRowButton();
    if (m_hWnd)
        ::SendMessageW(m_hWnd, LB_RESETCONTENT, 0, 0);
    m_lastIndex = -1;
}

void CTWndPropertyList::NotifyParent()
{
    if (m_hParent)
        ::SendMessageW(m_hParent, WM_COMMAND, MAKEWPARAM(m_id, kNotifyChanged), reinterpret_cast<LPARAM>(m_hWnd));
}

// ---------------------------------------------------------------------------------------------
// Editors

HWND CTWndPropertyList::EditorWindow() const
{
    return m_editor ? m_editor->GetWindow() : nullptr;
}

bool CTWndPropertyList::FocusInsideEditor() const
{
    if (!m_editor)
        return false;
    if (m_editor->HasFocus())
        return true;
    HWND focus = GetFocus();
    HWND window = m_editor->GetWindow();
    // The inner parts of an editor (a picker's up-down, a combo's edit) count as the editor.
    return focus && window && IsChild(window, focus);
}

bool CTWndPropertyList::CloseEditor()
{
    if (g_closingEditor || !m_editor)
        return true;
    g_closingEditor = true;
    CControlBase* closing = m_editor;
    closing->m_closing = 1;
    delete m_keptEditor;
    m_keptEditor = closing;
    m_editor = nullptr;
    closing->Show(SW_HIDE);
    Invalidate(true);
    g_closingEditor = false;
    return true;
}

void CTWndPropertyList::CommitEditor()
{
    if (!m_editor || m_editor->m_closing || g_closingEditor)
        return;
    if (!m_editor->IsOpen())
        return;
    bool changed = m_editor->Apply();
    if (changed)
        NotifyParent();
    CloseEditor();
}

void CTWndPropertyList::RemoveRowButton()
{
    if (m_button.m_hWnd)
        m_button.Destroy();
}

void CTWndPropertyList::CreateRowButton(CItem* item, RECT& valueRect)
{
    int width = Dpi().Scale(20);
    valueRect.right -= width + 1;
    RECT rc = {valueRect.right - 1, valueRect.top + Dpi().ScaleY(2), valueRect.right + width + 2,
               valueRect.bottom - Dpi().ScaleY(3)};

    if (item->m_rowCallback) {
        CAttribute state(CAttribute::Integer, static_cast<__int64>(1));
        item->m_rowCallback(item->m_context, item->m_data, CodeButtonState, &state);
    }
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT | BS_NOTIFY;
    if (item->m_flags & kButtonIcon)
        style |= BS_ICON;
    if (item->ButtonType() == kButtonToggle)
        style |= BS_PUSHLIKE | BS_AUTOCHECKBOX;
    if (!m_button.CreateChild(L"Button", style, rc, m_hWnd, 0))
        return;
    m_button.Subclass(true);
    m_button.SetFont(GetGuiFont(), false);
    if (item->ButtonType() == kButtonToggle && item->m_checked)
        m_button.SendMessage(BM_SETCHECK, BST_CHECKED, 0);
    if (item->m_flags & kButtonIcon) {
        CAttribute icon(CAttribute::Integer, static_cast<__int64>(0));
        if (item->m_rowCallback && item->m_rowCallback(item->m_context, item->m_data, CodeButtonIcon, &icon))
            m_button.SendMessage(BM_SETIMAGE, IMAGE_ICON, static_cast<LPARAM>(icon.GetValue()));
    } else {
        CAttribute text(CAttribute::Text, L"...");
        if (item->m_rowCallback)
            item->m_rowCallback(item->m_context, item->m_data, CodeButtonText, &text);
        m_button.SetWindowText(text.GetText());
    }
}

void CTWndPropertyList::ToggleCheckBox(CItem* item)
{
    item->m_value.SetValue(CAttribute::Integer, item->IsChecked() ? 0 : 1);
    int index = ItemIndex(item);
    RECT rc;
    if (index >= 0 && ::SendMessageW(m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
        InvalidateRect(m_hWnd, &rc, TRUE);
    NotifyParent();
}

void CTWndPropertyList::OpenEditor(const POINT* click, bool toggleCheckBox)
{
    int current = GetCurrent();
    if (current < 0 || m_editor)
        return;
    CItem* item = GetItem(current);
    if (!item)
        return;
    RECT rc = {};
    if (::SendMessageW(m_hWnd, LB_GETITEMRECT, current, reinterpret_cast<LPARAM>(&rc)) == LB_ERR)
        return;
    rc.left = m_splitter;
    RemoveRowButton();
    CloseEditor();

    bool listReadOnly = m_listReadOnly != 0;
    bool rowReadOnly = item->m_readOnly != 0;
    if (item->ButtonType() && !(listReadOnly && rowReadOnly && !(item->m_flags & kButtonAlwaysUsable)))
        CreateRowButton(item, rc);
    if (listReadOnly || rowReadOnly)
        return;
    if (item->m_kind == KindCheckBox) {
        // Arriving on the row by the selection alone must not change it.
        if (toggleCheckBox)
            ToggleCheckBox(item);
        return;
    }
    CControlBase* editor = CControlBase::CreateEditor(this, rc, item, click);
    if (!editor)
        return;
    editor->Create();
    m_editor = editor;
}

bool CTWndPropertyList::OnNavigationKey(WPARAM key)
{
    switch (key) {
    case VK_TAB:
        if (m_editor && m_button.m_hWnd) {
            if (GetFocus() == m_button.m_hWnd)
                m_editor->SetFocus();
            else
                ::SetFocus(m_button.m_hWnd);
        }
        return true;
    case VK_RETURN:
        CommitEditor();
        ::SetFocus(m_hWnd);
        return true;
    case VK_ESCAPE:
        CloseEditor();
        ::SetFocus(m_hWnd);
        return true;
    }
    return false;
}

void CTWndPropertyList::OnEditorKillFocus()
{
    if (!m_editor || m_editor->m_closing)
        return;
    if (FocusInsideEditor())
        return;
    CommitEditor();
}

void CTWndPropertyList::OnEditorCommand(WORD code, HWND sender)
{
    if (!m_editor)
        return;
    CItem* item = m_editor->m_item;
    int kind = m_editor->GetKind();
    auto callEdit = [&]() {
        if (item && item->m_editCallback)
            item->m_editCallback(item->m_context, sender, kind, item->m_data);
    };
    if (dynamic_cast<CCombo*>(m_editor)) {
        switch (code) {
        case CBN_SELCHANGE:
            callEdit();
            NotifyParent();
            break;
        case CBN_DBLCLK:
        case CBN_EDITCHANGE:
        case CBN_CLOSEUP:
            NotifyParent();
            break;
        case CBN_KILLFOCUS:
            if (!static_cast<CCombo*>(m_editor)->IsDroppedDown())
                OnEditorKillFocus();
            break;
        }
        return;
    }
    if (dynamic_cast<CDlg*>(m_editor)) {
        if (code == BN_CLICKED)
            OnRowButton(sender);
        else if (code == BN_KILLFOCUS)
            OnEditorKillFocus();
        return;
    }
    switch (code) {
    case EN_UPDATE:
        callEdit();
        NotifyParent();
        break;
    case EN_KILLFOCUS:
        OnEditorKillFocus();
        break;
    }
}

void CTWndPropertyList::OnRowButton(HWND sender)
{
    if (m_listReadOnly)
        return;
    int current = GetCurrent();
    CItem* item = GetItem(current);
    if (!item)
        return;
    bool counts = m_editor && m_editor->IsOwnButton(sender);
    if (!counts)
        counts = item->ButtonType() && (item->m_flags & kButtonAlwaysUsable) && sender && sender == m_button.m_hWnd;
    if (!counts)
        return;
    if (item->m_kind != KindDialog && !item->ButtonType())
        return;
    if (item->ButtonType() == kButtonToggle && sender == m_button.m_hWnd)
        item->m_checked = m_button.SendMessage(BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;

    if (!item->m_rowCallback) {
        if (m_editor)
            m_editor->SetFocus();
        return;
    }
    CAttribute value(item->m_value);
    int answer = item->m_rowCallback(item->m_context, item->m_data, CodePressed, &value);
    if (GetItem(current) != item)
        return;  // the callback rebuilt the list
    if (answer & kTakeValue) {
        if (m_editor && m_editor->m_item == item && m_editor->GetKind() == KindText)
            ::SendMessageW(m_editor->GetWindow(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(value.GetText()));
        if (item->m_kind == KindDialog) {
            item->m_value = value;
            Invalidate(true);
        }
    }
    if (answer & kReportChange) {
        if (item->m_editCallback)
            item->m_editCallback(item->m_context, EditorWindow(), m_editor ? m_editor->GetKind() : item->m_kind,
                                 item->m_data);
        NotifyParent();
    }
    if (answer & kKeepFocus)
        return;
    if (m_editor)
        m_editor->SetFocus();
}

// ---------------------------------------------------------------------------------------------
// Messages

bool CTWndPropertyList::OnParentMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!m_hWnd)
        return false;
    switch (msg) {
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!dis || dis->hwndItem != m_hWnd)
            return false;
        DrawRow(dis);
        *result = TRUE;
        return true;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!mis || mis->CtlType != ODT_LISTBOX || static_cast<int>(mis->CtlID) != m_id)
            return false;
        auto* row = reinterpret_cast<CItem*>(mis->itemData);
        mis->itemHeight = RowHeight(row ? row->m_kind : KindText);
        *result = TRUE;
        return true;
    }
    case WM_DELETEITEM: {
        auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
        if (!dis || dis->hwndItem != m_hWnd)
            return false;
        auto* row = reinterpret_cast<CItem*>(dis->itemData);
        if (m_editor && m_editor->m_item == row)
            CloseEditor();
        if (m_keptEditor && m_keptEditor->m_item == row)
            m_keptEditor->m_item = nullptr;
        delete row;
        *result = TRUE;
        return true;
    }
    case WM_COMMAND: {
        HWND from = reinterpret_cast<HWND>(lParam);
        if (from && from == m_hWnd && HIWORD(wParam) == LBN_SELCHANGE) {
            int current = GetCurrent();
            if (current != m_lastIndex) {
                m_lastIndex = current;
                CloseEditor();
            }
            OpenEditor(nullptr);
            *result = 0;
            return true;
        }
        // The choice editor is a child of this window's parent: its notices arrive here.
        if (from && m_editor && from == m_editor->GetWindow()) {
            OnEditorCommand(HIWORD(wParam), from);
            *result = 0;
            return true;
        }
        return false;
    }
    case WM_SHOWWINDOW:
        if (!wParam)
            CommitEditor();
        return false;
    }
    return false;
}

bool CTWndPropertyList::OnNotify(WPARAM, NMHDR*, LRESULT*)
{
    return false;
}

bool CTWndPropertyList::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    HWND from = reinterpret_cast<HWND>(lParam);
    if (!from)
        return false;
    WORD code = HIWORD(wParam);
    if (from == m_button.m_hWnd) {
        if (code == BN_CLICKED)
            OnRowButton(from);
        else if (code == BN_KILLFOCUS)
            OnEditorKillFocus();
        *result = 0;
        return true;
    }
    if (m_editor && from == m_editor->GetWindow()) {
        OnEditorCommand(code, from);
        *result = 0;
        return true;
    }
    return false;
}

void CTWndPropertyList::DrawDragLine(int x)
{
    HDC hdc = GetDC(m_hWnd);
    int oldRop = SetROP2(hdc, R2_NOT);
    MoveToEx(hdc, x, m_dragTop, nullptr);
    LineTo(hdc, x, m_dragBottom);
    SetROP2(hdc, oldRop);
    ReleaseDC(m_hWnd, hdc);
}

bool CTWndPropertyList::OnSplitterMouse(UINT msg, LPARAM lParam)
{
    int x = GET_X_LPARAM(lParam);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (m_dragging) {
            DrawDragLine(m_dragLineX);
            m_dragLineX = x;
            DrawDragLine(m_dragLineX);
            return true;
        }
        m_overSplitter = GetCount() > 0 && std::abs(x - m_splitter) <= 5 ? 1 : 0;
        return false;
    case WM_LBUTTONDOWN: {
        bool onSplitter = GetCount() > 0 && std::abs(x - m_splitter) <= 5;
        if (!onSplitter || !(GetFocus() == m_hWnd || m_overSplitter))
            return false;
        RemoveRowButton();
        CommitEditor();
        RECT window = {};
        GetWindowRect(m_hWnd, &window);
        window.left += 10;
        window.right -= 10;
        ClipCursor(&window);
        SetCapture(m_hWnd);
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        m_dragTop = client.top;
        m_dragBottom = client.bottom;
        m_dragging = 1;
        m_dragLineX = x;
        DrawDragLine(m_dragLineX);
        return true;
    }
    case WM_LBUTTONUP:
        if (!m_dragging)
            return false;
        DrawDragLine(m_dragLineX);
        m_dragging = 0;
        ClipCursor(nullptr);
        ReleaseCapture();
        m_splitter = x;
        Invalidate(true);
        return true;
    }
    return false;
}

bool CTWndPropertyList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && !m_dragging) {
            // The pointer may have entered elsewhere since the last move: judge where it is now.
            POINT pt = {};
            GetCursorPos(&pt);
            ScreenToClient(m_hWnd, &pt);
            m_overSplitter = GetCount() > 0 && std::abs(pt.x - m_splitter) <= 5 ? 1 : 0;
        }
        if (m_overSplitter || m_dragging) {
            SetCursor(m_sizeCursor);
            *result = TRUE;
            return true;
        }
        return false;
    case WM_MOUSEMOVE:
        if (OnSplitterMouse(msg, lParam)) {
            *result = 0;
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        if (OnSplitterMouse(msg, lParam)) {
            *result = 0;
            return true;
        }
        return false;
    case WM_LBUTTONUP: {
        if (OnSplitterMouse(msg, lParam)) {
            *result = 0;
            return true;
        }
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (pt.x > m_splitter && GetFocus() == m_hWnd && !m_editor) {
            RemoveRowButton();
            OpenEditor(&pt, true);
        }
        return false;  // the list box's own click handling runs as well
    }
    case WM_CAPTURECHANGED:
        if (m_dragging && reinterpret_cast<HWND>(lParam) != m_hWnd) {
            // Capture taken away mid-drag: drop the line and free the cursor, keep the splitter.
            DrawDragLine(m_dragLineX);
            m_dragging = 0;
            ClipCursor(nullptr);
        }
        return false;
    case WM_SIZE:
    case WM_VSCROLL:
        RemoveRowButton();
        CommitEditor();
        Invalidate(true);
        return false;
    case WM_KILLFOCUS:
        if (m_editor && !FocusInsideEditor())
            CloseEditor();
        return false;
    case WM_CHAR: {
        if (m_listReadOnly)
            return false;
        int current = GetCurrent();
        CItem* item = GetItem(current);
        if (!item || item->m_readOnly)
            return false;
        wchar_t ch = static_cast<wchar_t>(wParam);
        switch (item->m_kind) {
        case KindHeading:
            break;
        case KindCheckBox:
            ToggleCheckBox(item);
            break;
        case KindChoice:
            OpenEditor(nullptr);
            if (m_editor)
                m_editor->SetFocus();
            break;
        case KindDialog:
            OpenEditor(nullptr);
            if (m_editor && ch == L' ')
                OnRowButton(m_editor->GetWindow());
            break;
        default:
            if (ch < L' ')
                return false;  // navigation keys stay with the list
            OpenEditor(nullptr);
            if (m_editor && m_editor->IsOpen()) {
                m_editor->SetFocus();
                HWND window = m_editor->GetWindow();
                LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
                ::SendMessageW(window, EM_SETSEL, length, length);
                ::SendMessageW(window, WM_CHAR, wParam, lParam);
            }
            break;
        }
        *result = 0;
        return true;
    }
    case WM_NCDESTROY:
        CloseEditor();
        m_splitter = 0;
        m_dragging = 0;
        m_overSplitter = 0;
        m_arrowCursor = nullptr;
        m_sizeCursor = nullptr;
        m_rowBase = 0;
        return false;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Painting

bool CTWndPropertyList::IsGreyed(const CItem* item) const
{
    return m_listReadOnly || item->m_readOnly || !IsWindowEnabled(m_hWnd);
}

int CTWndPropertyList::ButtonState(CItem* item, bool greyed)
{
    int state = item->m_checked ? 3 : 1;
    if (m_listReadOnly || (greyed && !(item->m_flags & kButtonAlwaysUsable)))
        state = 4;
    if (item->m_rowCallback) {
        CAttribute proposed(CAttribute::Integer, static_cast<__int64>(state));
        if (item->m_rowCallback(item->m_context, item->m_data, CodeButtonState, &proposed))
            state = static_cast<int>(proposed.GetValue());
    }
    return state;
}

void CTWndPropertyList::DrawRowButton(HDC hdc, CItem* item, const RECT& area, bool greyed)
{
    int width = Dpi().Scale(20);
    int height = area.bottom - area.top;
    int extent = (width < height ? width : height) + 2;
    RECT rc = {area.right - width, area.top + 2, area.right - width + extent, area.top + 2 + extent - 1};
    int state = ButtonState(item, greyed);

    CTREngine* engine = CTREngine::Instance();
    CTThemeApi& theme = engine->m_themeApi;
    HTHEME handle = theme.IsThemeActive() ? theme.OpenThemeData(m_hWnd, L"BUTTON") : nullptr;
    if (handle)
        theme.DrawThemeBackground(handle, hdc, 1, state, &rc, nullptr);
    else
        DrawFrameControl(hdc, &rc, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (state == 3 ? DFCS_PUSHED : state == 4 ? DFCS_INACTIVE : 0));

    if (item->m_flags & kButtonIcon) {
        CAttribute icon(CAttribute::Integer, static_cast<__int64>(0));
        if (item->m_rowCallback && item->m_rowCallback(item->m_context, item->m_data, CodeButtonIcon, &icon) &&
            icon.GetValue()) {
            int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
            int x = (rc.left + rc.right - cx) / 2, y = (rc.top + rc.bottom - cy) / 2;
            auto hicon = reinterpret_cast<HICON>(static_cast<INT_PTR>(icon.GetValue()));
            if (state == 4)
                DrawStateW(hdc, nullptr, nullptr, reinterpret_cast<LPARAM>(hicon), 0, x, y, cx, cy,
                           DST_ICON | DSS_DISABLED);
            else
                DrawIconEx(hdc, x, y, hicon, cx, cy, 0, nullptr, DI_NORMAL);
        }
    } else {
        CAttribute text(CAttribute::Text, L"...");
        if (item->m_rowCallback)
            item->m_rowCallback(item->m_context, item->m_data, CodeButtonText, &text);
        if (handle) {
            theme.DrawThemeText(handle, hdc, state, text.GetText(), -1, &rc);
        } else {
            SetTextColor(hdc, GetSysColor(state == 4 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
            DrawTextW(hdc, text.GetText(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    if (handle)
        theme.CloseThemeData(handle);
}

void CTWndPropertyList::DrawRow(const DRAWITEMSTRUCT* dis)
{
    if (static_cast<int>(dis->itemID) < 0)
        return;
    auto* item = reinterpret_cast<CItem*>(dis->itemData);
    if (!item)
        return;
    HDC hdc = dis->hDC;
    int saved = SaveDC(hdc);
    RECT row = dis->rcItem;
    SetBkMode(hdc, TRANSPARENT);
    int inset = Dpi().Scale(2);

    if (item->m_kind == KindHeading) {
        if (!m_headingFont) {
            LOGFONTW lf = {};
            HFONT parentFont = m_hParent ? reinterpret_cast<HFONT>(::SendMessageW(m_hParent, WM_GETFONT, 0, 0)) : nullptr;
            GetObjectW(parentFont ? static_cast<HGDIOBJ>(parentFont) : GetGuiFont(), sizeof(lf), &lf);
            lf.lfWeight = 600;
            lf.lfQuality = PROOF_QUALITY;
            lf.lfHeight = MulDiv(-9, Dpi().y, 96);
            m_headingFont = CreateFontIndirectW(&lf);
        }
        FillRect(hdc, &row, GetSysColorBrush(COLOR_BTNFACE));
        SelectObject(hdc, m_headingFont);
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        RECT text = row;
        text.left += 2;
        DrawTextW(hdc, item->GetBuffer() ? item->GetBuffer() : L"", -1, &text,
                  DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (dis->itemState & ODS_FOCUS) {
            RECT measured = text;
            DrawTextW(hdc, item->GetBuffer() ? item->GetBuffer() : L"", -1, &measured,
                      DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            measured.top = row.top;
            measured.bottom = row.bottom;
            DrawFocusRect(hdc, &measured);
        }
        RestoreDC(hdc, saved);
        return;
    }

    if (!m_splitter)
        m_splitter = (row.right - row.left) / 4;
    int splitter = m_splitter;
    RECT name = {row.left, row.top, splitter - 1, row.bottom};
    RECT value = {splitter, row.top, row.right, row.bottom};
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    bool focused = GetFocus() == m_hWnd;
    int nameBack = COLOR_BTNFACE, nameText = COLOR_BTNTEXT;
    if (selected) {
        nameBack = focused ? COLOR_HIGHLIGHT : COLOR_INACTIVECAPTION;
        nameText = focused ? COLOR_HIGHLIGHTTEXT : COLOR_INACTIVECAPTIONTEXT;
    }
    FillRect(hdc, &name, GetSysColorBrush(nameBack));
    DrawEdge(hdc, &name, EDGE_ETCHED, BF_RIGHT | BF_BOTTOM);
    FillRect(hdc, &value, GetSysColorBrush(COLOR_WINDOW));
    DrawEdge(hdc, &value, EDGE_ETCHED, BF_BOTTOM);

    SelectObject(hdc, GetListFont());
    SetTextColor(hdc, GetSysColor(nameText));
    RECT nameText2 = name;
    nameText2.left += inset;
    nameText2.right -= inset;
    DrawTextW(hdc, item->GetBuffer() ? item->GetBuffer() : L"", -1, &nameText2,
              DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);

    bool greyed = IsGreyed(item);
    bool editorOpen = m_editor && m_editor->m_item == item;
    RECT area = value;
    area.left += inset;
    area.right -= inset;
    if (item->ButtonType() && (item->m_flags & kButtonInRow) && !editorOpen) {
        DrawRowButton(hdc, item, area, greyed);
        area.right -= Dpi().Scale(20) + 1;
        value.right -= Dpi().Scale(20) + 1;
    }

    if (!editorOpen) {
        SetTextColor(hdc, GetSysColor(greyed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
        const UINT single = DT_WORD_ELLIPSIS | DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE | DT_VCENTER;
        switch (item->m_kind) {
        case KindChoice: {
            const wchar_t* text = item->m_value.GetText();
            if (!item->m_choices.empty()) {
                bool empty = (CAttribute::IsTextType(item->m_value.GetType()) || item->m_value.GetValue() == 0) &&
                             item->m_value.GetTextLength() == 0;
                if (item->m_offerNone && empty) {
                    text = kNone;
                } else {
                    for (const auto& entry : item->m_choices) {
                        if (entry.first.IsEqual(item->m_value)) {
                            text = entry.second.GetBuffer() ? entry.second.GetBuffer() : L"";
                            break;
                        }
                    }
                }
            }
            DrawTextW(hdc, text, -1, &area, single);
            break;
        }
        case KindMultiLine:
            DrawTextW(hdc, item->m_value.GetText(), -1, &area,
                      DT_WORD_ELLIPSIS | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
            break;
        case KindCheckBox: {
            bool checked = item->IsChecked();
            int image = greyed ? (checked ? m_imgCheckedDisabled : m_imgUncheckedDisabled)
                               : (checked ? m_imgChecked : m_imgUnchecked);
            int cy = Dpi().ScaleY(16);
            if (m_checkImages && image >= 0)
                ImageList_Draw(m_checkImages, image, hdc, area.left, (area.top + area.bottom - cy) / 2, ILD_TRANSPARENT);
            break;
        }
        case KindPassword: {
            CTString mask;
            for (unsigned i = 0; i < item->m_value.GetTextLength(); ++i)
                mask.AppendChar(m_maskChar ? m_maskChar : L'\x25CF');
            DrawTextW(hdc, mask.GetBuffer() ? mask.GetBuffer() : L"", -1, &area, single);
            break;
        }
        case KindLocale: {
            CTStringLocale text(item->m_value.GetString());
            const wchar_t* shown = text.GetUserText();
            DrawTextW(hdc, shown ? shown : L"", -1, &area, single);
            break;
        }
        default:
            DrawTextW(hdc, item->m_value.GetText(), -1, &area, single);
            break;
        }
    }
    if (dis->itemState & ODS_FOCUS) {
        RECT focus = value;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(hdc, &focus);
    }
    RestoreDC(hdc, saved);
}

// ---------------------------------------------------------------------------------------------
// Row button

bool CTWndPropertyList::CButton::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    switch (msg) {
    case WM_GETDLGCODE:
        *result = DLGC_WANTALLKEYS;
        return true;
    case WM_CHAR:
        if (m_list && (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE)) {
            m_list->OnNavigationKey(wParam);
            *result = 0;
            return true;
        }
        return false;
    }
    return false;
}
