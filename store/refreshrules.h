#pragma once

#include <QDateTime>

// How long until a calendar's next fetch, in milliseconds. After a success
// the next one is due RefreshMinutes after it (at once when it never
// succeeded or is overdue). After failures the wait grows: twice as long
// each time, from one minute for a failure that may pass (the network, a
// server error) or from the refresh interval for one that will not, and
// never more than six hours.
qint64 NextFetchDelayMs(const QDateTime& lastSuccess, int refreshMinutes, int failures, bool transient,
                        const QDateTime& now);

inline constexpr qint64 MaxRetryDelayMs = 6LL * 60 * 60 * 1000;
