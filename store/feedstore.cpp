#include "feedstore.h"

#include "clock.h"
#include "datapath.h"
#include "feedcache.h"
#include "feedlocation.h"
#include "feedsources.h"
#include "filesource.h"
#include "icalfeed.h"
#include "refreshrules.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {

using DayIndex = QMap<QDate, QList<DayEvent>>;

// How often the wall clock is compared with the steady one: a jump between
// two looks means the machine slept (timers stand still meanwhile).
constexpr int ClockCheckMs = 60 * 1000;
constexpr qint64 SleepJumpMs = 90 * 1000;
// The most days kept indexed at once.
constexpr qint64 MaxWindowDays = 3 * 366;

// The days of from..to of a feed, each day's list in display order.
DayIndex IndexDays(const ICalFeed& feed, QDate from, QDate to, const QTimeZone& zone)
{
    // A day of margin on both sides: an instance's local days may differ
    // from its dates in the feed's zone.
    const std::vector<EventInstance> instances
        = feed.Expand(QDateTime(from.addDays(-1), QTime(0, 0), zone), QDateTime(to.addDays(2), QTime(0, 0), zone), zone);
    QList<DayEvent> days;
    for (const EventInstance& instance : instances)
        AppendDayEvents(instance, zone, 0, from, to, days);
    std::sort(days.begin(), days.end(), DayEventBefore);
    DayIndex index;
    for (const DayEvent& day : days)
        index[day.Date].append(day);
    return index;
}

} // namespace

struct FeedStore::Calendar {
    CalendarStatus Status;
    QString Key;
    std::unique_ptr<CalendarSource> Source;
    QTimer NextFetch;
    bool Fetching = false; // from the request until its copy is parsed and cached
    int Failures = 0;
    bool Transient = false;
    QByteArray Validators;
    std::shared_ptr<const ICalFeed> Feed;
    DayIndex Days;
};

struct FeedStore::JobResult {
    enum class Kind { Load, Fetched, Expand } Type = Kind::Load;
    QString Key;
    std::shared_ptr<const ICalFeed> Feed;
    DayIndex Days;
    QDate From;
    QDate To;
    QTimeZone Zone;
    QString Error;
    QByteArray Validators;
    QDateTime Time;
};

FeedStore::FeedStore(QString dataDir, QObject* parent) : CalendarStore(parent), m_dataDir(std::move(dataDir))
{
    m_factory = [this](const CalendarEntry& entry) { return MakeFeedSource(entry, m_network); };
    m_pool.setMaxThreadCount(1);
    m_zone = QTimeZone::systemTimeZone();
    WindowAround(QDate::currentDate(), QDate::currentDate(), m_windowFrom, m_windowTo);

    m_changed.setSingleShot(true);
    m_changed.setInterval(0);
    connect(&m_changed, &QTimer::timeout, this, &CalendarStore::Changed);

    m_listSettle.setSingleShot(true);
    m_listSettle.setInterval(200);
    connect(&m_listSettle, &QTimer::timeout, this, &FeedStore::ReloadList);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_listSettle.start(); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_listSettle.start(); });

    m_sourceSettle.setSingleShot(true);
    m_sourceSettle.setInterval(150);
    connect(&m_sourceSettle, &QTimer::timeout, this, &FeedStore::SourcesChanged);
    connect(&m_sourceWatcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_sourceSettle.start(); });
    connect(&m_sourceWatcher, &QFileSystemWatcher::fileChanged, this, [this] { m_sourceSettle.start(); });

    m_clockCheck.setInterval(ClockCheckMs);
    connect(&m_clockCheck, &QTimer::timeout, this, &FeedStore::CheckClock);
}

FeedStore::~FeedStore()
{
    // Jobs post their results to this object: none may still run.
    m_pool.clear();
    m_pool.waitForDone();
}

void FeedStore::SetSourceFactory(SourceFactory factory)
{
    m_factory = std::move(factory);
}

void FeedStore::WindowAround(QDate from, QDate to, QDate& windowFrom, QDate& windowTo)
{
    windowFrom = QDate(from.year(), from.month(), 1).addMonths(-2);
    windowTo = QDate(to.year(), to.month(), 1).addMonths(4).addDays(-1);
}

void FeedStore::Start()
{
    if (m_started)
        return;
    m_started = true;
    // Calendars read before the start were read for the cache alone.
    m_calendars.clear();
    m_watcher.addPath(m_dataDir);
    ReloadList();

    m_wallAtCheck = Clock::MSecsSinceEpoch();
    m_sinceCheck.start();
    m_clockCheck.start();
    // The network's return is a reason to fetch; without a backend the
    // periodic schedule and the retries still run.
    if (QNetworkInformation::loadDefaultBackend() && QNetworkInformation::instance()) {
        QNetworkInformation* info = QNetworkInformation::instance();
        m_online = info->reachability() != QNetworkInformation::Reachability::Disconnected;
        connect(info, &QNetworkInformation::reachabilityChanged, this, &FeedStore::ReachabilityChanged);
    }
}

void FeedStore::ReachabilityChanged(QNetworkInformation::Reachability reachability)
{
    const bool online = reachability == QNetworkInformation::Reachability::Online;
    if (online && !m_online)
        CatchUp();
    m_online = online || reachability == QNetworkInformation::Reachability::Unknown;
}

void FeedStore::ReloadList()
{
    const QString listPath = DataFilePath(m_dataDir, QString::fromLatin1(CalendarListFileName));
    // A file replaced by a rename is a new file: watch it afresh.
    if (m_started) {
        if (!m_watcher.files().isEmpty())
            m_watcher.removePaths(m_watcher.files());
        if (QFileInfo::exists(listPath))
            m_watcher.addPath(listPath);
    }
    const QList<CalendarEntry> entries = ReadCalendarList(m_dataDir);
    m_listRead = true;

    bool changed = entries.size() != qsizetype(m_calendars.size());
    std::vector<std::unique_ptr<Calendar>> kept;
    for (const CalendarEntry& entry : entries) {
        const QString key = FeedCache::Key(entry);
        auto same = std::find_if(m_calendars.begin(), m_calendars.end(),
                                 [&](const std::unique_ptr<Calendar>& c) { return c && c->Key == key; });
        if (same == m_calendars.end()) {
            kept.push_back(MakeCalendar(entry));
            changed = true;
            continue;
        }
        std::unique_ptr<Calendar> calendar = std::move(*same);
        if (calendar->Status.Entry != entry) {
            const bool rescheduled = calendar->Status.Entry.RefreshMinutes != entry.RefreshMinutes;
            calendar->Status.Entry = entry;
            if (rescheduled && m_started && !calendar->Fetching)
                ScheduleNext(*calendar);
            changed = true;
        }
        changed = changed || kept.size() != size_t(same - m_calendars.begin());
        kept.push_back(std::move(calendar));
    }
    m_calendars = std::move(kept);
    if (m_started)
        WatchSources();
    if (changed)
        NotifyChanged();
}

void FeedStore::WatchSources()
{
    // The files and their folders: an editor that saves by renaming a new
    // file over the old one changes the folder, not the file watched.
    QStringList paths;
    for (const auto& calendar : m_calendars) {
        const FeedLocation location = LocateFeed(calendar->Status.Entry.Source);
        if (location.Type != FeedLocation::Kind::File)
            continue;
        const QFileInfo info(location.Path);
        for (const QString& path : {info.absoluteFilePath(), info.absolutePath()})
            if (QFileInfo::exists(path) && !paths.contains(path))
                paths.append(path);
    }
    const QStringList watched = m_sourceWatcher.files() + m_sourceWatcher.directories();
    if (!watched.isEmpty())
        m_sourceWatcher.removePaths(watched);
    if (!paths.isEmpty())
        m_sourceWatcher.addPaths(paths);
}

void FeedStore::SourcesChanged()
{
    for (const auto& calendar : m_calendars) {
        if (LocateFeed(calendar->Status.Entry.Source).Type != FeedLocation::Kind::File)
            continue;
        // A read under way may have seen the old text: look again after it.
        if (calendar->Fetching)
            m_sourceSettle.start();
        else
            StartFetch(*calendar);
    }
    WatchSources();
}

std::unique_ptr<FeedStore::Calendar> FeedStore::MakeCalendar(const CalendarEntry& entry)
{
    auto calendar = std::make_unique<Calendar>();
    calendar->Status.Entry = entry;
    calendar->Key = FeedCache::Key(entry);
    calendar->NextFetch.setSingleShot(true);
    Calendar* c = calendar.get();
    connect(&calendar->NextFetch, &QTimer::timeout, this, [this, c] { StartFetch(*c); });
    if (const auto meta = FeedCache::ReadMeta(calendar->Key); meta && FeedCache::HasCopy(calendar->Key)) {
        calendar->Status.HasCopy = true;
        calendar->Status.LastSuccess = meta->LastSuccess;
        calendar->Validators = meta->Validators;
    }
    if (!m_started)
        return calendar;
    if (calendar->Status.HasCopy) {
        const QDate from = m_windowFrom;
        const QDate to = m_windowTo;
        const QTimeZone zone = m_zone;
        const QString key = calendar->Key;
        Post(key, [this, key, from, to, zone] {
            JobResult result;
            result.Type = JobResult::Kind::Load;
            result.From = from;
            result.To = to;
            result.Zone = zone;
            ++m_parses;
            result.Feed = ICalFeed::Parse(FeedCache::ReadCopy(key), &result.Error);
            if (result.Feed)
                result.Days = IndexDays(*result.Feed, from, to, zone);
            return result;
        });
    }
    ScheduleNext(*calendar);
    return calendar;
}

FeedStore::Calendar* FeedStore::Find(const QString& key) const
{
    for (const auto& calendar : m_calendars) {
        if (calendar->Key == key)
            return calendar.get();
    }
    return nullptr;
}

QList<CalendarStatus> FeedStore::Calendars() const
{
    QList<CalendarStatus> statuses;
    for (const auto& calendar : m_calendars)
        statuses.append(calendar->Status);
    return statuses;
}

QList<DayEvent> FeedStore::EventsBetween(QDate from, QDate to)
{
    QList<DayEvent> events;
    if (!from.isValid() || !to.isValid() || to < from)
        return events;
    CheckZone();
    if (from < m_windowFrom || to > m_windowTo) {
        // What is known now; the rest follows with one Changed. The window
        // grows, so that two ranges asked in turn cannot re-expand each
        // other for ever; only a request far away starts a new one.
        QDate windowFrom;
        QDate windowTo;
        WindowAround(from, to, windowFrom, windowTo);
        windowFrom = std::min(windowFrom, m_windowFrom);
        windowTo = std::max(windowTo, m_windowTo);
        if (windowFrom.daysTo(windowTo) > MaxWindowDays)
            WindowAround(from, to, windowFrom, windowTo);
        m_windowFrom = windowFrom;
        m_windowTo = windowTo;
        for (const auto& calendar : m_calendars) {
            if (calendar->Feed)
                PostExpand(*calendar);
        }
    }
    for (int i = 0; i < int(m_calendars.size()); ++i) {
        const Calendar& calendar = *m_calendars[size_t(i)];
        if (!calendar.Status.Entry.Shown)
            continue;
        for (auto day = calendar.Days.lowerBound(from); day != calendar.Days.end() && day.key() <= to; ++day) {
            for (DayEvent event : day.value()) {
                // The notes' calendar's one-day items show as day notes.
                if (event.Note && calendar.Status.Entry.SyncNotes)
                    continue;
                event.Calendar = i;
                events.append(event);
            }
        }
    }
    std::sort(events.begin(), events.end(), DayEventBefore);
    return events;
}

void FeedStore::RefreshAll()
{
    emit RefreshRequested();
    for (const auto& calendar : m_calendars)
        StartFetch(*calendar);
}

QList<DayEvent> FeedStore::EventsFromCache(QDate from, QDate to)
{
    if (!m_listRead)
        ReloadList();
    QList<DayEvent> events;
    for (int i = 0; i < int(m_calendars.size()); ++i) {
        const Calendar& calendar = *m_calendars[size_t(i)];
        if (!calendar.Status.Entry.Shown)
            continue;
        ++m_parses;
        // A local file as it is now, the bar may never have read it; the
        // cached copy only when it cannot be read, as the bar shows it then.
        CalendarSource::Result read;
        if (const FeedLocation location = LocateFeed(calendar.Status.Entry.Source);
            location.Type == FeedLocation::Kind::File)
            read = ReadFeedFile(location.Path);
        const auto feed = ICalFeed::Parse(read.Outcome == CalendarSource::Result::Kind::Changed
                                              ? read.Text
                                              : FeedCache::ReadCopy(calendar.Key));
        if (!feed)
            continue;
        const std::vector<EventInstance> instances = feed->Expand(QDateTime(from.addDays(-1), QTime(0, 0), m_zone),
                                                                  QDateTime(to.addDays(2), QTime(0, 0), m_zone), m_zone);
        for (const EventInstance& instance : instances) {
            if (!instance.IsNote() || !calendar.Status.Entry.SyncNotes)
                AppendDayEvents(instance, m_zone, i, from, to, events);
        }
    }
    std::sort(events.begin(), events.end(), DayEventBefore);
    return events;
}

bool FeedStore::Busy() const
{
    return m_jobsPending > 0
           || std::any_of(m_calendars.begin(), m_calendars.end(), [](const auto& c) { return c->Fetching; });
}

void FeedStore::ScheduleNext(Calendar& calendar)
{
    const qint64 delay = NextFetchDelayMs(calendar.Status.LastSuccess, calendar.Status.Entry.RefreshMinutes,
                                          calendar.Failures, calendar.Transient, QDateTime::currentDateTimeUtc());
    calendar.NextFetch.start(int(std::min<qint64>(delay, std::numeric_limits<int>::max())));
}

void FeedStore::StartFetch(Calendar& calendar)
{
    if (calendar.Fetching)
        return;
    calendar.NextFetch.stop();
    if (!calendar.Source) {
        calendar.Source = m_factory ? m_factory(calendar.Status.Entry) : nullptr;
        if (!calendar.Source) {
            calendar.Status.Error = QStringLiteral("この場所は読めません");
            NotifyChanged();
            return;
        }
        Calendar* c = &calendar;
        connect(calendar.Source.get(), &CalendarSource::Finished, this,
                [this, c](const CalendarSource::Result& result) { Fetched(*c, result); });
    }
    calendar.Fetching = true;
    calendar.Status.Updating = true;
    NotifyChanged();
    const QByteArray text = calendar.Status.HasCopy ? FeedCache::ReadCopy(calendar.Key) : QByteArray();
    calendar.Source->Fetch(text.isEmpty() ? QByteArray() : calendar.Validators, text);
}

void FeedStore::Fetched(Calendar& calendar, const CalendarSource::Result& result)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    switch (result.Outcome) {
    case CalendarSource::Result::Kind::Changed: {
        // Parsed, cached and indexed on the worker; Fetching ends there.
        const QDate from = m_windowFrom;
        const QDate to = m_windowTo;
        const QTimeZone zone = m_zone;
        const QString key = calendar.Key;
        Post(key, [this, key, from, to, zone, result, now] {
            JobResult job;
            job.Type = JobResult::Kind::Fetched;
            job.From = from;
            job.To = to;
            job.Zone = zone;
            job.Time = now;
            job.Validators = result.Validators;
            ++m_parses;
            job.Feed = ICalFeed::Parse(result.Text, &job.Error);
            if (!job.Feed) {
                if (job.Error.isEmpty())
                    job.Error = QStringLiteral("iCalendar として読めません");
                return job;
            }
            // The copy before its validators (see FeedCache).
            if (FeedCache::WriteCopy(key, result.Text))
                FeedCache::WriteMeta(key, FeedCache::Meta{now, result.Validators});
            job.Days = IndexDays(*job.Feed, from, to, zone);
            return job;
        });
        return;
    }
    case CalendarSource::Result::Kind::Unchanged:
        calendar.Failures = 0;
        calendar.Status.Error.clear();
        calendar.Status.LastSuccess = now;
        calendar.Validators = result.Validators.isEmpty() ? calendar.Validators : result.Validators;
        FeedCache::WriteMeta(calendar.Key, FeedCache::Meta{now, calendar.Validators});
        break;
    case CalendarSource::Result::Kind::Failed:
        ++calendar.Failures;
        calendar.Transient = result.Transient;
        calendar.Status.Error = result.Error;
        break;
    }
    calendar.Fetching = false;
    calendar.Status.Updating = false;
    ScheduleNext(calendar);
    NotifyChanged();
}

void FeedStore::Post(const QString& key, std::function<JobResult()> work)
{
    ++m_jobsPending;
    m_pool.start([this, key, work = std::move(work)] {
        JobResult result = work();
        result.Key = key;
        QMetaObject::invokeMethod(this, [this, result] { Finish(result); }, Qt::QueuedConnection);
    });
}

void FeedStore::PostExpand(Calendar& calendar)
{
    ++m_expansionsPending;
    const QDate from = m_windowFrom;
    const QDate to = m_windowTo;
    const QTimeZone zone = m_zone;
    Post(calendar.Key, [feed = calendar.Feed, from, to, zone] {
        JobResult result;
        result.Type = JobResult::Kind::Expand;
        result.Feed = feed;
        result.From = from;
        result.To = to;
        result.Zone = zone;
        result.Days = IndexDays(*feed, from, to, zone);
        return result;
    });
}

void FeedStore::Finish(const JobResult& result)
{
    --m_jobsPending;
    Calendar* calendar = Find(result.Key);
    const bool current = result.From == m_windowFrom && result.To == m_windowTo && result.Zone == m_zone;
    switch (result.Type) {
    case JobResult::Kind::Expand:
        if (calendar && current && calendar->Feed == result.Feed)
            calendar->Days = result.Days;
        // One Changed for a whole new window.
        if (--m_expansionsPending == 0)
            NotifyChanged();
        return;
    case JobResult::Kind::Load:
        if (!calendar)
            return;
        if (result.Feed && !calendar->Feed) {
            calendar->Feed = result.Feed;
            calendar->Days = result.Days;
        } else if (!result.Feed && !calendar->Feed) {
            calendar->Status.HasCopy = false;
        }
        break;
    case JobResult::Kind::Fetched:
        if (!calendar)
            return;
        calendar->Fetching = false;
        calendar->Status.Updating = false;
        if (result.Feed) {
            calendar->Feed = result.Feed;
            calendar->Days = result.Days;
            calendar->Validators = result.Validators;
            calendar->Failures = 0;
            calendar->Status.HasCopy = true;
            calendar->Status.LastSuccess = result.Time;
            calendar->Status.Error.clear();
        } else {
            // The last good copy stays.
            ++calendar->Failures;
            calendar->Transient = false;
            calendar->Status.Error = result.Error;
        }
        ScheduleNext(*calendar);
        break;
    }
    // The window or the zone moved while the job ran.
    if (calendar->Feed == result.Feed && result.Feed && !current)
        PostExpand(*calendar);
    NotifyChanged();
}

void FeedStore::CatchUp()
{
    for (const auto& calendar : m_calendars) {
        if (calendar->Fetching)
            continue;
        if (calendar->Failures > 0)
            StartFetch(*calendar);
        else
            ScheduleNext(*calendar);
    }
}

void FeedStore::CheckClock()
{
    const qint64 wall = Clock::MSecsSinceEpoch();
    const qint64 steady = m_sinceCheck.restart();
    const qint64 jump = (wall - m_wallAtCheck) - steady;
    m_wallAtCheck = wall;
    if (jump > SleepJumpMs || jump < -SleepJumpMs)
        CatchUp();
    CheckZone();
}

void FeedStore::CheckZone()
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (zone == m_zone || !zone.isValid())
        return;
    // Timed events fall on other local days now: the indexed days again.
    m_zone = zone;
    for (const auto& calendar : m_calendars) {
        if (calendar->Feed)
            PostExpand(*calendar);
    }
}

void FeedStore::NotifyChanged()
{
    if (!m_changed.isActive())
        m_changed.start();
}
