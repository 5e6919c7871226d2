#include "conflictcopy.h"

#include <QTest>

class TestConflictCopy : public QObject {
    Q_OBJECT

private slots:
    void original_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("original"); // empty: no conflict copy of ours
        QTest::newRow("Syncthing") << "Calendars.sync-conflict-20261209-101010-Q2W3E4R.ini" << "Calendars.ini";
        QTest::newRow("Nextcloud") << "Yotei202612 (conflicted copy 2026-12-09 101010).Dat" << "Yotei202612.Dat";
        QTest::newRow("Dropbox, second copy") << "HorDay2 (pc's conflicted copy 2026-12-09 (1)).ini" << "HorDay2.ini";
        QTest::newRow("copy of a copy, other case")
            << "murvane.sync-conflict-20261209-101010.sync-conflict-20261210-101010-ABCDEFG.INI" << "murvane.INI";
        QTest::newRow("user's backup") << "HorDay.ini.backup" << "";
        QTest::newRow("another program's") << "notes.sync-conflict-20261209-101010-ABCDEFG.txt" << "";
    }
    void original()
    {
        QFETCH(QString, name);
        QFETCH(QString, original);
        QCOMPARE(ConflictCopyOriginal(name), original);
    }
};

QTEST_GUILESS_MAIN(TestConflictCopy)
#include "test_conflictcopy.moc"
