#pragma once

#include <QList>
#include <QString>

// One calendar of Calendars.ini, the UTF-8 file in the data folder that lists
// the user's calendars, one section each ([Calendar1], [Calendar2], …).
struct CalendarEntry {
    QString Section;            // its section's name; empty for one not yet written
    QString Name;               // Name=, the text shown
    QString Source;             // Source=, a file path or an http(s)/webcal(s) address
    QString Color = QStringLiteral("#3a87ad"); // Color=, "#rrggbb"
    bool Shown = true;          // Shown=, 1 or 0
    int RefreshMinutes = 30;    // RefreshMinutes=, at least 5
    QString User;               // User=, for a source that signs in (CalDAV)
    bool SyncNotes = false;     // SyncNotes=1: the day notes are kept in step with it

    bool operator==(const CalendarEntry&) const = default;
};

// The calendar the day notes are kept in step with: the one CalDAV entry
// (with a User) that has SyncNotes, or null.
const CalendarEntry* NotesCalendar(const QList<CalendarEntry>& entries);

// The file's name in the data folder.
inline constexpr char CalendarListFileName[] = "Calendars.ini";

// The calendars in file order; a missing file is an empty list. Values out of
// range read as their defaults. SyncNotes stays on the first CalDAV entry
// that has it only.
QList<CalendarEntry> ReadCalendarList(const QString& dataDir);

// Writes the list in one atomic replacement: each entry into its section (a
// new one gets the next free [CalendarN]), sections of calendars no longer
// listed removed, every unknown key and section kept; SyncNotes written on
// the first CalDAV entry that has it only. Raises AppError
// "%1 に書き込めません" and leaves the file as it was when it cannot.
void WriteCalendarList(const QString& dataDir, QList<CalendarEntry>& entries);

// The list to write when a dialog that read `loaded` ends with `edited`:
// `current` (the file as it is now) with the dialog's own changes made to it.
// Calendars added or changed elsewhere meanwhile stay; one changed both
// there and in the dialog takes the dialog's version; one the dialog deleted
// goes. Entries are matched by section; the dialog's new ones (no section
// yet) come last. A notes' calendar the dialog chose or cleared wins over
// the file's.
QList<CalendarEntry> MergeCalendarEdits(QList<CalendarEntry> current, const QList<CalendarEntry>& loaded,
                                        const QList<CalendarEntry>& edited);
