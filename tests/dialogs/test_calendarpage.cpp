#include "../bar/fakecalendars.h"
#include "calendarpage.h"
#include "optionsfixture.h"

#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

// An entry as one comparable line.
QString Line(const CalendarEntry& e)
{
    return u"%1|%2|%3|%4|%5"_s.arg(e.Name, e.Source, e.Color).arg(e.Shown).arg(e.RefreshMinutes);
}

QStringList Lines(const QList<CalendarEntry>& entries)
{
    QStringList lines;
    for (const CalendarEntry& e : entries)
        lines.append(Line(e));
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
        QTest::addColumn<QStringList>("errors");

        const QString work = u"仕事|/cal/work.ics|#d50000|1|30"_s;
        QTest::newRow("add a file") << "add" << true
                                    << QStringList{work, u"family|/cal/family.ics|#0b8043|1|60"_s} << QStringList();
        QTest::newRow("add, then Cancel") << "add" << false << QStringList{work} << QStringList();
        QTest::newRow("change colour and interval")
            << "change" << true << QStringList{u"仕事|/cal/work.ics|#0b8043|1|60"_s} << QStringList();
        QTest::newRow("untick") << "untick" << true << QStringList{u"仕事|/cal/work.ics|#d50000|0|30"_s}
                                << QStringList();
        QTest::newRow("delete") << "delete" << true << QStringList() << QStringList();
        QTest::newRow("no source refused") << "empty" << true << QStringList{work}
                                           << QStringList{u"アドレスまたはファイルを指定してください"_s};
        QTest::newRow("an account's calendars")
            << "account" << true
            << QStringList{work, u"A|https://dav.test/a/|#3f51b5|1|30"_s, u"B|https://dav.test/b/|#3f51b5|1|30"_s}
            << QStringList();
    }

    void roundTrip()
    {
        QFETCH(QString, action);
        QFETCH(bool, answer);
        QFETCH(QStringList, written);
        QFETCH(QStringList, errors);

        OptionsFixture f;
        QList<CalendarEntry> start(1);
        start[0].Name = u"仕事"_s;
        start[0].Source = u"/cal/work.ics"_s;
        start[0].Color = u"#d50000"_s;
        WriteCalendarList(f.Dir.path(), start);
        const QByteArray before = OptionsFixture::Bytes(f.Path(QString::fromLatin1(CalendarListFileName)));
        FakeCalendars store;
        store.List = {CalendarStatus{start[0], false, {}, u"接続できません"_s, false}};
        f.Bar.Calendars = &store;
        CalendarPage& page = *f.Options->TabSheet4;
        page.SetAccountFinder([](QWidget*) {
            QList<CalendarEntry> found(2);
            found[0].Name = u"A"_s;
            found[0].Source = u"https://dav.test/a/"_s;
            found[1].Name = u"B"_s;
            found[1].Source = u"https://dav.test/b/"_s;
            found[0].Color = found[1].Color = u"#3f51b5"_s;
            return found;
        });
        // The edit dialog, filled as the action says; the file and colour
        // dialogs answered by the fixture.
        f.NextFile = u"/cal/family.ics"_s;
        f.NextColor = QColor(0x0b, 0x80, 0x43);
        SetModalHookForTesting([&](QDialog& dialog) {
            auto* edit = qobject_cast<CalendarEdit*>(&dialog);
            if (!edit)
                return dialog.result();
            if (action == u"account") {
                edit->AccountButton->click();
                return dialog.result();
            }
            if (action == u"empty")
                edit->SourceEdit->clear();
            else if (action == u"add")
                edit->FileButton->click();
            edit->ColorButton->click();
            edit->MinutesBox->setValue(60);
            edit->OkButton->click();
            if (action == u"empty")
                edit->CancelButton->click();
            return dialog.result();
        });

        f.Open();
        QCOMPARE(f.Options->PageControl1->tabText(3), u"カレンダー"_s);
        QCOMPARE(page.ListBox->item(0)->text(), u"仕事\n接続できません"_s);
        if (action == u"add" || action == u"account" || action == u"empty") {
            page.AddButton->click();
        } else {
            page.ListBox->setCurrentRow(0);
            QCOMPARE(page.SourceLabel->text(), u"/cal/work.ics"_s);
            if (action == u"change")
                page.ChangeButton->click();
            else if (action == u"untick")
                page.ListBox->item(0)->setCheckState(Qt::Unchecked);
            else
                page.DeleteButton->click();
        }
        QCOMPARE(f.Errors, errors);
        // Nothing is written before the close.
        QCOMPARE(OptionsFixture::Bytes(f.Path(QString::fromLatin1(CalendarListFileName))), before);
        f.Close(answer);
        QCOMPARE(Lines(ReadCalendarList(f.Dir.path())), written);
    }
};

QTEST_MAIN(TestCalendarPage)
#include "test_calendarpage.moc"
