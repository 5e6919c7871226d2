#include "messagebox.h"
#include "syncnotice.h"

#include <QTest>

namespace {

class FakeSyncer : public NoteSyncer {
public:
    void SyncSoon() override {}
    void SyncConfirmed() override { ++Confirmed; }
    int Confirmed = 0;
};

NoteSyncReport Failing(QList<QDate> days)
{
    NoteSyncReport report;
    report.Failed = int(days.size());
    report.FailedDays = days;
    report.FailedWhy = QStringLiteral("アクセスが拒否されました (403)");
    return report;
}

} // namespace

class TestSyncNotice : public QObject {
    Q_OBJECT

    QStringList m_shown; // "kind: text"
    bool m_answer = true;

private slots:
    void init()
    {
        m_shown.clear();
        MessageBoxes::SetHookForTesting([this](MessageBoxes::Kind kind, const QString& text) {
            m_shown << QString::number(int(kind)) + u':' + text;
            return m_answer;
        });
    }

    void question_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("OK runs the confirmed sync") << true;
        QTest::newRow("cancel runs nothing") << false;
    }
    void question()
    {
        QFETCH(bool, answer);
        m_answer = answer;
        FakeSyncer syncer;
        NoteSyncReport report;
        report.Question = QStringLiteral("初めての同期です。送信 1 件、受信 1 件、統合 0 件。同期しますか？");
        ShowNoteSyncReport(syncer, report);
        QCOMPARE(m_shown, QStringList{QString::number(int(MessageBoxes::Kind::Question)) + u':' + report.Question});
        QCOMPARE(syncer.Confirmed, answer ? 1 : 0);
    }

    void notices()
    {
        FakeSyncer syncer;
        NoteSyncReport merged;
        merged.Merged = 2;
        merged.MergedDays = {QDate(2026, 12, 5), QDate(2026, 12, 9)};
        ShowNoteSyncReport(syncer, merged);
        QCOMPARE(m_shown.size(), 1);
        QVERIFY(m_shown.last().contains(QStringLiteral("2026/12/05、2026/12/09")));

        // A calendar that refuses writes fails the same day at every sync:
        // told once, and a new day alone.
        const QDate a(2027, 1, 1), b(2027, 1, 2);
        ShowNoteSyncReport(syncer, Failing({a}));
        ShowNoteSyncReport(syncer, Failing({a}));
        NoteSyncReport offline;
        offline.Error = QStringLiteral("接続できません");
        offline.Failed = 2;
        ShowNoteSyncReport(syncer, offline);
        ShowNoteSyncReport(syncer, Failing({a, b}));
        QCOMPARE(m_shown.size(), 3);
        QVERIFY(m_shown[1].contains(QStringLiteral("(アクセスが拒否されました (403))")));
        QVERIFY(m_shown[1].contains(QStringLiteral("2027/01/01")));
        QVERIFY(m_shown[2].contains(QStringLiteral("2027/01/02")) && !m_shown[2].contains(QStringLiteral("2027/01/01")));
    }
};

QTEST_MAIN(TestSyncNotice)
#include "test_syncnotice.moc"
