#pragma once
// Deployment-window replies: one "result" element of "day" elements, one per window, each with its
// booking figures "used_days" and "max_deployments".
#include "foundation/TiXmlDocument.h"
#include "session/DB.h"

// Applies a realtime "slots" update (1 window id, 2 used, 3 maximum) to a cached reply: the first
// "day" whose "id" is the window's gets the new figures. Answers the window id, 0 when no day
// matched (the reply is then unchanged).
int ApplySlotUpdateToReply(TiXmlDocument& reply, DB::Slot& update);
