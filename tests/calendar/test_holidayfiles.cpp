#include "apperror.h"
#include "holidayfiles.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestHolidayFiles : public QObject {
    Q_OBJECT

private slots:
    void init();

    void entryTexts_data();
    void entryTexts();
    void sortOrder();
    void listing_data();
    void listing();
    void save_data();
    void save();
    void emptyListsOnMissingFilesCreateNothing();
    void saveThenListRoundTrip();
    void failedDayOffWriteTouchesNeitherFile();
    void failedNamedDayWriteLeavesThatFile();
    void unrepresentableNameChangesNothing();

private:
    QString Named() const { return HolidayFilePath(m_dir->path()); }
    QString DaysOff() const { return DayOffFilePath(m_dir->path()); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestHolidayFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestHolidayFiles::entryTexts_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("padded") << 1 << 1 << QStringLiteral("元日") << QStringLiteral("0101=元日") << QStringLiteral("0101")
                            << QStringLiteral("元日");
    QTest::newRow("name trimmed") << 11 << 23 << QStringLiteral(" \t勤労感謝の日 ") << QStringLiteral("1123=勤労感謝の日")
                                  << QStringLiteral("1123") << QStringLiteral("勤労感謝の日");
    QTest::newRow("name with =") << 2 << 3 << QStringLiteral("a=b=c") << QStringLiteral("0203=a=b=c")
                                 << QStringLiteral("0203") << QStringLiteral("a=b=c");
    QTest::newRow("empty name") << 12 << 31 << QStringLiteral("   ") << QStringLiteral("1231=") << QStringLiteral("1231")
                                << QString();
}

void TestHolidayFiles::entryTexts()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, name);
    QFETCH(QString, entry);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QCOMPARE(MakeEntryText(month, day, name), entry);
    QCOMPARE(EntryKey(entry), key);
    QCOMPARE(EntryValue(entry), value);
}

void TestHolidayFiles::sortOrder()
{
    QStringList entries{"1103=文化の日", "0101=元日", "0101=あ", "0211=建国記念の日"};
    SortEntries(entries);
    QCOMPARE(entries, (QStringList{"0101=あ", "0101=元日", "0211=建国記念の日", "1103=文化の日"}));
}

void TestHolidayFiles::listing_data()
{
    QTest::addColumn<QByteArray>("named");
    QTest::addColumn<QByteArray>("daysOff");
    QTest::addColumn<QStringList>("namedEntries");
    QTest::addColumn<QStringList>("dayOffEntries");
    QTest::newRow("no files") << QByteArray() << QByteArray() << QStringList{} << QStringList{};
    QTest::newRow("sorted, blank values skipped")
        << Sjis(QStringLiteral("[祝日]\r\n1103=文化の日\r\n0101=元日\r\n0505= \r\n0506=\r\n"))
        << Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n0505=\r\n")) << QStringList{"0101=元日", "1103=文化の日"}
        << QStringList{"0101=元日"};
    QTest::newRow("value as read, = kept") << Sjis(QStringLiteral("[祝日]\r\n0203= 節分=豆まき\r\n")) << QByteArray()
                                          << QStringList{"0203=節分=豆まき"} << QStringList{};
    QTest::newRow("other sections ignored") << Sjis(QStringLiteral("[他]\r\n0101=x\r\n")) << QByteArray() << QStringList{}
                                            << QStringList{};
}

void TestHolidayFiles::listing()
{
    QFETCH(QByteArray, named);
    QFETCH(QByteArray, daysOff);
    QFETCH(QStringList, namedEntries);
    QFETCH(QStringList, dayOffEntries);
    if (!named.isEmpty())
        WriteBytes(Named(), named);
    if (!daysOff.isEmpty())
        WriteBytes(DaysOff(), daysOff);
    const HolidayEntries e = ListHolidayEntries(m_dir->path());
    QCOMPARE(e.NamedDays, namedEntries);
    QCOMPARE(e.DaysOff, dayOffEntries);
}

void TestHolidayFiles::save_data()
{
    QTest::addColumn<QByteArray>("namedBefore");
    QTest::addColumn<QStringList>("namedDays");
    QTest::addColumn<QStringList>("daysOff");
    QTest::addColumn<QByteArray>("namedAfter");
    QTest::addColumn<QByteArray>("daysOffAfter");

    const QByteArray none("<missing>");
    QTest::newRow("new files") << none << QStringList{"0101=元日", "0211=建国記念の日"} << QStringList{"0101=元日"}
                               << Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n0211=建国記念の日\r\n"))
                               << Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n"));
    QTest::newRow("blank and stale keys removed, other lines kept")
        << Sjis(QStringLiteral(";手書き\r\n[祝日]\r\n0505= \r\n0101=元日\r\n[他]\r\nx=1\r\n")) << QStringList{"0101=元日"}
        << QStringList{} << Sjis(QStringLiteral(";手書き\r\n[祝日]\r\n0101=元日\r\n[他]\r\nx=1\r\n")) << none;
    QTest::newRow("empty name kept as empty value") << none << QStringList{"0707="} << QStringList{}
                                                    << Sjis(QStringLiteral("[祝日]\r\n0707=\r\n")) << none;
    QTest::newRow("same key twice: later value, one line")
        << none << QStringList{"0101=あ", "0101=元日", "0102=x"} << QStringList{}
        << Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n0102=x\r\n")) << none;
    QTest::newRow("everything deleted leaves the section line")
        << Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n")) << QStringList{} << QStringList{}
        << Sjis(QStringLiteral("[祝日]\r\n")) << none;
}

void TestHolidayFiles::save()
{
    QFETCH(QByteArray, namedBefore);
    QFETCH(QStringList, namedDays);
    QFETCH(QStringList, daysOff);
    QFETCH(QByteArray, namedAfter);
    QFETCH(QByteArray, daysOffAfter);
    if (namedBefore != "<missing>")
        WriteBytes(Named(), namedBefore);
    SaveHolidayEntries(m_dir->path(), namedDays, daysOff);
    QCOMPARE(ReadBytes(Named()), namedAfter);
    QCOMPARE(ReadBytes(DaysOff()), daysOffAfter);
}

void TestHolidayFiles::emptyListsOnMissingFilesCreateNothing()
{
    SaveHolidayEntries(m_dir->path(), {}, {});
    QVERIFY(QDir(m_dir->path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestHolidayFiles::saveThenListRoundTrip()
{
    // The user renames a day off and keeps it ticked, unticks another, and
    // deletes a third; a blank day-off key that the dialog never saw goes too.
    WriteBytes(Named(), Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n0503=憲法記念日\r\n0504=みどりの日\r\n0505=こどもの日\r\n")));
    WriteBytes(DaysOff(), Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n0503=憲法記念日\r\n0504=みどりの日\r\n0505=こどもの日\r\n0606=\r\n")));
    HolidayEntries e = ListHolidayEntries(m_dir->path());
    QCOMPARE(e.DaysOff.size(), 4);

    const QStringList named{"0101=お正月", "0503=憲法記念日", "0505=こどもの日"};
    const QStringList daysOff{"0101=お正月", "0505=こどもの日"};
    SaveHolidayEntries(m_dir->path(), named, daysOff);
    e = ListHolidayEntries(m_dir->path());
    QCOMPARE(e.NamedDays, named);
    QCOMPARE(e.DaysOff, daysOff);
    QCOMPARE(ReadBytes(DaysOff()), Sjis(QStringLiteral("[祝日]\r\n0101=お正月\r\n0505=こどもの日\r\n")));
}

void TestHolidayFiles::failedDayOffWriteTouchesNeitherFile()
{
    const QByteArray named = Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n"));
    WriteBytes(Named(), named);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("HorDay2.ini")));
    try {
        SaveHolidayEntries(m_dir->path(), {QStringLiteral("0211=建国記念の日")}, {QStringLiteral("0211=建国記念の日")});
        QFAIL("the save did not fail");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), DaysOff() + QStringLiteral(" に書き込めません"));
    }
    QCOMPARE(ReadBytes(Named()), named);
}

void TestHolidayFiles::failedNamedDayWriteLeavesThatFile()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("HorDay.ini")));
    QVERIFY_THROWS_EXCEPTION(AppError, SaveHolidayEntries(m_dir->path(), {QStringLiteral("0101=元日")}, {}));
    QVERIFY(QFileInfo(Named()).isDir());
}

void TestHolidayFiles::unrepresentableNameChangesNothing()
{
    const QByteArray before = Sjis(QStringLiteral("[祝日]\r\n0101=元日\r\n"));
    WriteBytes(Named(), before);
    WriteBytes(DaysOff(), before);
    QVERIFY_THROWS_EXCEPTION(AppError, SaveHolidayEntries(m_dir->path(), {QStringLiteral("0101=元日🎍")},
                                                          {QStringLiteral("0101=元日🎍")}));
    QCOMPARE(ReadBytes(Named()), before);
    QCOMPARE(ReadBytes(DaysOff()), before);
}

QTEST_GUILESS_MAIN(TestHolidayFiles)
#include "test_holidayfiles.moc"
