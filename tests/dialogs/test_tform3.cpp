#include "fakebar.h"
#include "messagebox.h"
#include "schedulefiles.h"
#include "tform3.h"
#include "tinifile.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTForm3 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void prepare_data();
    void prepare();
    void memoLines_data();
    void memoLines();
    void registerEntry_data();
    void registerEntry();
    void registerWritesCp932();
    void emptyMemoIsNoEntry();
    void changedDayLeavesOtherDay();
    void deleteRemovesOnlyThatDay();
    void deleteWithoutEntry();
    void closeWritesNothing();
    void failedWriteKeepsEditorOpen();
    void refusedDateWritesNothing_data();
    void refusedDateWritesNothing();
    void oneDigitMonthWrittenPadded();
    void unencodableTextRefused();
    void changedElsewhereAsks_data();
    void changedElsewhereAsks();

private:
    // Opens the editor on 5 March 1999 holding `schedule`, shown non-modally.
    void Open(const QString& schedule = {});
    QString StoredValue(const QString& year, const QString& month, const QString& key) const;
    QStringList StoredKeys(const QString& year, const QString& month) const;
    QStringList DataFiles() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeBar> m_bar;
    std::unique_ptr<TForm3> m_form;
    QStringList m_errors; // and questions
    bool m_answer = true;
};

void TestTForm3::initTestCase()
{
    MessageBoxes::SetHookForTesting([this](MessageBoxes::Kind, const QString& text) {
        m_errors.append(text);
        return m_answer;
    });
}

void TestTForm3::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_bar = std::make_unique<FakeBar>();
    m_bar->DataDir = m_dir->path();
    m_form = std::make_unique<TForm3>(*m_bar);
    m_errors.clear();
    m_answer = true;
}

void TestTForm3::cleanup()
{
    m_form.reset();
    m_bar.reset();
    m_dir.reset();
}

void TestTForm3::Open(const QString& schedule)
{
    CellRec cell;
    cell.Date = QDate(1999, 3, 5);
    cell.Schedule = schedule;
    if (!schedule.isEmpty()) // as the bar read it
        TIniFile(ScheduleFilePath(m_dir->path(), u"1999"_s, u"03"_s)).WriteText(u"予定"_s, u"0305"_s, schedule);
    m_form->Prepare(cell, {120, 0});
    m_form->show();
}

QString TestTForm3::StoredValue(const QString& year, const QString& month, const QString& key) const
{
    return TIniFile(ScheduleFilePath(m_dir->path(), year, month)).ReadText(u"予定"_s, key, u"<none>"_s);
}

QStringList TestTForm3::StoredKeys(const QString& year, const QString& month) const
{
    QStringList keys;
    TIniFile(ScheduleFilePath(m_dir->path(), year, month)).ListKeys(u"予定"_s, keys);
    return keys;
}

QStringList TestTForm3::DataFiles() const
{
    return QDir(m_dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

void TestTForm3::prepare_data()
{
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<QString>("holiday");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty middle line") << "A#~#~B" << "" << QStringList{"A", "", "B"};
    QTest::newRow("trailing separator") << "A#~" << "" << QStringList{"A"};
    QTest::newRow("one line") << "会議" << "" << QStringList{"会議"};
    QTest::newRow("no entry") << "" << "" << QStringList{};
    QTest::newRow("substitute holiday") << "" << "振替休日" << QStringList{};
    QTest::newRow("named day with entry") << "x#~y" << "元日" << QStringList{"x", "y"};
}

void TestTForm3::prepare()
{
    QFETCH(QString, schedule);
    QFETCH(QString, holiday);
    QFETCH(QStringList, lines);

    m_form->Memo1->setPlainText(u"left over\nfrom before"_s);
    m_form->setWindowTitle(u"old"_s);
    CellRec cell;
    cell.Date = QDate(2024, 1, 8);
    cell.Schedule = schedule;
    cell.HolidayName = holiday;
    m_form->Prepare(cell, {345, 12});

    QCOMPARE(MemoLines(m_form->Memo1->toPlainText()), lines);
    QCOMPARE(m_form->windowTitle(), holiday);
    QCOMPARE(m_form->Edit1->text(), u"2024"_s);
    QCOMPARE(m_form->Edit2->text(), u"01"_s);
    QCOMPARE(m_form->Edit3->text(), u"08"_s);
    QCOMPARE(m_form->pos(), QPoint(345, 67));

    // A bar on a screen left of the primary one's origin, or lower down:
    // the editor keeps to the bar.
    m_bar->TopLeft = QPoint(-1280, 200);
    m_form->Prepare(cell, {345, 12});
    QCOMPARE(m_form->pos(), QPoint(-935, 267));
}

void TestTForm3::memoLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one line") << "a" << QStringList{"a"};
    QTest::newRow("final break") << "a\n" << QStringList{"a"};
    QTest::newRow("two breaks") << "a\n\n" << QStringList{"a", ""};
    QTest::newRow("only a break") << "\n" << QStringList{""};
    QTest::newRow("middle empty line") << "a\n\nb" << QStringList{"a", "", "b"};
    QTest::newRow("blanks kept") << " a \n\t" << QStringList{" a ", "\t"};
}

void TestTForm3::memoLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(MemoLines(text), lines);
}

void TestTForm3::registerEntry_data()
{
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("reopened");

    QTest::newRow("empty middle line") << "a\n\nb" << "a#~#~b" << QStringList{"a", "", "b"};
    QTest::newRow("one line") << "a" << "a" << QStringList{"a"};
    QTest::newRow("line and break") << "a\n" << "a" << QStringList{"a"};
    QTest::newRow("line and two breaks") << "a\n\n" << "a#~" << QStringList{"a"};
    QTest::newRow("separator typed in a line") << "x#~y" << "x#~y" << QStringList{"x", "y"};
    QTest::newRow("Japanese two lines") << "会議\n資料" << "会議#~資料" << QStringList{"会議", "資料"};
}

void TestTForm3::registerEntry()
{
    QFETCH(QString, memo);
    QFETCH(QString, stored);
    QFETCH(QStringList, reopened);

    Open(u"old text"_s);
    m_form->Memo1->setPlainText(memo);
    QTest::mouseClick(m_form->Button1, Qt::LeftButton);

    QVERIFY(m_errors.isEmpty());
    QVERIFY(!m_form->isVisible());
    QCOMPARE(StoredValue(u"1999"_s, u"03"_s, u"0305"_s), stored);

    Open(stored);
    QCOMPARE(MemoLines(m_form->Memo1->toPlainText()), reopened);
}

void TestTForm3::registerWritesCp932()
{
    Open();
    m_form->Memo1->setPlainText(u"会議\n資料"_s);
    m_form->Button1Click();

    QFile file(ScheduleFilePath(m_dir->path(), u"1999"_s, u"03"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains(QByteArray("\x97\x5c\x92\xe8"))); // 予定
    QVERIFY(bytes.contains(QByteArray("0305=\x89\xef\x8b\x63#~\x8e\x91\x97\xbf"))); // 会議#~資料
}

void TestTForm3::emptyMemoIsNoEntry()
{
    Open(u"was here"_s);
    m_form->Memo1->clear();
    m_form->Button1Click();

    QCOMPARE(StoredKeys(u"1999"_s, u"03"_s), QStringList{u"0305"_s});
    QCOMPARE(StoredValue(u"1999"_s, u"03"_s, u"0305"_s), QString());
    QStringList keys, texts;
    ReadScheduleForBar(ScheduleFilePath(m_dir->path(), u"1999"_s, u"03"_s), keys, texts);
    QVERIFY(keys.isEmpty());
    QVERIFY(ReadScheduleList(m_dir->path()).isEmpty());
}

void TestTForm3::changedDayLeavesOtherDay()
{
    Open();
    m_form->Memo1->setPlainText(u"fifth"_s);
    m_form->Button1Click();

    Open(u"fifth"_s);
    m_form->Edit3->setText(u"06"_s);
    m_form->Memo1->setPlainText(u"sixth"_s);
    m_form->Button1Click();

    QCOMPARE(StoredValue(u"1999"_s, u"03"_s, u"0305"_s), u"fifth"_s);
    QCOMPARE(StoredValue(u"1999"_s, u"03"_s, u"0306"_s), u"sixth"_s);
}

void TestTForm3::deleteRemovesOnlyThatDay()
{
    RegisterSchedule(m_dir->path(), u"1999"_s, u"03"_s, u"05"_s, {u"a"_s});
    RegisterSchedule(m_dir->path(), u"1999"_s, u"03"_s, u"06"_s, {u"b"_s});

    Open(u"a"_s);
    m_form->Memo1->setPlainText(u"ignored"_s);
    QTest::mouseClick(m_form->Button2, Qt::LeftButton);

    QVERIFY(!m_form->isVisible());
    QCOMPARE(StoredKeys(u"1999"_s, u"03"_s), QStringList{u"0306"_s});
}

void TestTForm3::deleteWithoutEntry()
{
    Open();
    m_form->Button2Click();
    QVERIFY(m_errors.isEmpty());
    QVERIFY(!m_form->isVisible());
    QVERIFY(DataFiles().isEmpty());
}

void TestTForm3::closeWritesNothing()
{
    Open();
    m_form->Memo1->setPlainText(u"typed"_s);
    QTest::mouseClick(m_form->Button3, Qt::LeftButton);
    QVERIFY(!m_form->isVisible());

    Open();
    m_form->Memo1->setPlainText(u"typed"_s);
    m_form->close(); // the close box
    QVERIFY(!m_form->isVisible());

    Open();
    m_form->Memo1->setPlainText(u"typed"_s);
    QTest::keyClick(m_form->Memo1, Qt::Key_Escape);
    QVERIFY(m_form->isVisible()); // Escape would lose what was typed

    QVERIFY(DataFiles().isEmpty());
}

void TestTForm3::failedWriteKeepsEditorOpen()
{
    m_bar->DataDir = m_dir->filePath(u"missing"_s);
    Open();
    m_form->Memo1->setPlainText(u"line one\nline two"_s);
    m_form->Button1Click();

    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.first().contains(u"に書き込めません"_s), qPrintable(m_errors.first()));
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->Memo1->toPlainText(), u"line one\nline two"_s);
    QCOMPARE(m_form->Edit3->text(), u"05"_s);
    QVERIFY(DataFiles().isEmpty());
}

void TestTForm3::refusedDateWritesNothing_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<bool>("remove"); // "削除" instead of "登録"

    QTest::newRow("letters") << "1999" << "ab" << "05" << false;
    QTest::newRow("path in the year") << "../x" << "03" << "05" << false;
    QTest::newRow("31 April") << "1999" << "04" << "31" << false;
    QTest::newRow("empty day") << "1999" << "03" << "" << false;
    QTest::newRow("delete with path in the year") << "../x" << "03" << "05" << true;
}

void TestTForm3::refusedDateWritesNothing()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(bool, remove);

    Open();
    m_form->Edit1->setText(year);
    m_form->Edit2->setText(month);
    m_form->Edit3->setText(day);
    m_form->Memo1->setPlainText(u"kept"_s);
    remove ? m_form->Button2Click() : m_form->Button1Click();

    QCOMPARE(m_errors, QStringList{QStringLiteral("'%1/%2/%3' は日付ではありません").arg(year, month, day)});
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->Memo1->toPlainText(), u"kept"_s);
    QVERIFY(DataFiles().isEmpty());
}

void TestTForm3::oneDigitMonthWrittenPadded()
{
    Open();
    m_form->Edit2->setText(u"3"_s);
    m_form->Edit3->setText(u"7"_s);
    m_form->Memo1->setPlainText(u"padded"_s);
    m_form->Button1Click();

    QVERIFY(m_errors.isEmpty());
    QCOMPARE(DataFiles(), QStringList{QFileInfo(ScheduleFilePath(m_dir->path(), QDate(1999, 3, 1))).fileName()});
    QCOMPARE(StoredValue(u"1999"_s, u"03"_s, u"0307"_s), u"padded"_s);
}

void TestTForm3::unencodableTextRefused()
{
    Open();
    m_form->Memo1->setPlainText(u"ok\nsmile \U0001F600"_s);
    m_form->Button1Click();

    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.first().contains(u"Shift-JIS"_s), qPrintable(m_errors.first()));
    QVERIFY(m_form->isVisible());
    QVERIFY(DataFiles().isEmpty());
}

void TestTForm3::changedElsewhereAsks_data()
{
    QTest::addColumn<bool>("remove"); // "削除" instead of "登録"
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("stored");
    QTest::newRow("register, Cancel") << false << false << "theirs";
    QTest::newRow("register, OK") << false << true << "mine";
    QTest::newRow("delete, Cancel") << true << false << "theirs";
}

void TestTForm3::changedElsewhereAsks()
{
    QFETCH(bool, remove);
    QFETCH(bool, answer);
    QFETCH(QString, stored);
    Open(u"old"_s);
    RegisterSchedule(m_dir->path(), u"1999"_s, u"03"_s, u"05"_s, {u"theirs"_s});
    m_form->Memo1->setPlainText(u"mine"_s);
    m_answer = answer;
    remove ? m_form->Button2Click() : m_form->Button1Click();

    QCOMPARE(m_errors, QStringList{u"この日の予定は他で変更されています。上書きしますか？"_s});
    QCOMPARE(m_form->isVisible(), !answer);
    QCOMPARE(m_form->Memo1->toPlainText(), u"mine"_s);
    QCOMPARE(StoredValue(u"1999"_s, u"03"_s, u"0305"_s), stored);
}

QTEST_MAIN(TestTForm3)
#include "test_tform3.moc"
