#include "apperror.h"
#include "clock.h"
#include "cp932.h"
#include "fakecalendars.h"
#include "messagebox.h"
#include "pointerwatch.h"
#include "schedulefiles.h"
#include "tform1.h"
#include "tinifile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Stands in for the platform's pointer watch: the test moves the pointer.
class FakeWatch : public PointerWatch {
public:
    explicit FakeWatch(Callback callback) : Move(std::move(callback)) { Last = this; }
    ~FakeWatch() override
    {
        if (Last == this)
            Last = nullptr;
    }
    void Start() override { Running = true; }
    void Stop() override { Running = false; }
    bool IsRunning() const override { return Running; }

    Callback Move;
    bool Running = false;
    static inline FakeWatch* Last = nullptr;
};

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QAction* MenuAction(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class TestTForm1 : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
    QStringList m_errors;

    void WriteSettings(const QString& text)
    {
        QFile file(m_dir->filePath(QStringLiteral("Murvane.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Cp932::Encode(text));
    }

private slots:
    void initTestCase()
    {
        m_oldDir = QDir::currentPath();
        Clock::SetSourceForTesting([] { return QDateTime(QDate(2024, 5, 15), QTime(9, 5)); });
        PointerWatch::SetFactoryForTesting([](PointerWatch::Callback c) { return std::make_unique<FakeWatch>(std::move(c)); });
        MessageBoxes::SetHookForTesting([this](MessageBoxes::Kind, const QString& text) {
            m_errors << text;
            return true;
        });
    }

    void cleanupTestCase()
    {
        QDir::setCurrent(m_oldDir);
        Clock::SetSourceForTesting({});
        PointerWatch::SetFactoryForTesting({});
        MessageBoxes::SetHookForTesting({});
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        m_errors.clear();
    }

    void cleanup() { QDir::setCurrent(m_oldDir); }

    void creationUsesTheWorkingDirectory()
    {
        TIniFile ini(m_dir->filePath(QStringLiteral("Murvane.ini")));
        ini.WriteNumber(QStringLiteral("表示色"), QStringLiteral("DayPopColor"), 255);
        ini.WriteNumber(QStringLiteral("表示色"), QStringLiteral("DayPopFontColor"), 255);
        ini.WriteNumber(QStringLiteral("表示色"), QStringLiteral("YoubiPopFontColor"), 255);
        ini.WriteNumber(QStringLiteral("表示色"), QStringLiteral("YoteiBackFontColor"), 255);
        TForm1 bar;
        QCOMPARE(QDir(bar.DataDir), QDir(m_dir->path()));
        QCOMPARE(bar.Settings.DayPopColor, 255);
        // The text colours start black whatever the file holds.
        QCOMPARE(bar.Settings.DayPopFontColor, 0);
        QCOMPARE(bar.Settings.YoubiPopFontColor, 0);
        QCOMPARE(bar.Settings.YoteiBackFontColor, 0);
        QVERIFY(bar.State.AutoHide);
        QCOMPARE(bar.State.ShownDate.date(), QDate(2024, 5, 15));
        QCOMPARE(bar.State.NavButtons[3].Left, 30);
        QCOMPARE(bar.Cells.DayCount, 31);
        QCOMPARE(bar.size(), QSize(614, 37));
        QCOMPARE(bar.StripImage().size(), QSize(610, 33));
        QVERIFY(bar.ImageList2.has_value());
        QVERIFY(bar.Label1()->text().isEmpty());
        QCOMPARE(bar.Label2()->text(), QStringLiteral("Label2"));
        QVERIFY(bar.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(bar.windowType(), Qt::Tool);
        QCoreApplication::processEvents();
        QVERIFY(m_errors.isEmpty());
        // A colour changed elsewhere shows without a restart; the text colours stay black.
        ini.WriteNumber(QStringLiteral("表示色"), QStringLiteral("DayPopColor"), 128);
        QTRY_COMPARE_WITH_TIMEOUT(bar.Settings.DayPopColor, 128, 2000);
        QCOMPARE(bar.Settings.DayPopFontColor, 0);
    }

    void badPictureIsReportedAndTheStartGoesOn_data()
    {
        QTest::addColumn<QString>("image1");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("picture");
        QTest::newRow("missing picture") << "%1/gone.bmp" << "ﾌｧｲﾙ %1/gone.bmp は開けません" << false;
        QTest::newRow("empty value") << "" << "" << true;
    }

    void badPictureIsReportedAndTheStartGoesOn()
    {
        QFETCH(QString, image1);
        QFETCH(QString, error);
        QFETCH(bool, picture);
        const QString dir = QDir::toNativeSeparators(m_dir->path());
        WriteSettings(QStringLiteral("[その他]\nImage1=%1\nImage_X=4\nShowFRDate=1\n").arg(image1.arg(dir)));
        TForm1 bar;
        QCOMPARE(bar.Settings.Image_X, 4);
        QCOMPARE(bar.Cells.DayCount, 60);
        QCOMPARE(bar.width(), 1020);
        QCOMPARE(bar.ImageList2.has_value(), picture);
        QTRY_COMPARE(m_errors.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty())
            QCOMPARE(m_errors.first(), error.arg(dir));
    }

    void menuItemsComeWithTheirOpeners()
    {
        TForm1 bar;
        QMenu* menu = bar.PopupMenu1();
        QCOMPARE(MenuTexts(menu), (QStringList{"Version情報", "-", "Exit"}));
        int options = 0;
        int list = 0;
        bar.SetOptionsOpener([&] { ++options; });
        QCOMPARE(MenuTexts(menu), (QStringList{"オプション", "Version情報", "-", "Exit"}));
        bar.SetScheduleListOpener([&] { ++list; });
        bar.SetScheduleListOpener([&] { list += 10; }); // replaces, adds no item
        QCOMPARE(MenuTexts(menu), (QStringList{"予定月間表示", "オプション", "Version情報", "-", "Exit"}));
        MenuAction(menu, QStringLiteral("予定月間表示"))->trigger();
        MenuAction(menu, QStringLiteral("オプション"))->trigger();
        QCOMPARE(list, 10);
        QCOMPARE(options, 1);
    }

    void calendarStoreAddsItsMenuItem()
    {
        TForm1 bar;
        bar.SetOptionsOpener([] {});
        FakeCalendars store;
        bar.SetCalendarStore(&store);
        QCOMPARE(MenuTexts(bar.PopupMenu1()), (QStringList{"オプション", "カレンダーを今すぐ更新", "Version情報", "-", "Exit"}));
        MenuAction(bar.PopupMenu1(), QStringLiteral("カレンダーを今すぐ更新"))->trigger();
        QCOMPARE(store.Refreshes, 1);
    }

    void menuHandlerErrorsGoToTheErrorBox()
    {
        TForm1 bar;
        bar.SetVersionOpener([] { throw AppError(QStringLiteral("壊れた")); });
        MenuAction(bar.PopupMenu1(), QStringLiteral("Version情報"))->trigger();
        QCOMPARE(m_errors, QStringList{QStringLiteral("壊れた")});
    }

    void openersAndAutoHide()
    {
        TForm1 bar;
        bool autoHide = true;
        bar.ListActive = true;
        bool listActive = true;
        const QDateTime shown = bar.State.ShownDate;
        bar.SetScheduleListOpener([&] {
            autoHide = bar.State.AutoHide;
            listActive = bar.ListActive;
            bar.State.ShownDate = QDateTime(QDate(2023, 1, 1), QTime());
        });
        bar.PrevMonth1Click();
        QVERIFY(!autoHide);
        QVERIFY(!listActive);
        QVERIFY(bar.State.AutoHide);
        QCOMPARE(bar.Cells.At(2, 1).Date, shown.date().addDays(1 - shown.date().day())); // no redraw

        bar.SetOptionsOpener([&] { autoHide = bar.State.AutoHide; });
        bar.N5Click();
        QVERIFY(autoHide); // the bar may slide out from under the options
    }

    void navigationPresses_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QDate>("shown");
        QTest::newRow("button 1 at (20, 20)") << QPoint(20, 20) << QDate(2023, 5, 15);
        QTest::newRow("button 2 at (21, 29)") << QPoint(21, 29) << QDate(2024, 4, 30);
        QTest::newRow("button 4 at (50, 18)") << QPoint(50, 18) << QDate(2024, 6, 4);
        QTest::newRow("button 5 at (60, 18)") << QPoint(60, 18) << QDate(2025, 5, 15);
        QTest::newRow("above the buttons") << QPoint(20, 17) << QDate(2024, 5, 15);
        QTest::newRow("below the buttons") << QPoint(20, 30) << QDate(2024, 5, 15);
        QTest::newRow("left of the buttons") << QPoint(9, 20) << QDate(2024, 5, 15);
    }

    void navigationPresses()
    {
        QFETCH(QPoint, press);
        QFETCH(QDate, shown);
        TForm1 bar;
        bar.Image2MouseDown(press.x(), press.y());
        QCOMPARE(bar.State.ShownDate.date(), shown);
        QCOMPARE(bar.Cells.At(2, 1).Date, QDate(shown.year(), shown.month(), 1));
    }

    void doubleClickMovesTwice()
    {
        TForm1 bar;
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        // Through the window, so that Qt makes the double-click itself.
        QTest::mouseDClick(bar.windowHandle(), Qt::LeftButton, {}, QPoint(2 + 45, 2 + 20));
        QCOMPARE(bar.State.ShownDate.date(), QDate(2024, 7, 5));
        bar.State.ShownDate = QDateTime(QDate(2024, 5, 15), QTime());
        QTest::mouseClick(bar.windowHandle(), Qt::RightButton, {}, QPoint(2 + 15, 2 + 20)); // any button
        QCOMPARE(bar.State.ShownDate.date(), QDate(2023, 5, 15));
    }

    void doubleClickOpensTheDayEditor()
    {
        TForm1 bar;
        CellRec opened;
        IntPair at;
        bool autoHide = true;
        int calls = 0;
        bar.SetDayEditorOpener([&](const CellRec& cell, IntPair pos) {
            ++calls;
            opened = cell;
            at = pos;
            autoHide = bar.State.AutoHide;
            RegisterSchedule(bar.DataDir, QStringLiteral("2024"), QStringLiteral("05"), QStringLiteral("03"),
                             {QStringLiteral("歯医者")});
        });
        // Row 16 and the gap left of the strip belong to no cell.
        for (IntPair miss : {IntPair{200, 16}, IntPair{170, 20}, IntPair{605, 20}}) {
            bar.State.MousePos = miss;
            bar.Image1DblClick();
        }
        QCOMPARE(calls, 0);

        bar.State.MousePos = IntPair{200, 20}; // column 3
        bar.Image1DblClick();
        QCOMPARE(calls, 1);
        QCOMPARE(opened.Date, QDate(2024, 5, 3));
        QCOMPARE(at, (IntPair{200, 20}));
        QVERIFY(!autoHide);
        QVERIFY(bar.State.AutoHide);
        // Redrawn after the editor closed.
        QCOMPARE(bar.Cells.At(2, 3).Schedule, QStringLiteral("歯医者"));
    }

    void failingEditorLeavesAutoHideSet()
    {
        TForm1 bar;
        bar.SetDayEditorOpener([](const CellRec&, IntPair) { throw AppError(QStringLiteral("x")); });
        bar.State.MousePos = IntPair{200, 20};
        QVERIFY_THROWS_EXCEPTION(AppError, bar.Image1DblClick());
        QVERIFY(bar.State.AutoHide);
    }

    void pointerSlidesTheBar()
    {
        TForm1 bar;
        bar.show();
        // Becoming the active window slides the bar in, as at start.
        QVERIFY(QTest::qWaitForWindowActive(&bar));
        QVERIFY(bar.State.Shown);
        QVERIFY(FakeWatch::Last && FakeWatch::Last->Running);
        FakeWatch& watch = *FakeWatch::Last;

        watch.Move(QPoint(300, 400));
        QCOMPARE(bar.Label1()->text(), QStringLiteral("09:05"));
        QCOMPARE(bar.Label2()->text(), QStringLiteral("400"));
        QVERIFY(!bar.State.Shown);
        QTRY_COMPARE(bar.Top(), -36);
        QVERIFY(!bar.IsSliding());

        watch.Move(QPoint(5, 1)); // not the top row
        QVERIFY(!bar.IsSliding());
        watch.Move(QPoint(614, 0)); // the top row at x = Width
        QVERIFY(bar.State.Shown);
        QTRY_COMPARE(bar.Top(), 0);

        // Turned back part way.
        watch.Move(QPoint(700, 10));
        QTRY_VERIFY(bar.Top() < -5);
        watch.Move(QPoint(3, 0));
        QTRY_COMPARE(bar.Top(), 0);
        QVERIFY(!bar.IsSliding());

        // While the day editor or the list is open the bar stays down.
        bar.State.AutoHide = false;
        watch.Move(QPoint(300, 400));
        QVERIFY(bar.State.Shown);
        QVERIFY(!bar.IsSliding());
        QCOMPARE(bar.Top(), 0);
    }

    void exitStopsTheWatchAndCloses()
    {
        TForm1 bar;
        bar.show();
        QVERIFY(FakeWatch::Last);
        FakeWatch* watch = FakeWatch::Last;
        QVERIFY(watch->Running);
        QSignalSpy closed(&bar, &TForm1::Closed);
        bar.end1Click();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!watch->Running);
        QVERIFY(!bar.isVisible());
        QVERIFY(bar.State.HintWindow == nullptr);
        bar.HidePopup(); // nothing left to hide
        bar.EnsurePointerWatch();
        QVERIFY(!watch->Running);
    }
};

QTEST_MAIN(TestTForm1)
#include "test_tform1.moc"
