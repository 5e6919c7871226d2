#include "thintwindow.h"

#include "barfonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTextOption>
#include <QToolTip>
#include <QtMath>

namespace {
// Line breaks arrive as line feed + carriage return; Qt would draw the
// carriage return as a space at the start of the next line.
QString DisplayText(const QString& text)
{
    QString display = text;
    display.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    display.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return display;
}

QFont HintFont()
{
    QFont font = QToolTip::font();
    if (font.pointSizeF() <= 0 && font.pixelSize() <= 0)
        font.setPointSize(8);
    // The whole text in one font. Without Japanese in the system's font, Qt
    // takes each run's glyphs, digits included, from whichever font covers
    // that run's script, so the date of "…【クリスマスイブ】" came out narrower
    // than the one of "…【振替休日】". The stand-in draws as the strip does,
    // in whole pixels.
    if (!QFontDatabase::writingSystems(QFontInfo(font).family()).contains(QFontDatabase::Japanese)) {
        const QFont gothic = GothicFont();
        font.setFamilies(gothic.families());
        font.setStyleStrategy(gothic.styleStrategy());
        font.setHintingPreference(gothic.hintingPreference());
    }
    return font;
}

// Word-wrapped, and a word longer than a line broken where it must be: a text
// without blanks still stays within the window's width.
QTextOption WrapOption()
{
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

constexpr int TextInset = 2;
constexpr int BigHeight = 100000;
} // namespace

THintWindow::THintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
{
    // The pointer over the pop-up belongs to what lies under it, so a pointer
    // that jumps onto it moves over the bar or leaves it, never enters here.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFont(HintFont());
    SetBackground(QToolTip::palette().color(QPalette::ToolTipBase));
}

QRect THintWindow::ScreenRect()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry();
    return QRect(0, 0, 640, 480);
}

QRect THintWindow::CalcHintRect(int maxWidth, const QString& text) const
{
    const QFontMetrics metrics(font());
    const QRect extent = metrics.boundingRect(QRect(0, 0, maxWidth, BigHeight),
                                              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                              DisplayText(text));
    return QRect(0, 0, extent.width() + 6, extent.height() + 2);
}

QRect THintWindow::CalcWrappedRect(int maxWidth, const QString& text) const
{
    // Measured by the same layout that paints it; an image has the screen's
    // default resolution, as the window's font has.
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    painter.setFont(font());
    const QRectF extent = painter.boundingRect(QRectF(0, 0, maxWidth, BigHeight), DisplayText(text), WrapOption());
    return QRect(0, 0, qCeil(extent.width()) + 6, qCeil(extent.height()) + 2);
}

void THintWindow::SetBackground(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
}

void THintWindow::ActivateHint(const QRect& rect, const QString& text)
{
    m_text = text;
    const QRect screen = ScreenRect();
    const int width = rect.width();
    const int height = rect.height() + 4;
    int left = rect.left();
    int top = rect.top();
    if (top + height > screen.bottom() + 1)
        top = screen.bottom() + 1 - height;
    if (top < screen.top())
        top = screen.top();
    if (left + width > screen.right() + 1)
        left = screen.right() + 1 - width;
    if (left < screen.left())
        left = screen.left();

    // A window hidden for another item is released now, from the bar's own
    // event, and made again by show(): a new item gets a new window.
    if (m_releasePending && !isVisible() && testAttribute(Qt::WA_WState_Created))
        destroy();

    // Top-most by its window flags; a released window is made again by show().
    setGeometry(left, top, width, height);
    if (!isVisible())
        show();
    update();
}

void THintWindow::ReleaseHandle()
{
    hide();
    // Never destroyed from inside the delivery of one of its own events:
    // released once the event loop is back, unless shown again meanwhile.
    if (m_releasePending || !testAttribute(Qt::WA_WState_Created))
        return;
    m_releasePending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_releasePending = false;
        if (!isVisible() && testAttribute(Qt::WA_WState_Created))
            destroy();
    }, Qt::QueuedConnection);
}

void THintWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, palette().color(QPalette::Window));

    // Thin raised border: light above and left, dark below and right.
    painter.setPen(QColor(Qt::white));
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(QColor(Qt::darkGray));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());

    painter.setPen(QToolTip::palette().color(QPalette::ToolTipText));
    painter.setFont(font());
    painter.drawText(QRectF(area.adjusted(TextInset, TextInset, 0, 0)), DisplayText(m_text), WrapOption());
}
