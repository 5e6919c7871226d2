#include "notesyncservice.h"

#include "calendarlist.h"
#include "notesyncrun.h"

NoteSyncService::NoteSyncService(const QString& dataDir, QNetworkAccessManager* network, Passwords* passwords,
                                 QObject* parent)
    : NoteSyncer(parent)
    , m_dataDir(dataDir)
    , m_network(network)
    , m_passwords(passwords)
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(GatherMs);
    connect(&m_soon, &QTimer::timeout, this, [this] { Run(false); });
    connect(&m_interval, &QTimer::timeout, this, &NoteSyncService::SyncSoon);
}

void NoteSyncService::SyncSoon()
{
    if (m_run)
        m_again = true;
    else if (!m_soon.isActive())
        m_soon.start();
}

void NoteSyncService::SyncConfirmed()
{
    if (m_run) {
        m_run->Abort();
        m_run->deleteLater();
        m_run = nullptr;
    }
    m_soon.stop();
    Run(true);
}

void NoteSyncService::Run(bool confirmed)
{
    m_again = false;
    const QList<CalendarEntry> entries = ReadCalendarList(m_dataDir);
    const CalendarEntry* entry = NotesCalendar(entries);
    if (!entry) {
        m_interval.stop();
        return;
    }
    m_interval.start(entry->RefreshMinutes * 60 * 1000);
    auto* run = new NoteSyncRun(m_dataDir, *entry, m_network, m_passwords, confirmed, this);
    m_run = run;
    connect(run, &NoteSyncRun::Finished, this, [this, run](const NoteSyncReport& report) {
        run->deleteLater();
        m_run = nullptr;
        emit Finished(report);
        if (std::exchange(m_again, false))
            SyncSoon();
    });
    run->Start();
}
