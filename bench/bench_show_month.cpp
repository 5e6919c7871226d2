// One redraw of the bar on the largest realistic data folder: loading the
// month's lists, marking every day and painting both layers, as TForm1's
// ShowMonth does it (the window's own repaint follows later, from Qt).
// With the argument "calendars", three calendars put 1,000 events on the
// strip; with "--neighbouring" the strip holds 60 days.
#include "benchdata.h"
#include "calendarstore.h"
#include "clock.h"
#include "tform1.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

namespace {

// Three calendars with 1,000 events spread over the days asked for, one in
// ten all-day, as a store hands them out.
class BenchCalendars : public CalendarStore {
public:
    QList<CalendarStatus> Calendars() const override
    {
        QList<CalendarStatus> calendars;
        const char* colors[] = {"#d50000", "#0b8043", "#3f51b5"};
        for (int i = 0; i < 3; ++i) {
            CalendarStatus status;
            status.Entry.Section = QStringLiteral("Calendar%1").arg(i + 1);
            status.Entry.Name = QStringLiteral("予定表%1").arg(i + 1);
            status.Entry.Color = QLatin1String(colors[i]);
            status.HasCopy = true;
            calendars.append(status);
        }
        return calendars;
    }

    QList<DayEvent> EventsBetween(QDate from, QDate to) override
    {
        const int days = int(from.daysTo(to)) + 1;
        QList<DayEvent> events;
        for (int i = 0; i < 1000; ++i) {
            DayEvent event;
            event.Date = from.addDays(i % days);
            if (i % 10 != 0) {
                event.StartMinute = (8 * 60 + (i % 20) * 30) % 1440;
                event.EndMinute = std::min(event.StartMinute + 60, 1440);
            }
            event.Summary = QStringLiteral("打ち合わせ 第%1回").arg(i);
            event.Calendar = i % 3;
            events.append(event);
        }
        std::sort(events.begin(), events.end(), DayEventBefore);
        return events;
    }

    void RefreshAll() override {}
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        out << "cannot create a temporary directory\n";
        return 1;
    }
    const QDate month(2024, 7, 1);
    WriteLargestMonthData(dir.path(), month);
    // Today inside the strip, so that the picture is drawn too.
    Clock::SetSourceForTesting([month] { return QDateTime(month.addDays(14), QTime(12, 0)); });
    // The bar takes its data folder from the working directory.
    const QString home = QDir::currentPath();
    QDir::setCurrent(dir.path());

    TForm1 bar;
    const QStringList arguments = app.arguments();
    bar.Settings.ShowFRDate = arguments.contains(QStringLiteral("--neighbouring")) ? 1 : 0;
    const bool calendars = arguments.contains(QStringLiteral("calendars"));
    BenchCalendars store;
    if (calendars)
        bar.Calendars = &store;
    const QDateTime shown(month.addDays(9), QTime(12, 0));

    constexpr int Warmup = 20;
    constexpr int Runs = 300;
    const QList<double> samples = TimeRunsMicroseconds(Warmup, Runs, [&] { bar.ShowMonth(false, shown); });
    QDir::setCurrent(home);
    out << "days drawn per run: " << bar.Cells.DayCount << "\n";
    out << "runs: " << Runs << "\n";
    out << (calendars ? "show_month_calendars_median_us: " : "show_month_median_us: ") << qRound(Median(samples))
        << "\n";
    return 0;
}
