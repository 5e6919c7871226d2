#pragma once

#include "calendarsource.h"
#include "calendarstore.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QThreadPool>
#include <QTimeZone>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class ICalFeed;

// The calendars of a data folder's Calendars.ini: fetched on their schedule,
// cached for the next start, parsed and expanded on a worker thread, and
// indexed by day so that a redraw reads them at once. A failed fetch keeps
// the last good copy shown and tries again later and later; a resume from
// sleep and the network's return fetch the calendars that are due or
// failing. A change of Calendars.ini shows within a second.
class FeedStore : public CalendarStore {
    Q_OBJECT

public:
    using SourceFactory = std::function<std::unique_ptr<CalendarSource>(const CalendarEntry&)>;

    explicit FeedStore(QString dataDir, QObject* parent = nullptr);
    ~FeedStore() override;

    // Who fetches a calendar; by default MakeFeedSource.
    void SetSourceFactory(SourceFactory factory);

    // Reads Calendars.ini, shows the cached copies as soon as they are
    // parsed, and fetches each calendar when it is due.
    void Start();

    QList<CalendarStatus> Calendars() const override;
    QList<DayEvent> EventsBetween(QDate from, QDate to) override;
    void RefreshAll() override;

    // The command line's way: the shown calendars' events on from..to, read
    // from the cache (a local file from the file itself), parsed and expanded
    // now, on this thread. Reads Calendars.ini first when Start has not.
    QList<DayEvent> EventsFromCache(QDate from, QDate to);

    // A fetch, a parse or an expansion is under way.
    bool Busy() const;
    // How many feeds were parsed so far.
    int ParseCount() const { return m_parses; }

    // The days indexed for a request of from..to: from two months before
    // from's month to the end of the third month after to's (at start,
    // around today).
    static void WindowAround(QDate from, QDate to, QDate& windowFrom, QDate& windowTo);

    // What QNetworkInformation reports: a return to Online fetches the
    // failing calendars at once. Public so that a test can report it.
    void ReachabilityChanged(QNetworkInformation::Reachability reachability);
    // Run every minute: a wall clock (Clock) that moved far more than
    // the steady one means a resume, and the failing calendars are fetched.
    void CheckClock();

private:
    struct Calendar;
    struct JobResult;

    void ReloadList();
    std::unique_ptr<Calendar> MakeCalendar(const CalendarEntry& entry);
    Calendar* Find(const QString& key) const;
    void ScheduleNext(Calendar& calendar);
    void StartFetch(Calendar& calendar);
    void Fetched(Calendar& calendar, const CalendarSource::Result& result);
    void Post(const QString& key, std::function<JobResult()> work);
    void Finish(const JobResult& result);
    void PostExpand(Calendar& calendar);
    void CatchUp();
    // The system's time zone, looked at every minute and before each
    // request: a change re-indexes the days.
    void CheckZone();
    void NotifyChanged();
    // Calendars in local files are read again soon after their file changes.
    void WatchSources();
    void SourcesChanged();

    QString m_dataDir;
    SourceFactory m_factory;
    QNetworkAccessManager m_network;
    std::vector<std::unique_ptr<Calendar>> m_calendars;
    bool m_listRead = false;
    bool m_started = false;

    // Parsing and expanding, one job at a time in order: memory stays bounded
    // and results come back in the order they were asked for.
    QThreadPool m_pool;
    int m_jobsPending = 0;
    int m_expansionsPending = 0;
    std::atomic<int> m_parses = 0;

    QTimeZone m_zone;
    QDate m_windowFrom;
    QDate m_windowTo;

    QFileSystemWatcher m_watcher;
    QTimer m_listSettle;
    QFileSystemWatcher m_sourceWatcher;
    QTimer m_sourceSettle;
    QTimer m_changed;
    QTimer m_clockCheck;
    QElapsedTimer m_sinceCheck;
    qint64 m_wallAtCheck = 0;
    bool m_online = true;
};
