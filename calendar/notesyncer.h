#pragma once

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>

// What one sync of the notes did.
struct NoteSyncReport {
    int Sent = 0;
    int Received = 0;
    int Merged = 0;
    int Failed = 0;
    QList<QDate> MergedDays;
    QList<QDate> FailedDays;
    QString FailedWhy; // the last refusal, in words
    QString Error;    // why it could not run; empty when it ran
    QString Question; // to be confirmed before anything is written; nothing was
    int Requests = 0; // sent to the server
};

// What the bar and the dialogs see of the notes' sync with the chosen
// calendar: they start syncs and hear how they went; the network and the
// rules sit behind it.
class NoteSyncer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // A sync soon, without blocking; several requests close together make one.
    virtual void SyncSoon() = 0;
    // Runs the sync that asked a question, the user having said yes.
    virtual void SyncConfirmed() = 0;

signals:
    void Finished(const NoteSyncReport& report);
};
