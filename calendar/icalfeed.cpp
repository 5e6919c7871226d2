#include "icalfeed.h"

#include "windowszones.h"

#include <libical/ical.h>

#include <QHash>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <tuple>
#include <unordered_map>

namespace {

constexpr qint64 Day = 86400;
constexpr qint64 JulianDayOfEpoch = 2440588;
constexpr int MaxInstancesPerSeries = 1000;
// Steps of libical's iterator one series may take in one expansion: a rule
// with COUNT cannot be skipped ahead, and this bounds what it may cost.
constexpr int MaxRuleSteps = 50000;
// Zone offsets lie within a day of UTC (-12 to +14 hours): the margin for
// comparing wall clocks with instants.
constexpr qint64 ZoneMargin = Day;

// libical keeps global state (its UTC zone, its error state, each zone's
// table of changes): every call into it holds this lock. Recursive, since
// the recurrence loop converts times through the feed's own zones.
std::recursive_mutex& LibicalLock()
{
    static std::recursive_mutex lock;
    return lock;
}

qint64 FloorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

QDate DateOfDay(qint64 day)
{
    return QDate::fromJulianDay(day + JulianDayOfEpoch);
}

// Where a stamp's wall clock is read, besides the feed's own zones (>= 0).
constexpr int UtcZone = -1;
constexpr int LocalZone = -2; // floating: the zone Expand is given

// A DTSTART-like value: its wall clock as seconds from 1970-01-01 read as
// UTC (a date: its midnight), and the zone it is read in.
struct Stamp {
    qint64 Wall = 0;
    int Zone = LocalZone;
    bool IsDate = false;

    qint64 DayIndex() const { return FloorDiv(Wall, Day); }
};

struct FeedZone {
    QTimeZone Qt;                 // a zone the system knows
    icaltimezone* Ical = nullptr; // else the feed's own VTIMEZONE
};

// One VEVENT, as much of it as the bar reads.
struct Event {
    QString Summary;
    QString Uid;
    Stamp Start;
    bool HasEnd = false;
    Stamp End;
    int DurationDays = 0;        // DURATION's nominal part: days and weeks
    qint64 DurationSeconds = 0;  // and its exact part
    bool Cancelled = false;
    int Rule = -1;               // index into Data::Rules
    bool HasUntil = false;
    Stamp Until;
    std::vector<Stamp> RDates;
    std::vector<Stamp> ExDates;
    bool IsOverride = false;
    Stamp RecurrenceId;
    bool ThisAndFuture = false;  // RANGE=THISANDFUTURE: the later instances too
    std::vector<int> Overrides;  // a series' RECURRENCE-ID events
    // Which of two copies of one event stands: the higher SEQUENCE, then
    // the later LAST-MODIFIED, then DTSTAMP (UTC seconds), then the later
    // in the file.
    int Sequence = 0;
    qint64 Modified = std::numeric_limits<qint64>::min();
    qint64 Stamped = std::numeric_limits<qint64>::min();
    bool Superseded = false;

    bool Recurs() const { return !IsOverride && (Rule >= 0 || !RDates.empty()); }
};

bool SameName(const char* line, qsizetype size, const char* name)
{
    const qsizetype n = qsizetype(std::strlen(name));
    return size >= n && qstrnicmp(line, name, size_t(n)) == 0;
}

// Whether a content line's name (up to its first ';' or ':') is name.
bool HasName(const char* line, qsizetype size, const char* name)
{
    const qsizetype n = qsizetype(std::strlen(name));
    return size > n && (line[n] == ';' || line[n] == ':') && qstrnicmp(line, name, size_t(n)) == 0;
}

bool IsWantedEventProperty(const char* line, qsizetype size)
{
    static const char* const wanted[] = {"DTSTART", "DTEND",   "DURATION", "RRULE",    "RDATE",
                                         "EXDATE",  "UID",     "SUMMARY",  "STATUS",   "RECURRENCE-ID",
                                         "SEQUENCE", "DTSTAMP", "LAST-MODIFIED"};
    return std::any_of(std::begin(wanted), std::end(wanted), [&](const char* w) { return HasName(line, size, w); });
}

// The lines of one text, CR LF or LF ended.
struct Line {
    const char* Text;
    qsizetype Size;
    bool Continues; // a folded continuation of the line before

    bool Is(const char* what) const
    {
        qsizetype size = Size;
        while (size > 0 && (Text[size - 1] == ' ' || Text[size - 1] == '\t'))
            --size;
        return size == qsizetype(std::strlen(what)) && SameName(Text, size, what);
    }
    bool Begins() const { return !Continues && SameName(Text, Size, "BEGIN:"); }
    bool Ends() const { return !Continues && SameName(Text, Size, "END:"); }
};

std::vector<Line> SplitLines(const QByteArray& text)
{
    std::vector<Line> lines;
    lines.reserve(size_t(text.count('\n')) + 1);
    const char* at = text.constData();
    const char* const end = at + text.size();
    while (at < end) {
        const char* nl = static_cast<const char*>(std::memchr(at, '\n', size_t(end - at)));
        const char* stop = nl ? nl : end;
        qsizetype size = stop - at;
        if (size > 0 && at[size - 1] == '\r')
            --size;
        if (size > 0)
            lines.push_back(Line{at, size, at[0] == ' ' || at[0] == '\t'});
        at = nl ? nl + 1 : end;
    }
    return lines;
}

// One VCALENDAR as line spans: its own properties, its VTIMEZONEs and its
// VEVENTs (each from its BEGIN to its END line, inclusive).
struct CalendarSpans {
    std::vector<std::pair<size_t, size_t>> Zones;
    std::vector<std::pair<size_t, size_t>> Events;
    std::vector<size_t> Properties;
};

// The VCALENDARs of the text; false when one is not closed (a cut-off
// download) or there is none.
bool FindCalendars(const std::vector<Line>& lines, std::vector<CalendarSpans>& calendars)
{
    size_t i = 0;
    while (i < lines.size()) {
        if (!lines[i].Is("BEGIN:VCALENDAR")) {
            ++i;
            continue;
        }
        CalendarSpans calendar;
        bool closed = false;
        for (++i; i < lines.size(); ++i) {
            const Line& line = lines[i];
            if (line.Is("END:VCALENDAR")) {
                closed = true;
                ++i;
                break;
            }
            if (!line.Begins()) {
                if (!line.Ends())
                    calendar.Properties.push_back(i);
                continue;
            }
            // A component: up to the END that closes it, or the calendar's.
            const size_t first = i;
            int depth = 0;
            for (; i < lines.size(); ++i) {
                if (lines[i].Is("END:VCALENDAR"))
                    break;
                depth += lines[i].Begins() ? 1 : lines[i].Ends() ? -1 : 0;
                if (depth == 0)
                    break;
            }
            if (i == lines.size() || depth != 0) {
                --i; // the END:VCALENDAR (or the end) is read by the loop
                continue;
            }
            if (lines[first].Is("BEGIN:VEVENT"))
                calendar.Events.emplace_back(first, i);
            else if (lines[first].Is("BEGIN:VTIMEZONE"))
                calendar.Zones.emplace_back(first, i);
        }
        if (!closed)
            return false;
        calendars.push_back(std::move(calendar));
    }
    return !calendars.empty();
}

void AppendLine(const Line& line, QByteArray& out)
{
    out.append(line.Text, line.Size);
    out.append("\r\n");
}

// The lines of a component span, without components nested deeper than
// maxDepth and, for an event, without the properties the bar never reads:
// libical then builds only what is used.
void CopyComponent(const std::vector<Line>& lines, std::pair<size_t, size_t> span, int maxDepth, bool eventOnly,
                   QByteArray& out)
{
    int depth = 0;
    bool keep = true;
    for (size_t i = span.first; i <= span.second; ++i) {
        const Line& line = lines[i];
        if (line.Begins()) {
            ++depth;
            keep = depth <= maxDepth;
        } else if (line.Ends()) {
            keep = depth <= maxDepth;
            --depth;
        } else if (!line.Continues) {
            keep = depth <= maxDepth && (!eventOnly || IsWantedEventProperty(line.Text, line.Size));
        }
        if (keep)
            AppendLine(line, out);
    }
}

bool ValidTime(const icaltimetype& t)
{
    if (icaltime_is_null_time(t) || t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1
        || t.day > icaltime_days_in_month(t.month, t.year))
        return false;
    return t.is_date || (t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second <= 60);
}

qint64 WallOf(const icaltimetype& t)
{
    const qint64 day = QDate(t.year, t.month, t.day).toJulianDay() - JulianDayOfEpoch;
    if (t.is_date)
        return day * Day;
    return day * Day + t.hour * 3600 + t.minute * 60 + std::min(t.second, 59);
}

icaltimetype IcalOf(qint64 wall, bool isDate)
{
    const QDate date = DateOfDay(FloorDiv(wall, Day));
    const qint64 seconds = wall - FloorDiv(wall, Day) * Day;
    icaltimetype t = icaltime_null_time();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.is_date = isDate;
    if (!isDate) {
        t.hour = int(seconds / 3600);
        t.minute = int(seconds / 60 % 60);
        t.second = int(seconds % 60);
    }
    return t;
}

QDateTime DateTimeOfWall(qint64 wall, const QTimeZone& zone)
{
    const qint64 seconds = wall - FloorDiv(wall, Day) * Day;
    return QDateTime(DateOfDay(FloorDiv(wall, Day)), QTime(int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60)),
                     zone);
}

// A zone id the system may know: no path tricks, no blanks.
bool PlausibleZoneId(const QByteArray& id)
{
    if (id.isEmpty() || id.size() > 64 || id.contains("..") || id.startsWith('/'))
        return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '_'
            || c == '-' || c == '+' || c == ':';
    });
}

QTimeZone SystemZone(const QByteArray& id)
{
    if (!PlausibleZoneId(id))
        return {};
    QTimeZone zone(id);
    return zone.isValid() ? zone : QTimeZone();
}

// A TZID as the system knows it: an IANA name, a Windows name, or an IANA
// name behind a prefix ("/mozilla.org/20050126_1/America/New_York").
QTimeZone KnownZone(QByteArray tzid)
{
    tzid = tzid.trimmed();
    if (tzid.size() >= 2 && tzid.startsWith('"') && tzid.endsWith('"'))
        tzid = tzid.mid(1, tzid.size() - 2);
    if (const QByteArray iana = IanaIdForWindowsZone(tzid); !iana.isEmpty())
        return SystemZone(iana);
    if (QTimeZone zone = SystemZone(tzid); zone.isValid())
        return zone;
    for (qsizetype slash = tzid.indexOf('/'); slash >= 0; slash = tzid.indexOf('/', slash + 1)) {
        if (QTimeZone zone = SystemZone(tzid.mid(slash + 1)); zone.isValid())
            return zone;
    }
    return {};
}

} // namespace

struct ICalFeed::Data {
    std::vector<Event> Events;
    std::vector<icalrecurrencetype> Rules;
    std::vector<FeedZone> Zones;

    ~Data()
    {
        const std::lock_guard lock(LibicalLock());
        for (FeedZone& zone : Zones)
            if (zone.Ical)
                icaltimezone_free(zone.Ical, 1);
    }
};

namespace {

// Reads the events of one feed into plain data; libical holds one event at
// a time, so its tree never holds the whole feed.
class FeedReader {
public:
    explicit FeedReader(ICalFeed::Data& data) : d(data) {}

    void ReadCalendar(const std::vector<Line>& lines, const CalendarSpans& calendar)
    {
        const std::lock_guard lock(LibicalLock());
        ReadCalendarPart(lines, calendar);
        QByteArray chunk;
        for (const auto& span : calendar.Events) {
            chunk.clear();
            CopyComponent(lines, span, 1, true, chunk);
            icalcomponent* component = icalparser_parse_string(chunk.constData());
            if (component && icalcomponent_isa(component) == ICAL_VEVENT_COMPONENT)
                ReadEvent(component);
            if (component)
                icalcomponent_free(component);
        }
        for (auto& zone : zoneDefinitions)
            icalcomponent_free(zone);
        zoneDefinitions.clear();
    }

    // Of the copies of one event (one UID, and one RECURRENCE-ID for an
    // override) the newest stands; an older one stays in a file that was
    // edited by appending, or in two objects of a CalDAV collection.
    void DropOlderCopies()
    {
        QHash<QString, int> newest;
        for (int i = 0; i < int(d.Events.size()); ++i) {
            Event& e = d.Events[size_t(i)];
            if (e.Uid.isEmpty())
                continue;
            QString key = e.Uid;
            if (e.IsOverride)
                key += QStringLiteral("\n%1 %2").arg(e.RecurrenceId.Wall).arg(e.RecurrenceId.Zone);
            const auto it = newest.find(key);
            if (it == newest.end()) {
                newest.insert(key, i);
                continue;
            }
            Event& other = d.Events[size_t(*it)];
            if (std::tuple(e.Sequence, e.Modified, e.Stamped) >= std::tuple(other.Sequence, other.Modified, other.Stamped)) {
                other.Superseded = true;
                *it = i;
            } else {
                e.Superseded = true;
            }
        }
    }

    // Pairs each override with its series by UID.
    void PairOverrides()
    {
        QHash<QString, int> series;
        for (int i = 0; i < int(d.Events.size()); ++i)
            if (d.Events[i].Recurs() && !d.Events[i].Superseded && !series.contains(d.Events[i].Uid))
                series.insert(d.Events[i].Uid, i);
        for (int i = 0; i < int(d.Events.size()); ++i) {
            if (!d.Events[i].IsOverride || d.Events[i].Superseded)
                continue;
            if (const auto it = series.constFind(d.Events[i].Uid); it != series.constEnd())
                d.Events[*it].Overrides.push_back(i);
        }
    }

private:
    // The calendar's X-WR-TIMEZONE and VTIMEZONEs.
    void ReadCalendarPart(const std::vector<Line>& lines, const CalendarSpans& calendar)
    {
        floating = LocalZone;
        QByteArray text("BEGIN:VCALENDAR\r\n");
        bool wrTimezone = false;
        for (size_t i : calendar.Properties) {
            if (!HasName(lines[i].Text, lines[i].Size, "X-WR-TIMEZONE"))
                continue;
            wrTimezone = true;
            AppendLine(lines[i], text);
            for (size_t j = i + 1; j < lines.size() && lines[j].Continues; ++j)
                AppendLine(lines[j], text);
        }
        for (const auto& span : calendar.Zones)
            CopyComponent(lines, span, 2, false, text);
        if (!wrTimezone && calendar.Zones.empty())
            return;
        text.append("END:VCALENDAR\r\n");
        icalcomponent* root = icalparser_parse_string(text.constData());
        if (!root)
            return;
        icalcomponent* vcalendar = icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT
                                     ? root
                                     : icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
        if (vcalendar) {
            for (icalcomponent* zone = icalcomponent_get_first_component(vcalendar, ICAL_VTIMEZONE_COMPONENT); zone;
                 zone = icalcomponent_get_next_component(vcalendar, ICAL_VTIMEZONE_COMPONENT)) {
                icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
                const char* id = tzid ? icalproperty_get_tzid(tzid) : nullptr;
                if (id && !zoneDefinitions.contains(QByteArray(id)))
                    zoneDefinitions.insert(QByteArray(id), icalcomponent_new_clone(zone));
            }
            for (icalproperty* p = icalcomponent_get_first_property(vcalendar, ICAL_X_PROPERTY); p;
                 p = icalcomponent_get_next_property(vcalendar, ICAL_X_PROPERTY)) {
                const char* name = icalproperty_get_x_name(p);
                const char* value = icalproperty_get_x(p);
                if (name && value && qstricmp(name, "X-WR-TIMEZONE") == 0) {
                    const int zone = Zone(QByteArray(value));
                    floating = zone >= 0 ? zone : LocalZone;
                    break;
                }
            }
        }
        icalcomponent_free(root);
    }

    // The zone slot for a TZID; LocalZone when nothing defines it.
    int Zone(const QByteArray& tzid)
    {
        if (const auto it = zoneIds.constFind(tzid); it != zoneIds.constEnd())
            return *it;
        FeedZone zone;
        zone.Qt = KnownZone(tzid);
        if (!zone.Qt.isValid()) {
            const auto definition = zoneDefinitions.constFind(tzid);
            if (definition == zoneDefinitions.constEnd())
                return LocalZone; // perhaps defined by a later calendar: not remembered
            zone.Ical = icaltimezone_new();
            icalcomponent* copy = icalcomponent_new_clone(*definition);
            if (!icaltimezone_set_component(zone.Ical, copy)) {
                icalcomponent_free(copy);
                icaltimezone_free(zone.Ical, 1);
                zoneIds.insert(tzid, LocalZone);
                return LocalZone;
            }
        }
        d.Zones.push_back(zone);
        const int index = int(d.Zones.size()) - 1;
        zoneIds.insert(tzid, index);
        return index;
    }

    bool ReadStamp(icalproperty* p, const icaltimetype& t, Stamp& out)
    {
        if (!ValidTime(t))
            return false;
        out.IsDate = t.is_date;
        out.Wall = WallOf(t);
        if (t.is_date) {
            out.Zone = LocalZone;
        } else if (icaltime_is_utc(t)) {
            out.Zone = UtcZone;
        } else if (icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
                   tzid && icalparameter_get_tzid(tzid)) {
            const int zone = Zone(QByteArray(icalparameter_get_tzid(tzid)));
            out.Zone = zone == LocalZone ? floating : zone;
        } else {
            out.Zone = floating;
        }
        return true;
    }

    void ReadEvent(icalcomponent* c)
    {
        Event e;
        icalproperty* start = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
        if (!start || !ReadStamp(start, icalproperty_get_dtstart(start), e.Start))
            return;
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DTEND_PROPERTY))
            e.HasEnd = ReadStamp(p, icalproperty_get_dtend(p), e.End);
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DURATION_PROPERTY); p && !e.HasEnd) {
            const icaldurationtype dur = icalproperty_get_duration(p);
            if (!dur.is_neg && !icaldurationtype_is_bad_duration(dur)) {
                e.DurationDays = int(std::min<unsigned>(dur.days + 7 * dur.weeks, 100000));
                e.DurationSeconds = qint64(dur.hours) * 3600 + qint64(dur.minutes) * 60 + dur.seconds;
            }
        }
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_UID_PROPERTY))
            e.Uid = QString::fromUtf8(icalproperty_get_uid(p));
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_SUMMARY_PROPERTY))
            e.Summary = QString::fromUtf8(icalproperty_get_summary(p));
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_STATUS_PROPERTY))
            e.Cancelled = icalproperty_get_status(p) == ICAL_STATUS_CANCELLED;
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) {
            e.IsOverride = ReadStamp(p, icalproperty_get_recurrenceid(p), e.RecurrenceId);
            icalparameter* range = icalproperty_get_first_parameter(p, ICAL_RANGE_PARAMETER);
            e.ThisAndFuture = range && icalparameter_get_range(range) == ICAL_RANGE_THISANDFUTURE;
        }
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_SEQUENCE_PROPERTY))
            e.Sequence = icalproperty_get_sequence(p);
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_LASTMODIFIED_PROPERTY);
            p && ValidTime(icalproperty_get_lastmodified(p)))
            e.Modified = WallOf(icalproperty_get_lastmodified(p));
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DTSTAMP_PROPERTY);
            p && ValidTime(icalproperty_get_dtstamp(p)))
            e.Stamped = WallOf(icalproperty_get_dtstamp(p));
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY)) {
            icalrecurrencetype rule = icalproperty_get_rrule(p);
            rule.rscale = nullptr; // owned by the component; only Gregorian rules are read
            if (rule.freq != ICAL_NO_RECURRENCE) {
                // UNTIL is compared here: libical compares it with the
                // floating wall clock the iterator runs on.
                if (!icaltime_is_null_time(rule.until)) {
                    e.HasUntil = ReadStamp(p, rule.until, e.Until);
                    if (e.HasUntil && !e.Until.IsDate && e.Until.Zone != UtcZone)
                        e.Until.Zone = e.Start.Zone;
                }
                rule.until = icaltime_null_time();
                d.Rules.push_back(rule);
                e.Rule = int(d.Rules.size()) - 1;
            }
        }
        for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
            Stamp s;
            if (ReadStamp(p, icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time, s))
                e.RDates.push_back(s);
        }
        for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_EXDATE_PROPERTY)) {
            Stamp s;
            if (ReadStamp(p, icalproperty_get_exdate(p), s))
                e.ExDates.push_back(s);
        }
        // Google's X-WR-TIMEZONE: a series written in UTC recurs on that
        // zone's wall clock (its meetings stay at 9:00 across a DST change).
        if (e.Recurs() && floating >= 0 && e.Start.Zone == UtcZone && !e.Start.IsDate
            && d.Zones[size_t(floating)].Qt.isValid()) {
            const QDateTime wall = QDateTime::fromSecsSinceEpoch(e.Start.Wall, Qt::UTC)
                                       .toTimeZone(d.Zones[size_t(floating)].Qt);
            e.Start.Wall = (wall.date().toJulianDay() - JulianDayOfEpoch) * Day + wall.time().msecsSinceStartOfDay() / 1000;
            e.Start.Zone = floating;
        }
        d.Events.push_back(std::move(e));
    }

    ICalFeed::Data& d;
    QHash<QByteArray, int> zoneIds;
    QHash<QByteArray, icalcomponent*> zoneDefinitions; // of the calendar being read
    int floating = LocalZone;
};

// Wall clock to UTC for the zones of one feed. Each day's offset is
// remembered: most instances of a window fall on a few hundred days.
class WallClock {
public:
    WallClock(const ICalFeed::Data& data, const QTimeZone& local) : d(data), local(local) {}

    qint64 ToUtc(int zone, qint64 wall)
    {
        if (zone == UtcZone)
            return wall;
        const qint64 day = FloorDiv(wall, Day);
        const quint64 key = (quint64(zone + 2) << 40) ^ quint64(day & 0xFFFFFFFFFF);
        auto it = offsets.find(key);
        if (it == offsets.end()) {
            const qint64 before = day * Day - Exact(zone, day * Day);
            const qint64 after = (day + 1) * Day - Exact(zone, (day + 1) * Day);
            it = offsets.emplace(key, before == after ? before : NoOffset).first;
        }
        return it->second == NoOffset ? Exact(zone, wall) : wall - it->second;
    }

    qint64 ToUtc(const Stamp& s) { return ToUtc(s.Zone, s.Wall); }

private:
    static constexpr qint64 NoOffset = std::numeric_limits<qint64>::min(); // a day with a change

    qint64 Exact(int zone, qint64 wall)
    {
        if (zone == LocalZone)
            return DateTimeOfWall(wall, local).toSecsSinceEpoch();
        const FeedZone& z = d.Zones[size_t(zone)];
        if (z.Qt.isValid())
            return DateTimeOfWall(wall, z.Qt).toSecsSinceEpoch();
        const std::lock_guard lock(LibicalLock());
        return qint64(icaltime_as_timet_with_zone(IcalOf(wall, false), z.Ical));
    }

    const ICalFeed::Data& d;
    const QTimeZone local;
    std::unordered_map<quint64, qint64> offsets;
};

struct Window {
    qint64 From = 0; // instants, end exclusive
    qint64 To = 0;
    qint64 FirstDay = 0; // local dates, end exclusive
    qint64 EndDay = 0;

    bool Overlaps(qint64 start, qint64 end) const { return start < To && (end > From || (end == start && start >= From)); }
    bool OverlapsDays(qint64 first, qint64 end) const { return first < EndDay && end > FirstDay; }
};

// Expands the events of one feed into one window.
class Expander {
public:
    Expander(const ICalFeed::Data& data, const Window& window, const QTimeZone& local)
        : d(data), w(window), clock(data, local)
    {
    }

    void Run(std::vector<EventInstance>& out)
    {
        for (const Event& e : d.Events) {
            if (e.Cancelled || e.Superseded)
                continue;
            if (e.Recurs())
                Series(e, out);
            else
                Single(e, out);
        }
    }

private:
    qint64 LengthDays(const Event& e) const
    {
        qint64 days = e.HasEnd ? e.End.DayIndex() - e.Start.DayIndex() : e.DurationDays;
        return std::max<qint64>(days, 1);
    }

    // The end of an instance that starts at wall (in zone) = startUtc.
    qint64 EndUtc(const Event& e, int zone, qint64 wall, qint64 startUtc, qint64 exactLength)
    {
        if (e.HasEnd)
            return startUtc + exactLength;
        const qint64 end = e.DurationDays ? clock.ToUtc(zone, wall + e.DurationDays * Day) : startUtc;
        return std::max(startUtc, end + e.DurationSeconds);
    }

    qint64 ExactLength(const Event& e)
    {
        if (!e.HasEnd)
            return 0;
        const qint64 start = clock.ToUtc(e.Start);
        const qint64 end = e.End.IsDate ? clock.ToUtc(e.Start.Zone, e.End.Wall) : clock.ToUtc(e.End);
        return std::max<qint64>(0, end - start);
    }

    void EmitDays(const Event& e, qint64 first, qint64 days, std::vector<EventInstance>& out)
    {
        EventInstance instance;
        instance.AllDay = true;
        instance.StartDate = DateOfDay(first);
        instance.EndDate = DateOfDay(first + days);
        instance.Summary = e.Summary;
        instance.Uid = e.Uid;
        instance.Recurring = e.Recurs() || e.IsOverride;
        out.push_back(std::move(instance));
    }

    void EmitTimed(const Event& e, qint64 start, qint64 end, std::vector<EventInstance>& out)
    {
        EventInstance instance;
        instance.Start = QDateTime::fromSecsSinceEpoch(start, Qt::UTC);
        instance.End = QDateTime::fromSecsSinceEpoch(end, Qt::UTC);
        instance.Summary = e.Summary;
        instance.Uid = e.Uid;
        instance.Recurring = e.Recurs() || e.IsOverride;
        out.push_back(std::move(instance));
    }

    void Single(const Event& e, std::vector<EventInstance>& out)
    {
        if (e.Start.IsDate) {
            const qint64 days = LengthDays(e);
            if (w.OverlapsDays(e.Start.DayIndex(), e.Start.DayIndex() + days))
                EmitDays(e, e.Start.DayIndex(), days, out);
            return;
        }
        // Wall clocks lie within a day of their instants: most events of a
        // large feed are dismissed before any conversion.
        const qint64 latestEnd = e.HasEnd ? std::max(e.End.Wall, e.Start.Wall)
                                          : e.Start.Wall + e.DurationDays * Day + e.DurationSeconds;
        if (e.Start.Wall > w.To + ZoneMargin || latestEnd + ZoneMargin < w.From)
            return;
        const qint64 start = clock.ToUtc(e.Start);
        const qint64 end = EndUtc(e, e.Start.Zone, e.Start.Wall, start, ExactLength(e));
        if (w.Overlaps(start, end))
            EmitTimed(e, start, end, out);
    }

    // An instance left out: by EXDATE or replaced by an override. A date
    // matches every instance on that date of the series' own wall clock.
    struct Skips {
        std::vector<qint64> Instants;
        std::vector<qint64> Days;

        void Add(const Stamp& s, bool allDay, WallClock& clock)
        {
            if (allDay || s.IsDate)
                Days.push_back(s.DayIndex());
            else
                Instants.push_back(clock.ToUtc(s));
        }
        bool Has(qint64 instantOrDay, qint64 wallDay, bool allDay) const
        {
            const auto has = [](const std::vector<qint64>& v, qint64 x) { return std::find(v.begin(), v.end(), x) != v.end(); };
            return allDay ? has(Days, instantOrDay) : has(Instants, instantOrDay) || has(Days, wallDay);
        }
    };

    // An instance of a series: its start (instant, or day for an all-day
    // one) and its wall clock in its zone.
    struct Start {
        qint64 Key;
        qint64 Wall;
        int Zone;
    };

    // An override with RANGE=THISANDFUTURE: from its instance on, the
    // series' instances move as it moved and take its length and text.
    struct Edit {
        qint64 From;   // the instance it replaces: an instant, or a day
        qint64 Shift;  // seconds, or days
        qint64 Length; // seconds, or days
        const Event* By;
    };

    std::vector<Edit> Edits(const Event& e)
    {
        std::vector<Edit> edits;
        const bool allDay = e.Start.IsDate;
        const qint64 timeOfDay = e.Start.Wall - e.Start.DayIndex() * Day;
        for (int i : e.Overrides) {
            const Event& o = d.Events[size_t(i)];
            if (!o.ThisAndFuture || o.Start.IsDate != allDay)
                continue;
            if (allDay) {
                const qint64 from = o.RecurrenceId.DayIndex();
                edits.push_back(Edit{from, o.Start.DayIndex() - from, LengthDays(o), &o});
                continue;
            }
            const qint64 from = o.RecurrenceId.IsDate
                                    ? clock.ToUtc(e.Start.Zone, o.RecurrenceId.DayIndex() * Day + timeOfDay)
                                    : clock.ToUtc(o.RecurrenceId);
            const qint64 start = clock.ToUtc(o.Start);
            const qint64 end = EndUtc(o, o.Start.Zone, o.Start.Wall, start, ExactLength(o));
            edits.push_back(Edit{from, start - from, end - start, &o});
        }
        std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.From < b.From; });
        return edits;
    }

    // The latest edit at or before an instance.
    static const Edit* EditAt(const std::vector<Edit>& edits, qint64 key)
    {
        const auto it = std::upper_bound(edits.begin(), edits.end(), key,
                                         [](qint64 k, const Edit& edit) { return k < edit.From; });
        return it == edits.begin() ? nullptr : &*std::prev(it);
    }

    void Series(const Event& e, std::vector<EventInstance>& out)
    {
        const bool allDay = e.Start.IsDate;
        const qint64 days = allDay ? LengthDays(e) : 0;
        const qint64 exact = allDay ? 0 : ExactLength(e);
        const std::vector<Edit> edits = Edits(e);
        // How far the edits move instances, and how long they make them.
        qint64 reach = 0;
        qint64 longest = allDay ? days * Day : exact + e.DurationDays * Day + e.DurationSeconds;
        for (const Edit& edit : edits) {
            reach = std::max(reach, std::abs(edit.Shift) * (allDay ? Day : 1));
            longest = std::max(longest, edit.Length * (allDay ? Day : 1));
        }
        Skips skips;
        for (const Stamp& s : e.ExDates)
            skips.Add(s, allDay, clock);
        for (int i : e.Overrides)
            skips.Add(d.Events[size_t(i)].RecurrenceId, allDay, clock);
        const qint64 untilUtc = e.HasUntil && !e.Until.IsDate ? clock.ToUtc(e.Until) : 0;

        std::vector<Start> starts;
        // Adds the instance at wall when it is in the window; false once a
        // rule's UNTIL is passed.
        const auto consider = [&](int zone, qint64 wall, bool fromRule) {
            const qint64 day = FloorDiv(wall, Day);
            if (fromRule && e.HasUntil && e.Until.IsDate && day > e.Until.DayIndex())
                return false;
            if (allDay) {
                const Edit* edit = EditAt(edits, day);
                if (skips.Has(day, day, true) || (edit && edit->By->Cancelled))
                    return true;
                const qint64 first = edit ? day + edit->Shift : day;
                if (w.OverlapsDays(first, first + (edit ? edit->Length : days)))
                    starts.push_back(Start{day, wall, zone});
                return true;
            }
            const qint64 start = clock.ToUtc(zone, wall);
            if (fromRule && e.HasUntil && !e.Until.IsDate && start > untilUtc)
                return false;
            const Edit* edit = EditAt(edits, start);
            if (skips.Has(start, day, false) || (edit && edit->By->Cancelled))
                return true;
            const qint64 from = edit ? start + edit->Shift : start;
            if (w.Overlaps(from, edit ? from + edit->Length : EndUtc(e, zone, wall, start, exact)))
                starts.push_back(Start{start, wall, zone});
            return true;
        };

        consider(e.Start.Zone, e.Start.Wall, false);
        const qint64 timeOfDay = e.Start.Wall - e.Start.DayIndex() * Day;
        for (const Stamp& s : e.RDates) {
            if (allDay || s.IsDate)
                consider(e.Start.Zone, s.DayIndex() * Day + (allDay ? 0 : timeOfDay), false);
            else
                consider(s.Zone, s.Wall, false);
        }
        if (e.Rule >= 0)
            RuleInstances(e, longest, reach, consider, starts);

        std::sort(starts.begin(), starts.end(), [](const Start& a, const Start& b) { return a.Key < b.Key; });
        starts.erase(std::unique(starts.begin(), starts.end(), [](const Start& a, const Start& b) { return a.Key == b.Key; }),
                     starts.end());
        if (starts.size() > size_t(MaxInstancesPerSeries))
            starts.resize(size_t(MaxInstancesPerSeries));
        for (const Start& s : starts) {
            const Edit* edit = EditAt(edits, s.Key);
            if (edit && allDay)
                EmitDays(*edit->By, s.Key + edit->Shift, edit->Length, out);
            else if (edit)
                EmitTimed(*edit->By, s.Key + edit->Shift, s.Key + edit->Shift + edit->Length, out);
            else if (allDay)
                EmitDays(e, s.Key, days, out);
            else
                EmitTimed(e, s.Key, EndUtc(e, s.Zone, s.Wall, s.Key, exact), out);
        }
    }

    template<typename Consider>
    void RuleInstances(const Event& e, qint64 longest, qint64 reach, const Consider& consider,
                       const std::vector<Start>& starts)
    {
        icalrecurrencetype rule = d.Rules[size_t(e.Rule)];
        // Walls from lo to hi may give instances in the window (reach: as
        // far as an edit moves them).
        const qint64 lo = (e.Start.IsDate ? w.FirstDay * Day : w.From) - longest - ZoneMargin - reach;
        const qint64 hi = (e.Start.IsDate ? w.EndDay * Day : w.To) + ZoneMargin + reach;
        const qint64 first = rule.count > 0 ? e.Start.Wall : SkipAhead(rule, e.Start.Wall, lo);

        const std::lock_guard lock(LibicalLock());
        icalrecur_iterator* it = icalrecur_iterator_new(rule, IcalOf(first, e.Start.IsDate));
        if (!it)
            return;
        for (int step = 0; step < MaxRuleSteps && starts.size() <= size_t(MaxInstancesPerSeries); ++step) {
            const icaltimetype t = icalrecur_iterator_next(it);
            if (icaltime_is_null_time(t) || !ValidTime(t))
                break;
            const qint64 wall = WallOf(t);
            if (wall > hi)
                break;
            if (wall < lo || wall < e.Start.Wall)
                continue;
            if (!consider(e.Start.Zone, wall, true))
                break;
        }
        icalrecur_iterator_free(it);
    }

    // A later start for a rule without COUNT: whole periods of the rule
    // after its DTSTART and at least one before lo, so that the instances
    // from lo on are the rule's own. Rules whose days hang on DTSTART's day
    // in a way a move could change start where they are.
    static qint64 SkipAhead(const icalrecurrencetype& rule, qint64 start, qint64 lo)
    {
        if (lo <= start)
            return start;
        const qint64 interval = std::max<qint64>(rule.interval, 1);
        const auto hasBy = [](const short* values) { return values[0] != ICAL_RECURRENCE_ARRAY_MAX; };
        qint64 period = 0;
        switch (rule.freq) {
        case ICAL_SECONDLY_RECURRENCE: period = 1; break;
        case ICAL_MINUTELY_RECURRENCE: period = 60; break;
        case ICAL_HOURLY_RECURRENCE: period = 3600; break;
        case ICAL_DAILY_RECURRENCE: period = Day; break;
        case ICAL_WEEKLY_RECURRENCE: period = 7 * Day; break;
        default: break;
        }
        if (period) {
            const qint64 k = (lo - start) / (period * interval) - 1;
            return k > 0 ? start + k * period * interval : start;
        }
        const QDate startDate = DateOfDay(FloorDiv(start, Day));
        const QDate loDate = DateOfDay(FloorDiv(lo, Day));
        const qint64 timeOfDay = start - FloorDiv(start, Day) * Day;
        const bool daysFromRule = hasBy(rule.by_month_day) || hasBy(rule.by_day) || hasBy(rule.by_year_day)
                               || hasBy(rule.by_week_no);
        QDate moved;
        // A day the move could change is kept only when the rule names
        // its days itself.
        if (rule.freq == ICAL_MONTHLY_RECURRENCE && (startDate.day() <= 28 || daysFromRule)) {
            const qint64 months = (loDate.year() - startDate.year()) * 12 + loDate.month() - startDate.month();
            const qint64 k = months / interval - 1;
            if (k > 0)
                moved = QDate(startDate.year(), startDate.month(), startDate.day() <= 28 ? startDate.day() : 1)
                            .addMonths(int(k * interval));
        } else if (rule.freq == ICAL_YEARLY_RECURRENCE) {
            const bool leapDay = startDate.month() == 2 && startDate.day() == 29;
            const qint64 k = (loDate.year() - startDate.year()) / interval - 1;
            if (k > 0 && (!leapDay || daysFromRule))
                moved = QDate(startDate.year(), startDate.month(), leapDay ? 28 : startDate.day()).addYears(int(k * interval));
        }
        if (!moved.isValid())
            return start;
        return (moved.toJulianDay() - JulianDayOfEpoch) * Day + timeOfDay;
    }

    const ICalFeed::Data& d;
    const Window w;
    WallClock clock;
};

} // namespace

ICalFeed::ICalFeed(std::unique_ptr<Data> data) : d(std::move(data)) {}
ICalFeed::~ICalFeed() = default;

std::shared_ptr<const ICalFeed> ICalFeed::Parse(const QByteArray& text, QString* error)
{
    const auto fail = [&] {
        if (error)
            *error = QStringLiteral("iCalendar として読めません");
        return std::shared_ptr<const ICalFeed>();
    };
    // Binary data is no calendar, whatever it holds.
    if (text.contains('\0'))
        return fail();
    const std::vector<Line> lines = SplitLines(text);
    std::vector<CalendarSpans> calendars;
    if (!FindCalendars(lines, calendars))
        return fail();

    auto data = std::make_unique<Data>();
    {
        static std::once_flag quiet;
        std::call_once(quiet, [] {
            const std::lock_guard lock(LibicalLock());
            icalerror_set_errors_are_fatal(0);
        });
    }
    size_t events = 0;
    for (const CalendarSpans& calendar : calendars)
        events += calendar.Events.size();
    data->Events.reserve(events);
    FeedReader reader(*data);
    for (const CalendarSpans& calendar : calendars)
        reader.ReadCalendar(lines, calendar);
    reader.DropOlderCopies();
    reader.PairOverrides();
    return std::shared_ptr<const ICalFeed>(new ICalFeed(std::move(data)));
}

std::vector<EventInstance> ICalFeed::Expand(const QDateTime& from, const QDateTime& to, const QTimeZone& local) const
{
    std::vector<EventInstance> out;
    if (!from.isValid() || !to.isValid() || to <= from)
        return out;
    Window w;
    w.From = from.toSecsSinceEpoch();
    w.To = to.toSecsSinceEpoch();
    w.FirstDay = from.toTimeZone(local).date().toJulianDay() - JulianDayOfEpoch;
    w.EndDay = to.addMSecs(-1).toTimeZone(local).date().toJulianDay() - JulianDayOfEpoch + 1;
    Expander(*d, w, local).Run(out);
    return out;
}

qsizetype ICalFeed::EventCount() const
{
    return qsizetype(d->Events.size());
}
