#include "leftoversaves.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLeftoverSaves : public QObject {
    Q_OBJECT

private slots:
    // What an interrupted save of our own files leaves, and nothing a person
    // or another program may have put there.
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("leftover");

        QTest::newRow("schedule file") << "Yotei202401.Dat.aBcDeF" << true;
        QTest::newRow("holiday files") << "HorDay.ini.QxZwTr" << true;
        QTest::newRow("day-off file") << "HorDay2.ini.kLmNoP" << true;
        QTest::newRow("settings") << "Murvane.ini.PqRsTu" << true;
        QTest::newRow("the data file itself") << "Yotei202401.Dat" << false;
        QTest::newRow("five letters") << "Yotei202401.Dat.aBcDe" << false;
        QTest::newRow("seven letters") << "Yotei202401.Dat.aBcDeFg" << false;
        QTest::newRow("digits") << "HorDay.ini.aB1dEf" << false;
        QTest::newRow("a user's copy") << "HorDay.ini.backup" << false;
        QTest::newRow("a user's copy in capitals") << "HorDay.ini.BACKUP" << false;
        QTest::newRow("a capitalised word") << "HorDay.ini.Backup" << false;
        QTest::newRow("a month without six digits") << "Yotei20241.Dat.aBcDeF" << false;
        QTest::newRow("another letter case") << "yotei202401.dat.aBcDeF" << false;
        QTest::newRow("another program's file") << "notes.txt.aBcDeF" << false;
        QTest::newRow("a hidden copy") << ".HorDay.ini.aBcDeF" << false;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, leftover);
        QCOMPARE(IsLeftoverSaveName(name), leftover);
    }

    void removesOnlyLeftoverFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.path();
        for (const char* name : {"Yotei202401.Dat", "Yotei202401.Dat.aBcDeF", "HorDay.ini.backup"}) {
            QFile file(path + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(path).mkdir("HorDay.ini.XyZwVu"));
        QCOMPARE(RemoveLeftoverSaves(path), QStringList{"Yotei202401.Dat.aBcDeF"});
        QCOMPARE(QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 (QStringList{"HorDay.ini.XyZwVu", "HorDay.ini.backup", "Yotei202401.Dat"}));
    }
};

QTEST_GUILESS_MAIN(TestLeftoverSaves)
#include "test_leftoversaves.moc"
