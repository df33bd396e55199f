#pragma once
// The console's XML file of directory objects: written by the list exports, read back one object
// element at a time by the importers.
#include <vector>
#include "app/MainWindowCache.h"
#include "foundation/CTFileNameString.h"
#include "foundation/CTString.h"
#include "foundation/TiXmlDocument.h"
#include "session/LookupField.h"
#include "session/Object.h"

class _ExportData : public TiXmlDocument {
public:
    static const wchar_t* const kNamespace;

    // cache gives the type definitions; the reader copies what it needs (see Load).
    explicit _ExportData(const MainWindowCache& cache);

    void WriteObject(const Object& object);
    // Prints the document into the file ("w, ccs=UTF-8": byte-order mark, CR LF); false when the
    // file cannot be opened.
    bool Save(const wchar_t* path) const;
    // Asks for the file with the "Save File" dialog and saves there; false when the user cancels,
    // chooses no name or the file cannot be written.
    bool SaveAs(HWND owner) const;
    static const wchar_t* const kFileFilter;

    // Reads the file named by fileName; true when it is an object file, the cursor at its first object.
    // Takes a copy of the type definitions and slot data, so that ReadObject may run on a worker
    // thread while the user-interface thread reloads the caches.
    bool Load();
    bool ReadObject(Object& target, CTString& path, std::vector<LookupField>& lookups);
    void MergeDeploymentApplications();
    void MergeDeploymentPeripherals();
    TiXmlElement* FindDeployment(TiXmlElement* deploymentId);
    static const wchar_t* GetElementText(const TiXmlElement* element);

    TiXmlElement* root = nullptr;
    TiXmlElement* cursor = nullptr;
    CTFileNameString fileName;

private:
    void MergeDeploymentItems(const wchar_t* itemName, const wchar_t* idName);

    const MainWindowCache& m_cache;
    MainWindowCache m_snapshot;   // the reader's own copy of types and slot data, taken by Load
};
