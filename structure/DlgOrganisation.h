#pragma once
// The organisation pane (console type 1023, keyed by the organisation's id): a heading over the
// organisation's locations and sites, and below a splitter its orders, whose columns are the union
// of the orders' display attributes. Rows open their object.
#include <windows.h>
#include <map>
#include <vector>
#include "controls/CTWndListCtrlEx2.h"
#include "framework/CTWndSplitter.h"
#include "session/Object.h"
#include "structure/ObjectPane.h"

class TiXmlDocument;

class DlgOrganisation : public ObjectPane {
public:
    enum : int { kConsoleType = 1023, kTemplate = 342, kHeader = 105, kLocationsId = 1016, kOrdersId = 1218 };
    enum : int { kReqPath = 1028, kReqSearch = 1047 };
    enum : UINT { kMsgRestoreSplitter = 1025 };
    static constexpr int kCmdOpen = 261;
    static constexpr int kDefaultSplitterPos = 280, kFirstMin = 280, kSecondMin = 100;

    CTWndListCtrlEx2 m_locationsList;
    CTWndSplitter m_splitter;
    CTWndListCtrlEx2 m_ordersList;
    Object m_organisation;
    std::vector<CTString> m_orderColumns;
    std::vector<Object> m_locations;
    std::vector<Object> m_orders;
    std::map<__int64, CTString> m_parentPaths;   // "?" while a path is being fetched

    DlgOrganisation();
    ~DlgOrganisation() override;

    void OnReply(RequestResult& result) override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The order columns from the orders' display attributes ("|" lists), each name once, in the
    // order first met; one text per order type.
    static std::vector<CTString> BuildOrderColumns(const std::vector<Object>& orders);
    // The column list: each name in double quotes followed by ";", or one blank for none.
    static CTString OrderColumnSpec(const std::vector<CTString>& columns);
    // The "SplitterPos" stored for the connection; the default when absent.
    static int ReadSplitterPosition(const CTString& connection);

protected:
    void SendRequests() override;

private:
    void OnInitDialog();
    void RestoreSplitter();
    void OnOrganisationReply(RequestResult& result);
    void OnListReply(RequestResult& result);
    void OnPathReply(RequestResult& result);
    void OnIconReply(RequestResult& result);
    void FillLocations();
    void FillOrders();
    int ImageFor(CTListCtrlReport& list, const Object& object);
    void OpenSelected(bool orders);
    void SetUpList(CTWndListCtrlEx2& list, const wchar_t* emptyText);
    bool IsOrder(const Object& object, __int64 orderType) const;
};
