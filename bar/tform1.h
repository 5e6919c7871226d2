#pragma once

#include "barcontext.h"
#include "slider.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QFrame;
class QAction;

// The bar window: a frameless, always-on-top strip at the screen's top-left
// corner that slides up out of sight when the pointer leaves it.
//
// Public surface used by main.cpp and the tests; everything else is private
// to the bar.
class TForm1 : public QWidget, public BarContext {
    Q_OBJECT

public:
    // Runs FormCreate: DataDir from the working directory, settings loaded,
    // first month drawn. The window is shown by the caller.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    void ShowMonth(bool mark, const QDateTime& date) override;
    QPoint BarTopLeft() const override;
    void ReloadSettings() override;
    void RegisterShortcut() override;

    // The windows the menu and the double-click open, wired by main.cpp. A
    // menu item stands in the menu only once its opener is set.
    using DayEditorOpener = std::function<void(const CellRec& dayCell, IntPair mousePos)>;
    void SetDayEditorOpener(DayEditorOpener opener);
    void SetScheduleListOpener(std::function<void()> opener); // "予定月間表示"
    void SetOptionsOpener(std::function<void()> opener);      // "オプション"
    void SetVersionOpener(std::function<void()> opener);      // "Version情報"
    // The user's calendars: marked on the strip, listed in the pop-ups,
    // redrawn as they change, and "カレンダーを今すぐ更新" in the menu.
    void SetCalendarStore(CalendarStore* store);

    // Handlers, named as the design names them; public so tests can drive them.
    void FormActivate();                 // slide-in
    void SlideOut();
    void PointerTest(int x, int y);      // screen coordinates; run for every pointer movement
    void PointerLeft();                  // the pointer left the bar's window
    void Image1MouseMove(int x, int y);  // strip coordinates
    void Image1DblClick();
    void Image2MouseMove(int x, int y);
    void Image2MouseDown(int x, int y);
    void PopupMenu1Popup();
    void PrevMonth1Click();
    void N5Click();
    void Version1Click();
    void Refresh1Click(); // "カレンダーを今すぐ更新"
    void end1Click();

    void HidePopup();
    void EnsurePointerWatch(); // runs while AutoHide is set

    // The keyboard: takes the focus, slides in and focuses today's cell, as
    // `murvane --focus` asks. While the bar keeps the keyboard it does not
    // slide away; Escape gives the focus back.
    void TakeFocus();
    bool HasKeyboard() const;
    QDate FocusDay() const;
    int FocusStop() const; // 0 the day row, 1 to 5 the buttons
    void PressDay(int column);    // what a double-click on the column does
    void ShowDayMenu(int column); // the context menu under the column's cell

    // The layers as last painted, for tests and the screenshot tool.
    const QImage& StripImage() const;   // Image1
    const QImage& OverlayImage() const; // Image2
    QMenu* PopupMenu1() const;

    // The bar's Top relative to the screen's top edge: 0 shown, -36 hidden.
    int Top() const;
    bool IsSliding() const;
    QLabel* Label1() const; // the clock
    QLabel* Label2() const; // the pointer's last y, hidden under the panel

signals:
    // The bar has closed; the program ends with it.
    void Closed();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void FormCreate();
    QString ReadSettings();
    void FormClose();
    void MouseHookProc(QPoint screenPos);
    void PseudoApp1Message(QObject* receiver, QEvent* event, bool& handled);
    void LayOut();
    QPoint ScreenOrigin() const;
    BarPlace Place() const; // relative to the screen's origin
    void Apply(PointerAction action);
    void RetestPointer();
    void ClickFocus();
    void EnterKeyboard(QDate day);
    void LeaveKeyboard(bool giveBack);
    void SetFocusDay(QDate day);
    void SetFocusStop(int stop);
    void ShowFocus();
    void ShowFocusPopup();
    int FocusColumn() const; // 0 when the focus day is not on the strip

    struct Private;
    std::unique_ptr<Private> d;
};
