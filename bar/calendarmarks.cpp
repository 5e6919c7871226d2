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

qsizetype ShownCount(const QList<CalendarStatus>& calendars)
{
    return std::count_if(calendars.begin(), calendars.end(), [](const CalendarStatus& c) { return c.Entry.Shown; });
}

// "HH:MM", as MinuteText writes it, without a temporary string.
void AppendMinute(QString& line, int minute)
{
    minute = std::clamp(minute, 0, 24 * 60);
    const int hours = minute / 60;
    const int minutes = minute % 60;
    line += QChar(u'0' + hours / 10);
    line += QChar(u'0' + hours % 10);
    line += u':';
    line += QChar(u'0' + minutes / 10);
    line += QChar(u'0' + minutes % 10);
}

} // namespace

QString DayEventLine(const DayEvent& event, const QString& calendarName)
{
    // Built in one buffer: a redraw makes a line for every event of the strip.
    const QString summary = OneLine(event.Summary);
    QString line;
    line.reserve(12 + summary.size() + calendarName.size() + 3);
    if (event.AllDay()) {
        line += QStringLiteral("終日");
    } else {
        AppendMinute(line, event.StartMinute);
        if (event.EndMinute > event.StartMinute) {
            line += u'–';
            AppendMinute(line, event.EndMinute);
        }
    }
    line += u' ';
    line += summary;
    if (!calendarName.isEmpty()) {
        line += QStringLiteral(" (");
        line += calendarName;
        line += u')';
    }
    return line;
}

QStringList DayEventLines(QList<DayEvent> events, const QList<CalendarStatus>& calendars)
{
    if (!std::is_sorted(events.cbegin(), events.cend(), DayEventBefore))
        std::stable_sort(events.begin(), events.end(), DayEventBefore);
    const bool named = ShownCount(calendars) > 1;
    QStringList lines;
    for (const DayEvent& event : std::as_const(events)) {
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
    if (ShownCount(calendars) == 0)
        return marks;
    QList<DayEvent> events = store->EventsBetween(first, first.addDays(count - 1));
    if (!std::is_sorted(events.cbegin(), events.cend(), DayEventBefore))
        std::stable_sort(events.begin(), events.end(), DayEventBefore);

    static const QColor fallback = QColor::fromString(CalendarEntry().Color);
    QList<QColor> colors;
    QStringList names;
    const bool named = ShownCount(calendars) > 1;
    for (const CalendarStatus& calendar : calendars) {
        const QColor color = QColor::fromString(calendar.Entry.Color);
        colors.append(color.isValid() ? color : fallback);
        names.append(named ? calendar.Entry.Name : QString());
    }
    // Which calendars have events on each day, as bits in calendar order.
    QList<quint64> seen(count);
    for (const DayEvent& event : std::as_const(events)) {
        const qint64 day = first.daysTo(event.Date);
        if (day < 0 || day >= count || !Shown(calendars, event.Calendar))
            continue;
        if (event.Calendar < 64)
            seen[day] |= quint64(1) << event.Calendar;
        marks[day].Lines.append(DayEventLine(event, names[event.Calendar]));
    }
    for (int day = 0; day < count; ++day) {
        for (int c = 0; c < 64 && (seen[day] >> c) != 0 && marks[day].Colors.size() < MaxMarkColors; ++c) {
            if (seen[day] & (quint64(1) << c))
                marks[day].Colors.append(colors[c]);
        }
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
