#pragma once
// The model behind the editable lists of directory objects: one row per object with its pending
// operation, the cells its type's columns give, the values the owner is to supply, and the save
// chain that sends the rows' changes to the server one request at a time.
#include <functional>
#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "lists/ObjectListColumns.h"
#include "session/DB.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class MainWindowCache;
struct DeleteConfirmInfo;
class TiXmlDocument;
class CTListCtrlReport;

class ObjectList {
public:
    enum Operation : int { OpNone = 0, OpNew = 1, OpDelete = 2, OpChanged = 3 };

    struct Row {
        int operation = OpNone;
        BYTE dirty = 0;   // still to be sent
        Object object;
    };

    struct PendingValue {
        __int64 objectId = 0;
        CTString attribute;
        int column = 0;
        CAttribute value;
        Row* row = nullptr;
    };

    // More queued pending values than this are handed to the owner while a list fills.
    static constexpr size_t kPendingBatch = 200;

    virtual ~ObjectList() = default;

    // Owner hooks.
    virtual void RequestPendingValues() {}
    // The entries of a link choice list: a blank entry 0, then the settings objects of the type
    // named typeName. listName is the whole edit rule the list is named by.
    virtual void FillChoices(const CTString& listName, const CTString& typeName, CTListCtrlEdit::Choices& choices);
    virtual void NotifyChanged(int /*operation*/, Object* /*object*/) {}
    virtual void OnLinkColumn(Object& /*object*/, const CTString& /*name*/, CTString& /*spec*/) {}
    virtual CTString MapColumnName(const CTString& text) { return text; }

    // The list's type: its "console_edit_attribs" give the columns. With a cache, every type below
    // it (directly or further down) follows it in cache order.
    void SetType(const Object& type, const MainWindowCache* subtypesFrom = nullptr);
    // As above with the application's type cache when withSubtypes, then the report's columns and icon.
    void SetType(CTListCtrlReport& report, const Object& type, bool withSubtypes);
    void Clear();

    Row& AddRow(const Object& object, int operation = OpNone);
    Row& AddNewRow(const Object& templateObject);
    // Builds every row's cells; link ids shown by path are appended to ids. Pending values are handed
    // to the owner whenever more than kPendingBatch wait, and once more at the end.
    void FillRows(std::vector<__int64>& ids);
    // The cells of one row (column 0 the icon column), queuing its pending values; empty without a type.
    std::vector<ObjectListCell> BuildRowCells(Row& row, std::vector<__int64>& ids);

    void SetCellValue(Row& row, int column, const CAttribute& value);
    // An in-place edit of a report item's cell into its row; false for an item of no row of the list.
    bool StoreEditedValue(CTListCtrlReport& report, int item, int column, const CAttribute* value);
    void DeleteRow(Row& row);
    void SetAttributeForId(__int64 id, int attributeId, const CAttribute& value);
    // Drops the rows the test picks, with their pending values, before they have report items.
    void RemoveRowsIf(const std::function<bool(const Row&)>& test);
    Object& GetRowObject(Object& out, __int64 id) const;
    bool IsRow(const Row* row) const;
    // "tree_image" of the object, or 142 when it has none.
    static CTString RowIconName(const Object& object);
    static constexpr int kDefaultIcon = 142;

    // Sends the first dirty row with an operation; route.param2 carries the row. False when none is left.
    bool SaveNextRow(DB& db, int parent, RequestRoute route);
    // A successful save reply for the row; true when no row has an operation left.
    virtual bool OnSaveReply(TiXmlDocument& reply, Row* row);
    // A failed save: the row is sent again by the next save.
    void OnSaveFailed(Row* row);
    // The row whose request went out without a reply yet. The pump shows a failed save's error
    // instead of handing it back, so a new save sends that row again (ResendUnanswered).
    Row* GetUnanswered() const { return IsRow(m_unanswered) ? m_unanswered : nullptr; }
    void ResendUnanswered();
    // "value" elements (ID, path) of a path reply: the text after the last "\" into the link cells.
    // Calls cellText(row, column, text) for every cell that shows one of the paths.
    void OnPathReply(TiXmlDocument& reply, const std::function<void(Row&, int, const CTString&)>& cellText);

    // The report side. Link ids shown by path are appended to ids; the owner passes them to
    // App::IDsToPaths with request 1028.
    // Columns and captions of the list's type on the report, and the type's icon from "tree_image".
    void SetReportColumns(CTListCtrlReport& report);
    // Every row into the report with redraw and automatic sorting off, sorted once at the end.
    void FillReport(CTListCtrlReport& report, CTListCtrlEdit& editor, std::vector<__int64>& ids);
    // Inserts or updates the row's report item and editable row; the item index, -1 without a type.
    int UpdateRowItem(CTListCtrlReport& report, CTListCtrlEdit& editor, Row& row, std::vector<__int64>& ids);
    // Rows from the object elements of a search reply, in reply order, then the report filled.
    void FillFromSearch(CTListCtrlReport& report, CTListCtrlEdit& editor, TiXmlDocument& reply,
                        std::vector<__int64>& ids);
    // The row of the object's id takes a copy (a new unchanged row when none); its pending operation stays.
    int UpdateObject(CTListCtrlReport& report, CTListCtrlEdit& editor, const Object& object, std::vector<__int64>& ids);
    void UpdateFromReply(CTListCtrlReport& report, CTListCtrlEdit& editor, TiXmlDocument& reply,
                         std::vector<__int64>& ids);
    // An object saved elsewhere (a form's notice): its row replaced, or added, when it lies in folder.
    void UpdateSavedObject(CTListCtrlReport& report, CTListCtrlEdit& editor, const Object* object, __int64 folder,
                           std::vector<__int64>& ids);
    // The rows of the changed ids take the directory cache's copy; a row with unsaved changes keeps
    // its own, and ids the list does not show add no row.
    void UpdateFromCache(CTListCtrlReport& report, CTListCtrlEdit& editor, const std::list<__int64>& changed,
                         std::vector<__int64>& ids);
    virtual void OnSearchFilled() {}
    // A new row (operation 1, dirty) from the template, its item added, selected and scrolled into view.
    int AddNewRow(CTListCtrlReport& report, CTListCtrlEdit& editor, const Object& templateObject,
                  std::vector<__int64>& ids);
    // The item's row deleted as DeleteRow(Row&) does, its report item removed; items of other owners are left.
    void DeleteRow(CTListCtrlReport& report, CTListCtrlEdit& editor, int item);
    // The id of the item's row object, 0 for an item that is not one of this model's rows.
    __int64 GetRowId(CTListCtrlReport& report, int item) const;
    // Hands the collected link ids to the application's path cache (request 1028 on the owner route);
    // the reply comes back to OnPathReply.
    void RequestLinkPaths(std::vector<__int64>& ids);
    // The report image of the row's icon: "tree_image" through the application icon cache, 0 without one.
    int RowImage(CTListCtrlReport& report, const Object& object);
    // As RowImage for any report: icon requests go to the route's window and console.
    static int ReportImage(CTListCtrlReport& report, const Object& object, const RequestRoute& route);
    // An icon of the application cache arrived: when the report shows it, its image is replaced and
    // the report redrawn. The icon (the caller's to destroy), or nullptr when the report has none.
    static HICON ReplaceArrivedIcon(CTListCtrlReport& report, int index);

    // Every selected item's row deleted as DeleteRow does; deleted runs after each.
    void DeleteSelectedRows(CTListCtrlReport& report, CTListCtrlEdit& editor, const std::function<void()>& deleted);
    // The delete confirmation's texts, caption and icon (a copy) for the list named caption.
    void FillDeleteTexts(CTListCtrlReport& report, DeleteConfirmInfo& info, const CTString& caption, HICON icon);
    // A path reply's texts into the report's link cells.
    void ShowPathReply(CTListCtrlReport& report, TiXmlDocument& reply);
    // The first "type" of a type reply as the list's type, without subtypes; false without one.
    bool SetTypeFromReply(CTListCtrlReport& report, TiXmlDocument& reply);

    // The editor's fill-choices handler: "VALUES" items, then FillChoices for a linked "TYPE".
    void FillChoicesFromSpec(const CTString& listName, CTListCtrlEdit::Choices& choices);
    // Rows for the given objects of the list's types, in the given order, then the report filled.
    void SetObjects(CTListCtrlReport& report, CTListCtrlEdit& editor, const std::vector<Object>& objects,
                    std::vector<__int64>& ids);
    // AddNewRow with the list's first type definition as the template; -1 without a type.
    int AddNewRowOfType(CTListCtrlReport& report, CTListCtrlEdit& editor, std::vector<__int64>& ids);

    // Added and removed only through the model, which keeps its row indexes with them.
    std::list<Row> rows;
    std::vector<PendingValue> pendingValues;
    std::vector<Object> types;
    std::vector<CTString> columnNames;   // index 0 the icon column
    std::vector<ObjectListColumn> columns;
    bool filling = false;
    std::vector<int> readOnlyColumns;          // report columns read-only in every row
    std::map<std::wstring, CTString> captions; // column name -> header caption
    int flags = 0;                             // bit 0: column 0 is a check box
    RequestRoute ownerRoute;                   // where icon requests are routed
    // Where link choice lists draw their objects from; the application's caches when none is set.
    const ObjectListChoiceSource* choiceSource = nullptr;

private:
    // Row lookups by address and by object id without walking the rows: long lists take cell
    // edits and change notices one at a time.
    void RemoveRow(const Row* row);
    void ClearRows();
    Row* FindRowById(__int64 id) const;
    void SetRowId(Row& row, __int64 id);

    std::unordered_set<const Row*> m_rowSet;
    // The first row (in model order) of each object id; rebuilt on demand once a row it names goes.
    mutable std::unordered_map<__int64, Row*> m_rowById;
    mutable bool m_rowByIdStale = false;
    Row* m_unanswered = nullptr;
};
