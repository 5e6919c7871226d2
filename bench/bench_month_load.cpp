// Loading the lists of one redraw from the largest realistic data folder.
#include "benchdata.h"
#include "monthmodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
    QList<double> samples;
    qsizetype entries = 0;
    for (int i = 0; i < Warmup + Runs; ++i) {
        MonthData lists;
        QElapsedTimer timer;
        timer.start();
        LoadMonthData(dir.path(), lists, month);
        const double us = double(timer.nsecsElapsed()) / 1000.0;
        if (i >= Warmup)
            samples.append(us);
        entries = lists.HolidayKeys.size() + lists.DayOffKeys.size() + lists.ScheduleKeys.size();
    }
    out << "entries loaded per run: " << entries << "\n";
    out << "runs: " << Runs << "\n";
    out << "month_load_median_us: " << qRound(Median(samples)) << "\n";
    return 0;
}
