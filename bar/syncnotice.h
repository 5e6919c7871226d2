#pragma once

#include "notesyncer.h"

// What the bar tells of a notes' sync: the merged days, and days that
// failed and had not failed before (a calendar that refuses writes fails the
// same days at every sync), in a notice that blocks nothing; a question
// before a sync that needs one, whose yes runs that sync.
void ShowNoteSyncReport(NoteSyncer& syncer, const NoteSyncReport& report);
