#include "fakebar.h"
#include "messagebox.h"
#include "schedulefiles.h"
#include "tform6.h"
#include "tinifile.h"

#include <QAction>
#include <QHeaderView>
#include <QPainter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One stored line: the file's YYYYMM, the key, the value.
struct Stored {
    QString Month;
    QString Key;
    QString Value;
};

} // namespace

Q_DECLARE_METATYPE(QList<Stored>)

class TestTForm6 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fill_data();
    void fill();
    void showingLeavesBarAlone();
    void clickHighlightsWholeEntryAndMovesBar();
    void firstEntryMovesBarOnFirstClick();
    void laterShowingStartsWithoutBlock();
    void keyboardSelects();
    void inactiveListDoesNotMoveBar();
    void noEntriesMovesNothing();
    void keyThatIsNoDate();
    void drawsBlockAndWhiteRows();
    void textColumnFollowsWidth();
    void dateColumnShowsTheWholeDate();
    void exitCloses();
    void outsideChangeKeepsHighlightedEntry();

private:
    void Write(const QList<Stored>& lines);
    // Shows the list non-modally and makes it the active window.
    void ShowActive();
    void ClickRow(int row, int x = 100);
    QStringList Rows() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeBar> m_bar;
    std::unique_ptr<TForm6> m_form;
    QStringList m_errors;
};

void TestTForm6::initTestCase()
{
    MessageBoxes::SetHookForTesting([this](MessageBoxes::Kind, const QString& text) {
        m_errors.append(text);
        return true;
    });
}

void TestTForm6::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_bar = std::make_unique<FakeBar>();
    m_bar->DataDir = m_dir->path();
    m_bar->State.ShownDate = QDateTime(QDate(2020, 6, 15), QTime(0, 0));
    m_bar->Settings.YoteiBackColor = 0x00C000; // a green no other part of the list uses
    m_form = std::make_unique<TForm6>(*m_bar);
    m_errors.clear();
}

void TestTForm6::cleanup()
{
    m_form.reset();
    m_bar.reset();
    m_dir.reset();
}

void TestTForm6::Write(const QList<Stored>& lines)
{
    for (const Stored& s : lines)
        TIniFile(ScheduleFilePath(m_dir->path(), s.Month.left(4), s.Month.mid(4)))
            .WriteText(u"予定"_s, s.Key, s.Value);
}

void TestTForm6::ShowActive()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestTForm6::ClickRow(int row, int x)
{
    QTest::mouseClick(m_form->StringGrid1->viewport(), Qt::LeftButton, {},
                      QPoint(x, row * TForm6::RowHeight + TForm6::RowHeight / 2));
}

QStringList TestTForm6::Rows() const
{
    QStringList rows;
    for (int r = 0; r < m_form->RowCount(); ++r)
        rows.append(m_form->Cell(0, r) + u'|' + m_form->Cell(1, r));
    return rows;
}

void TestTForm6::fill_data()
{
    QTest::addColumn<QList<Stored>>("stored");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("three lines") << QList<Stored>{{"199903", "0305", "a#~b#~c"}}
                                 << QStringList{"1999/03/05|a", "|b", "|c"};
    QTest::newRow("trailing separator adds no row") << QList<Stored>{{"199903", "0305", "a#~b#~"}}
                                                    << QStringList{"1999/03/05|a", "|b"};
    QTest::newRow("leading separator") << QList<Stored>{{"199903", "0305", "#~a"}}
                                       << QStringList{"1999/03/05|", "|a"};
    QTest::newRow("lone hash") << QList<Stored>{{"199903", "0305", "a#b#~c"}}
                               << QStringList{"1999/03/05|a#b", "|c"};
    QTest::newRow("days ascending") << QList<Stored>{{"199903", "0320", "late"}, {"199903", "0305", "early"}}
                                    << QStringList{"1999/03/05|early", "1999/03/20|late"};
    QTest::newRow("files in year-month order")
        << QList<Stored>{{"200001", "0101", "new"}, {"199912", "1231", "old"}, {"199902", "0201", "older"}}
        << QStringList{"1999/02/01|older", "1999/12/31|old", "2000/01/01|new"};
    QTest::newRow("empty value not listed") << QList<Stored>{{"199903", "0305", ""}, {"199903", "0306", "z"}}
                                            << QStringList{"1999/03/06|z", "|"};
    QTest::newRow("one one-line entry") << QList<Stored>{{"199903", "0305", "会議"}}
                                        << QStringList{"1999/03/05|会議", "|"};
    QTest::newRow("no files") << QList<Stored>{} << QStringList{"|", "|"};
    QTest::newRow("key that is no day") << QList<Stored>{{"199902", "0230", "odd"}}
                                        << QStringList{"1999/02/30|odd", "|"};
    QTest::newRow("entries one after another")
        << QList<Stored>{{"199903", "0305", "a#~b"}, {"199903", "0306", "c"}, {"199904", "0401", "d#~e#~f"}}
        << QStringList{"1999/03/05|a", "|b", "1999/03/06|c", "1999/04/01|d", "|e", "|f"};
}

void TestTForm6::fill()
{
    QFETCH(QList<Stored>, stored);
    QFETCH(QStringList, rows);
    Write(stored);
    m_form->FormShow();
    QCOMPARE(Rows(), rows);
}

void TestTForm6::showingLeavesBarAlone()
{
    Write({{"199903", "0305", "a#~b"}});
    m_form->setWindowTitle(u"old"_s);
    const QDateTime before = m_bar->State.ShownDate;
    ShowActive();

    QCOMPARE(m_form->windowTitle(), QString());
    QVERIFY(m_bar->ListActive);
    QCOMPARE(m_form->SelectedFirstRow, -1);
    QCOMPARE(m_form->SelectedLastRow, -1);
    QCOMPARE(m_bar->State.ShownDate, before);
    QVERIFY(m_bar->Redraws.isEmpty());
}

void TestTForm6::clickHighlightsWholeEntryAndMovesBar()
{
    Write({{"199903", "0305", "first"}, {"199904", "0410", "a#~b#~c"}, {"199905", "0501", "last"}});
    ShowActive();

    ClickRow(3); // the third row of the entry of 10 April
    QCOMPARE(m_form->SelectedFirstRow, 1);
    QCOMPARE(m_form->SelectedLastRow, 3);
    QCOMPARE(m_bar->Redraws.size(), 1);
    QVERIFY(m_bar->Redraws[0].Mark);
    QCOMPARE(m_bar->Redraws[0].Date.date(), QDate(1999, 4, 10));
    QCOMPARE(m_bar->State.ShownDate.date(), QDate(1999, 4, 10));

    ClickRow(1, 20);
    ClickRow(2);
    QCOMPARE(m_form->SelectedFirstRow, 1);
    QCOMPARE(m_bar->Redraws.size(), 1);

    ClickRow(4);
    QCOMPARE(m_form->SelectedFirstRow, 4);
    QCOMPARE(m_form->SelectedLastRow, 4);
    QCOMPARE(m_bar->Redraws.size(), 2);
    QCOMPARE(m_bar->Redraws[1].Date.date(), QDate(1999, 5, 1));
}

void TestTForm6::firstEntryMovesBarOnFirstClick()
{
    Write({{"199903", "0305", "a#~b"}});
    ShowActive();

    ClickRow(0, 10);
    QCOMPARE(m_form->SelectedFirstRow, 0);
    QCOMPARE(m_form->SelectedLastRow, 1);
    QCOMPARE(m_bar->Redraws.size(), 1);
    QCOMPARE(m_bar->Redraws[0].Date.date(), QDate(1999, 3, 5));
}

void TestTForm6::laterShowingStartsWithoutBlock()
{
    Write({{"199903", "0305", "a"}, {"199904", "0401", "b"}});
    ShowActive();
    ClickRow(1);
    QCOMPARE(m_bar->Redraws.size(), 1);
    m_form->hide();
    QWidget bar; // the bar is the active window between two showings
    bar.show();
    bar.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&bar));

    m_bar->ListActive = false;
    const QDateTime shown = m_bar->State.ShownDate;
    ShowActive();
    QCOMPARE(m_form->SelectedFirstRow, -1);
    QCOMPARE(m_bar->State.ShownDate, shown);
    QCOMPARE(m_bar->Redraws.size(), 1);

    ClickRow(0);
    QCOMPARE(m_bar->Redraws.size(), 2);
    QCOMPARE(m_bar->Redraws[1].Date.date(), QDate(1999, 3, 5));
}

void TestTForm6::keyboardSelects()
{
    Write({{"199903", "0305", "a#~b"}, {"199904", "0401", "c"}});
    ShowActive();
    m_form->StringGrid1->setFocus();

    QTest::keyClick(m_form->StringGrid1, Qt::Key_Down);
    QCOMPARE(m_form->SelectedFirstRow, 0);
    QCOMPARE(m_form->SelectedLastRow, 1);
    QTest::keyClick(m_form->StringGrid1, Qt::Key_Down);
    QCOMPARE(m_bar->Redraws.size(), 1);
    QTest::keyClick(m_form->StringGrid1, Qt::Key_Down);
    QCOMPARE(m_form->SelectedFirstRow, 2);
    QCOMPARE(m_bar->Redraws.size(), 2);
    QCOMPARE(m_bar->Redraws[1].Date.date(), QDate(1999, 4, 1));
}

void TestTForm6::inactiveListDoesNotMoveBar()
{
    Write({{"199903", "0305", "a"}, {"199904", "0401", "b"}});
    ShowActive();
    m_bar->ListActive = false;

    ClickRow(1);
    QCOMPARE(m_form->SelectedFirstRow, 1);
    QVERIFY(m_bar->Redraws.isEmpty());
}

void TestTForm6::noEntriesMovesNothing()
{
    const QDateTime before = m_bar->State.ShownDate;
    ShowActive();
    ClickRow(1);
    ClickRow(0);
    QVERIFY(m_bar->Redraws.isEmpty());
    QCOMPARE(m_bar->State.ShownDate, before);
    QVERIFY(m_errors.isEmpty());
}

void TestTForm6::keyThatIsNoDate()
{
    Write({{"199902", "0230", "odd"}});
    const QDateTime before = m_bar->State.ShownDate;
    ShowActive();

    ClickRow(0);
    QCOMPARE(m_errors, QStringList{u"'1999/02/30' は日付ではありません"_s});
    QVERIFY(m_bar->Redraws.isEmpty());
    QCOMPARE(m_bar->State.ShownDate, before);
}

void TestTForm6::drawsBlockAndWhiteRows()
{
    Write({{"199903", "0305", "WWWW#~WWWW"}, {"199904", "0401", "WWWW"}});
    ShowActive();
    ClickRow(1);

    QTableView* grid = m_form->StringGrid1;
    const QImage image = grid->viewport()->grab().toImage();
    const QColor block = QColor(0, 0xC0, 0);
    const int textX = m_form->StringGrid1->columnWidth(0) + 2;
    auto rowHasInk = [&](int row) {
        for (int y = row * 20 + 2; y < row * 20 + 18; ++y)
            for (int x = textX; x < textX + 20; ++x)
                if (image.pixelColor(x, y).lightness() < 80)
                    return true;
        return false;
    };
    for (int row : {0, 1}) {
        QCOMPARE(image.pixelColor(textX + 200, row * 20 + 1), block);
        QCOMPARE(image.pixelColor(textX + 200, row * 20 + 18), block);
        QVERIFY2(rowHasInk(row), "black text in the block");
    }
    QCOMPARE(image.pixelColor(textX + 200, 2 * 20 + 10), QColor(Qt::white));
    QVERIFY2(rowHasInk(2), "black text in a white row");
    // Nothing is written into the first pixel row and column of a cell.
    QCOMPARE(image.pixelColor(textX - 1, 2 * 20 + 1), QColor(Qt::white));
}

void TestTForm6::textColumnFollowsWidth()
{
    ShowActive();
    QTableView* grid = m_form->StringGrid1;
    const int date = grid->columnWidth(0);
    QVERIFY(date >= TForm6::DateColumnWidth);
    const int before = grid->columnWidth(1);
    m_form->resize(m_form->width() + 100, m_form->height());
    QTRY_COMPARE(grid->columnWidth(1), before + 100);
    QCOMPARE(grid->columnWidth(0), date);
    QCOMPARE(grid->columnWidth(0) + grid->columnWidth(1), grid->viewport()->width());
}

// The date's ink, drawn in the list, is as wide as the date drawn freely in
// the same font, and background stays between it and the next column.
void TestTForm6::dateColumnShowsTheWholeDate()
{
    Write({{"200808", "0828", "x"}});
    ShowActive();
    QTableView* grid = m_form->StringGrid1;
    const int column = grid->columnWidth(0);
    const QImage shown = grid->viewport()->grab().toImage();
    auto inkColumns = [](const QImage& image, int width, int height) {
        int first = -1;
        int last = -1;
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (image.pixelColor(x, y).lightness() < 128) {
                    first = first < 0 ? x : first;
                    last = x;
                }
        return std::pair(first, last);
    };
    QImage free(200, TForm6::RowHeight, QImage::Format_RGB32);
    free.fill(Qt::white);
    {
        QPainter painter(&free);
        painter.setFont(grid->font());
        painter.drawText(QRect(2, 2, 198, 18), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, u"2008/08/28"_s);
    }
    const auto [first, last] = inkColumns(shown, column, TForm6::RowHeight);
    const auto [freeFirst, freeLast] = inkColumns(free, free.width(), free.height());
    QCOMPARE(last - first, freeLast - freeFirst);
    QVERIFY2(last < column - 2, qPrintable(u"ink to %1, column %2"_s.arg(last).arg(column)));
}

void TestTForm6::exitCloses()
{
    ShowActive();
    m_form->Exit1->trigger();
    QVERIFY(!m_form->isVisible());
}

void TestTForm6::outsideChangeKeepsHighlightedEntry()
{
    Write({{"199903", "0305", "first"}, {"199904", "0410", "a#~b#~c"}});
    m_bar->NotifyDataChanged(); // a closed list stays as it is
    QCOMPARE(Rows(), (QStringList{"|", "|"}));

    ShowActive();
    ClickRow(2);
    QCOMPARE(m_bar->Redraws.size(), 1);

    // Another program adds an earlier entry: the same entry stays highlighted
    // one row lower, and the bar is not moved.
    Write({{"199902", "0201", "new"}});
    m_bar->NotifyDataChanged();
    QCOMPARE(Rows().first(), u"1999/02/01|new"_s);
    QCOMPARE(m_form->SelectedFirstRow, 2);
    QCOMPARE(m_form->SelectedLastRow, 4);
    QCOMPARE(m_bar->Redraws.size(), 1);

    // The highlighted entry is gone: nothing is highlighted.
    Write({{"199904", "0410", ""}});
    m_bar->NotifyDataChanged();
    QCOMPARE(m_form->RowCount(), 2);
    QCOMPARE(m_form->SelectedFirstRow, -1);
}

QTEST_MAIN(TestTForm6)
#include "test_tform6.moc"
