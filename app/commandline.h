#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// What the program was asked to do on its command line. Without a mode of
// its own the bar starts, in the folder --data names if given, and the other
// arguments are left to Qt.
struct CommandLine {
    enum class Mode { Bar, Agenda, AddCalendar, Calendars, Focus, SyncNotes, Sync, Error };
    Mode Run = Mode::Bar;
    // --agenda [FROM [TO]]: inclusive dates; FROM defaults to today, TO to
    // FROM + 6 days.
    QDate From;
    QDate To;
    bool Refresh = false; // --refresh
    QString DataDir;      // --data DIR; empty: the current folder (--focus: the bar to ask)
    QString Error;        // Mode::Error: the one line to print
    // --add-calendar ADDRESS [--name NAME] [--user USER] [--color #rrggbb]
    QString Address;
    QString Name;
    QString User;
    QString Color;
    // --sync-notes NAME: the calendar the day notes go with; empty: none.
    QString NotesCalendar;
    bool Yes = false; // --sync --yes
};

// args without the program's name; today fills the agenda's defaults.
CommandLine ParseCommandLine(const QStringList& args, QDate today);
