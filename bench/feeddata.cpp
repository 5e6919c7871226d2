#include "feeddata.h"

#include "calendarlist.h"
#include "feedcache.h"

#include <QDateTime>

namespace {

QByteArray Stamp(const QDateTime& t)
{
    return t.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
}

} // namespace

QByteArray MakeBenchFeed(int calendar, QDate month)
{
    QByteArray feed = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    const auto event = [&](const QByteArray& uid, const QByteArray& times, const QByteArray& extra,
                           const QByteArray& summary) {
        feed += "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20250101T000000Z\r\n" + times + extra
                + "SUMMARY:" + summary + "\r\nEND:VEVENT\r\n";
    };
    // 240 single meetings across the month before, the month and the month after.
    const QDateTime first(month.addMonths(-1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < 240; ++i) {
        const QDateTime start = first.addSecs(qint64(i) * 23 * 3600 / 3 + calendar * 1800);
        event(QByteArray("m") + QByteArray::number(calendar) + "-" + QByteArray::number(i),
              "DTSTART:" + Stamp(start) + "\r\nDTEND:" + Stamp(start.addSecs(3600)) + "\r\n", "",
              "打ち合わせ " + QByteArray::number(i));
    }
    // 60 weekly series begun a year before, about 260 instances in the month.
    for (int i = 0; i < 60; ++i) {
        const QDateTime start(month.addYears(-1).addDays(i % 7), QTime(9 + i % 8, 0), Qt::UTC);
        event(QByteArray("w") + QByteArray::number(calendar) + "-" + QByteArray::number(i),
              "DTSTART:" + Stamp(start) + "\r\nDTEND:" + Stamp(start.addSecs(1800)) + "\r\n",
              "RRULE:FREQ=WEEKLY;BYDAY=" + QByteArray(i % 2 ? "MO,TH" : "WE") + "\r\n", "定例 " + QByteArray::number(i));
    }
    // All-day and multi-day events.
    for (int i = 0; i < 20; ++i) {
        const QDate day = month.addDays(i * 3 / 2);
        event(QByteArray("d") + QByteArray::number(calendar) + "-" + QByteArray::number(i),
              "DTSTART;VALUE=DATE:" + day.toString(QStringLiteral("yyyyMMdd")).toLatin1()
                  + "\r\nDTEND;VALUE=DATE:" + day.addDays(1 + i % 3).toString(QStringLiteral("yyyyMMdd")).toLatin1()
                  + "\r\n",
              "", "休暇 " + QByteArray::number(i));
    }
    return feed + "END:VCALENDAR\r\n";
}

void WriteCachedCalendars(const QString& dataDir, QDate month)
{
    QList<CalendarEntry> entries;
    for (int i = 0; i < 3; ++i) {
        CalendarEntry entry;
        entry.Name = QStringLiteral("calendar %1").arg(i + 1);
        entry.Source = QStringLiteral("https://calendar.invalid/%1.ics").arg(i + 1);
        const QString key = FeedCache::Key(entry);
        FeedCache::WriteCopy(key, MakeBenchFeed(i, month));
        FeedCache::WriteMeta(key, FeedCache::Meta{QDateTime::currentDateTimeUtc(), QByteArray("ETag: \"x\"\n")});
        entries.append(entry);
    }
    WriteCalendarList(dataDir, entries);
}
