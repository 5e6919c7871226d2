// Reading a large calendar feed: a 5 MB feed of 10,000 events, 500 of them
// recurring series (some with exceptions and moved instances), parsed,
// expanded into the strip's window of about 60 days and indexed by day.
// Also prints how much more memory the process held at its peak than before.
#include "benchdata.h"
#include "calendarevents.h"
#include "icalfeed.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <ctime>

namespace {

constexpr int Events = 10000;
constexpr int Series = 500;

QByteArray Stamp(QDate date, int minutes)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1() + 'T'
         + QByteArray::number(100 + minutes / 60).right(2) + QByteArray::number(100 + minutes % 60).right(2) + "00";
}

// About 500 bytes an event, as real exports are: descriptions, locations
// and the properties the bar does not read.
QByteArray LargeFeed()
{
    QByteArray f("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Murvane bench//EN\r\nX-WR-CALNAME:Bench\r\n");
    const QDate first(2024, 1, 1);
    int written = 0;
    for (int i = 0; written < Events; ++i) {
        const bool recurring = i < Series;
        const QDate date = recurring ? first.addDays(i % 400) : first.addDays((i * 7919) % 730);
        const int minutes = 8 * 60 + (i % 20) * 30;
        const QByteArray uid = "bench-" + QByteArray::number(i) + "@example.com";
        const QByteArray zone = i % 10 == 0 ? "America/New_York" : "Asia/Tokyo";
        const auto event = [&](const QByteArray& extra, QDate day, int startMinutes) {
            f += "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20240101T000000Z\r\n";
            if (i % 25 == 7 && !recurring) {
                f += "DTSTART;VALUE=DATE:" + Stamp(day, 0).left(8) + "\r\nDTEND;VALUE=DATE:"
                   + Stamp(day.addDays(2), 0).left(8) + "\r\n";
            } else {
                f += "DTSTART;TZID=" + zone + ':' + Stamp(day, startMinutes) + "\r\nDTEND;TZID=" + zone + ':'
                   + Stamp(day, startMinutes + 60) + "\r\n";
            }
            f += "SUMMARY:会議 " + QByteArray::number(i) + " 週次の打ち合わせ\r\n";
            f += "DESCRIPTION:議題: 進捗の確認\\n資料: https://example.com/docs/" + QByteArray::number(i)
               + "\\n参加者は事前に資料を読んでおくこと。\r\n Please read the documents before the meeting.\r\n";
            f += "LOCATION:本社 3F 第2会議室\r\nLAST-MODIFIED:20231202T000000Z\r\n"
                 "SEQUENCE:0\r\nSTATUS:CONFIRMED\r\nTRANSP:OPAQUE\r\n";
            f += extra;
            if (i % 4 == 0)
                f += "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER:-PT10M\r\nEND:VALARM\r\n";
            f += "END:VEVENT\r\n";
            ++written;
        };
        if (!recurring) {
            event({}, date, minutes);
            continue;
        }
        static const char* const rules[] = {"FREQ=WEEKLY;BYDAY=MO,WE", "FREQ=DAILY;INTERVAL=2",
                                            "FREQ=MONTHLY;BYDAY=-1FR", "FREQ=WEEKLY;INTERVAL=2;COUNT=60",
                                            "FREQ=DAILY;UNTIL=20261231T000000Z"};
        const QDate moved = date.addDays(7 * (i % 30));
        event("RRULE:" + QByteArray(rules[i % 5]) + "\r\nEXDATE;TZID=" + zone + ':' + Stamp(date.addDays(14), minutes)
                  + "\r\n",
              date, minutes);
        // A moved instance of every other series.
        if (i % 2 == 0)
            event("RECURRENCE-ID;TZID=" + zone + ':' + Stamp(moved, minutes) + "\r\n", moved.addDays(1), minutes + 60);
    }
    f += "END:VCALENDAR\r\n";
    return f;
}

qint64 StatusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QByteArray text = LargeFeed();
    const QTimeZone local("Asia/Tokyo");
    const QDate firstDay(2025, 5, 28);
    const QDate lastDay = firstDay.addDays(59);
    const QDateTime from(firstDay, QTime(0, 0), local);
    const QDateTime to(lastDay.addDays(1), QTime(0, 0), local);

    qsizetype events = 0;
    qsizetype instances = 0;
    qsizetype days = 0;
    const auto run = [&] {
        const auto feed = ICalFeed::Parse(text);
        const std::vector<EventInstance> expanded = feed->Expand(from, to, local);
        QList<DayEvent> index;
        for (const EventInstance& instance : expanded)
            AppendDayEvents(instance, local, 0, firstDay, lastDay, index);
        std::sort(index.begin(), index.end(), DayEventBefore);
        events = feed->EventCount();
        instances = qsizetype(expanded.size());
        days = index.size();
    };

    // The peak over one run, against what the process held before it.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    const bool peakKnown = clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
    clearRefs.close();
    const qint64 before = StatusKilobytes("VmRSS:");
    run();
    const qint64 peak = StatusKilobytes("VmHWM:");

    // The processor time too: on a shared machine the elapsed time also
    // counts the other processes.
    constexpr int Warmup = 2;
    constexpr int Runs = 11;
    QList<double> cpuSamples;
    const QList<double> samples = TimeRunsMicroseconds(Warmup, Runs, [&] {
        const std::clock_t start = std::clock();
        run();
        cpuSamples.append(double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
    });
    cpuSamples = cpuSamples.mid(Warmup);
    out << "feed: " << text.size() / 1024 << " KiB, " << events << " events, " << instances
        << " instances in the window, " << days << " day entries\n";
    out << "runs: " << Runs << "\n";
    if (peakKnown && before > 0 && peak > 0)
        out << "icalfeed_peak_extra_mb: " << QString::number(double(peak - before) / 1024.0, 'f', 1) << "\n";
    else
        out << "icalfeed_peak_extra_mb: unknown (no /proc/self/clear_refs)\n";
    out << "icalfeed_parse_expand_cpu_median_ms: " << QString::number(Median(cpuSamples), 'f', 1) << "\n";
    out << "icalfeed_parse_expand_median_ms: " << QString::number(Median(samples) / 1000.0, 'f', 1) << "\n";
    return 0;
}
