#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

// A calendar object as a day note. Whoever wrote it, an object is a note when
// it holds one event on one whole day that does not repeat; its text is the
// DESCRIPTION, else the SUMMARY. Anything else stays an event of its own.
struct NoteObject {
    bool IsNote = false;
    QString Uid;
    QDate Date;
    QString Text;      // as NoteFromServer gives it
    int Sequence = 0;
};

NoteObject ReadNoteObject(const QByteArray& ical);

// The object the program writes for a note: an all-day VEVENT on date,
// transparent, the first line as SUMMARY, the whole text as DESCRIPTION, and
// X-MURVANE-NOTE to tell it from other clients' items.
QByteArray WriteNoteObject(const QString& uid, QDate date, const QString& text, int sequence,
                           const QDateTime& stamp);

// A fresh UID, never derived from the date: servers with a trash bin refuse
// a UID that was deleted.
QString NewNoteUid();
