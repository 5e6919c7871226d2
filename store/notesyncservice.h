#pragma once

#include "notesyncer.h"

#include <QPointer>
#include <QString>
#include <QTimer>

class NoteSyncRun;
class Passwords;
class QNetworkAccessManager;

// The notes' sync for the running bar: one run at a time, started soon after
// a request, with the chosen calendar's refresh interval, and again when
// requests came in during a run. The chosen calendar is read from
// Calendars.ini at every run, so a choice made anywhere takes effect there.
class NoteSyncService : public NoteSyncer {
    Q_OBJECT

public:
    NoteSyncService(const QString& dataDir, QNetworkAccessManager* network, Passwords* passwords,
                    QObject* parent = nullptr);

    void SyncSoon() override;
    void SyncConfirmed() override;

    // How long a request waits for others to join it.
    static constexpr int GatherMs = 300;

private:
    void Run(bool confirmed);

    QString m_dataDir;
    QNetworkAccessManager* m_network;
    Passwords* m_passwords;
    QTimer m_soon;
    QTimer m_interval;
    QPointer<NoteSyncRun> m_run;
    bool m_again = false;
};
