#include "syncnotice.h"

#include "messagebox.h"

#include <QSet>
#include <QStringList>

namespace {

QString DayList(const QList<QDate>& days)
{
    QStringList texts;
    for (const QDate& day : days)
        texts << day.toString(QStringLiteral("yyyy/MM/dd"));
    return texts.join(QStringLiteral("、"));
}

} // namespace

void ShowNoteSyncReport(NoteSyncer& syncer, const NoteSyncReport& report)
{
    if (!report.Question.isEmpty()) {
        MessageBoxes::AskWithoutWaiting(report.Question, [&syncer] { syncer.SyncConfirmed(); });
        return;
    }
    static QSet<QDate> told;
    QList<QDate> failed;
    for (const QDate& day : report.FailedDays) {
        if (!told.contains(day))
            failed << day;
    }
    // A sync that could not run says nothing of the days.
    if (report.Error.isEmpty())
        told = QSet<QDate>(report.FailedDays.cbegin(), report.FailedDays.cend());

    QStringList lines;
    if (!report.MergedDays.isEmpty())
        lines << QStringLiteral("次の日の予定はこのパソコンと他の端末の両方で変更されていたので、両方を残しました: %1")
                     .arg(DayList(report.MergedDays));
    if (!failed.isEmpty())
        lines << QStringLiteral("次の日の予定を同期できませんでした (%1)。次の同期でもう一度送ります: %2")
                     .arg(report.FailedWhy, DayList(failed));
    if (!lines.isEmpty())
        MessageBoxes::ShowNotice(lines.join(u'\n'));
}
