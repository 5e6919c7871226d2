#include "calendarmarks.h"

#include <QPainter>
#include <QtMath>
#include <algorithm>

namespace {

// The mark's place in a day cell (x + 1 .. x + 14, 17 .. 31): clear of the
// raised frame's columns x and x + 12 and its bottom row 31, and below the
// day number's ink, which ends by row 28.
constexpr int MarkLeftInset = 1;  // from the cell's Left
constexpr int MarkWidth = 10;
constexpr int MarkTop = 29;
constexpr int MarkHeight = 2;

// Line breaks in a summary would make lines the pop-up does not count.
QString OneLine(const QString& text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

bool Shown(const QList<CalendarStatus>& calendars, int index)
{
    return index >= 0 && index < calendars.size() && calendars[index].Entry.Shown;
}

} // namespace

QString DayEventLine(const DayEvent& event, const QString& calendarName)
{
    QString line;
    if (event.AllDay()) {
        line = QStringLiteral("終日");
    } else {
        line = MinuteText(event.StartMinute);
        if (event.EndMinute > event.StartMinute)
            line += u'–' + MinuteText(event.EndMinute);
    }
    line += u' ' + OneLine(event.Summary);
    if (!calendarName.isEmpty())
        line += QStringLiteral(" (") + calendarName + u')';
    return line;
}

QStringList DayEventLines(QList<DayEvent> events, const QList<CalendarStatus>& calendars)
{
    const bool named = std::count_if(calendars.begin(), calendars.end(),
                                     [](const CalendarStatus& c) { return c.Entry.Shown; }) > 1;
    std::stable_sort(events.begin(), events.end(), DayEventBefore);
    QStringList lines;
    for (const DayEvent& event : events) {
        if (Shown(calendars, event.Calendar))
            lines.append(DayEventLine(event, named ? calendars[event.Calendar].Entry.Name : QString()));
    }
    return lines;
}

QList<DayCalendarMarks> StripCalendarMarks(CalendarStore* store, QDate first, int count)
{
    QList<DayCalendarMarks> marks(std::max(count, 0));
    if (!store || count <= 0)
        return marks;
    const QList<CalendarStatus> calendars = store->Calendars();
    if (calendars.isEmpty())
        return marks;
    const QList<DayEvent> events = store->EventsBetween(first, first.addDays(count - 1));

    QList<QList<DayEvent>> days(count);
    for (const DayEvent& event : events) {
        const qint64 day = first.daysTo(event.Date);
        if (day >= 0 && day < count && Shown(calendars, event.Calendar))
            days[day].append(event);
    }
    static const QColor fallback = QColor::fromString(CalendarEntry().Color);
    QList<QColor> colors;
    colors.reserve(calendars.size());
    for (const CalendarStatus& calendar : calendars) {
        const QColor color = QColor::fromString(calendar.Entry.Color);
        colors.append(color.isValid() ? color : fallback);
    }
    QList<bool> seen(calendars.size());
    for (int day = 0; day < count; ++day) {
        if (days[day].isEmpty())
            continue;
        std::fill(seen.begin(), seen.end(), false);
        for (const DayEvent& event : days[day])
            seen[event.Calendar] = true;
        for (int c = 0; c < calendars.size() && marks[day].Colors.size() < MaxMarkColors; ++c) {
            if (seen[c])
                marks[day].Colors.append(colors[c]);
        }
        marks[day].Lines = DayEventLines(std::move(days[day]), calendars);
    }
    return marks;
}

void DrawCalendarMarks(QPainter& painter, const CellRec& dayCell, const QList<QColor>& colors)
{
    if (colors.isEmpty())
        return;
    // Split on whole device pixels, so that every colour keeps sharp edges at
    // any scale.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    const int left = qRound((dayCell.Left + MarkLeftInset) * ratio);
    const int width = qRound(MarkWidth * ratio);
    const int n = int(std::min<qsizetype>(colors.size(), MaxMarkColors));
    for (int i = 0; i < n; ++i) {
        const int from = left + width * i / n;
        const int to = left + width * (i + 1) / n;
        painter.fillRect(QRectF(from / ratio, MarkTop, (to - from) / ratio, MarkHeight), colors[i]);
    }
}
