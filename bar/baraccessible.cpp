#include "baraccessible.h"

#include "clock.h"
#include "navigation.h"
#include "popups.h"
#include "textutil.h"
#include "tform1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <map>

QString MonthName(QDate day)
{
    return QStringLiteral("%1年%2月").arg(day.year()).arg(day.month());
}

QString LongDateName(QDate day)
{
    static const char16_t* const weekdays[] = {u"月曜日", u"火曜日", u"水曜日", u"木曜日",
                                               u"金曜日", u"土曜日", u"日曜日"};
    return QStringLiteral("%1年%2月%3日 ")
               .arg(day.year())
               .arg(day.month())
               .arg(day.day())
           + QString::fromUtf16(weekdays[day.dayOfWeek() - 1]);
}

QString DayDescription(const CellRec& dayCell, QDate today)
{
    QStringList parts;
    if (dayCell.Date == today)
        parts.append(QStringLiteral("今日"));
    if (!IsBlank(dayCell.HolidayName))
        parts.append(TrimBlanks(dayCell.HolidayName));
    // The note's lines, as the pop-up shows them, on one line.
    QStringList note;
    for (const QString& line : dayCell.Schedule.split(QStringLiteral("#~"))) {
        if (!IsBlank(line))
            note.append(TrimBlanks(line));
    }
    if (!note.isEmpty())
        parts.append(note.join(u' '));
    if (!dayCell.Events.isEmpty()) {
        parts.append(QStringLiteral("予定 %1 件: %2")
                         .arg(dayCell.Events.size())
                         .arg(dayCell.Events.join(QStringLiteral("、"))));
    }
    return parts.join(QStringLiteral("。"));
}

QString NavButtonName(int button)
{
    static const char16_t* const names[] = {u"前年", u"前月", u"今月", u"翌月", u"翌年"};
    return button >= 1 && button <= 5 ? QString::fromUtf16(names[button - 1]) : QString();
}

namespace {

TForm1* BarOf(const QWidget* widget)
{
    return widget ? qobject_cast<TForm1*>(widget->window()) : nullptr;
}

// A day of the strip or a button of the header: painted, with no widget of
// its own. It reads the bar afresh at every question.
class PaintedItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PaintedItem(QWidget* layer, bool day, int number) : m_layer(layer), m_day(day), m_number(number) {}

    bool isValid() const override
    {
        const TForm1* bar = BarOf(m_layer);
        return bar && (!m_day || m_number <= bar->Cells.DayCount);
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_layer ? m_layer->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_layer); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        const TForm1* bar = BarOf(m_layer);
        if (!bar)
            return {};
        if (!m_day) {
            if (t == QAccessible::Name)
                return NavButtonName(m_number);
            return t == QAccessible::Description ? NavButtonText(m_number) : QString();
        }
        const CellRec& cell = bar->Cells.At(2, m_number);
        if (t == QAccessible::Name)
            return LongDateName(cell.Date);
        return t == QAccessible::Description ? DayDescription(cell, Clock::Now().date()) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        const TForm1* bar = BarOf(m_layer);
        if (!bar)
            return {};
        QRect r;
        if (m_day) {
            const CellRec& cell = bar->Cells.At(2, m_number);
            r = QRect(QPoint(cell.Left, cell.Top), QPoint(cell.Right, cell.Bottom));
        } else {
            const IntRect& b = bar->State.NavButtons[m_number];
            r = QRect(QPoint(b.Left, b.Top), QPoint(b.Right, b.Bottom));
        }
        return r.translated(m_layer->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override { return m_day ? QAccessible::ListItem : QAccessible::Button; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = m_day;
        const TForm1* bar = BarOf(m_layer);
        if (!bar)
            return s;
        const bool focused = bar->HasKeyboard()
                             && (m_day ? bar->FocusStop() == 0 && bar->FocusDay() == bar->Cells.At(2, m_number).Date
                                       : bar->FocusStop() == m_number);
        s.focused = focused;
        s.selected = focused && m_day;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        if (m_day)
            return {pressAction(), showMenuAction()};
        return {pressAction()};
    }
    void doAction(const QString& name) override
    {
        TForm1* bar = BarOf(m_layer);
        if (!bar)
            return;
        // Later: an action must not run a dialog inside the caller's request.
        const int n = m_number;
        if (m_day && name == pressAction())
            QMetaObject::invokeMethod(bar, [bar, n] { bar->PressDay(n); }, Qt::QueuedConnection);
        else if (m_day && name == showMenuAction())
            QMetaObject::invokeMethod(bar, [bar, n] { bar->ShowDayMenu(n); }, Qt::QueuedConnection);
        else if (name == pressAction())
            QMetaObject::invokeMethod(bar, [bar, n] {
                const IntRect& b = bar->State.NavButtons[n];
                bar->Image2MouseDown((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
            }, Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        if (name == pressAction())
            return {QStringLiteral("Return")};
        return {QStringLiteral("Shift+F10")};
    }

    int Number() const { return m_number; }

private:
    QPointer<QWidget> m_layer;
    bool m_day;
    int m_number;
};

// Image1 (the strip, a list of days) or Image2 (the header and its buttons).
class LayerAccessible : public QAccessibleWidget {
public:
    LayerAccessible(QWidget* layer, bool strip)
        : QAccessibleWidget(layer, strip ? QAccessible::List : QAccessible::ToolBar), m_strip(strip)
    {
    }
    ~LayerAccessible() override
    {
        for (const auto& [number, id] : m_items)
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override
    {
        const TForm1* bar = BarOf(widget());
        if (t != QAccessible::Name || !bar)
            return QAccessibleWidget::text(t);
        return m_strip ? MonthName(bar->State.ShownDate.date()) : QStringLiteral("月の移動");
    }

    int childCount() const override
    {
        const TForm1* bar = BarOf(widget());
        return !bar ? 0 : m_strip ? bar->Cells.DayCount : 5;
    }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // One item per place, kept: screen readers hold on to them by id.
        const int number = index + 1;
        auto found = m_items.find(number);
        if (found == m_items.end()) {
            auto* item = new PaintedItem(widget(), m_strip, number);
            found = m_items.emplace(number, QAccessible::registerAccessibleInterface(item)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (const auto& [number, id] : m_items) {
            if (QAccessible::accessibleInterface(id) == child)
                return number - 1;
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface* item = child(i);
            if (item->rect().contains(x, y))
                return item;
        }
        return nullptr;
    }

private:
    bool m_strip;
    mutable std::map<int, QAccessible::Id> m_items;
};

QAccessibleInterface* BarAccessibleFactory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !BarOf(widget) || widget == widget->window())
        return nullptr;
    if (widget->objectName() == u"Image1")
        return new LayerAccessible(widget, true);
    if (widget->objectName() == u"Image2")
        return new LayerAccessible(widget, false);
    return nullptr;
}

} // namespace

void InstallBarAccessibility()
{
    QAccessible::installFactory(BarAccessibleFactory);
}
