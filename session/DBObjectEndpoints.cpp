// The object pages of the server API.
#include "session/DB.h"

void DB::ObjGet(unsigned id, bool children, bool parents, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"CHILDREN", children ? 1 : 0);
    form.SetNumber(L"PARENTS", parents ? 1 : 0);
    SendForm(L"api/api_objGet.php", form, route);
}

void DB::ObjGetByPath(const CTString& path, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"PATH", path);
    form.SetNumber(L"CHILDREN", 1);
    form.SetNumber(L"PARENTS", 0);
    SendForm(L"api/api_objGet.php", form, route);
}

void DB::ObjGetSerials(unsigned id, const CTString& children, const CTString& serials, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetText(L"CHILDREN", children);
    form.SetNumber(L"PARENTS", 0);
    form.SetText(L"SERIALS", serials);
    SendForm(L"api/api_objGet.php", form, route);
}

void DB::ObjGetIds(const CTString& ids, const CTString& serials, int flags, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"IDS", ids);
    form.SetText(L"SERIALS", serials);
    if (flags & ObjGetWithChildren)
        form.SetNumber(L"CHILDREN", 1);
    if (flags & ObjGetWithParents)
        form.SetNumber(L"PARENTS", 1);
    if (flags & ObjGetAsPassive)
        form.SetNumber(L"PASSIVE", 1);
    SendForm(L"api/api_objGet.php", form, route);
}

void DB::ObjGetPassive(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"PASSIVE", 1);
    SendForm(L"api/api_objGet.php", form, route);
}

void DB::ObjSearch(const CTString& type, unsigned parent, const CTString& attrib, const CTString& search,
                   bool returnPath, unsigned max, const RequestRoute& route)
{
    CAttributes form;
    if (!type.IsEmpty())
        form.SetText(L"TYPE", type);
    if (parent == kParentAll)
        form.SetText(L"PARENT", L"ALL");
    else if (parent == kParentAllInherit)
        form.SetText(L"PARENT", L"ALL-INHERIT");
    else
        form.SetNumber(L"PARENT", parent);
    if (!attrib.IsEmpty())
        form.SetText(L"ATTRIB", attrib);
    if (!search.IsEmpty())
        form.SetText(L"SEARCH", search);
    if (max != kNoMax)
        form.SetNumber(L"MAX", max);
    form.SetNumber(L"RETURNPATH", returnPath ? 1 : 0);
    SendForm(L"api/api_objSearch.php", form, route);
}

void DB::ObjSearchIds(const CTString& idArray, bool returnPath, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"IDARRAY", idArray);
    form.SetNumber(L"RETURNPATH", returnPath ? 1 : 0);
    SendForm(L"api/api_objSearch.php", form, route);
}

void DB::ObjFind(unsigned type, unsigned parent, const CTString& name, const CAttributes& first,
                 const CAttributes& second, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"TYPE", type);
    form.SetNumber(L"PARENT", parent);
    form.SetText(L"NAME", name);
    AppendItems(form, first);
    AppendItems(form, second);
    SendForm(L"api/api_objFind.php", form, route);
}

void DB::ObjNew(unsigned type, unsigned parent, const CTString& name, const CAttributes& attributes,
                const CAttributes& privileges, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"TYPE", type);
    form.SetNumber(L"PARENT", parent);
    form.SetText(L"NAME", name);
    AppendItems(form, attributes);
    AppendItems(form, privileges);
    SendForm(L"api/api_objNew.php", form, route);
}

void DB::ObjSet(unsigned id, unsigned serial, const CTString& name, const CAttributes& attributes,
                const CAttributes& privileges, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetText(L"NAME", name);
    form.SetNumber(L"SERIAL", serial);
    AppendItems(form, attributes);
    AppendItems(form, privileges);
    SendForm(L"api/api_objSet.php", form, route);
}

void DB::ObjDelete(unsigned id, unsigned serial, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"SERIAL", serial);
    SendForm(L"api/api_objDelete.php", form, route);
}

void DB::ObjCopy(unsigned id, unsigned destinationId, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"DestID", destinationId);
    SendForm(L"api/api_objCopy.php", form, route);
}

void DB::ObjMove(unsigned id, unsigned serial, unsigned destinationId, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetNumber(L"DestID", destinationId);
    form.SetNumber(L"SERIAL", serial);
    SendForm(L"api/api_objMove.php", form, route);
}

void DB::ObjType(const CTString& type, const RequestRoute& route)
{
    CAttributes form;
    form.SetText(L"TYPE", type);
    SendForm(L"api/api_objType.php", form, route);
}

void DB::ObjGetAttrib(unsigned id, const CAttributes& items, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    AppendItems(form, items);
    SendForm(L"api/api_objGetAttrib.php", form, route);
}

void DB::ObjGetLog(unsigned id, const CTString& api, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    form.SetText(L"API", api);
    SendForm(L"api/api_objGetLog.php", form, route);
}

void DB::ObjAccessGet(unsigned id, const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    SendForm(L"api/api_objAccessGet.php", form, route);
}

void DB::ObjAccessSet(unsigned id, unsigned granteeId, bool read, bool write, bool perm, bool priv,
                      const RequestRoute& route)
{
    CAttributes form;
    form.SetNumber(L"ID", id);
    if (granteeId != 0)
        form.SetNumber(L"GRANTID", granteeId);
    form.SetNumber(L"READ", read ? 1 : 0);
    form.SetNumber(L"WRITE", write ? 1 : 0);
    form.SetNumber(L"PERM", perm ? 1 : 0);
    form.SetNumber(L"PRIV", priv ? 1 : 0);
    SendForm(L"api/api_objAccessSet.php", form, route);
}
