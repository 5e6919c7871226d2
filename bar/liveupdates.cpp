#include "liveupdates.h"

#include "clock.h"

#include <QScopedValueRollback>

LiveUpdates::LiveUpdates(BarContext& bar, std::function<void()> hidePopup)
    : m_bar(bar), m_hidePopup(std::move(hidePopup)),
      m_day([this] { return m_bar.State.ShownDate.date(); }, [this](DayChange change) { DayChanged(change); }),
      m_files(bar.DataDir, [this] { FilesChanged(); })
{
    m_calendarRedraw.setSingleShot(true);
    m_calendarRedraw.setInterval(0);
    QObject::connect(&m_calendarRedraw, &QTimer::timeout, [this] { CalendarsChanged(); });
}

void LiveUpdates::FollowCalendars(CalendarStore* store)
{
    QObject::disconnect(m_calendarConnection);
    if (store) {
        // A store that says Changed while the redraw asks it for events must
        // not start the next redraw: that would never end.
        m_calendarConnection = QObject::connect(store, &CalendarStore::Changed, &m_calendarRedraw, [this] {
            if (!m_redrawingCalendars)
                m_calendarRedraw.start();
        });
    }
    m_calendarRedraw.start();
}

void LiveUpdates::CalendarsChanged()
{
    if (m_hidePopup)
        m_hidePopup();
    const QScopedValueRollback redrawing(m_redrawingCalendars, true);
    m_bar.ShowMonth(m_mark, m_bar.State.ShownDate);
}

void LiveUpdates::Showing(bool mark, const QDateTime& date)
{
    m_mark = mark;
    m_files.Follow(date.date());
}

void LiveUpdates::DayChanged(DayChange change)
{
    if (!change.Changed)
        return;
    bool mark = m_mark;
    if (change.MoveToToday) {
        m_bar.State.ShownDate = Clock::Now();
        mark = false;
    }
    if (m_hidePopup)
        m_hidePopup();
    m_bar.ShowMonth(mark, m_bar.State.ShownDate);
}

void LiveUpdates::FilesChanged()
{
    // The pop-up shows texts of the last redraw; the next pointer move over
    // the strip shows it again with the new ones.
    if (m_hidePopup)
        m_hidePopup();
    m_bar.ShowMonth(m_mark, m_bar.State.ShownDate);
    m_bar.NotifyDataChanged();
}
