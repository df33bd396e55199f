#pragma once
// The status text of a request object, as the request pane shows it.
#include "foundation/CTString.h"
#include "session/Object.h"

CTString RequestStatusText(const Object& request);
