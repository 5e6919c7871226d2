#include "keymoves.h"

#include <QTest>

class TestKeyMoves : public QObject {
    Q_OBJECT

private slots:
    void moves_data();
    void moves();
};

// Key as pressed, the day focused before, and where the focus lands (null: the
// key is not a move). Today is 2024-06-12 throughout.
void TestKeyMoves::moves_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("← into the previous month") << int(Qt::Key_Left) << none << QDate(2024, 3, 1) << QDate(2024, 2, 29);
    QTest::newRow("← into the previous year") << int(Qt::Key_Left) << none << QDate(2024, 1, 1) << QDate(2023, 12, 31);
    QTest::newRow("→ into the next month") << int(Qt::Key_Right) << none << QDate(2024, 4, 30) << QDate(2024, 5, 1);
    QTest::newRow("→ on the keypad") << int(Qt::Key_Right) << keypad << QDate(2024, 4, 10) << QDate(2024, 4, 11);
    QTest::newRow("↑ a week back across months") << int(Qt::Key_Up) << none << QDate(2024, 3, 3) << QDate(2024, 2, 25);
    QTest::newRow("↓ a week on across years") << int(Qt::Key_Down) << none << QDate(2024, 12, 28) << QDate(2025, 1, 4);
    QTest::newRow("Home") << int(Qt::Key_Home) << none << QDate(2024, 2, 17) << QDate(2024, 2, 1);
    QTest::newRow("End of leap February") << int(Qt::Key_End) << none << QDate(2024, 2, 3) << QDate(2024, 2, 29);
    QTest::newRow("End of common February") << int(Qt::Key_End) << none << QDate(2023, 2, 3) << QDate(2023, 2, 28);
    QTest::newRow("Page Up clamps to leap February") << int(Qt::Key_PageUp) << none << QDate(2024, 3, 31) << QDate(2024, 2, 29);
    QTest::newRow("Page Up from January") << int(Qt::Key_PageUp) << none << QDate(2024, 1, 15) << QDate(2023, 12, 15);
    QTest::newRow("Page Down clamps to 30 days") << int(Qt::Key_PageDown) << none << QDate(2024, 5, 31) << QDate(2024, 6, 30);
    QTest::newRow("Page Down from December") << int(Qt::Key_PageDown) << none << QDate(2024, 12, 31) << QDate(2025, 1, 31);
    QTest::newRow("Shift+Page Up from 29 February") << int(Qt::Key_PageUp) << shift << QDate(2024, 2, 29) << QDate(2023, 2, 28);
    QTest::newRow("Shift+Page Down") << int(Qt::Key_PageDown) << shift << QDate(2024, 7, 9) << QDate(2025, 7, 9);
    QTest::newRow("T from another year") << int(Qt::Key_T) << none << QDate(1999, 1, 1) << QDate(2024, 6, 12);
    QTest::newRow("Shift+T too") << int(Qt::Key_T) << shift << QDate(2025, 1, 1) << QDate(2024, 6, 12);
    QTest::newRow("Control+→ is not ours") << int(Qt::Key_Right) << int(Qt::ControlModifier) << QDate(2024, 4, 10) << QDate();
    QTest::newRow("Alt+Page Up is not ours") << int(Qt::Key_PageUp) << int(Qt::AltModifier) << QDate(2024, 4, 10) << QDate();
    QTest::newRow("Enter is no move") << int(Qt::Key_Return) << none << QDate(2024, 4, 10) << QDate();
    QTest::newRow("Tab is no move") << int(Qt::Key_Tab) << none << QDate(2024, 4, 10) << QDate();
}

void TestKeyMoves::moves()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    const std::optional<DayMove> move = DayMoveForKey(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(move.has_value(), to.isValid());
    if (move)
        QCOMPARE(MovedDay(*move, from, QDate(2024, 6, 12)), to);
}

QTEST_APPLESS_MAIN(TestKeyMoves)
#include "test_keymoves.moc"
