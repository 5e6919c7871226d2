#include "calendaraccounts.h"

#include <QUrl>

CalendarEntry EntryForFoundCalendar(const FoundCalendar& found, const QString& user)
{
    CalendarEntry entry;
    entry.Name = found.Name;
    entry.Source = AddressWithoutUser(found.Address);
    entry.User = user;
    if (!found.Color.isEmpty())
        entry.Color = found.Color;
    return entry;
}

QString AddressWithoutUser(const QString& address)
{
    const QUrl url(address);
    if (!url.isValid() || url.scheme().isEmpty() || url.userInfo().isEmpty())
        return address;
    return url.adjusted(QUrl::RemoveUserInfo).toString();
}
