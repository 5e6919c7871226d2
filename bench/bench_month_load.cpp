// Loading the lists of one redraw from the largest realistic data folder.
// With the argument "national", Japan's national holidays are added too.
#include "benchdata.h"
#include "monthmodel.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const bool national = app.arguments().contains(QStringLiteral("national"));

    QTemporaryDir dir;
    if (!dir.isValid()) {
        out << "cannot create a temporary directory\n";
        return 1;
    }
    const QDate month(2024, 7, 1);
    WriteLargestMonthData(dir.path(), month);

    constexpr int Warmup = 20;
    constexpr int Runs = 500;
    qsizetype entries = 0;
    const QList<double> samples = TimeRunsMicroseconds(Warmup, Runs, [&] {
        MonthData lists;
        LoadMonthData(dir.path(), lists, month, national);
        entries = lists.HolidayKeys.size() + lists.DayOffKeys.size() + lists.ScheduleKeys.size()
                  + lists.NationalKeys.size();
    });
    out << "entries loaded per run: " << entries << "\n";
    out << "runs: " << Runs << "\n";
    out << (national ? "month_load_national_median_us: " : "month_load_median_us: ") << qRound(Median(samples)) << "\n";
    return 0;
}
