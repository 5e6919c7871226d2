// A start with three cached calendars and no network: how long until the
// store has indexed their events for the bar, and what one redraw's query
// of a month of about 1,000 instances then costs.
#include "benchdata.h"
#include "feeddata.h"
#include "feedstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    QTextStream out(stdout);

    const QDate today = QDate::currentDate();
    const QDate month(today.year(), today.month(), 1);
    const QString data = dir.filePath(QStringLiteral("data"));
    QDir().mkpath(data);
    WriteCachedCalendars(data, month);
    const QDate last = month.addMonths(1).addDays(-1);

    qsizetype events = 0;
    QList<double> ready;
    for (int run = 0; run < 10; ++run) {
        QElapsedTimer timer;
        timer.start();
        FeedStore store(data);
        store.Start();
        // Every calendar is due later: nothing is fetched, the copies are parsed.
        if (!QTest::qWaitFor([&] { return !store.Busy(); }, 10000))
            return 1;
        ready.append(double(timer.nsecsElapsed()) / 1e6);
        events = store.EventsBetween(month, last).size();
    }

    FeedStore store(data);
    store.Start();
    if (!QTest::qWaitFor([&] { return !store.Busy(); }, 10000))
        return 1;
    const QList<double> query = TimeRunsMicroseconds(20, 500, [&] { store.EventsBetween(month, last); });

    out << "events in the month: " << events << "\n";
    out << "events_between_month_median_us: " << qRound(Median(query)) << "\n";
    out << "store_start_events_ready_median_ms: " << Median(ready) << "\n";
    return 0;
}
