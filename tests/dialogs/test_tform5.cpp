#include "optionsfixture.h"

#include <QApplication>
#include <QFocusEvent>

#include <map>

using namespace Qt::StringLiterals;

class TestTForm5 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout();
    void monthBoundsDay_data();
    void monthBoundsDay();
    void monthChangeResetsDay_data();
    void monthChangeResetsDay();
    void dayCannotBeTyped();
    void monthOutOfRangeTakesNearerBound();
    void tabOrder();
    void enterMeansOk_data();
    void enterMeansOk();
    void addBuildsEntry_data();
    void addBuildsEntry();
    void addOpensFreshDialog();
    void changeFillsDialog();
    void changeDayOff_data();
    void changeDayOff();
    void changeOddKey_data();
    void changeOddKey();
    void cancelChangesNothing();
    void twoEntriesForOneDate();

private:
    std::unique_ptr<OptionsFixture> f;
};

void TestTForm5::init()
{
    f = std::make_unique<OptionsFixture>();
    QVERIFY(f->Dir.isValid());
}

void TestTForm5::cleanup()
{
    f.reset();
}

void TestTForm5::layout()
{
    TForm5& e = f->Entry;
    QCOMPARE(e.size(), QSize(169, 130));
    QCOMPARE(e.minimumSize(), e.maximumSize());
    QCOMPARE(e.Edit1->minimum(), 1);
    QCOMPARE(e.Edit1->maximum(), 12);
    QCOMPARE(e.Edit12->minimum(), 1);
    QCOMPARE(e.Edit12->maximum(), 31);
    QCOMPARE(e.CheckBox1->text(), u"休日"_s);
    QCOMPARE(e.Button1->text(), u"OK"_s);
    QCOMPARE(e.Button2->text(), u"CANCEL"_s);
}

void TestTForm5::monthBoundsDay_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("maximum");
    const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m)
        QTest::addRow("month %d", m) << m << lengths[m - 1];
}

void TestTForm5::monthBoundsDay()
{
    QFETCH(int, month);
    QFETCH(int, maximum);

    TForm5& e = f->Entry;
    e.Edit1->setValue(month == 1 ? 2 : 1); // start from another month
    e.Edit1->setValue(month);
    QCOMPARE(e.Edit12->maximum(), maximum);
    e.Edit12->setValue(maximum - 1);
    e.Edit12->stepBy(1);
    QCOMPARE(e.Edit12->value(), maximum);
    e.Edit12->stepBy(1);
    QCOMPARE(e.Edit12->value(), maximum);
}

void TestTForm5::monthChangeResetsDay_data()
{
    QTest::addColumn<int>("fromMonth");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("toMonth");
    QTest::addColumn<int>("result");

    QTest::newRow("31 into April") << 1 << 31 << 4 << 1;
    QTest::newRow("30 into April") << 1 << 30 << 4 << 30;
    QTest::newRow("30 into February") << 3 << 30 << 2 << 1;
    QTest::newRow("29 into February") << 3 << 29 << 2 << 29;
    QTest::newRow("29 from February into March") << 2 << 29 << 3 << 29;
}

void TestTForm5::monthChangeResetsDay()
{
    QFETCH(int, fromMonth);
    QFETCH(int, day);
    QFETCH(int, toMonth);
    QFETCH(int, result);

    TForm5& e = f->Entry;
    e.Edit1->setValue(fromMonth);
    e.Edit12->setValue(day);
    QCOMPARE(e.Edit12->value(), day);
    e.Edit1->setValue(toMonth);
    QCOMPARE(e.Edit12->value(), result);
}

void TestTForm5::dayCannotBeTyped()
{
    TForm5& e = f->Entry;
    e.show();
    e.Edit1->setValue(1);
    e.Edit12->setValue(1);
    QTest::keyClicks(e.Edit12, u"25"_s);
    QCOMPARE(e.Edit12->value(), 1);
    QTest::keyClick(e.Edit12, Qt::Key_Up);
    QTest::keyClick(e.Edit12, Qt::Key_Up);
    QCOMPARE(e.Edit12->value(), 3);
    QTest::keyClick(e.Edit12, Qt::Key_Down);
    QCOMPARE(e.Edit12->value(), 2);
    // The month can be typed.
    e.Edit1->selectAll();
    QTest::keyClicks(e.Edit1, u"11"_s);
    QCOMPARE(e.Edit1->value(), 11);
    QCOMPARE(e.Edit12->maximum(), 30);
}

void TestTForm5::monthOutOfRangeTakesNearerBound()
{
    TForm5& e = f->Entry;
    e.show();
    e.Edit1->setValue(5);
    e.Edit1->selectAll();
    QTest::keyClicks(e.Edit1, u"0"_s);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(e.Edit1, &leave);
    QCOMPARE(e.Edit1->value(), 1);
    QCOMPARE(e.Edit1->text(), u"1"_s);
}

void TestTForm5::tabOrder()
{
    TForm5& e = f->Entry;
    e.show();
    QApplication::setActiveWindow(&e);
    QVERIFY(QTest::qWaitForWindowActive(&e));
    // The month has the focus when the dialog opens.
    QVERIFY(e.Edit1->hasFocus());
    const QList<QWidget*> order{e.Edit12, e.Edit2, e.Button2, e.CheckBox1, e.Button1, e.Edit1};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        // A spin box takes the focus through its inner line edit.
        while (now && now != expected && now->parentWidget() != &e && now->parentWidget() != e.Panel1)
            now = now->parentWidget();
        QCOMPARE(now, expected);
    }
}

void TestTForm5::enterMeansOk_data()
{
    QTest::addColumn<QString>("focus"); // object name of the control
    QTest::addColumn<bool>("added");
    QTest::newRow("month") << u"Edit1"_s << true;
    QTest::newRow("day") << u"Edit12"_s << true;
    QTest::newRow("content") << u"Edit2"_s << true;
    QTest::newRow("day off") << u"CheckBox1"_s << true;
    QTest::newRow("OK") << u"Button1"_s << true;
    QTest::newRow("CANCEL does nothing") << u"Button2"_s << false;
}

void TestTForm5::enterMeansOk()
{
    QFETCH(QString, focus);
    QFETCH(bool, added);

    f->Open();
    bool stillOpen = false;
    f->EntryAction = [&](TForm5& d) {
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        const std::map<QString, QWidget*> controls{{u"Edit1"_s, d.Edit1}, {u"Edit12"_s, d.Edit12},
                                                   {u"Edit2"_s, d.Edit2}, {u"CheckBox1"_s, d.CheckBox1},
                                                   {u"Button1"_s, d.Button1}, {u"Button2"_s, d.Button2}};
        d.Edit1->setValue(5);
        d.Edit12->setValue(3);
        d.Edit2->setText(u"憲法記念日"_s);
        // Through the controls in tab order, as a user would, so that Qt's
        // choice of default button follows the focus.
        for (const QString& name : {u"Button1"_s, u"Edit1"_s, u"Edit12"_s, u"Edit2"_s, u"Button2"_s, u"CheckBox1"_s})
            controls.at(name)->setFocus();
        controls.at(focus)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        stillOpen = d.isVisible();
    };
    f->Options->Button3->click();
    QCOMPARE(f->ListBox1Items(), added ? QStringList{u"0503=憲法記念日"_s} : QStringList{});
    QCOMPARE(stillOpen, !added);
}

void TestTForm5::addBuildsEntry_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("storedValue");

    QTest::newRow("two leading spaces") << 1 << 5 << u"  山の日"_s << false << u"0105=山の日"_s << u"山の日"_s;
    QTest::newRow("tab and space at the end") << 12 << 31 << u"大晦日\t "_s << true << u"1231=大晦日"_s << u"大晦日"_s;
    QTest::newRow("full-width space is text") << 3 << 3 << u"　祭"_s << false << u"0303=　祭"_s << u"　祭"_s;
    QTest::newRow("equals sign in content") << 7 << 7 << u"a=b=c"_s << true << u"0707=a=b=c"_s << u"a=b=c"_s;
}

void TestTForm5::addBuildsEntry()
{
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, content);
    QFETCH(bool, dayOff);
    QFETCH(QString, entry);
    QFETCH(QString, storedValue);

    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}, {u"1231"_s, u"大晦日"_s}});
    f->Open();
    f->Select(0);
    QVERIFY(f->Options->Button1->isEnabled());
    f->Add(month, day, content, dayOff);

    QVERIFY(!f->Options->Button1->isEnabled());
    QVERIFY(!f->Options->Button4->isEnabled());
    QVERIFY(f->ListBox1Items().contains(entry));
    QStringList sorted = f->ListBox1Items();
    SortEntries(sorted);
    QCOMPARE(f->ListBox1Items(), sorted);
    QCOMPARE(f->Options->ListBox2, dayOff ? QStringList{entry} : QStringList{});

    f->Close(true);
    const QString key = entry.left(4);
    QCOMPARE(TIniFile(f->NamedDaysFile()).ReadText(u"祝日"_s, key, u"<none>"_s), storedValue);
    QCOMPARE(TIniFile(f->DaysOffFile()).ReadText(u"祝日"_s, key, u"<none>"_s),
             dayOff ? storedValue : u"<none>"_s);
}

void TestTForm5::addOpensFreshDialog()
{
    TForm5& e = f->Entry;
    f->Open();
    f->Add(4, 30, u"x"_s, true);

    QStringList seen;
    f->EntryAction = [&](TForm5& d) {
        seen << d.windowTitle() << QString::number(d.Edit1->value()) << QString::number(d.Edit12->value())
             << d.Edit2->text() << (d.CheckBox1->isChecked() ? u"ticked"_s : u"unticked"_s)
             << (d.Edit1->isEnabled() && d.Edit12->isEnabled() ? u"enabled"_s : u"disabled"_s);
        d.Button2->click();
    };
    f->Options->Button3->click();
    QCOMPARE(seen, (QStringList{u"追加"_s, u"1"_s, u"1"_s, u""_s, u"unticked"_s, u"enabled"_s}));
    QCOMPARE(f->Options->EntryMode, 1);
    QCOMPARE(e.Edit12->maximum(), 31);
}

void TestTForm5::changeFillsDialog()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0229"_s, u"閏日=特別"_s}});
    f->WriteSection(f->DaysOffFile(), {{u"0229"_s, u"閏日=特別"_s}});
    f->Open();
    f->Select(0);

    QStringList seen;
    f->EntryAction = [&](TForm5& d) {
        seen << d.windowTitle() << QString::number(d.Edit1->value()) << QString::number(d.Edit12->value())
             << d.Edit2->text() << (d.CheckBox1->isChecked() ? u"ticked"_s : u"unticked"_s)
             << (d.Edit1->isEnabled() || d.Edit12->isEnabled() ? u"enabled"_s : u"disabled"_s);
        d.Button2->click();
    };
    f->Options->Button1->click();
    QCOMPARE(seen, (QStringList{u"変更"_s, u"2"_s, u"29"_s, u"閏日=特別"_s, u"ticked"_s, u"disabled"_s}));
    QCOMPARE(f->Options->EntryMode, 2);
}

void TestTForm5::changeDayOff_data()
{
    QTest::addColumn<bool>("wasDayOff");
    QTest::addColumn<bool>("tick");

    QTest::newRow("day off stays day off") << true << true;
    QTest::newRow("day off cleared") << true << false;
    QTest::newRow("named day becomes day off") << false << true;
    QTest::newRow("named day stays") << false << false;
}

void TestTForm5::changeDayOff()
{
    QFETCH(bool, wasDayOff);
    QFETCH(bool, tick);

    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}, {u"0102"_s, u"二日"_s}});
    if (wasDayOff)
        f->WriteSection(f->DaysOffFile(), {{u"0101"_s, u"元日"_s}, {u"0102"_s, u"二日"_s}});
    f->Open();
    f->Select(0);
    f->EntryAction = [&](TForm5& d) {
        d.Edit2->setText(u"正月"_s);
        d.CheckBox1->setChecked(tick);
        d.Button1->click();
    };
    f->Options->Button1->click();

    QCOMPARE(f->ListBox1Items(), (QStringList{u"0101=正月"_s, u"0102=二日"_s}));
    QStringList daysOff;
    if (tick)
        daysOff << u"0101=正月"_s;
    if (wasDayOff)
        daysOff << u"0102=二日"_s;
    QCOMPARE(f->Options->ListBox2, daysOff);
    QVERIFY(!f->Options->Button1->isEnabled());

    f->Close(true);
    QCOMPARE(TIniFile(f->DaysOffFile()).ReadText(u"祝日"_s, u"0101"_s, u"<none>"_s), tick ? u"正月"_s : u"<none>"_s);
    QCOMPARE(TIniFile(f->NamedDaysFile()).ReadText(u"祝日"_s, u"0101"_s, {}), u"正月"_s);

    // Opened again, the entry shows as it was saved.
    f->Open();
    QCOMPARE(f->Options->ListBox2.contains(u"0101=正月"_s), tick);
}

void TestTForm5::changeOddKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("newKey");

    QTest::newRow("one digit") << u"1"_s << u"0101"_s;
    QTest::newRow("three digits") << u"123"_s << u"1201"_s;
    QTest::newRow("letters then digits") << u"ab12"_s << u"0112"_s;
    QTest::newRow("five digits") << u"03041"_s << u"0304"_s;
    // Keys the fields cannot show stay as they are: the fields would clamp them.
    QTest::newRow("no such day") << u"0230"_s << u"0230"_s;
    QTest::newRow("no such month") << u"1315"_s << u"1315"_s;
    QTest::newRow("zeros") << u"0000"_s << u"0000"_s;
}

void TestTForm5::changeOddKey()
{
    QFETCH(QString, key);
    QFETCH(QString, newKey);

    f->WriteSection(f->NamedDaysFile(), {{key, u"古い"_s}});
    f->WriteSection(f->DaysOffFile(), {{key, u"古い"_s}});
    f->Open();
    QCOMPARE(f->ListBox1Items(), QStringList{key + u"=古い"_s});
    f->Select(0);
    f->EntryAction = [&](TForm5& d) {
        d.Edit2->setText(u"新しい"_s);
        d.Button1->click();
    };
    f->Options->Button1->click();
    QCOMPARE(f->ListBox1Items(), QStringList{newKey + u"=新しい"_s});
    QCOMPARE(f->Options->ListBox2, QStringList{newKey + u"=新しい"_s});

    f->Close(true);
    QCOMPARE(f->ReadSection(f->NamedDaysFile()), (QList<TIniFile::KeyValue>{{newKey, u"新しい"_s}}));
    QCOMPARE(f->ReadSection(f->DaysOffFile()), (QList<TIniFile::KeyValue>{{newKey, u"新しい"_s}}));
}

void TestTForm5::cancelChangesNothing()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}});
    f->WriteSection(f->DaysOffFile(), {{u"0101"_s, u"元日"_s}});
    f->Open();
    f->Select(0);
    const auto edit = [](TForm5& d) {
        d.Edit2->setText(u"別の名前"_s);
        d.CheckBox1->setChecked(false);
    };
    f->EntryAction = [&](TForm5& d) {
        edit(d);
        d.Button2->click();
    };
    f->Options->Button1->click();
    f->Options->Button3->click();
    f->EntryAction = [&](TForm5& d) {
        edit(d);
        d.close();
    };
    f->Options->Button1->click();

    QCOMPARE(f->ListBox1Items(), QStringList{u"0101=元日"_s});
    QCOMPARE(f->Options->ListBox2, QStringList{u"0101=元日"_s});
    QVERIFY(f->Options->Button1->isEnabled());
}

void TestTForm5::twoEntriesForOneDate()
{
    f->Open();
    f->Add(5, 3, u"憲法記念日"_s, false);
    f->Add(5, 3, u"記念日"_s, true);
    QCOMPARE(f->ListBox1Items(), (QStringList{u"0503=憲法記念日"_s, u"0503=記念日"_s}));

    f->Close(true);
    QCOMPARE(f->ReadSection(f->NamedDaysFile()), (QList<TIniFile::KeyValue>{{u"0503"_s, u"記念日"_s}}));
    f->Open();
    QCOMPARE(f->ListBox1Items(), QStringList{u"0503=記念日"_s});
    QCOMPARE(f->Options->ListBox2, QStringList{u"0503=記念日"_s});
}

QTEST_MAIN(TestTForm5)
#include "test_tform5.moc"
