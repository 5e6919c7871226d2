#pragma once

#include "notesyncer.h"

// What the bar tells of a notes' sync: the merged days and the days that
// failed, once, in a notice that blocks nothing; a question before a sync
// that needs one, whose yes runs that sync.
void ShowNoteSyncReport(NoteSyncer& syncer, const NoteSyncReport& report);
