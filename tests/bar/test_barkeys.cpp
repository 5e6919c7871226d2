#include "baraccessible.h"
#include "clock.h"
#include "idlewatch.h"
#include "pointerwatch.h"
#include "schedulefiles.h"
#include "tform1.h"

#include <QAccessible>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDateTime FixedNow(QDate(2024, 5, 15), QTime(9, 5));

// A key with its modifiers in one number, as QKeyCombination packs them.
void Press(TForm1& bar, int combined)
{
    const QKeyCombination key = QKeyCombination::fromCombined(combined);
    QTest::keyClick(&bar, key.key(), key.keyboardModifiers());
}
} // namespace

class TestBarKeys : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_oldDir = QDir::currentPath();
        Clock::SetSourceForTesting([] { return FixedNow; });
        PointerWatch::SetFactoryForTesting([](PointerWatch::Callback) { return std::make_unique<IdleWatch>(); });
        InstallBarAccessibility();
    }
    void cleanupTestCase()
    {
        QDir::setCurrent(m_oldDir);
        Clock::SetSourceForTesting({});
        PointerWatch::SetFactoryForTesting({});
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }

    void keys_data();
    void keys();
    void focusMarkOnlyWithTheKeyboard();
    void noSlidingWhileTheBarHasTheKeyboard();
    void descriptions_data();
    void descriptions();
    void accessibleStrip();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
};

// From `TakeFocus` (today, 15 May 2024): the keys, then where the focus is,
// the month shown, the day whose editor opened (none: null), and whether the
// menu opened.
void TestBarKeys::keys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("stop");
    QTest::addColumn<QDate>("focus");
    QTest::addColumn<int>("month");
    QTest::addColumn<QDate>("edited");
    QTest::addColumn<bool>("keyboard");
    QTest::addColumn<bool>("menu");
    const int tab = Qt::Key_Tab;
    QTest::newRow("today first") << QList<int>{} << 0 << QDate(2024, 5, 15) << 5 << QDate() << true << false;
    QTest::newRow("→ past the month's end shows June") << QList<int>{Qt::Key_End, Qt::Key_Right} << 0
                                                      << QDate(2024, 6, 1) << 6 << QDate() << true << false;
    QTest::newRow("↑ back into April") << QList<int>{Qt::Key_Up, Qt::Key_Up} << 0 << QDate(2024, 5, 1) << 5
                                      << QDate() << true << false;
    QTest::newRow("Shift+Page Down") << QList<int>{(Qt::SHIFT | Qt::Key_PageDown).toCombined()} << 0
                                     << QDate(2025, 5, 15) << 5 << QDate() << true << false;
    QTest::newRow("Tab to 前月, Enter presses it") << QList<int>{tab, tab, Qt::Key_Return} << 2 << QDate(2024, 4, 30)
                                                  << 4 << QDate() << true << false;
    QTest::newRow("Shift+Tab to 翌年, Space presses it") << QList<int>{Qt::Key_Backtab, Qt::Key_Space} << 5
                                                       << QDate(2025, 5, 15) << 5 << QDate() << true << false;
    QTest::newRow("six Tabs come back to the days") << QList<int>{tab, tab, tab, tab, tab, tab, Qt::Key_Left} << 0
                                                    << QDate(2024, 5, 14) << 5 << QDate() << true << false;
    QTest::newRow("Enter opens the day's editor") << QList<int>{Qt::Key_PageDown, Qt::Key_Return} << 0
                                                  << QDate(2024, 6, 15) << 6 << QDate(2024, 6, 15) << true << false;
    QTest::newRow("Space too") << QList<int>{Qt::Key_Space} << 0 << QDate(2024, 5, 15) << 5 << QDate(2024, 5, 15)
                               << true << false;
    QTest::newRow("T after moving away") << QList<int>{Qt::Key_PageUp, Qt::Key_Home, Qt::Key_T} << 0
                                         << QDate(2024, 5, 15) << 5 << QDate() << true << false;
    QTest::newRow("Escape lets go") << QList<int>{Qt::Key_Right, Qt::Key_Escape} << 0 << QDate(2024, 5, 16) << 5
                                    << QDate() << false << false;
    QTest::newRow("Shift+F10: the menu") << QList<int>{(Qt::SHIFT | Qt::Key_F10).toCombined()} << 0
                                         << QDate(2024, 5, 15) << 5 << QDate() << true << true;
    QTest::newRow("the Menu key") << QList<int>{Qt::Key_Menu} << 0 << QDate(2024, 5, 15) << 5 << QDate() << true << true;
    QTest::newRow("F10 alone: no menu") << QList<int>{Qt::Key_F10} << 0 << QDate(2024, 5, 15) << 5 << QDate() << true
                                        << false;
}

void TestBarKeys::keys()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, stop);
    QFETCH(QDate, focus);
    QFETCH(int, month);
    QFETCH(QDate, edited);
    QFETCH(bool, keyboard);
    QFETCH(bool, menu);
    TForm1 bar;
    QDate opened;
    bar.SetDayEditorOpener([&](const CellRec& cell, IntPair) { opened = cell.Date; });
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.TakeFocus();
    for (int key : keys)
        Press(bar, key);
    QCOMPARE(bar.FocusStop(), stop);
    QCOMPARE(bar.FocusDay(), focus);
    QCOMPARE(bar.State.ShownDate.date().month(), month);
    QCOMPARE(opened, edited);
    QCOMPARE(bar.HasKeyboard(), keyboard);
    QCOMPARE(bar.PopupMenu1()->isVisible(), menu);
    if (menu) // under the focused day's cell
        QCOMPARE(bar.PopupMenu1()->pos().x(), bar.mapToGlobal(QPoint(2 + bar.Cells.At(2, focus.day()).Left, 0)).x());
    bar.PopupMenu1()->hide();
}

// Drawn over the layers only while the bar has the keyboard: the pictures the
// pointer user sees stay as they were.
void TestBarKeys::focusMarkOnlyWithTheKeyboard()
{
    TForm1 bar;
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    const QImage strip = bar.StripImage();
    const QImage before = bar.grab().toImage();
    bar.TakeFocus();
    const QImage focused = bar.grab().toImage();
    QCOMPARE(bar.StripImage(), strip);
    const CellRec& today = bar.Cells.At(2, 15);
    // The dotted rectangle's top-left dot, inside the cell (strip at 2, 2).
    const QPoint dot(2 + today.Left, 2 + today.Top + 1);
    QCOMPARE(QColor(focused.pixel(dot)), QColor(Qt::black));
    QVERIFY(QColor(before.pixel(dot)) != QColor(Qt::black));
    int changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            changed += before.pixel(x, y) != focused.pixel(x, y);
    QVERIFY(changed > 0 && changed < 30); // a dotted outline, nothing else
    QTest::keyClick(&bar, Qt::Key_Escape);
    QCOMPARE(bar.grab().toImage(), before);
}

void TestBarKeys::noSlidingWhileTheBarHasTheKeyboard()
{
    TForm1 bar;
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    bar.TakeFocus();
    QVERIFY(bar.State.Shown);
    bar.PointerTest(900, 600);
    bar.PointerLeft();
    QVERIFY(bar.State.Shown);
    QTest::keyClick(&bar, Qt::Key_Escape);
    bar.PointerTest(900, 600);
    QVERIFY(!bar.State.Shown);
}

void TestBarKeys::descriptions_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("holiday");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("description");
    QTest::newRow("nothing") << QDate(2024, 5, 16) << "" << "" << QStringList{} << "";
    QTest::newRow("today, blank name") << QDate(2024, 5, 15) << "  " << "" << QStringList{} << "今日";
    QTest::newRow("everything") << QDate(2024, 5, 15) << " 振替休日 " << "歯医者#~ 午後 #~" << QStringList{"09:30–10:00 会議", "終日 出張"}
                                << "今日。振替休日。歯医者 午後。予定 2 件: 09:30–10:00 会議、終日 出張";
    QTest::newRow("a note of blanks") << QDate(2024, 5, 3) << "憲法記念日" << " #~ " << QStringList{} << "憲法記念日";
}

void TestBarKeys::descriptions()
{
    QFETCH(QDate, day);
    QFETCH(QString, holiday);
    QFETCH(QString, note);
    QFETCH(QStringList, events);
    QFETCH(QString, description);
    CellRec cell;
    cell.Date = day;
    cell.HolidayName = holiday;
    cell.Schedule = note;
    cell.Events = events;
    QCOMPARE(DayDescription(cell, FixedNow.date()), description);
}

void TestBarKeys::accessibleStrip()
{
    RegisterSchedule(QDir::currentPath(), QStringLiteral("2024"), QStringLiteral("05"), QStringLiteral("03"),
                     {QStringLiteral("歯医者")});
    TForm1 bar;
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(bar.findChild<QWidget*>(QStringLiteral("Image1")));
    QVERIFY(strip);
    QCOMPARE(strip->role(), QAccessible::List);
    QCOMPARE(strip->text(QAccessible::Name), QStringLiteral("2024年5月"));
    QCOMPARE(strip->childCount(), 31);
    QAccessibleInterface* third = strip->child(2);
    QCOMPARE(third->role(), QAccessible::ListItem);
    QCOMPARE(third->text(QAccessible::Name), QStringLiteral("2024年5月3日 金曜日"));
    QCOMPARE(third->text(QAccessible::Description), QStringLiteral("歯医者"));
    QCOMPARE(strip->childAt(third->rect().center().x(), third->rect().center().y()), third);
    QCOMPARE(third->actionInterface()->actionNames(),
             (QStringList{QAccessibleActionInterface::pressAction(), QAccessibleActionInterface::showMenuAction()}));

    QAccessibleInterface* today = strip->child(14);
    QVERIFY(today->state().focusable && !today->state().focused);
    bar.TakeFocus();
    QVERIFY(today->state().focused && today->state().selected);
    QTest::keyClick(&bar, Qt::Key_PageDown);
    QCOMPARE(strip->text(QAccessible::Name), QStringLiteral("2024年6月"));
    QCOMPARE(strip->childCount(), 30);
    QCOMPARE(today->text(QAccessible::Name), QStringLiteral("2024年6月15日 土曜日"));
}

QTEST_MAIN(TestBarKeys)
#include "test_barkeys.moc"
