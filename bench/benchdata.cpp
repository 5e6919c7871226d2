#include "benchdata.h"

#include "calendarrules.h"
#include "holidayfiles.h"
#include "schedulefiles.h"
#include "tinifile.h"

#include <QElapsedTimer>
#include <QList>

#include <algorithm>

namespace {

// About 1000 bytes of Japanese text in a few lines, different for each day.
QString ScheduleText(int day)
{
    const QString line = QStringLiteral("午前十時から会議室で打ち合わせ、資料を準備して持参すること。");
    QStringList lines;
    int bytes = 0;
    for (int i = 0; bytes < 1000; ++i) {
        const QString text = QStringLiteral("%1日 ").arg(day) + line;
        lines.append(text);
        bytes += text.size() * 2 + 2;
    }
    return JoinScheduleLines(lines);
}

void WriteScheduleMonth(const QString& dataDir, QDate month)
{
    QList<TIniFile::KeyValue> keys;
    for (int day = 1; day <= 31; ++day)
        keys.append({FormatMM(month) + QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')), ScheduleText(day)});
    TIniFile(ScheduleFilePath(dataDir, month)).ReplaceSectionKeys(QString::fromUtf16(ScheduleSection), keys);
}

} // namespace

void WriteLargestMonthData(const QString& dataDir, QDate month)
{
    QStringList named;
    const QDate leapYearStart(2000, 1, 1);
    for (int i = 0; i < 366; ++i) {
        const QDate d = leapYearStart.addDays(i);
        named.append(MakeEntryText(d.month(), d.day(), QStringLiteral("記念日その%1").arg(i + 1)));
    }
    SaveHolidayEntries(dataDir, named, named);

    const QDate first(month.year(), month.month(), 1);
    WriteScheduleMonth(dataDir, PreviousMonthDate(first));
    WriteScheduleMonth(dataDir, first);
    WriteScheduleMonth(dataDir, QDate(first.year(), first.month(), 28).addDays(10));
}

double Median(QList<double> samples)
{
    if (samples.isEmpty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const qsizetype mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

QList<double> TimeRunsMicroseconds(int warmup, int runs, const std::function<void()>& run)
{
    QList<double> samples;
    samples.reserve(runs);
    for (int i = 0; i < warmup + runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        const double us = double(timer.nsecsElapsed()) / 1000.0;
        if (i >= warmup)
            samples.append(us);
    }
    return samples;
}
