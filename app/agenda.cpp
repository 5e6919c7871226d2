#include "agenda.h"

#include "console.h"

#include "caldavsource.h"
#include "calendarrules.h"
#include "feedstore.h"
#include "holidayfiles.h"
#include "nationalholidays.h"
#include "passwords.h"
#include "schedulefiles.h"
#include "settingsfile.h"
#include "tinifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <tuple>

namespace {

constexpr int RefreshLimitMs = 120 * 1000;

QString OneLine(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    t.replace(u'\t', u' ');
    return t.replace(u'\n', QStringLiteral("\\n"));
}

void AddNamedDays(const QString& dataDir, QDate from, QDate to, QList<AgendaItem>& items)
{
    const QString section = QString::fromUtf16(HolidaySection);
    const QList<TIniFile::KeyValue> named = ReadEntries(HolidayFilePath(dataDir), section);
    if (named.isEmpty())
        return;
    QStringList daysOff;
    TIniFile(DayOffFilePath(dataDir)).ListKeys(section, daysOff);
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        const QString key = FormatMMDD(day);
        // The first line of a key counts, as on the bar.
        const auto entry = std::find_if(named.begin(), named.end(), [&](const auto& kv) { return kv.first == key; });
        if (entry == named.end())
            continue;
        const auto kind = daysOff.contains(key) ? AgendaItem::Kind::DayOff : AgendaItem::Kind::Holiday;
        items.append(AgendaItem{day, -1, -1, kind, QString(), entry->second});
    }
}

void AddNotes(const QString& dataDir, QDate from, QDate to, QList<AgendaItem>& items)
{
    for (QDate month(from.year(), from.month(), 1); month <= to; month = month.addMonths(1)) {
        QStringList keys;
        QStringList texts;
        ReadScheduleForBar(ScheduleFilePath(dataDir, month), keys, texts);
        QStringList seen;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (seen.contains(keys[i]))
                continue;
            seen.append(keys[i]);
            const QDate day(month.year(), keys[i].left(2).toInt(), keys[i].mid(2).toInt());
            if (keys[i].size() != 4 || !day.isValid() || day.month() != month.month() || day < from || day > to)
                continue;
            items.append(AgendaItem{day, -1, -1, AgendaItem::Kind::Note, QString(),
                                    SplitScheduleText(texts[i]).join(u'\n')});
        }
    }
}

bool NationalHolidaysOn(const QString& dataDir)
{
    return TIniFile(SettingsFilePath(dataDir)).ReadNumber(QStringLiteral("その他"), QStringLiteral("NationalHolidays"), 0)
           == 1;
}

void Fail(const QString& message)
{
    Console::Write(stderr, QStringLiteral("murvane: %1\n").arg(message));
}

} // namespace

QList<AgendaItem> AgendaItems(const QString& dataDir, QDate from, QDate to, bool nationalHolidays,
                              const QList<CalendarStatus>& calendars, const QList<DayEvent>& events)
{
    QList<AgendaItem> items;
    AddNotes(dataDir, from, to, items);
    AddNamedDays(dataDir, from, to, items);
    if (nationalHolidays) {
        for (int year = from.year(); year <= to.year(); ++year) {
            for (const NationalHoliday& holiday : NationalHolidays(year)) {
                if (holiday.Date >= from && holiday.Date <= to)
                    items.append(AgendaItem{holiday.Date, -1, -1, AgendaItem::Kind::National, QString(), holiday.Name});
            }
        }
    }
    for (const DayEvent& event : events) {
        if (event.Date < from || event.Date > to)
            continue;
        const QString name = event.Calendar >= 0 && event.Calendar < calendars.size()
                                 ? calendars[event.Calendar].Entry.Name
                                 : QString();
        items.append(AgendaItem{event.Date, event.StartMinute, event.EndMinute, AgendaItem::Kind::Event, name,
                                event.Summary});
    }
    // Events come in their day order already; a stable sort keeps it.
    std::stable_sort(items.begin(), items.end(), [](const AgendaItem& a, const AgendaItem& b) {
        return std::tuple(a.Date, a.StartMinute, int(a.Type)) < std::tuple(b.Date, b.StartMinute, int(b.Type));
    });
    return items;
}

QString AgendaLine(const AgendaItem& item)
{
    static const char* const kinds[] = {"note", "holiday", "dayoff", "national", "event"};
    const bool timed = item.StartMinute >= 0;
    return QStringList{item.Date.toString(QStringLiteral("yyyy-MM-dd")),
                       timed ? MinuteText(item.StartMinute) : QString(),
                       timed ? MinuteText(item.EndMinute) : QString(),
                       QString::fromLatin1(kinds[int(item.Type)]),
                       OneLine(item.Calendar),
                       OneLine(item.Text)}
        .join(u'\t');
}

int RunAgenda(const CommandLine& line, int& argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The cache folder is the bar's.
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    const QString dataDir = QDir(line.DataDir.isEmpty() ? QDir::currentPath() : line.DataDir).absolutePath();
    if (!QFileInfo(dataDir).isDir()) {
        Fail(QStringLiteral("no such folder: %1").arg(QDir::toNativeSeparators(dataDir)));
        return 2;
    }
    // Relative Source= paths are read from the data folder, as the bar does.
    QDir::setCurrent(dataDir);

    QNetworkAccessManager network;
    Passwords passwords;
    FeedStore store(dataDir);
    store.SetSourceFactory([&](const CalendarEntry& entry) { return MakeCalendarSource(entry, network, passwords); });
    int failed = 0;
    if (line.Refresh) {
        store.Start();
        store.RefreshAll();
        QEventLoop loop;
        QTimer limit;
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&store, &CalendarStore::Changed, &loop, [&] {
            if (!store.Busy())
                loop.quit();
        });
        limit.start(RefreshLimitMs);
        if (store.Busy())
            loop.exec();
        for (const CalendarStatus& status : store.Calendars())
            failed += status.Error.isEmpty() && !status.Updating ? 0 : 1;
    }
    const QList<DayEvent> events = store.EventsFromCache(line.From, line.To);
    const QList<AgendaItem> items
        = AgendaItems(dataDir, line.From, line.To, NationalHolidaysOn(dataDir), store.Calendars(), events);
    QString out;
    for (const AgendaItem& item : items)
        out += AgendaLine(item) + u'\n';
    if (!Console::Write(stdout, out)) {
        Fail(QStringLiteral("cannot write the agenda"));
        return 1;
    }
    if (failed > 0) {
        Fail(QStringLiteral("%1 calendar(s) could not be refreshed; their cached copies were shown").arg(failed));
        return 4;
    }
    return 0;
}
