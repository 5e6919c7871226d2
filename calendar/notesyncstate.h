#pragma once

#include "notesync.h"

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>

// What one machine knows of the notes' last sync with one calendar: the
// server's objects as last seen and the text agreed on per day. It lives
// outside the data folder, so that a folder shared between machines never
// carries one machine's state to another; losing it costs a full
// comparison, never a note.
struct NoteSyncState {
    struct Object {
        QString ETag;
        QByteArray Text; // the object as the server gave it
    };
    QString Token;                   // the collection's sync token
    bool NoSync = false;             // the server has no sync-collection
    QMap<QString, Object> Objects;   // by the object's path
    QMap<QDate, AgreedNote> Agreed;
};

// The state's file for the notes of dataDir synced with the calendar at
// address as user: in the per-machine application data folder.
QString NoteSyncStatePath(const QString& dataDir, const QString& address, const QString& user);

// False when there is none or it cannot be read (then state is empty).
bool ReadNoteSyncState(const QString& path, NoteSyncState& state);
// In one atomic replacement; raises AppError "%1 に書き込めません".
void WriteNoteSyncState(const QString& path, const NoteSyncState& state);
