#include "tform1.h"

#include "barfonts.h"
#include "barpicture.h"
#include "barrenderer.h"
#include "barwindow.h"
#include "clock.h"
#include "colors.h"
#include "focusreturn.h"
#include "globalshortcut.h"
#include "keymoves.h"
#include "handlererrors.h"
#include "liveupdates.h"
#include "messagebox.h"
#include "navigation.h"
#include "pointerwatch.h"
#include "popups.h"
#include "settingsfile.h"
#include "slider.h"
#include "thintwindow.h"
#include "tpseudoapp.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

// Image1 and Image2: a picture that forwards the pointer to the bar's handlers
// in its own coordinates.
class LayerImage : public QWidget {
public:
    LayerImage(QWidget* parent, bool opaque) : QWidget(parent)
    {
        setMouseTracking(true);
        if (opaque)
            setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void SetImage(const QImage* image)
    {
        m_image = image;
        update();
    }

    // The keyboard focus: a dotted rectangle over the picture, never in it,
    // so the layers stay as the pointer user sees them. Inclusive bounds.
    void SetFocusMark(const QRect& mark)
    {
        if (mark == m_focusMark)
            return;
        m_focusMark = mark;
        update();
    }

    std::function<void()> OnPress;
    std::function<void(int, int)> OnMouseMove;
    std::function<void(int, int)> OnMouseDown;
    std::function<void()> OnDblClick;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_image || m_image->isNull())
            return;
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), *m_image);
        if (m_focusMark.isNull())
            return;
        // Every other pixel, so the marks under it stay readable.
        const QColor dot = ToQColor(Colors::Black);
        const QRect& r = m_focusMark;
        for (int x = r.left(); x <= r.right(); x += 2) {
            painter.fillRect(x, r.top(), 1, 1, dot);
            painter.fillRect(x, r.bottom(), 1, 1, dot);
        }
        for (int y = r.top(); y <= r.bottom(); y += 2) {
            painter.fillRect(r.left(), y, 1, 1, dot);
            painter.fillRect(r.right(), y, 1, 1, dot);
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (OnMouseMove)
            OnMouseMove(event->position().toPoint().x(), event->position().toPoint().y());
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (OnPress)
            OnPress();
        if (OnMouseDown)
            OnMouseDown(event->position().toPoint().x(), event->position().toPoint().y());
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        // The second press of a double-click arrives as this event only.
        if (OnMouseDown)
            OnMouseDown(event->position().toPoint().x(), event->position().toPoint().y());
        if (OnDblClick && event->button() == Qt::LeftButton)
            OnDblClick();
    }

private:
    const QImage* m_image = nullptr;
    QRect m_focusMark;
};

// Panel1: silver, with a raised outer and a lowered inner bevel of one pixel.
class BevelPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(Colors::Silver));
        const QColor white = ToQColor(Colors::White);
        const QColor grey = ToQColor(Colors::Grey);
        Bevel(painter, rect(), white, grey);
        Bevel(painter, rect().adjusted(1, 1, -1, -1), grey, white);
    }

private:
    // Upper and left edges in one colour, lower and right ones (with the
    // top-right and bottom-left corners) in the other.
    static void Bevel(QPainter& painter, const QRect& r, const QColor& upper, const QColor& lower)
    {
        painter.fillRect(r.left(), r.top(), r.width() - 1, 1, upper);
        painter.fillRect(r.left(), r.top() + 1, 1, r.height() - 2, upper);
        painter.fillRect(r.right(), r.top(), 1, r.height(), lower);
        painter.fillRect(r.left(), r.bottom(), r.width(), 1, lower);
    }
};

} // namespace

struct TForm1::Private {
    std::unique_ptr<TPseudoApp> PseudoApp1;
    QLabel* Label2 = nullptr;
    BevelPanel* Panel1 = nullptr;
    LayerImage* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    LayerImage* Image2 = nullptr;
    BarLayers Layers;

    QMenu* PopupMenu1 = nullptr;
    QAction* PrevMonth1 = nullptr;
    QAction* N5 = nullptr;
    QAction* Version1 = nullptr;
    QAction* Refresh1 = nullptr;
    QAction* end1 = nullptr;
    bool MenuOpen = false;

    DayEditorOpener DayEditor;
    std::function<void()> ScheduleList;
    std::function<void()> Options;
    std::function<void()> VersionInfo;

    std::unique_ptr<THintWindow> HintWindow;
    std::unique_ptr<BarPopups> Popups;
    std::unique_ptr<SlideTimer> Timer;
    std::unique_ptr<BarSlider> Slider;
    std::unique_ptr<PointerWatch> Watch;
    std::unique_ptr<LiveUpdates> Live;
    std::unique_ptr<BarStacking> Stacking;
    bool Closing = false;
    bool Activated = false;
    unsigned LeaveSerial = 0; // a Leave waits for its turn; an Enter cancels it

    // The keyboard: while set, the focus is marked and the bar stays down.
    bool Keyboard = false;
    int FocusStop = 0; // 0 the day row, 1 to 5 the buttons
    QDate FocusDay;
    QTimer* FocusPopup = nullptr; // the pop-up follows the focus after a pause
    std::unique_ptr<FocusReturn> Return;
    std::unique_ptr<GlobalShortcut> Shortcut;
};

TForm1::TForm1(QWidget* parent) : QWidget(parent), d(std::make_unique<Private>())
{
    setWindowFlags(BarWindow::Flags());
    setWindowTitle(QStringLiteral("Murvane"));
    setFont(BarFormFont());

    // Label2 first, so that the panel lies over it.
    d->Label2 = new QLabel(QStringLiteral("Label2"), this);
    d->Label2->setGeometry(1, 19, 39, 12);

    d->Panel1 = new BevelPanel(this);
    d->Image1 = new LayerImage(d->Panel1, true);
    d->Label1 = new QLabel(d->Panel1);
    d->Label1->setFont(ClockFont());
    d->Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette clock = d->Label1->palette();
    clock.setColor(QPalette::WindowText, ToQColor(Colors::Black));
    d->Label1->setPalette(clock);
    d->Label1->move(123, 19);
    d->Label1->setAccessibleDescription(QStringLiteral("ポインタが最後に動いた時刻"));
    d->Image2 = new LayerImage(d->Panel1, false);

    d->Image1->OnMouseMove = [this](int x, int y) { Image1MouseMove(x, y); };
    d->Image1->OnDblClick = [this] { Image1DblClick(); };
    d->Image2->OnMouseMove = [this](int x, int y) { Image2MouseMove(x, y); };
    d->Image2->OnMouseDown = [this](int x, int y) { Image2MouseDown(x, y); };
    d->Image1->OnPress = [this] { ClickFocus(); };
    d->Image2->OnPress = [this] { ClickFocus(); };
    // Image1 holds Qt's focus for the whole bar; the keys come up to the bar.
    d->Image1->setObjectName(QStringLiteral("Image1"));
    d->Image2->setObjectName(QStringLiteral("Image2"));
    d->Image1->setFocusPolicy(Qt::NoFocus);
    d->FocusPopup = new QTimer(this);
    d->FocusPopup->setSingleShot(true);
    d->FocusPopup->setInterval(600);
    connect(d->FocusPopup, &QTimer::timeout, this, [this] { ShowFocusPopup(); });

    d->PopupMenu1 = new QMenu(this);
    d->Version1 = d->PopupMenu1->addAction(QStringLiteral("Version情報"));
    d->PopupMenu1->addSeparator();
    d->end1 = d->PopupMenu1->addAction(QStringLiteral("Exit"));
    connect(d->Version1, &QAction::triggered, this, [this] { RunHandler([this] { Version1Click(); }); });
    connect(d->end1, &QAction::triggered, this, [this] { RunHandler([this] { end1Click(); }); });
    connect(d->PopupMenu1, &QMenu::aboutToShow, this, [this] {
        d->MenuOpen = true;
        PopupMenu1Popup();
    });
    connect(d->PopupMenu1, &QMenu::aboutToHide, this, [this] { d->MenuOpen = false; });

    d->Timer = MakeSlideTimer([this] { d->Slider->Tick(); });
    d->Slider = std::make_unique<BarSlider>([this] { return Top(); },
                                            [this](int top) {
                                                const QPoint origin = ScreenOrigin();
                                                move(origin.x(), origin.y() + top);
                                            },
                                            *d->Timer);

    d->PseudoApp1 = std::make_unique<TPseudoApp>();
    d->PseudoApp1->ShowHint = false;
    d->PseudoApp1->ShowMainForm = false;
    d->PseudoApp1->OnActivate = [] {};
    d->PseudoApp1->OnDeactivate = [] {};
    d->PseudoApp1->OnMessage = [this](QObject* receiver, QEvent* event, bool& handled) {
        PseudoApp1Message(receiver, event, handled);
    };
    d->PseudoApp1->Loaded();

    const QPoint origin = ScreenOrigin();
    setGeometry(origin.x(), origin.y(), BarGeometry::CreationWidth, BarGeometry::WindowHeight);
    LayOut();
    FormCreate();
}

TForm1::~TForm1()
{
    d->Closing = true;
    d->Shortcut.reset();
    d->Live.reset();
    if (d->Watch)
        d->Watch->Stop();
    d->Watch.reset();
    d->Popups.reset();
    State.HintWindow = nullptr;
    d->HintWindow.reset();
}

void TForm1::FormCreate()
{
    DataDir = QDir::toNativeSeparators(QDir::currentPath());
    State.AutoHide = true;
    d->HintWindow = std::make_unique<THintWindow>();
    State.HintWindow = d->HintWindow.get();
    d->Popups = std::make_unique<BarPopups>(State, Settings, Cells, [this] { FormActivate(); },
                                            [this] { return pos(); });
    State.ShownDate = Clock::Now();
    d->Live = std::make_unique<LiveUpdates>(*this, [this] { HidePopup(); });
    FillNavButtons(State);
    const QString error = ReadSettings();
    ShowMonth(false, State.ShownDate);

    // Reported once the bar stands, so that the start goes on.
    if (!error.isEmpty())
        QTimer::singleShot(0, this, [error] { MessageBoxes::ShowError(error); });
}

// Murvane.ini from scratch; the error of a picture that cannot be loaded.
QString TForm1::ReadSettings()
{
    BarSettings settings;
    std::optional<QImage> picture = BuiltInPicture();
    QString error;
    try {
        LoadSettings(DataDir, settings, picture);
    } catch (const AppError& e) {
        error = e.message();
    }
    // The text colours have no editor: they start black whatever the file says.
    settings.DayPopFontColor = Colors::Black;
    settings.YoubiPopFontColor = Colors::Black;
    settings.YoteiBackFontColor = Colors::Black;
    Settings = settings;
    ImageList2 = std::move(picture);
    return error;
}

// A picture that fails here is reported only at the next start: the file
// may be half-way through a sync.
void TForm1::ReloadSettings()
{
    const QKeyCombination keys = Settings.Shortcut;
    ReadSettings();
    if (Settings.Shortcut != keys)
        RegisterShortcut();
}

void TForm1::RegisterShortcut()
{
    // Registered first when the bar is shown.
    if (!d->Activated)
        return;
    // The old grab goes first: the new keys may share its key.
    d->Shortcut.reset();
    ShortcutProblem.clear();
    ShortcutKeys = QKeySequence(Settings.Shortcut).toString(QKeySequence::NativeText);
    d->Shortcut = GlobalShortcut::Create(Settings.Shortcut, [this] { TakeFocus(); }, ShortcutProblem);
}

void TForm1::ShowMonth(bool mark, const QDateTime& date)
{
    if (d->Live)
        d->Live->Showing(mark, date);
    try {
        RenderMonth(MonthRender{DataDir, Settings, ImageList2, mark, date.date(), devicePixelRatioF(), Calendars},
                    State, Cells, d->Layers);
    } catch (...) {
        // The redraw drops its errors; the bar keeps what was drawn.
    }
    setFixedSize(d->Layers.WindowWidth, BarGeometry::WindowHeight);
    LayOut();
    d->Image1->SetImage(&d->Layers.Strip);
    d->Image2->SetImage(&d->Layers.Overlay);
    update();
    ShowFocus();
    // The strip's accessible name is the month.
    if (QAccessible::isActive()) {
        QAccessibleEvent renamed(d->Image1, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

void TForm1::LayOut()
{
    using namespace BarGeometry;
    d->Panel1->setGeometry(0, 0, width(), WindowHeight);
    d->Image1->setGeometry(LayerOrigin, LayerOrigin, width() - 2 * LayerOrigin, StripHeight);
    d->Image2->setGeometry(LayerOrigin, LayerOrigin, OverlayWidth, StripHeight);
    d->Label1->adjustSize();
    d->Label1->raise();
    d->Image2->raise();
}

QPoint TForm1::ScreenOrigin() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().topLeft() : QPoint();
}

QPoint TForm1::BarTopLeft() const
{
    return QPoint(x(), ScreenOrigin().y());
}

BarPlace TForm1::Place() const
{
    const QPoint origin = ScreenOrigin();
    return BarPlace{x() - origin.x(), Top(), width(), height()};
}

int TForm1::Top() const
{
    return y() - ScreenOrigin().y();
}

bool TForm1::IsSliding() const
{
    return d->Slider->IsSliding();
}

QLabel* TForm1::Label1() const
{
    return d->Label1;
}

QLabel* TForm1::Label2() const
{
    return d->Label2;
}

const QImage& TForm1::StripImage() const
{
    return d->Layers.Strip;
}

const QImage& TForm1::OverlayImage() const
{
    return d->Layers.Overlay;
}

QMenu* TForm1::PopupMenu1() const
{
    return d->PopupMenu1;
}

void TForm1::SetDayEditorOpener(DayEditorOpener opener)
{
    d->DayEditor = std::move(opener);
}

void TForm1::SetScheduleListOpener(std::function<void()> opener)
{
    d->ScheduleList = std::move(opener);
    if (d->PrevMonth1)
        return;
    d->PrevMonth1 = new QAction(QStringLiteral("予定月間表示"), d->PopupMenu1);
    d->PopupMenu1->insertAction(d->PopupMenu1->actions().value(0), d->PrevMonth1);
    connect(d->PrevMonth1, &QAction::triggered, this, [this] { RunHandler([this] { PrevMonth1Click(); }); });
}

void TForm1::SetOptionsOpener(std::function<void()> opener)
{
    d->Options = std::move(opener);
    if (d->N5)
        return;
    d->N5 = new QAction(QStringLiteral("オプション"), d->PopupMenu1);
    d->PopupMenu1->insertAction(d->Refresh1 ? d->Refresh1 : d->Version1, d->N5);
    connect(d->N5, &QAction::triggered, this, [this] { RunHandler([this] { N5Click(); }); });
}

void TForm1::SetVersionOpener(std::function<void()> opener)
{
    d->VersionInfo = std::move(opener);
}

void TForm1::SetCalendarStore(CalendarStore* store)
{
    Calendars = store;
    d->Live->FollowCalendars(store);
    if (!store || d->Refresh1)
        return;
    d->Refresh1 = new QAction(QStringLiteral("カレンダーを今すぐ更新"), d->PopupMenu1);
    d->PopupMenu1->insertAction(d->Version1, d->Refresh1);
    connect(d->Refresh1, &QAction::triggered, this, [this] { RunHandler([this] { Refresh1Click(); }); });
}

// Slide-in: from where the bar stands down to Top 0.
void TForm1::FormActivate()
{
    if (d->Live)
        d->Live->CheckDay();
    State.Shown = true;
    d->Slider->SlideIn();
}

void TForm1::SlideOut()
{
    // A click gave the bar the focus: it goes back as the bar leaves.
    if (d->Return && isActiveWindow())
        d->Return->GiveBack();
    State.Shown = false;
    HidePopup();
    if (State.AutoHide)
        d->Slider->SlideOut();
}

void TForm1::PointerTest(int x, int y)
{
    // The menu runs its own loop in the original; the bar stays while it is open.
    if (d->MenuOpen || d->Keyboard || d->Closing || !isVisible())
        return;
    if (d->Live)
        d->Live->CheckDay();
    Apply(DecidePointerTest(State.Shown, State.AutoHide, Place(), QPoint(x, y) - ScreenOrigin()));
}

void TForm1::PointerLeft()
{
    if (d->MenuOpen || d->Keyboard || d->Closing || !isVisible())
        return;
    // Asked after the Leave: under XWayland the answer is where the pointer
    // was last seen over an X window, inside the bar, so it does not count then.
    Apply(DecideLeave(State.Shown, State.AutoHide, Place(), QCursor::pos() - ScreenOrigin()));
}

void TForm1::Apply(PointerAction action)
{
    switch (action) {
    case PointerAction::SlideIn:
        FormActivate();
        break;
    case PointerAction::SlideOut:
        SlideOut();
        break;
    case PointerAction::None:
        break;
    }
}

void TForm1::MouseHookProc(QPoint screenPos)
{
    const QString time = Clock::Now().toString(QStringLiteral("HH:mm"));
    if (d->Label1->text() != time) {
        d->Label1->setText(time);
        d->Label1->adjustSize();
    }
    const QString y = QString::number(screenPos.y());
    if (d->Label2->text() != y)
        d->Label2->setText(y);
    PointerTest(screenPos.x(), screenPos.y());
}

void TForm1::PseudoApp1Message(QObject* receiver, QEvent* event, bool&)
{
    switch (event->type()) {
    case QEvent::Paint:
        if (State.AutoHide)
            EnsurePointerWatch();
        break;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const QPoint p = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        PointerTest(p.x(), p.y());
        break;
    }
    case QEvent::Enter: {
        if (receiver == windowHandle())
            ++d->LeaveSerial;
        const QPoint p = static_cast<QEnterEvent*>(event)->globalPosition().toPoint();
        PointerTest(p.x(), p.y());
        break;
    }
    case QEvent::Leave:
        // The window system's own Leave of the bar window, which carries no
        // position; the widgets' Leaves inside the bar are not crossings. It
        // is decided once the events already read are delivered: XWayland
        // follows a Leave at once by an Enter at the same place whenever a
        // window maps, and that pair must leave the bar as it is.
        if (receiver == windowHandle() && event->spontaneous()) {
            const unsigned serial = ++d->LeaveSerial;
            QMetaObject::invokeMethod(this, [this, serial] {
                if (serial == d->LeaveSerial)
                    PointerLeft();
            }, Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
}

void TForm1::EnsurePointerWatch()
{
    if (d->Closing || !State.AutoHide)
        return;
    if (!d->Watch)
        d->Watch = PointerWatch::Create([this](QPoint p) { MouseHookProc(p); });
    d->Watch->Start();
}

void TForm1::Image1MouseMove(int x, int y)
{
    d->Popups->Image1MouseMove(x, y);
}

void TForm1::Image2MouseMove(int x, int y)
{
    d->Popups->Image2MouseMove(x, y);
}

void TForm1::Image2MouseDown(int x, int y)
{
    State.HitPoint = IntPair{x, y};
    if (!HitNavButton(State, State.HitPoint))
        return;
    update();
    State.ShownDate = NavButtonTarget(State.HitPoint.X, State.ShownDate);
    ShowMonth(false, State.ShownDate);
}

void TForm1::Image1DblClick()
{
    IntPair hit = State.MousePos;
    if (!HitDayCell(Cells, hit))
        return;
    const CellRec dayCell = Cells.At(2, hit.X);
    HidePopup();
    State.AutoHide = false;
    {
        // An editor that fails must not leave the bar unable to slide out.
        struct Restore {
            BarState& state;
            ~Restore() { state.AutoHide = true; }
        } restore{State};
        if (d->DayEditor)
            d->DayEditor(dayCell, State.MousePos);
    }
    ShowMonth(false, State.ShownDate);
    EnsurePointerWatch();
    RetestPointer();
}

void TForm1::PopupMenu1Popup()
{
    HidePopup();
}

void TForm1::PrevMonth1Click()
{
    State.AutoHide = false;
    ListActive = false;
    {
        struct Restore {
            BarState& state;
            ~Restore() { state.AutoHide = true; }
        } restore{State};
        if (d->ScheduleList)
            d->ScheduleList();
    }
    RetestPointer();
}

// Runs the pointer test once where the pointer is now, after the events
// already read. For the start and for the dialogs that kept the bar down:
// a pointer that went away meanwhile, over a window of another program (under
// XWayland no motion is reported there), would leave the bar down for good.
void TForm1::RetestPointer()
{
    QMetaObject::invokeMethod(this, [this] {
        const QPoint p = QCursor::pos();
        PointerTest(p.x(), p.y());
    }, Qt::QueuedConnection);
}

void TForm1::N5Click()
{
    if (d->Options)
        d->Options();
}

void TForm1::Version1Click()
{
    if (d->VersionInfo)
        d->VersionInfo();
}

void TForm1::Refresh1Click()
{
    if (Calendars)
        Calendars->RefreshAll();
}

void TForm1::end1Click()
{
    d->Closing = true;
    if (d->Watch)
        d->Watch->Stop();
    close();
}

void TForm1::HidePopup()
{
    if (d->Popups)
        d->Popups->Hide();
}

void TForm1::FormClose()
{
    d->Popups->Hide();
    State.HintWindow = nullptr;
    d->HintWindow.reset();
}

void TForm1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    // Another window took the focus (not a dialog the bar opened): the bar
    // lets the keyboard go and may slide away.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && d->Keyboard
        && !QApplication::activeModalWidget() && !d->MenuOpen) {
        LeaveKeyboard(false);
        RetestPointer();
    }
    QWidget::changeEvent(event);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // As the program's first window the bar is active from the start, with
    // or without a window manager to say so.
    if (!d->Activated) {
        d->Activated = true;
        FormActivate();
        EnsurePointerWatch();
        d->Stacking = BarStacking::Create(*this);
        d->Return = FocusReturn::Create(*this);
        RegisterShortcut();
        // With the pointer away the bar slides out by itself.
        RetestPointer();
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    d->Closing = true;
    if (d->Watch)
        d->Watch->Stop();
    FormClose();
    event->accept();
    QWidget::closeEvent(event);
    emit Closed();
}

void TForm1::contextMenuEvent(QContextMenuEvent* event)
{
    d->PopupMenu1->popup(event->globalPos());
}

// The bar takes the keyboard when clicked, but the focus shows only once a
// key is used: a pointer user sees the bar as before.
void TForm1::ClickFocus()
{
    if (isActiveWindow() || !d->Return)
        return;
    d->Return->Remember();
    activateWindow();
}

void TForm1::TakeFocus()
{
    if (d->Closing)
        return;
    if (d->Return && !isActiveWindow())
        d->Return->Remember();
    HidePopup();
    State.ShownDate = Clock::Now();
    ShowMonth(false, State.ShownDate);
    FormActivate();
    raise();
    activateWindow();
    EnterKeyboard(State.ShownDate.date());
}

bool TForm1::HasKeyboard() const
{
    return d->Keyboard;
}

QDate TForm1::FocusDay() const
{
    return d->FocusDay;
}

int TForm1::FocusStop() const
{
    return d->FocusStop;
}

void TForm1::EnterKeyboard(QDate day)
{
    d->Keyboard = true;
    d->FocusStop = 0;
    // Accessibility follows Qt's focus widget: the strip.
    d->Image1->setFocusPolicy(Qt::StrongFocus);
    d->Image1->setFocus(Qt::OtherFocusReason);
    SetFocusDay(day);
}

void TForm1::LeaveKeyboard(bool giveBack)
{
    d->Keyboard = false;
    d->FocusPopup->stop();
    HidePopup();
    d->Image1->clearFocus();
    d->Image1->setFocusPolicy(Qt::NoFocus);
    ShowFocus();
    if (giveBack && d->Return && isActiveWindow())
        d->Return->GiveBack();
}

int TForm1::FocusColumn() const
{
    for (int column = 1; column <= Cells.DayCount; ++column) {
        if (Cells.At(2, column).Date == d->FocusDay)
            return column;
    }
    return 0;
}

void TForm1::SetFocusDay(QDate day)
{
    if (!day.isValid())
        return;
    d->FocusDay = day;
    const QDate shown = State.ShownDate.date();
    if (day.year() != shown.year() || day.month() != shown.month()) {
        HidePopup();
        State.ShownDate = day == Clock::Now().date() ? Clock::Now() : QDateTime(day, QTime(0, 0));
        ShowMonth(false, State.ShownDate);
    }
    SetFocusStop(0);
}

void TForm1::SetFocusStop(int stop)
{
    d->FocusStop = stop;
    HidePopup();
    State.LastHintItem = IntPair{-1, -1};
    ShowFocus();
    d->FocusPopup->start();
    if (!QAccessible::isActive())
        return;
    const int column = FocusColumn();
    if (stop == 0 && column == 0)
        return;
    QAccessibleEvent focus(stop == 0 ? d->Image1 : d->Image2, QAccessible::Focus);
    focus.setChild(stop == 0 ? column - 1 : stop - 1);
    QAccessible::updateAccessibility(&focus);
}

void TForm1::ShowFocus()
{
    QRect day;
    QRect button;
    if (d->Keyboard && d->FocusStop == 0) {
        if (const int column = FocusColumn()) {
            const CellRec& cell = Cells.At(2, column);
            // Inside the raised frame, which takes the cell's outer pixels.
            day = QRect(QPoint(cell.Left, cell.Top + 1), QPoint(cell.Right - 3, cell.Bottom - 1));
        }
    } else if (d->Keyboard) {
        const IntRect& r = State.NavButtons[d->FocusStop];
        button = QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom));
    }
    d->Image1->SetFocusMark(day);
    d->Image2->SetFocusMark(button);
}

// After the pause, the pop-up the pointer would bring there.
void TForm1::ShowFocusPopup()
{
    if (!d->Keyboard || d->MenuOpen)
        return;
    if (d->FocusStop == 0) {
        if (const int column = FocusColumn()) {
            const CellRec& cell = Cells.At(2, column);
            d->Popups->Image1MouseMove((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
        }
        return;
    }
    const IntRect& r = State.NavButtons[d->FocusStop];
    d->Popups->Image2MouseMove((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

void TForm1::PressDay(int column)
{
    if (column < 1 || column > Cells.DayCount)
        return;
    const CellRec& cell = Cells.At(2, column);
    d->FocusPopup->stop();
    State.MousePos = IntPair{(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2};
    Image1DblClick();
    // The editor had the focus; the bar takes it back when it kept the keyboard.
    if (d->Keyboard) {
        activateWindow();
        d->Image1->setFocus(Qt::OtherFocusReason);
    }
}

void TForm1::ShowDayMenu(int column)
{
    if (column < 1 || column > Cells.DayCount)
        return;
    const CellRec& cell = Cells.At(2, column);
    d->FocusPopup->stop();
    HidePopup();
    d->PopupMenu1->popup(d->Image1->mapToGlobal(QPoint(cell.Left, cell.Bottom + 1)));
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (!d->Keyboard) {
        // The first key after a click: the focus shows on today or the shown day.
        const QDate today = Clock::Now().date();
        const QDate shown = State.ShownDate.date();
        EnterKeyboard(today.year() == shown.year() && today.month() == shown.month() ? today : shown);
        if (key != Qt::Key_Escape)
            return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (key == Qt::Key_Escape) {
        LeaveKeyboard(true);
        RetestPointer();
    } else if (key == Qt::Key_Menu || (key == Qt::Key_F10 && shift)) {
        if (d->FocusStop == 0)
            ShowDayMenu(FocusColumn());
        else
            d->PopupMenu1->popup(d->Image2->mapToGlobal(QPoint(State.NavButtons[d->FocusStop].Left, 30)));
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        if (d->FocusStop == 0) {
            PressDay(FocusColumn());
        } else {
            const IntRect& r = State.NavButtons[d->FocusStop];
            Image2MouseDown((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
            d->FocusDay = State.ShownDate.date();
            SetFocusStop(d->FocusStop);
        }
    } else if (const std::optional<DayMove> move = DayMoveForKey(key, event->modifiers())) {
        SetFocusDay(MovedDay(*move, d->FocusDay, Clock::Now().date()));
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Tab and Shift+Tab: the day row is one stop, then the five buttons.
bool TForm1::focusNextPrevChild(bool next)
{
    if (!d->Keyboard)
        return QWidget::focusNextPrevChild(next);
    SetFocusStop((d->FocusStop + (next ? 1 : 5)) % 6);
    return true;
}
