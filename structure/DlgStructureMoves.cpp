// The structure editor's moves and copies: dragging list rows onto a tree node, Cut, Copy and Paste
// through the clipboard, and the queue that sends one request at a time.
#include "structure/DlgStructure.h"

#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/CTWndMessageBox.h"
#include "session/RequestResult.h"
#include "structure/StructureClipboard.h"
#include "structure/StructureReply.h"

namespace {

constexpr int kDragOffset = 16;

} // namespace

void DlgStructure::BeginDrag(const NMLISTVIEW& info)
{
    EndDrag();
    if (m_dragImage) {
        ImageList_Destroy(m_dragImage);
        m_dragImage = nullptr;
    }
    int rowsInImage = 0;
    int imageHeight = 0;
    for (int item = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(m_list.m_hWnd, item, LVNI_SELECTED)) {
        ++m_dragCount;
        if (rowsInImage >= kMaxDragImageRows)
            continue;
        POINT origin = {};
        HIMAGELIST rowImage = ListView_CreateDragImage(m_list.m_hWnd, item, &origin);
        if (!rowImage)
            continue;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(rowImage, &cx, &cy);
        if (!m_dragImage) {
            m_dragImage = rowImage;
            imageHeight = cy;
        } else {
            HIMAGELIST merged = ImageList_Merge(m_dragImage, 0, rowImage, 0, 0, imageHeight);
            ImageList_Destroy(rowImage);
            if (merged) {
                ImageList_Destroy(m_dragImage);
                m_dragImage = merged;
                imageHeight += cy;
            }
        }
        ++rowsInImage;
    }
    if (!m_dragCount)
        return;
    m_dragImageRows = rowsInImage;
    POINT point = info.ptAction;
    ClientToScreen(m_list.m_hWnd, &point);
    if (m_dragImage) {
        ImageList_BeginDrag(m_dragImage, 0, 0, 0);
        ImageList_DragEnter(GetDesktopWindow(), point.x + kDragOffset, point.y);
    }
    SetCapture(m_hWnd);
}

void DlgStructure::OnDragMove(POINT screen)
{
    ImageList_DragMove(screen.x + kDragOffset, screen.y);
    RECT window = {};
    GetWindowRect(m_hWnd, &window);
    int cursor = PtInRect(&window, screen) ? 32512 /* IDC_ARROW */ : 32648 /* IDC_NO */;
    if (cursor != m_dragCursor) {
        m_dragCursor = cursor;
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursor)));
    }
    TrackDropTarget(&screen);
}

__int64 DlgStructure::TrackDropTarget(const POINT* screen)
{
    auto paramOf = [this](HTREEITEM item) -> __int64 {
        TVITEMW data = {};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        TreeView_GetItem(m_tree.m_hWnd, &data);
        return static_cast<__int64>(data.lParam);
    };
    if (m_dragCount == 0 || !screen) {
        if (!m_dropItem)
            return -1;
        __int64 id = paramOf(m_dropItem);
        TreeView_SetItemState(m_tree.m_hWnd, m_dropItem, 0, TVIS_DROPHILITED);
        m_dropItem = nullptr;
        return id;
    }
    HTREEITEM under = nullptr;
    TVHITTESTINFO hit = {};
    hit.pt = *screen;
    ScreenToClient(m_tree.m_hWnd, &hit.pt);
    RECT client = {};
    GetClientRect(m_tree.m_hWnd, &client);
    if (PtInRect(&client, hit.pt)) {
        under = TreeView_HitTest(m_tree.m_hWnd, &hit);
        if (!(hit.flags & TVHT_ONITEM))
            under = nullptr;
    }
    if (under == m_dropItem)
        return -1;
    ImageList_DragShowNolock(FALSE);
    if (m_dropItem)
        TreeView_SetItemState(m_tree.m_hWnd, m_dropItem, 0, TVIS_DROPHILITED);
    if (under)
        TreeView_SetItemState(m_tree.m_hWnd, under, TVIS_DROPHILITED, TVIS_DROPHILITED);
    ImageList_DragShowNolock(TRUE);
    m_dropItem = under;
    return under ? paramOf(under) : -1;
}

__int64 DlgStructure::EndDrag()
{
    if (m_dragCount == 0)
        return 0;
    m_dragCount = 0;
    m_destination = 0;
    // The image was entered on the desktop window: leave it there.
    ImageList_DragLeave(GetDesktopWindow());
    ImageList_EndDrag();
    if (m_dragImage) {
        ImageList_Destroy(m_dragImage);
        m_dragImage = nullptr;
    }
    m_dragCursor = 0;
    __int64 target = TrackDropTarget(nullptr);
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    return target;
}

void DlgStructure::OnDrop()
{
    unsigned count = m_dragCount;
    __int64 target = EndDrag();
    m_destination = target;
    // Dropped outside the tree, on empty tree space or on the placeholder row: nothing happens.
    if (target <= 0)
        return;
    CTString caption, text;
    if (count == 1) {
        int row = ListView_GetNextItem(m_list.m_hWnd, -1, LVNI_SELECTED);
        Object* object = row >= 0 ? FindObject(reinterpret_cast<__int64>(m_list.GetRowData(row))) : nullptr;
        const wchar_t* name = object && object->name.GetBuffer() ? object->name.GetBuffer() : L"";
        caption.Format(L"Move %s", name);
        text.Format(L"Are you sure you want to move '%s'?", name);
    } else {
        caption = L"Move items";
        text.Format(L"Are you sure you want to move %d items?", static_cast<int>(count));
    }
    CTWndMessageBox box(m_hWnd, GetModuleHandleW(nullptr), text.GetBuffer(), caption.GetBuffer(),
                        MB_ICONQUESTION | 7, nullptr, nullptr);
    if (box.Run() != 11)
        return;
    m_pending = SelectedRowIds();
    m_move = true;
    m_list.EnableAutoSort(false);
    SendNextPending();
}

void DlgStructure::SendNextPending()
{
    if (m_pending.empty()) {
        m_list.EnableAutoSort(true);
        return;
    }
    App* app = GetApp();
    if (!app)
        return;
    __int64 id = m_pending.back();
    // Refused copies and moves come back to the queue, which shows the error itself and goes on.
    if (!m_move) {
        m_pending.pop_back();
        app->m_db.ObjCopy(static_cast<unsigned>(id), static_cast<unsigned>(m_destination), Route(kReqCopy, true));
        return;
    }
    if (id == m_destination) {
        MessageBeep(MB_ICONASTERISK);
        return;
    }
    m_pending.pop_back();
    Object* object = FindObject(id);
    unsigned serial = object ? static_cast<unsigned>(object->serial) : 0;
    app->m_db.ObjMove(static_cast<unsigned>(id), serial, static_cast<unsigned>(m_destination), Route(kReqMove, true));
}

void DlgStructure::ShowQueueError(RequestResult& result)
{
    CTString text(result.statusText);
    if (text.IsEmpty()) {
        TiXmlElement* root = StructureReply::Result(result.document);
        TiXmlElement* error = root ? root->FirstChildElementNamed(L"error") : nullptr;
        TiXmlNode* first = error ? error->FirstChild() : nullptr;
        if (first && first->GetType() == TiXmlNode::TEXT)
            text = first->Value();
    }
    CTWndMessageBox box;
    box.Show(GetOwnerHwnd() ? GetOwnerHwnd() : m_hWnd, GetModuleHandleW(nullptr),
             text.GetBuffer() ? text.GetBuffer() : L"", L"System Error", MB_OK | MB_ICONERROR);
}

void DlgStructure::FinishQueueStep(RequestResult& result)
{
    SendNextPending();
    if (!m_pending.empty())
        return;
    if (App* app = GetApp())
        app->m_db.ObjSearch(CTString(), static_cast<unsigned>(StructureReply::Parameter(result.document, L"DestID")),
                            CTString(), CTString(), false, DB::kNoMax, Route(kReqSearch));
}

void DlgStructure::OnCopyReply(RequestResult& result)
{
    if (StructureReply::IsError(result))
        ShowQueueError(result);
    FinishQueueStep(result);
}

void DlgStructure::OnMoveReply(RequestResult& result)
{
    // Only a move the server made takes the object away here.
    if (StructureReply::IsError(result)) {
        ShowQueueError(result);
    } else {
        __int64 id = StructureReply::Parameter(result.document, L"ID");
        if (id != 0)
            RemoveObject(id);
    }
    FinishQueueStep(result);
}

void DlgStructure::CopyToClipboard(bool cut)
{
    std::vector<__int64> ids;
    if (TreeHasFocus()) {
        HTREEITEM selected = TreeView_GetSelection(m_tree.m_hWnd);
        if (selected) {
            TVITEMW item = {};
            item.mask = TVIF_PARAM;
            item.hItem = selected;
            TreeView_GetItem(m_tree.m_hWnd, &item);
            if (FindObject(static_cast<__int64>(item.lParam)))
                ids.push_back(static_cast<__int64>(item.lParam));
        }
    } else if (ListHasFocus()) {
        ids = SelectedRowIds();
    }
    if (ids.empty())
        return;

    std::vector<BYTE> block = StructureClipboard::EncodeIds(ids);
    CTString text = StructureClipboard::IdsText(ids);
    HGLOBAL blockMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, block.size());
    HGLOBAL textMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (text.GetLength() + 1) * sizeof(wchar_t));
    if (blockMemory) {
        memcpy(GlobalLock(blockMemory), block.data(), block.size());
        GlobalUnlock(blockMemory);
    }
    if (textMemory) {
        if (text.GetLength())
            memcpy(GlobalLock(textMemory), text.GetBuffer(), text.GetLength() * sizeof(wchar_t));
        else
            GlobalLock(textMemory);
        GlobalUnlock(textMemory);
    }
    if (blockMemory && textMemory && OpenClipboard(m_hWnd)) {
        EmptyClipboard();
        SetClipboardData(m_clipboardFormat, blockMemory);
        SetClipboardData(CF_UNICODETEXT, textMemory);
        CloseClipboard();
    } else {
        if (blockMemory)
            GlobalFree(blockMemory);
        if (textMemory)
            GlobalFree(textMemory);
    }
    m_move = cut;
}

void DlgStructure::Paste()
{
    std::vector<__int64> ids;
    if (!OpenClipboard(m_hWnd))
        return;
    if (HANDLE data = GetClipboardData(m_clipboardFormat)) {
        SIZE_T available = GlobalSize(data);
        if (const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(data))) {
            StructureClipboard::DecodeIds(bytes, available, ids);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (ids.empty())
        return;
    // Only a node the user pointed at is a destination.
    __int64 destination = 0;
    if (TreeHasFocus())
        destination = m_contextObject;
    else if (ListHasFocus())
        destination = m_listedNode;
    if (destination <= 0)
        return;
    m_destination = destination;
    m_pending = ids;
    m_list.EnableAutoSort(false);
    SendNextPending();
}
