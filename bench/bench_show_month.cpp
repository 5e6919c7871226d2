// One redraw of the bar on the largest realistic data folder: loading the
// month's lists, marking every day and painting both layers, as TForm1's
// ShowMonth does it (the window's own repaint follows later, from Qt).
#include "benchdata.h"
#include "clock.h"
#include "tform1.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

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
    bar.Settings.ShowFRDate = argc > 1 && QByteArray(argv[1]) == "--neighbouring" ? 1 : 0;
    const QDateTime shown(month.addDays(9), QTime(12, 0));

    constexpr int Warmup = 20;
    constexpr int Runs = 300;
    const QList<double> samples = TimeRunsMicroseconds(Warmup, Runs, [&] { bar.ShowMonth(false, shown); });
    QDir::setCurrent(home);
    out << "days drawn per run: " << bar.Cells.DayCount << "\n";
    out << "runs: " << Runs << "\n";
    out << "show_month_median_us: " << qRound(Median(samples)) << "\n";
    return 0;
}
