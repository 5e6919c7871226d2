#pragma once

#include "calendarlist.h"
#include "davcollection.h"
#include "noteobject.h"
#include "notesync.h"
#include "notesyncer.h"
#include "notesyncstate.h"

#include <QLockFile>
#include <QMap>
#include <QObject>

#include <functional>
#include <memory>

class Passwords;
class QNetworkAccessManager;

// One sync of the notes of a data folder with a CalDAV calendar: what changed
// on the server since the last one, the month files as they are now, the
// rules of notesync.h, then the writes, one request at a time: If-None-Match
// to create, If-Match to change or delete. A write refused because the object
// changed meanwhile reads it again and decides again. The state is saved
// once at the end; a run cut short leaves the last one, which costs a fuller
// comparison next time and never a note.
class NoteSyncRun : public QObject {
    Q_OBJECT

public:
    // confirmed: the question of a first sync or of a side that lost every
    // note is answered yes already.
    NoteSyncRun(const QString& dataDir, const CalendarEntry& entry, QNetworkAccessManager* network,
                Passwords* passwords, bool confirmed, QObject* parent = nullptr);

    void Start();
    void Abort();

signals:
    void Finished(const NoteSyncReport& report);

private:
    struct DayObject {
        QString Key;
        NoteObject Note;
        QString ETag;
    };
    struct Write {
        QString Key;  // empty: a new object
        QString Text; // empty: delete
        QString ETag;
    };

    void Plan();
    QList<DayObject> ObjectsOn(QDate day) const;
    QString ServerText(QDate day) const;
    void NextDay();
    void Process(const NoteDecision& decision);
    void NextWrite();
    void OnWrite(const Write& write, const QString& key, const QByteArray& body, const DavAnswer& answer);
    void Record(const QString& key, const QByteArray& body, const QByteArray& etag, std::function<void()> then);
    void Keep(const QString& key, const QByteArray& etag, const QByteArray& text);
    void Forget(const QString& key);
    void ReadAgain(const QString& key);
    void Decide();
    void FinishDay(const NoteDecision& decision);
    void FailDay();
    void Fail(const QString& error);
    void Finish();
    void Emit();

    QString m_dataDir;
    CalendarEntry m_entry;
    Passwords* m_passwords;
    bool m_confirmed;
    QString m_statePath;
    std::unique_ptr<QLockFile> m_lock;
    NoteSyncState m_state;
    bool m_first = false;
    bool m_listChanged = false;
    bool m_agreedChanged = false; // a day's agreed texts were recorded
    DavCollection m_collection;
    QMap<QString, NoteObject> m_notes; // the collection's objects read as notes
    QMap<QDate, QString> m_files;      // the files' texts when planned
    NoteSyncReport m_report;
    bool m_running = false;

    // The day being written.
    QList<QDate> m_days;
    QDate m_day;
    NoteDecision m_decision;
    QList<Write> m_writes;
    int m_tries = 0;      // decisions made for this day
    int m_uidTries = 0;   // UIDs tried for one creation
    QString m_lastRefusal;
};
