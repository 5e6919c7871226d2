#include "apperror.h"
#include "schedulefiles.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestScheduleFiles : public QObject {
    Q_OBJECT

private slots:
    void init();

    void filePath();
    void joinAndSplit_data();
    void joinAndSplit();
    void split_data();
    void split();
    void registerAndDelete();
    void registerWithUnpaddedTexts();
    void registerRefusesOtherDirectories();
    void deleteMissingEntryIsNoError();
    void readForBar();
    void readScheduleList();

private:
    QString Dir() const { return m_dir->path(); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestScheduleFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestScheduleFiles::filePath()
{
    // The platform's separator: a backslash on Windows, as the files were always named there.
    const QString data = QStringLiteral("/data") + QDir::separator();
    QCOMPARE(ScheduleFilePath(QStringLiteral("/data"), QDate(1999, 3, 5)), data + "Yotei199903.Dat");
    QCOMPARE(ScheduleFilePath(QStringLiteral("/data"), QStringLiteral("1999"), QStringLiteral("3")),
             data + "Yotei19993.Dat");
}

void TestScheduleFiles::joinAndSplit_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty line kept inside") << QStringList{"A", "", "B"} << QStringLiteral("A#~#~B");
    QTest::newRow("one line unchanged") << QStringList{"会議"} << QStringLiteral("会議");
    QTest::newRow("no lines") << QStringList{} << QString();
    QTest::newRow("leading empty line") << QStringList{"", "x"} << QStringLiteral("#~x");
    QTest::newRow("blanks kept") << QStringList{" a ", "\tb"} << QStringLiteral(" a #~\tb");
}

void TestScheduleFiles::joinAndSplit()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, text);
    QCOMPARE(JoinScheduleLines(lines), text);
    QCOMPARE(SplitScheduleText(text), lines);
}

void TestScheduleFiles::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("#~ inside a line splits it") << QStringLiteral("a#~b") << QStringList{"a", "b"};
    QTest::newRow("trailing #~ adds no line") << QStringLiteral("a#~") << QStringList{"a"};
    QTest::newRow("only #~") << QStringLiteral("#~") << QStringList{""};
    QTest::newRow("two #~") << QStringLiteral("#~#~") << QStringList{"", ""};
    QTest::newRow("lone # then #~") << QStringLiteral("#a~#~b") << QStringList{"#a~", "b"};
    QTest::newRow("## before ~") << QStringLiteral("x##~y") << QStringList{"x#", "y"};
    QTest::newRow("tilde first") << QStringLiteral("~#") << QStringList{"~#"};
}

void TestScheduleFiles::split()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitScheduleText(text), lines);
}

void TestScheduleFiles::registerAndDelete()
{
    const QString path = ScheduleFilePath(Dir(), QDate(1999, 3, 1));
    RegisterSchedule(Dir(), QStringLiteral("1999"), QStringLiteral("03"), QStringLiteral("05"),
                     {QStringLiteral("会議"), QString(), QStringLiteral("資料")});
    RegisterSchedule(Dir(), QStringLiteral("1999"), QStringLiteral("03"), QStringLiteral("07"), {});
    QCOMPARE(ReadBytes(path), Sjis(QStringLiteral("[予定]\r\n0305=会議#~#~資料\r\n0307=\r\n")));

    // Registering again replaces the day's entry.
    RegisterSchedule(Dir(), QStringLiteral("1999"), QStringLiteral("03"), QStringLiteral("05"), {QStringLiteral("変更")});
    QStringList keys, texts;
    ReadScheduleForBar(path, keys, texts);
    QCOMPARE(keys, QStringList{"0305"});
    QCOMPARE(texts, QStringList{"変更"});

    DeleteSchedule(Dir(), QStringLiteral("1999"), QStringLiteral("03"), QStringLiteral("05"));
    QCOMPARE(ReadBytes(path), Sjis(QStringLiteral("[予定]\r\n0307=\r\n")));
}

void TestScheduleFiles::registerWithUnpaddedTexts()
{
    RegisterSchedule(Dir(), QStringLiteral("1999"), QStringLiteral("3"), QStringLiteral("5"), {QStringLiteral("x")});
    QCOMPARE(ReadBytes(Dir() + QStringLiteral("/Yotei19993.Dat")), Sjis(QStringLiteral("[予定]\r\n35=x\r\n")));
    QVERIFY(!QFileInfo::exists(ScheduleFilePath(Dir(), QDate(1999, 3, 1))));
}

void TestScheduleFiles::registerRefusesOtherDirectories()
{
    // Without the check this would write Yotei/2403.Dat.
    QVERIFY(QDir(Dir()).mkdir(QStringLiteral("Yotei")));
    QVERIFY_THROWS_EXCEPTION(AppError, RegisterSchedule(Dir(), QStringLiteral("/24"), QStringLiteral("03"),
                                                        QStringLiteral("05"), {QStringLiteral("x")}));
    QVERIFY_THROWS_EXCEPTION(AppError, DeleteSchedule(Dir(), QStringLiteral("/24"), QStringLiteral("03"),
                                                      QStringLiteral("05")));
    QVERIFY(QDir(Dir() + QStringLiteral("/Yotei")).isEmpty());
}

void TestScheduleFiles::deleteMissingEntryIsNoError()
{
    DeleteSchedule(Dir(), QStringLiteral("2024"), QStringLiteral("01"), QStringLiteral("01"));
    QVERIFY(QDir(Dir()).isEmpty());
    RegisterSchedule(Dir(), QStringLiteral("2024"), QStringLiteral("01"), QStringLiteral("02"), {QStringLiteral("x")});
    const QByteArray before = ReadBytes(ScheduleFilePath(Dir(), QDate(2024, 1, 1)));
    DeleteSchedule(Dir(), QStringLiteral("2024"), QStringLiteral("01"), QStringLiteral("01"));
    QCOMPARE(ReadBytes(ScheduleFilePath(Dir(), QDate(2024, 1, 1))), before);
}

void TestScheduleFiles::readForBar()
{
    // Long texts come back whole; blank ones are no entries.
    const QString longText = QString(1500, QChar(u'長')) + QStringLiteral("#~end");
    const QString path = ScheduleFilePath(Dir(), QDate(2024, 5, 1));
    WriteBytes(path, Sjis(QStringLiteral("[予定]\r\n0510=b\r\n0501= \t\r\n0502=\r\n0503=") + longText
                          + QStringLiteral("\r\n0504= a \r\n")));
    QStringList keys{"old"}, texts{"old"};
    ReadScheduleForBar(path, keys, texts);
    QCOMPARE(keys, (QStringList{"old", "0510", "0503", "0504"}));
    QCOMPARE(texts, (QStringList{"old", "b", longText, "a"}));
}

void TestScheduleFiles::readScheduleList()
{
    WriteBytes(Dir() + QStringLiteral("/YOTEI202401.DAT"), Sjis(QStringLiteral("[予定]\r\n0115=b#~c\r\n0102=a\r\n0103=\r\n")));
    WriteBytes(Dir() + QStringLiteral("/Yotei202312.Dat"), Sjis(QStringLiteral("[予定]\r\n1231=大晦日\r\n")));
    WriteBytes(Dir() + QStringLiteral("/yotei202402.dat"), Sjis(QStringLiteral("[予定]\r\n0230=手書き\r\n0201= \r\n")));
    WriteBytes(Dir() + QStringLiteral("/yoteiAB.dat"), Sjis(QStringLiteral("[予定]\r\n0301=x\r\n")));
    WriteBytes(Dir() + QStringLiteral("/Yotei2024.txt"), Sjis(QStringLiteral("[予定]\r\n0101=no\r\n")));
    WriteBytes(Dir() + QStringLiteral("/xyotei202401.dat"), Sjis(QStringLiteral("[予定]\r\n0101=no\r\n")));
    WriteBytes(Dir() + QStringLiteral("/Yotei202312 (conflicted copy 2026-12-09 101010).Dat"),
               Sjis(QStringLiteral("[予定]\r\n1231=no\r\n")));
    QVERIFY(QDir(Dir()).mkdir(QStringLiteral("Yotei202403.Dat")));

    const QList<ScheduleListEntry> list = ReadScheduleList(Dir());
    QStringList rows;
    for (const ScheduleListEntry& e : list)
        rows.append(e.DateText + u' ' + e.Text);
    QCOMPARE(rows, (QStringList{"2023/12/31 大晦日", "2024/01/02 a", "2024/01/15 b#~c", "2024/02/30 手書き",
                                "AB.d/03/01 x"}));
}

QTEST_GUILESS_MAIN(TestScheduleFiles)
#include "test_schedulefiles.moc"
