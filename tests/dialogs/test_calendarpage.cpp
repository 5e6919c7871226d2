#include "../bar/fakecalendars.h"
#include "calendarpage.h"
#include "optionsfixture.h"

#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

CalendarEntry Entry(const QString& name, const QString& source)
{
    CalendarEntry e;
    e.Name = name;
    e.Source = source;
    e.Color = u"#d50000"_s;
    return e;
}

// The entries as comparable lines.
QStringList Lines(const QList<CalendarEntry>& entries)
{
    QStringList lines;
    for (const CalendarEntry& e : entries)
        lines.append(u"%1|%2|%3|%4|%5"_s.arg(e.Name, e.Source, e.Color).arg(e.Shown).arg(e.RefreshMinutes));
    return lines;
}

} // namespace

class TestCalendarPage : public QObject {
    Q_OBJECT

private slots:
    // What the page does reaches Calendars.ini at the confirmed close only.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("answer"); // to "変更しますか？"
        QTest::addColumn<QStringList>("written");

        const QString work = u"仕事|/cal/work.ics|#d50000|1|30"_s;
        QTest::newRow("add a file") << "add" << true << QStringList{work, u"family|/cal/family.ics|#0b8043|1|60"_s};
        QTest::newRow("add, then Cancel") << "add" << false << QStringList{work};
        QTest::newRow("change colour and interval") << "change" << true << QStringList{u"仕事|/cal/work.ics|#0b8043|1|60"_s};
        QTest::newRow("untick") << "untick" << true << QStringList{u"仕事|/cal/work.ics|#d50000|0|30"_s};
        QTest::newRow("delete") << "delete" << true << QStringList();
        QTest::newRow("no source refused") << "empty" << true << QStringList{work};
        QTest::newRow("an account's calendars")
            << "account" << true << QStringList{work, u"A|https://a.test/|#d50000|1|30"_s, u"B|https://b.test/|#d50000|1|30"_s};
    }

    void roundTrip()
    {
        QFETCH(QString, action);
        QFETCH(bool, answer);
        QFETCH(QStringList, written);

        OptionsFixture f;
        QList<CalendarEntry> start{Entry(u"仕事"_s, u"/cal/work.ics"_s)};
        WriteCalendarList(f.Dir.path(), start);
        const QString file = f.Path(QString::fromLatin1(CalendarListFileName));
        const QByteArray before = OptionsFixture::Bytes(file);
        FakeCalendars store;
        store.List = {CalendarStatus{start[0], false, {}, u"接続できません"_s, false}};
        f.Bar.Calendars = &store;
        CalendarPage& page = *f.Options->TabSheet4;
        page.SetAccountFinder([](QWidget*) {
            return QList<CalendarEntry>{Entry(u"A"_s, u"https://a.test/"_s), Entry(u"B"_s, u"https://b.test/"_s)};
        });
        // The edit dialog filled as the action says; the file and colour
        // dialogs answered by the fixture.
        f.NextFile = u"/cal/family.ics"_s;
        f.NextColor = QColor(0x0b, 0x80, 0x43);
        SetModalHookForTesting([&](QDialog& dialog) {
            auto* edit = qobject_cast<CalendarEdit*>(&dialog);
            if (edit && action == u"account") {
                edit->AccountButton->click();
            } else if (edit) {
                if (action == u"add")
                    edit->FileButton->click();
                edit->ColorButton->click();
                edit->MinutesBox->setValue(60);
                edit->OkButton->click(); // refused without a source: the dialog stays
                if (edit->isVisible())
                    edit->CancelButton->click();
            }
            return dialog.result();
        });

        f.Open();
        QCOMPARE(f.Options->PageControl1->tabText(3), u"カレンダー"_s);
        QCOMPARE(page.ListBox->item(0)->text(), u"仕事\n接続できません"_s);
        page.ListBox->setCurrentRow(0);
        QCOMPARE(page.SourceLabel->text(), u"/cal/work.ics"_s);
        if (action == u"change")
            page.ChangeButton->click();
        else if (action == u"untick")
            page.ListBox->item(0)->setCheckState(Qt::Unchecked);
        else if (action == u"delete")
            page.DeleteButton->click();
        else
            page.AddButton->click();
        QCOMPARE(f.Errors.size(), action == u"empty" ? 1 : 0);
        QCOMPARE(OptionsFixture::Bytes(file), before); // nothing written before the close
        f.Close(answer);
        QCOMPARE(Lines(ReadCalendarList(f.Dir.path())), written);
    }

    // The notes' calendar: a CalDAV one (rows 1, 2; row 1 chosen), one at a time.
    void notesCalendar_data()
    {
        QTest::addColumn<int>("row"); // clicked
        QTest::addColumn<QString>("written"); // the notes' calendar, or "-"
        QTest::newRow("another one chosen") << 2 << "B";
        QTest::newRow("given up") << 1 << "-";
        QTest::newRow("a file: not offered") << 0 << "A";
    }
    void notesCalendar()
    {
        QFETCH(int, row);
        QFETCH(QString, written);
        OptionsFixture f;
        QList<CalendarEntry> start{Entry(u"f"_s, u"/w.ics"_s), Entry(u"A"_s, u"https://a/"_s), Entry(u"B"_s, u"https://b/"_s)};
        start[1].User = start[2].User = u"u"_s;
        start[1].SyncNotes = true;
        WriteCalendarList(f.Dir.path(), start);
        f.Open();
        f.Options->TabSheet4->ListBox->setCurrentRow(row);
        QCOMPARE(f.Options->TabSheet4->SyncBox->isHidden(), row == 0);
        f.Options->TabSheet4->SyncBox->click();
        f.Close(true);
        const QList<CalendarEntry> file = ReadCalendarList(f.Dir.path());
        QCOMPARE(NotesCalendar(file) ? NotesCalendar(file)->Name : u"-"_s, written);
    }
};

QTEST_MAIN(TestCalendarPage)
#include "test_calendarpage.moc"
