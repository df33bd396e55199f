#pragma once
// The due status of dated items (tasks and the like) against their working-day calendars.
#include <vector>
#include "session/Object.h"

enum DueStatus : int { DueOnTrack = 1, DueCompleted = 2, DueSoon = 3, DueOverdue = 4 };

// Signed working days between b and a of the item's calendar (CalendarCache), positive when a is later.
int CalendarWorkingDays(const Object& item, __int64 a, __int64 b);
// From "end_date", "amber_days" and "completed" (each 0 when a text): completed items are 2; an
// item at or past its end is 4; within "amber_days" working days of its end 3; else 1. Without an
// end date 1.
int GetDueStatus(const Object& item);
// 1 for no items; else the highest status, where 2 stands only when every item is completed.
int GetCombinedDueStatus(const std::vector<Object>& items);
