#include "syncnotice.h"

#include "messagebox.h"

#include <QStringList>

void ShowNoteSyncReport(NoteSyncer& syncer, const NoteSyncReport& report)
{
    if (!report.Question.isEmpty()) {
        MessageBoxes::AskWithoutWaiting(report.Question, [&syncer] { syncer.SyncConfirmed(); });
        return;
    }
    QStringList lines;
    if (!report.MergedDays.isEmpty()) {
        QStringList days;
        for (const QDate& day : report.MergedDays)
            days << day.toString(QStringLiteral("yyyy/MM/dd"));
        lines << QStringLiteral("次の日の予定はこのパソコンと他の端末の両方で変更されていたので、両方を残しました: %1")
                     .arg(days.join(QStringLiteral("、")));
    }
    if (report.Failed > 0)
        lines << QStringLiteral("%1 日の予定を同期できませんでした。次の同期でもう一度送ります。").arg(report.Failed);
    if (!lines.isEmpty())
        MessageBoxes::ShowNotice(lines.join(u'\n'));
}
