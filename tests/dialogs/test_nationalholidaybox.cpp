// The options dialog's switch for Japan's national holidays.
#include "optionsfixture.h"
#include "settingsfile.h"

#include <QCheckBox>
#include <QTabWidget>

using namespace Qt::StringLiterals;

class TestNationalHolidayBox : public QObject {
    Q_OBJECT

private slots:
    void placeBelowTheList()
    {
        OptionsFixture f;
        f.Open();
        QCheckBox* box = f.Options->CheckNationalHolidays;
        QCOMPARE(box->text(), u"国民の祝日を表示する"_s);
        QCOMPARE(box->parentWidget(), f.Options->TabSheet1);
        QCOMPARE(f.Options->ListBox1->geometry(), QRect(5, 5, 252, 192));
        QVERIFY(box->geometry().top() > f.Options->ListBox1->geometry().bottom());
        QVERIFY(f.Options->TabSheet1->rect().contains(box->geometry()));
        QVERIFY(box->isVisibleTo(f.Options->TabSheet1));
    }

    // The box shows the setting; only a confirmed close stores it, in memory
    // and in the file, and redraws the bar.
    void confirmedCloseStoresIt_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("after");
        QTest::addColumn<int>("written"); // -1: no settings file
        QTest::newRow("switched on") << false << true << true << true << 1;
        QTest::newRow("switched off") << true << false << true << false << 0;
        QTest::newRow("left off") << false << false << true << false << 0;
        QTest::newRow("cancelled") << false << true << false << false << -1;
    }

    void confirmedCloseStoresIt()
    {
        QFETCH(bool, before);
        QFETCH(bool, tick);
        QFETCH(bool, confirm);
        QFETCH(bool, after);
        QFETCH(int, written);

        OptionsFixture f;
        f.Bar.Settings.NationalHolidays = before;
        f.Open();
        QCOMPARE(f.Options->CheckNationalHolidays->isChecked(), before);
        f.Options->CheckNationalHolidays->setChecked(tick);
        f.Close(confirm);
        QCOMPARE(f.Bar.Settings.NationalHolidays, after);
        QCOMPARE(f.Bar.Redraws.size(), confirm ? 1 : 0);
        QCOMPARE(TIniFile(SettingsFilePath(f.Dir.path())).ReadNumber(u"その他"_s, u"NationalHolidays"_s, -1), written);
    }
};

QTEST_MAIN(TestNationalHolidayBox)
#include "test_nationalholidaybox.moc"
