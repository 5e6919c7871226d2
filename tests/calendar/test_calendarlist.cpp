#include "apperror.h"
#include "calendarlist.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestCalendarList : public QObject {
    Q_OBJECT

private slots:
    void init();
    void reading_data();
    void reading();
    void writing_data();
    void writing();
    void writtenListReadsBack();
    void dialogEditsMergeOntoTheFile_data();
    void dialogEditsMergeOntoTheFile();

private:
    QString Path() const { return m_dir->filePath(QString::fromLatin1(CalendarListFileName)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {
// An entry as one line: section|name|source|color|shown|minutes|user[|notes].
QString Describe(const CalendarEntry& e)
{
    return QStringList{e.Section, e.Name, e.Source, e.Color, e.Shown ? "1" : "0", QString::number(e.RefreshMinutes), e.User}
        .join(u'|') + (e.SyncNotes ? "|notes" : "");
}
} // namespace

void TestCalendarList::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCalendarList::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("all keys, UTF-8") << QByteArray("[Calendar1]\nName=仕事\nSource=https://h/x.ics\nColor=#A0b1C2\n"
                                                   "Shown=0\nRefreshMinutes=5\nUser=me\n")
                                     << QStringList{"Calendar1|仕事|https://h/x.ics|#A0b1C2|0|5|me"};
    QTest::newRow("defaults for missing and out of range")
        << QByteArray("\xEF\xBB\xBF[Calendar2]\r\nSource = a.ics \r\nColor=red\r\nShown=yes\r\nRefreshMinutes=4\r\n"
                      "[calendar7]\nRefreshMinutes=20000\n")
        << QStringList{"Calendar2||a.ics|#3a87ad|1|30|", "calendar7|||#3a87ad|1|30|"};
    QTest::newRow("other sections, comments, first section and key win")
        << QByteArray("Top=1\n[Other]\nName=x\n[Calendar1]\n;Name=c\nName=a\nName=b\n[Calendar1]\nName=z\n"
                      "[CalendarX]\nName=y\n")
        << QStringList{"Calendar1|a||#3a87ad|1|30|"};
    QTest::newRow("notes on the first calendar with a user only")
        << QByteArray("[Calendar1]\nSyncNotes=1\n[Calendar2]\nUser=a\nSyncNotes=1\n[Calendar3]\nUser=b\nSyncNotes=1\n")
        << QStringList{"Calendar1|||#3a87ad|1|30|", "Calendar2|||#3a87ad|1|30|a|notes", "Calendar3|||#3a87ad|1|30|b"};
    QTest::newRow("missing file") << QByteArray() << QStringList();
}

void TestCalendarList::reading()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, entries);
    if (!file.isEmpty())
        WriteBytes(Path(), file);
    QStringList got;
    for (const CalendarEntry& entry : ReadCalendarList(m_dir->path()))
        got.append(Describe(entry));
    QCOMPARE(got, entries);
}

// The list written is the file's first two calendars with the first one
// changed (edit), the second dropped (drop) or a new one added (add).
void TestCalendarList::writing_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QByteArray>("after");
    const QByteArray file("; mine\r\n[Calendar1]\r\nName=a\r\nX-Mine = kept  \r\nSource=s\r\nShown = 1\r\n\r\n"
                          "[Calendar3]\r\nName=b\r\nSource=t\r\nUser=u\r\n[Extra]\r\nK=v");
    QTest::newRow("edit keeps unknown lines and same values")
        << file << "edit"
        << QByteArray("; mine\r\n[Calendar1]\r\nName=新しい\r\nX-Mine = kept  \r\nSource=s\r\nShown = 1\r\n"
                      "Color=#3a87ad\r\nRefreshMinutes=30\r\n\r\n"
                      "[Calendar3]\r\nName=b\r\nSource=t\r\nUser=u\r\nColor=#3a87ad\r\nShown=1\r\n"
                      "RefreshMinutes=30\r\n[Extra]\r\nK=v");
    QTest::newRow("drop removes its section only")
        << file << "drop"
        << QByteArray("; mine\r\n[Calendar1]\r\nName=a\r\nX-Mine = kept  \r\nSource=s\r\nShown = 1\r\n"
                      "Color=#3a87ad\r\nRefreshMinutes=30\r\n\r\n[Extra]\r\nK=v");
    QTest::newRow("add takes the next number at the end")
        << QByteArray("[Calendar3]\nName=b\nSource=t\nColor=#000000\nShown=1\nRefreshMinutes=30\nUser=u\n")
        << "add"
        << QByteArray("[Calendar3]\nName=b\nSource=t\nColor=#000000\nShown=1\nRefreshMinutes=30\nUser=u\n\n"
                      "[Calendar4]\nName=c\nSource=webcal://h/c\nColor=#112233\nShown=0\nRefreshMinutes=15\n");
    QTest::newRow("user removed with its line")
        << QByteArray("[Calendar3]\nName=b\nUser=u\nSource=t\nColor=#000000\nShown=1\nRefreshMinutes=30\n")
        << "nouser" << QByteArray("[Calendar3]\nName=b\nSource=t\nColor=#000000\nShown=1\nRefreshMinutes=30\n");
    QTest::newRow("notes moved: its line goes, a key comes")
        << QByteArray("[Calendar1]\nSyncNotes=1\nUser=u\nX=1\n[Calendar3]\nUser=u\n") << "notes"
        << QByteArray("[Calendar1]\nUser=u\nX=1\nName=\nSource=\nColor=#3a87ad\nShown=1\nRefreshMinutes=30\n"
                      "[Calendar3]\nUser=u\nName=\nSource=\nColor=#3a87ad\nShown=1\nRefreshMinutes=30\nSyncNotes=1\n");
}

void TestCalendarList::writing()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, change);
    QFETCH(QByteArray, after);
    WriteBytes(Path(), before);
    QList<CalendarEntry> entries = ReadCalendarList(m_dir->path());
    if (change == u"edit")
        entries[0].Name = QStringLiteral("新しい");
    else if (change == u"drop")
        entries.removeLast();
    else if (change == u"nouser")
        entries[0].User.clear();
    else if (change == u"notes")
        std::swap(entries[0].SyncNotes, entries[1].SyncNotes);
    else if (change == u"add")
        entries.append(CalendarEntry{{}, "c", "webcal://h/c", "#112233", false, 15, {}});
    WriteCalendarList(m_dir->path(), entries);
    QCOMPARE(ReadBytes(Path()), after);
}

void TestCalendarList::writtenListReadsBack()
{
    QList<CalendarEntry> entries{CalendarEntry{{}, "名前\nつき", " /p/a.ics ", "#abcdef", true, 60, "me"},
                                 CalendarEntry{{}, "b", "https://h/b", "#000000", false, 5, {}}};
    WriteCalendarList(m_dir->path(), entries);
    QCOMPARE(entries[0].Section, QStringLiteral("Calendar1"));
    QCOMPARE(entries[1].Section, QStringLiteral("Calendar2"));
    // Line breaks cannot stay in a value; blanks around it cannot be read back.
    entries[0].Name = QStringLiteral("名前 つき");
    entries[0].Source = QStringLiteral("/p/a.ics");
    QCOMPARE(ReadCalendarList(m_dir->path()), entries);

    // A folder that cannot be written keeps the file as it was.
    const QByteArray before = ReadBytes(Path());
    QVERIFY_THROWS_EXCEPTION(AppError, WriteCalendarList(m_dir->filePath("missing/dir"), entries));
    QCOMPARE(ReadBytes(Path()), before);
}

// Lists as "Section:Name" words of CalDAV calendars ("*": the notes'); "-" for a new one's section.
namespace {
QList<CalendarEntry> Entries(const QString& words)
{
    QList<CalendarEntry> list;
    for (const QString& word : words.split(u' ', Qt::SkipEmptyParts)) {
        CalendarEntry entry;
        entry.Section = word.section(u':', 0, 0) == u"-" ? QString() : word.section(u':', 0, 0);
        entry.Name = word.section(u':', 1);
        entry.User = QStringLiteral("u");
        entry.SyncNotes = entry.Name.endsWith(u'*');
        entry.Name.remove(u'*');
        list.append(entry);
    }
    return list;
}
} // namespace

void TestCalendarList::dialogEditsMergeOntoTheFile_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("edited");
    QTest::addColumn<QString>("merged");
    QTest::newRow("added elsewhere stays") << "C1:a C2:b C3:x" << "C1:a C2:b" << "C1:a C2:B" << "C1:a C2:B C3:x";
    QTest::newRow("changed elsewhere stays") << "C1:A C2:b" << "C1:a C2:b" << "C1:a C2:B" << "C1:A C2:B";
    QTest::newRow("changed in both: the dialog's") << "C1:elsewhere" << "C1:a" << "C1:dialog" << "C1:dialog";
    QTest::newRow("deleted in the dialog") << "C1:a C2:b C3:x" << "C1:a C2:b" << "C2:b" << "C2:b C3:x";
    QTest::newRow("deleted elsewhere, changed here") << "C2:b" << "C1:a C2:b" << "C1:A C2:b" << "C2:b C1:A";
    QTest::newRow("deleted elsewhere, untouched here") << "C2:b" << "C1:a C2:b" << "C1:a C2:b" << "C2:b";
    QTest::newRow("new ones last") << "C1:a C3:x" << "C1:a" << "C1:a -:n" << "C1:a C3:x -:n";
    QTest::newRow("notes: the dialog's choice") << "C1:a C2:b C3:x*" << "C1:a C2:b" << "C1:a* C2:b" << "C1:a* C2:b C3:x";
    QTest::newRow("notes: chosen elsewhere") << "C1:a C2:b*" << "C1:a* C2:b" << "C1:A* C2:b" << "C1:A C2:b*";
    QTest::newRow("notes: on a new one") << "C1:a*" << "C1:a*" << "C1:a -:n*" << "C1:a -:n*";
}

void TestCalendarList::dialogEditsMergeOntoTheFile()
{
    QFETCH(QString, current);
    QFETCH(QString, loaded);
    QFETCH(QString, edited);
    QFETCH(QString, merged);
    QStringList got;
    for (const CalendarEntry& e : MergeCalendarEdits(Entries(current), Entries(loaded), Entries(edited)))
        got << (e.Section.isEmpty() ? QStringLiteral("-") : e.Section) + u':' + e.Name + (e.SyncNotes ? "*" : "");
    QCOMPARE(got.join(u' '), merged);
}

QTEST_GUILESS_MAIN(TestCalendarList)
#include "test_calendarlist.moc"
