// Prints the instances a feed has in one year, in the time zone of TZ, one
// line each and sorted: "all-day FIRST END" (END exclusive) or
// "timed START END" in local time, then the summary.
// Usage: ical_expand FEED YEAR
#include "icalfeed.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QFile file(app.arguments().value(1));
    if (app.arguments().size() != 3 || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: ical_expand FEED YEAR\n");
        return 2;
    }
    QString error;
    const auto feed = ICalFeed::Parse(file.readAll(), &error);
    if (!feed) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QTimeZone local = QTimeZone::systemTimeZone();
    const int year = app.arguments().at(2).toInt();
    const QDateTime from(QDate(year, 1, 1), QTime(0, 0), local);
    const QDateTime to(QDate(year + 1, 1, 1), QTime(0, 0), local);
    QList<QByteArray> lines;
    for (const EventInstance& i : feed->Expand(from, to, local)) {
        const QString when = i.AllDay ? QStringLiteral("all-day %1 %2").arg(i.StartDate.toString(Qt::ISODate),
                                                                          i.EndDate.toString(Qt::ISODate))
                                      : QStringLiteral("timed %1 %2").arg(
                                          i.Start.toTimeZone(local).toString(QStringLiteral("yyyy-MM-ddTHH:mm")),
                                          i.End.toTimeZone(local).toString(QStringLiteral("yyyy-MM-ddTHH:mm")));
        lines.append((when + u' ' + i.Summary).toUtf8());
    }
    std::sort(lines.begin(), lines.end());
    for (const QByteArray& line : lines)
        std::printf("%s\n", line.constData());
    return 0;
}
