#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>

// The rules of the notes' two-way sync with a calendar, on texts alone: no
// files, no network. A note's text is its lines joined by '\n'; the empty
// text is no note.

// The line between the two texts of a day that both sides changed.
inline constexpr char16_t NoteMergeLine[] = u"―― 他の端末の予定 ――";

// A day's note as both sides last agreed on it: the server's text and what
// the file holds of it (they differ where the file cannot hold a character).
struct AgreedNote {
    QString Server;
    QString File;
    bool operator==(const AgreedNote&) const = default;
};

enum class NoteStep {
    Nothing,        // as agreed
    Agree,          // both sides hold the same text now: record it (both empty: forget the day)
    Send,           // the file's text goes to the server
    DeleteOnServer,
    Receive,        // the server's text goes to the file
    DeleteInFile,
    Merge,          // both changed: both texts, to both sides
};

struct NoteDecision {
    NoteStep Step = NoteStep::Nothing;
    QString ServerText; // what the server holds afterwards
    QString FileText;   // what the file holds afterwards
};

// What a file holds of a server's text: line breaks of every kind as '\n',
// no empty last line, "#~" as a line break (the files' separator), every
// character CP932 has no form for as "〓".
QString NoteFileForm(const QString& serverText);
// A server's text as a note: CR LF and CR as '\n', no trailing line breaks, a
// blank text as no note.
QString NoteFromServer(const QString& text);

// One day: the file's text now, the server's now, and what they last agreed
// on (nullptr: never, as in a first sync).
NoteDecision DecideNote(const QString& file, const QString& server, const AgreedNote* agreed);

// Several objects on one day are one note: their texts in the order of
// their UIDs, each distinct text once, with the merge line between.
struct DayObjectText {
    QString Uid;
    QString Text;
};
QString JoinDayTexts(QList<DayObjectText> objects);

// What a sync will do, before it does it.
struct NotePlan {
    QMap<QDate, NoteDecision> Days; // only days with something to do
    int Sent = 0;     // Send and DeleteOnServer
    int Received = 0; // Receive and DeleteInFile
    int Merged = 0;
    enum class Ask { None, FirstSync, ServerEmptied, FilesEmptied };
    Ask Question = Ask::None;
    // The question to ask before anything is written; empty when none.
    QString QuestionText() const;
};

// All days of both sides. firstSync: nothing was ever agreed (no saved
// state). A plan asks first when both sides have notes on a first sync, or
// when one side has lost every note the other still has.
NotePlan PlanNoteSync(const QMap<QDate, QString>& files, const QMap<QDate, QString>& server,
                      const QMap<QDate, AgreedNote>& agreed, bool firstSync);

// One sync's outcome in one line, as `murvane --sync` prints it.
QString NoteSyncSummary(int sent, int received, int merged, int failed);
