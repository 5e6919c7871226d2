#include "liveupdates.h"

#include "clock.h"

#include <QScopedValueRollback>
#include <QTimer>

LiveUpdates::LiveUpdates(BarContext& bar, std::function<void()> hidePopup)
    : m_bar(bar), m_hidePopup(std::move(hidePopup)),
      m_day([this] { return m_bar.State.ShownDate.date(); }, [this](DayChange change) { DayChanged(change); }),
      m_conflicts(bar.DataDir), m_files(bar.DataDir, [this] { FilesChanged(); })
{
    m_files.OnFolderChanged([this] { m_conflicts.Scan(); });
    m_files.OnSettingsChanged([this] { SettingsChanged(); });
    // Once the start is over.
    QTimer::singleShot(0, &m_conflicts, &ConflictWatch::Scan);
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

// Colours and options changed by hand or on another machine show as the
// notes do; the bar never writes the file here.
void LiveUpdates::SettingsChanged()
{
    m_bar.ReloadSettings();
    if (m_hidePopup)
        m_hidePopup();
    m_bar.ShowMonth(m_mark, m_bar.State.ShownDate);
    m_bar.NotifyDataChanged();
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
