// Filling the schedule list from a data folder of 100 years of schedule files.
#include "barcontext.h"
#include "benchdata.h"
#include "cp932.h"
#include "schedulefiles.h"
#include "tform6.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

class QuietBar : public BarContext {
public:
    void ShowMonth(bool, const QDateTime&) override {}
};

// 1,200 files: every month of 1950 to 2049, ten two-line entries each.
void WriteHundredYears(const QString& dataDir)
{
    for (int year = 1950; year < 2050; ++year) {
        for (int month = 1; month <= 12; ++month) {
            QString text = QStringLiteral("[予定]\r\n");
            for (int day = 1; day <= 10; ++day)
                text += QStringLiteral("%1%2=打ち合わせ %3 時から 会議室 B#~資料を用意して持参すること\r\n")
                            .arg(month, 2, 10, QChar(u'0'))
                            .arg(day * 2, 2, 10, QChar(u'0'))
                            .arg(day + 8);
            QFile file(ScheduleFilePath(dataDir, QDate(year, month, 1)));
            if (!file.open(QIODevice::WriteOnly) || file.write(Cp932::Encode(text)) < 0)
                qFatal("cannot write %s", qPrintable(file.fileName()));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("no temporary directory");
    WriteHundredYears(dir.path());

    QuietBar bar;
    bar.DataDir = dir.path();
    TForm6 list(bar);
    // One warm-up run for the file cache and fonts.
    QList<double> samples = TimeRunsMicroseconds(1, 9, [&] { list.FormShow(); });
    for (double& sample : samples)
        sample /= 1000.0;
    std::printf("rows: %d\n", list.RowCount());
    std::printf("schedule_list_median_ms: %.1f\n", Median(samples));
    return 0;
}
