#include "popups.h"

#include "calendarrules.h"
#include "colors.h"
#include "cp932.h"
#include "navigation.h"
#include "textutil.h"
#include "thintwindow.h"

#include <QStringList>
#include <algorithm>

namespace {
const QString LineBreak = QStringLiteral("\n\r");
const QString Separator = QStringLiteral("#~");

constexpr int ItemKind = 2;
constexpr int PointerGap = 20;        // the pop-up's top lies this far below the pointer
constexpr int PixelsPerByte = 9;      // width allowance per byte of the longest line
constexpr int LineMeasureWidth = 150; // the line height is measured within this
constexpr int ButtonMeasureWidth = 100;
constexpr int Unwrapped = 1 << 22;    // wider than any text

// The pop-up's width: the measured text within the allowance of 9 pixels a
// byte of its longest line, or, where the font's real width needs more than
// that, the text's own width: a line wrapped inside the allowance would be
// cut off by the pop-up's height of one line height a line.
int PopupWidth(const THintWindow& hint, int longestBytes, const QString& measured)
{
    const QRect allowed = hint.CalcHintRect(PixelsPerByte * longestBytes, measured);
    const QRect natural = hint.CalcHintRect(Unwrapped, measured);
    return allowed.height() > natural.height() ? natural.width() : allowed.width();
}

// A text wider than the screen is wrapped within the screen's width, words
// broken where there is no other place, and the pop-up is as tall as the
// wrapped text; the measure, like the hint window's own, adds 6 by 2 pixels.
void WrapToScreen(const THintWindow& hint, const QString& text, int& width, int& height)
{
    const int screenWidth = THintWindow::ScreenRect().width();
    if (width <= screenWidth)
        return;
    const QRect wrapped = hint.CalcWrappedRect(screenWidth - 6, text);
    width = wrapped.width();
    height = wrapped.height();
}

// The rectangle moves left by what passes the screen's right edge, but never
// past its left edge.
void KeepRightEdgeOnScreen(int& left, int& right)
{
    const QRect screen = THintWindow::ScreenRect();
    const int screenRight = screen.right() + 1;
    if (right > screenRight) {
        const int excess = right - screenRight;
        left -= excess;
        right -= excess;
        if (left < screen.left())
            left = screen.left();
    }
}

QString Bracketed(const QString& name)
{
    return QStringLiteral("【") + TrimBlanks(name) + QStringLiteral("】");
}

QString DateLine(const CellRec& dayCell)
{
    QString line = FormatSlashDate(dayCell.Date);
    if (!IsBlank(dayCell.HolidayName))
        line += Bracketed(dayCell.HolidayName);
    return line;
}

bool HitRow(const CellTable& cells, int row, IntPair& hitPoint)
{
    const int count = std::min(cells.DayCount, CellTable::MaxColumns);
    for (int column = 1; column <= count; ++column) {
        if (cells.At(row, column).Contains(hitPoint.X, hitPoint.Y)) {
            hitPoint = IntPair{column, ItemKind};
            return true;
        }
    }
    return false;
}
} // namespace

bool HitDayCell(const CellTable& cells, IntPair& hitPoint)
{
    return HitRow(cells, 2, hitPoint);
}

bool HitWeekdayCell(const CellTable& cells, IntPair& hitPoint)
{
    return HitRow(cells, 1, hitPoint);
}

bool HitNavButton(const BarState& state, IntPair& hitPoint)
{
    for (int n = 1; n <= 5; ++n) {
        if (state.NavButtons[n].Contains(hitPoint.X, hitPoint.Y)) {
            hitPoint = IntPair{n, ItemKind};
            return true;
        }
    }
    return false;
}

PopupLines SplitPopupLines(const QString& text)
{
    PopupLines result;
    const QStringList lines = text.split(Separator);
    result.Text = lines.join(LineBreak);
    result.LineCount = int(lines.size());
    for (const QString& line : lines)
        result.LongestLine = std::max(result.LongestLine, Cp932::ByteLength(line));
    return result;
}

QString DayPopupText(const CellRec& dayCell)
{
    QString text = DateLine(dayCell);
    if (!dayCell.Schedule.isEmpty())
        text += LineBreak + SplitPopupLines(dayCell.Schedule).Text;
    for (const QString& event : dayCell.Events)
        text += LineBreak + event;
    return text;
}

QString WeekdayPopupText(const CellRec& dayCell)
{
    if (IsBlank(dayCell.HolidayName))
        return {};
    return Bracketed(dayCell.HolidayName);
}

BarPopups::BarPopups(BarState& state, const BarSettings& settings, const CellTable& cells,
                     std::function<void()> activate, std::function<QPoint()> barTopLeft)
    : m_state(state), m_settings(settings), m_cells(cells), m_activate(std::move(activate)),
      m_barTopLeft(std::move(barTopLeft))
{
}

QPoint BarPopups::BarTopLeft() const
{
    return m_barTopLeft ? m_barTopLeft() : THintWindow::ScreenRect().topLeft();
}

void BarPopups::Hide()
{
    if (m_state.HintWindow)
        m_state.HintWindow->ReleaseHandle();
}

void BarPopups::HideAndForget()
{
    m_state.LastHintItem = IntPair{-1, -1};
    Hide();
}

void BarPopups::ChangeItem(int item)
{
    const IntPair hovered{item, ItemKind};
    if (hovered == m_state.LastHintItem)
        return;
    Hide();
    m_state.HintChanged = true;
    m_state.LastHintItem = hovered;
}

void BarPopups::ShowAt(int left, int top, int right, int bottom, const QString& text,
                       const QColor& background)
{
    if (!m_state.HintWindow)
        return;
    m_state.HintWindow->SetBackground(background);
    m_state.HintWindow->ActivateHint(QRect(QPoint(left, top), QSize(right - left, bottom - top)), text);
    // A changed item gets its first full paint now rather than at the next
    // round of the event loop.
    if (m_state.HintChanged) {
        m_state.HintWindow->repaint();
        m_state.HintChanged = false;
    }
}

bool BarPopups::BeginMove(int x, int y)
{
    // A move over a hidden bar only slides it in.
    if (!m_state.Shown) {
        if (m_activate)
            m_activate();
        return false;
    }
    m_state.MousePos = IntPair{x, y};
    m_state.HitPoint = IntPair{x, y};
    return true;
}

void BarPopups::Image1MouseMove(int x, int y)
{
    if (!BeginMove(x, y))
        return;

    if (HitDayCell(m_cells, m_state.HitPoint)) {
        const int column = m_state.HitPoint.X;
        ChangeItem(column);
        const CellRec& cell = m_cells.At(2, column);
        const THintWindow* hint = m_state.HintWindow;
        if (!hint)
            return;

        const QString text = DayPopupText(cell);
        const QString dateLine = DateLine(cell);
        // The width is measured without the blanks around the schedule.
        QString measured = dateLine;
        int lineCount = 1;
        int longest = Cp932::ByteLength(dateLine);
        if (!cell.Schedule.isEmpty()) {
            const PopupLines schedule = SplitPopupLines(cell.Schedule);
            lineCount += schedule.LineCount;
            longest = std::max(longest, schedule.LongestLine);
            const QString trimmed = TrimBlanks(schedule.Text);
            if (!trimmed.isEmpty())
                measured += LineBreak + trimmed;
        }
        for (const QString& event : cell.Events) {
            ++lineCount;
            longest = std::max(longest, Cp932::ByteLength(event));
            measured += LineBreak + event;
        }

        const int lineHeight = hint->CalcHintRect(LineMeasureWidth, FormatSlashDate(cell.Date)).height();
        int width = PopupWidth(*hint, longest, measured);
        int height = lineHeight * lineCount;
        WrapToScreen(*hint, text, width, height);
        const QPoint bar = BarTopLeft();
        int left = bar.x() + cell.Left;
        int right = left + width;
        const int top = bar.y() + y + PointerGap;
        KeepRightEdgeOnScreen(left, right);
        ShowAt(left, top, right, top + height, text, ToQColor(m_settings.DayPopColor));
        return;
    }

    if (HitWeekdayCell(m_cells, m_state.HitPoint)) {
        const int column = m_state.HitPoint.X;
        ChangeItem(column);
        const CellRec& dayCell = m_cells.At(2, column);
        const QString text = WeekdayPopupText(dayCell);
        if (text.isEmpty()) {
            HideAndForget();
            return;
        }
        const THintWindow* hint = m_state.HintWindow;
        if (!hint)
            return;
        int height = hint->CalcHintRect(LineMeasureWidth, text).height();
        int width = PopupWidth(*hint, Cp932::ByteLength(text), text);
        WrapToScreen(*hint, text, width, height);
        const QPoint bar = BarTopLeft();
        int left = bar.x() + m_cells.At(1, column).Left;
        int right = left + width;
        const int top = bar.y() + y + PointerGap;
        KeepRightEdgeOnScreen(left, right);
        ShowAt(left, top, right, top + height, text, ToQColor(m_settings.YoubiPopColor));
        return;
    }

    HideAndForget();
}

void BarPopups::Image2MouseMove(int x, int y)
{
    if (!BeginMove(x, y))
        return;

    if (!HitNavButton(m_state, m_state.HitPoint)) {
        HideAndForget();
        return;
    }
    const int button = m_state.HitPoint.X;
    ChangeItem(button);
    const THintWindow* hint = m_state.HintWindow;
    if (!hint)
        return;
    const QString text = NavButtonText(button);
    const QRect measure = hint->CalcHintRect(ButtonMeasureWidth, text);
    const QPoint bar = BarTopLeft();
    const int left = bar.x() + x;
    const int top = bar.y() + y + PointerGap;
    ShowAt(left, top, left + measure.width(), top + measure.height(), text, ToQColor(Colors::Yellow));
}
