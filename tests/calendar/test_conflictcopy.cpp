#include "conflictcopy.h"

#include <QTest>

class TestConflictCopy : public QObject {
    Q_OBJECT

private slots:
    void original_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("original"); // empty: no conflict copy of ours

        QTest::newRow("Syncthing") << "HorDay.sync-conflict-20261209-101010-ABCDEFG.ini" << "HorDay.ini";
        QTest::newRow("Syncthing, schedule") << "Yotei202612.sync-conflict-20261209-101010-Q2W3E4R.Dat"
                                             << "Yotei202612.Dat";
        QTest::newRow("Syncthing without device") << "Murvane.sync-conflict-20261209-101010.ini" << "Murvane.ini";
        QTest::newRow("Nextcloud") << "Yotei202612 (conflicted copy 2026-12-09 101010).Dat" << "Yotei202612.Dat";
        QTest::newRow("older ownCloud") << "HorDay2_conflict-20261209-101010.ini" << "HorDay2.ini";
        QTest::newRow("Dropbox") << "HorDay (Taro's conflicted copy 2026-12-09).ini" << "HorDay.ini";
        QTest::newRow("Dropbox, second copy") << "Calendars (pc1's conflicted copy 2026-12-09 (1)).ini"
                                              << "Calendars.ini";
        QTest::newRow("other letter case") << "horday (Conflicted Copy 2026-12-09 101010).INI" << "horday.INI";
        QTest::newRow("copy of a copy")
            << "HorDay.sync-conflict-20261209-101010-ABCDEFG.sync-conflict-20261210-101010-ABCDEFG.ini"
            << "HorDay.ini";
        QTest::newRow("the file itself") << "HorDay.ini" << "";
        QTest::newRow("user's backup") << "HorDay.ini.backup" << "";
        QTest::newRow("user's copy") << "HorDay (copy).ini" << "";
        QTest::newRow("another program's conflict") << "notes.sync-conflict-20261209-101010-ABCDEFG.txt" << "";
        QTest::newRow("our name, other extension") << "HorDay (conflicted copy 2026-12-09 101010).txt" << "";
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
