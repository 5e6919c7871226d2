#include "calendarstore.h"

QString CalendarStatus::StateText() const
{
    if (Updating)
        return QStringLiteral("更新中…");
    if (!Error.isEmpty())
        return Error;
    if (LastSuccess.isValid())
        return QStringLiteral("更新しました (%1)").arg(LastSuccess.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")));
    return QStringLiteral("まだ更新していません");
}
