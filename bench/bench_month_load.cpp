// Loading the lists of one redraw from the largest realistic data folder.
#include "benchdata.h"
#include "monthmodel.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

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
        LoadMonthData(dir.path(), lists, month);
        entries = lists.HolidayKeys.size() + lists.DayOffKeys.size() + lists.ScheduleKeys.size();
    });
    out << "entries loaded per run: " << entries << "\n";
    out << "runs: " << Runs << "\n";
    out << "month_load_median_us: " << qRound(Median(samples)) << "\n";
    return 0;
}
