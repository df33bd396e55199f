#pragma once
// The system's one client of the server API. It owns the HTTPS transport (through the
// IHttpTransport seam), keeps the base URL and the "Origin: " header, sends every request with its
// route, turns each finished transfer into a DB::DBEvent and hands it to the handler bound under the
// event's name. One operation per server page sits on top (DBSessionEndpoints.cpp,
// DBObjectEndpoints.cpp, DBQueryEndpoints.cpp).
#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include "foundation/CAttributes.h"
#include "foundation/CCriticalSection.h"
#include "foundation/CTByteArray.h"
#include "foundation/CTString.h"
#include "foundation/FormUrlEncode.h"
#include "foundation/TiXmlDocument.h"
#include "session/DBEvents.h"
#include "session/IHttpTransport.h"
#include "session/LookupField.h"
#include "session/Object.h"
#include "session/RequestRoute.h"

class DB {
public:
    // A finished transfer, a progress notice or a socket status; keys as ::DBEvent.
    class DBEvent : public ::DBEvent {
    public:
        using ::DBEvent::DBEvent;
        using ::DBEvent::operator=;

        // The reply check every reader of an XML reply calls first. For a 200 reply it takes the body
        // out of the event (key 4 is empty afterwards) and, when the Content-Type is exactly
        // "application/xml", parses it into doc; text ahead of the XML declaration is shown in a
        // "System Error" box. Returns the status class (2 for HTTP 200, 0 when there is no response).
        int ReadXmlReply(TiXmlDocument& doc);
        // The first "object" of the first "result" of a success reply, read into out (cleared
        // first); false when the reply is no success or has no such element.
        bool ReadObject(Object& out);
    };
    using Slot = ::DBSlot;
    using NewObjEvent = ::DBNewObjEvent;

    using Handler = std::function<void(DBEvent&)>;
    using Callback = std::function<void(DBEvent&)>;

    struct NameLess {
        bool operator()(const CTString& a, const CTString& b) const;   // lstrcmpW
    };
    using HandlerMap = std::map<CTString, Handler, NameLess>;

    // One value entry of DirGetLookupUnique: the caller's cookie and its value texts.
    struct UniqueEntry {
        __int64 cookie = 0;
        std::vector<CTString> values;
    };

    static constexpr DWORD kDownloadInterval = 200;            // ms between two "download" events
    static constexpr unsigned kPathBatch = 1000;               // ids per DirIDsToPaths request
    static constexpr unsigned kMaxFormKeys = 1000;             // more are folded into FATPARAM
    static constexpr unsigned kMaxUploadBytes = 0x200000;      // QelCustomAdd
    static constexpr wchar_t kPathJoiner = 0x01C1;             // DirPathToID
    static constexpr wchar_t kFatNameSeparator = 0x00A6;       // FATPARAM name/value
    static const wchar_t* const kFormContentType;              // "Content-Type: application/x-www-form-urlencoded; charset=UTF-8"

    // Appends a zero byte to body (the body keeps it), converts it from UTF-8 into text and parses
    // text into doc with white space kept as it stands.
    static void ParseXmlBody(CTByteArray& body, TiXmlDocument& doc, CTString& text);

    DB();
    // Tests hand in their own transport; null makes the production one.
    explicit DB(std::unique_ptr<IHttpTransport> transport);
    ~DB();
    DB(const DB&) = delete;
    DB& operator=(const DB&) = delete;

    // Session.
    int Connect(const CTString& server);
    void Disconnect();
    bool SendRequest(const wchar_t* verb, const CTString& path, const CTString& header, CTByteArray* body,
                     const RequestRoute& route);
    void PostForm(const CTString& path, CAttributes& form, const RequestRoute& route);
    void Get(const CTString& url, const RequestRoute& route);
    void GetUrl(const CTString& url, const RequestRoute& route);
    void Post(const CTString& path, CAttributes& form, Callback callback);
    int GetBusyCount();

    // The handler table. Bind and Unbind may be called while requests complete on the worker thread:
    // the table is locked, and a handler is called outside the lock.
    void Bind(const CTString& name, Handler handler);
    void Unbind(const CTString& name);
    bool IsBound(const CTString& name);
    // Calls the handler bound under name, if any; false when none is bound.
    bool Raise(const wchar_t* name, DBEvent& event);

    // Session pages (sign-in).
    void Logon(const CTString& email, const CTString& password, const RequestRoute& route);

    // Directory pages.
    void DirGetLookup(unsigned parentId, const CTString& lookup, const RequestRoute& route);
    void DirGetLookupValues(const std::vector<LookupField>& fields, const RequestRoute& route);
    void DirChangePassword(const CTString& oldPassword, const CTString& newPassword, const CTString& confirm,
                           const RequestRoute& route);
    void DirResetPassword(unsigned id, const CTString& password, const RequestRoute& route);
    void DirPathToID(const std::vector<CTString>& paths, const RequestRoute& route);
    void DirPathToIDUnder(const CTString& path, const RequestRoute& route);
    void DirIDToPath(unsigned id, const RequestRoute& route);
    void DirIDsToPaths(const std::vector<__int64>& ids, const RequestRoute& route);
    void DirGetLookupUnique(const std::vector<CTString>& fieldNames, const std::vector<UniqueEntry>& entries,
                            const RequestRoute& route);
    void DirGetCount(unsigned id, const CTString& type, const RequestRoute& route);
    void DirGetLookupTree(const CTString& type, const RequestRoute& route);

    // Object pages.
    enum ObjGetFlags : int { ObjGetWithChildren = 1, ObjGetWithParents = 2, ObjGetAsPassive = 8 };
    static constexpr unsigned kParentAll = 0xFFFFFFFFu;          // ObjSearch: PARENT=ALL
    static constexpr unsigned kParentAllInherit = 0xFFFFFFFEu;   // ObjSearch: PARENT=ALL-INHERIT
    static constexpr unsigned kNoMax = 0xFFFFFFFFu;              // ObjSearch: no MAX
    static constexpr unsigned kNoComputer = 0xFFFFFFFFu;         // QelSetDeploymentComputer: leave out

    void ObjGet(unsigned id, bool children, bool parents, const RequestRoute& route);
    void ObjGetByPath(const CTString& path, const RequestRoute& route);
    void ObjGetSerials(unsigned id, const CTString& children, const CTString& serials, const RequestRoute& route);
    void ObjGetIds(const CTString& ids, const CTString& serials, int flags, const RequestRoute& route);
    void ObjGetPassive(unsigned id, const RequestRoute& route);
    void ObjSearch(const CTString& type, unsigned parent, const CTString& attrib, const CTString& search,
                   bool returnPath, unsigned max, const RequestRoute& route);
    void ObjSearchIds(const CTString& idArray, bool returnPath, const RequestRoute& route);
    void ObjFind(unsigned type, unsigned parent, const CTString& name, const CAttributes& first,
                 const CAttributes& second, const RequestRoute& route);
    void ObjNew(unsigned type, unsigned parent, const CTString& name, const CAttributes& attributes,
                const CAttributes& privileges, const RequestRoute& route);
    void ObjSet(unsigned id, unsigned serial, const CTString& name, const CAttributes& attributes,
                const CAttributes& privileges, const RequestRoute& route);
    void ObjDelete(unsigned id, unsigned serial, const RequestRoute& route);
    void ObjCopy(unsigned id, unsigned destinationId, const RequestRoute& route);
    void ObjMove(unsigned id, unsigned serial, unsigned destinationId, const RequestRoute& route);
    void ObjType(const CTString& type, const RequestRoute& route);
    void ObjGetAttrib(unsigned id, const CAttributes& items, const RequestRoute& route);
    void ObjGetLog(unsigned id, const CTString& api, const RequestRoute& route);
    void ObjAccessGet(unsigned id, const RequestRoute& route);
    void ObjAccessSet(unsigned id, unsigned granteeId, bool read, bool write, bool perm, bool priv,
                      const RequestRoute& route);

    // Deployment, communication, administration and query pages.
    void QelGetScheduleGroup(unsigned id, const RequestRoute& route);
    void QelGetDeploymentWindow(unsigned parentId, const RequestRoute& route);
    void QelCreateDeploymentWindow(unsigned id, unsigned parent, unsigned startDate, unsigned endDate,
                                   const CTString& runRate, bool add, bool update, bool remove,
                                   const RequestRoute& route);
    void QelSetDeploymentComputer(unsigned id, unsigned serial, unsigned deploymentType, unsigned legacyComputer,
                                  unsigned deployedComputer, const RequestRoute& route);
    void QelMoveDeployment(unsigned id, unsigned ouId, const RequestRoute& route);
    void QelReSchedule(unsigned id, const RequestRoute& route);
    void QelGetDeploymentRoutes(unsigned id, const RequestRoute& route);
    void QelGetDashboardSG(unsigned id, const RequestRoute& route);
    void QelApplyTemplate(unsigned id, unsigned templateId, const RequestRoute& route);
    void QelTask(const CTString& taskList, const RequestRoute& route);
    void QelGetAssetLocation(unsigned id, const RequestRoute& route);
    void QelAssetTransfer(unsigned routeId, unsigned recordId, unsigned autoReceive, const CAttributes& items,
                          const RequestRoute& route);
    void QelSendEmail(unsigned id, unsigned taskId, unsigned ouId, const CTString& emailId, const RequestRoute& route);
    void QelPreviewEmail(unsigned id, unsigned taskId, unsigned ouId, const CTString& emailId,
                         const RequestRoute& route);
    void QelGetComms(const CTString& name, const CTString& type, const RequestRoute& route);
    void QelCopyReports(unsigned id, unsigned sourceId, const RequestRoute& route);
    void QelLocaleGet(bool enabled, unsigned flagSize, const RequestRoute& route);
    void QelLocaleSet(const CAttributes& items, const RequestRoute& route);
    void QelLangSearch(const CTString& id, const RequestRoute& route);
    void QelAdministratorElevate(unsigned id, bool enable, const RequestRoute& route);
    void QelSyncPassword(unsigned id, const CTString& password, const RequestRoute& route);
    void QelSyncRun(unsigned id, bool test, const RequestRoute& route);
    void QelCustomDir(const CTString& folder, const RequestRoute& route);
    // Sends the local file Base64-encoded; returns false, sending nothing, when the file cannot be
    // read or is larger than kMaxUploadBytes (the latter also beeps).
    bool QelCustomAdd(const CTString& folder, const CTString& localPath, const RequestRoute& route);
    void QelCustomDel(const CTString& deletes, const RequestRoute& route);
    void QelBuildsheetGeneration(const CTString& text, const RequestRoute& route);
    void QelSheetSave(unsigned id, const CTString& data, const RequestRoute& route);
    void QelSheetLoad(unsigned id, const RequestRoute& route);

    // The realtime socket (DBRealtime.cpp). A reopening passes three empty values and reuses the
    // kept channel list, token and header lines.
    void OpenRealtime(const CTString& channels, const CTString& token, const IHttpTransport::HeaderList& headers);
    // The socket request's completion: every message and the request's own end, on the
    // user-interface thread.
    void OnRealtimeMessage(TxRx& event);

    // The transport's notices.
    void OnRequestCount();
    void OnDataAvailable();
    void OnWsStatus(TxRx& notice);

    std::unique_ptr<IHttpTransport> m_transport;
    // The realtime socket members (filled by the realtime channel, cleared by Disconnect).
    CTString m_wsChannels;     // the channel list of the socket request
    CTString m_wsToken;
    IHttpTransport::HeaderList m_wsHeaders;

    int m_sendState = 0;       // 0 until the first Connect, then 1
    CTString m_origin;         // "Origin: " and the base URL
    CTString m_baseUrl;        // scheme, host and optional path; no trailing "/"
    HandlerMap m_handlers;     // only under m_handlerLock: use Bind, Unbind, IsBound and Raise
    DWORD m_lastDownload = 0;  // GetTickCount of the last "download" event
    DWORD m_downloadInterval = kDownloadInterval;

    // Tick source of the download throttle; tests replace it.
    DWORD (*m_tick)() = &DefaultTick;

private:
    static DWORD DefaultTick() { return GetTickCount(); }
    void OnRequestComplete(TxRx& result, const RequestRoute& route, const CTString& path);
    // SendRequest with transport flags added to those of every API request.
    bool SendRouted(const wchar_t* verb, const CTString& path, const CTString& header, CTByteArray* body,
                    const RequestRoute& route, int extraFlags);
    void RaiseDownload();
    // Encodes form and sends it as a routed POST with the form content type.
    void SendForm(const wchar_t* path, CAttributes& form, const RequestRoute& route);
    // Appends a caller's items, each with its own type; a name already in the form keeps its place.
    static void AppendItems(CAttributes& form, const CAttributes& items);

    CCriticalSection m_handlerLock;
};
