#include "refreshrules.h"

#include <algorithm>

qint64 NextFetchDelayMs(const QDateTime& lastSuccess, int refreshMinutes, int failures, bool transient,
                        const QDateTime& now)
{
    const qint64 interval = qint64(refreshMinutes) * 60 * 1000;
    if (failures > 0) {
        const qint64 base = transient ? 60 * 1000 : interval;
        qint64 delay = base;
        for (int i = 1; i < failures && delay < MaxRetryDelayMs; ++i)
            delay *= 2;
        return std::min(delay, std::max(MaxRetryDelayMs, base));
    }
    if (!lastSuccess.isValid())
        return 0;
    // A clock set back must not put the next fetch further off than one interval.
    return std::clamp(now.msecsTo(lastSuccess.addMSecs(interval)), qint64(0), interval);
}
