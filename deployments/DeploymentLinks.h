#pragma once
// Reading a deployment's attributes as the pane shows them: link ids (a single id, or the first id
// of a "/1/2/" list), texts that are never null, and the heading title.
#include <windows.h>
#include "foundation/CTString.h"
#include "session/Object.h"

class MainWindow;

// The id an attribute links to; the first id of a link array; 0 when absent.
__int64 LinkId(const Object& object, const wchar_t* name);
// The attribute's text; "" when absent.
CTString AttributeText(const Object& object, const wchar_t* name);
// The path, followed by " (" deployment_id ")" when that is set and differs from the name.
CTString HeadingTitle(const CTString& path, const Object& deployment);
// The name of a cached deployment type object; "" when the type is not cached.
CTString DeploymentTypeObjectName(MainWindow* main, __int64 typeId);
