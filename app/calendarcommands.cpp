#include "calendarcommands.h"

#include "apperror.h"
#include "caldavdiscovery.h"
#include "console.h"
#include "calendaraccounts.h"
#include "feedstore.h"
#include "notesync.h"
#include "notesyncrun.h"
#include "passwords.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

int Fail(const QString& message, int status = 1)
{
    Console::Write(stderr, QStringLiteral("murvane: %1\n").arg(message));
    return status;
}

void Print(const QString& line)
{
    Console::Write(stdout, line + u'\n');
}

// The data folder, or empty when there is none.
QString DataFolder(const CommandLine& line)
{
    const QString dir = QDir(line.DataDir.isEmpty() ? QDir::currentPath() : line.DataDir).absolutePath();
    return QFileInfo(dir).isDir() ? dir : QString();
}

// One line of standard input without its line end; the password never
// touches the command line, a file or the screen.
bool ReadPasswordLine(QString& password)
{
    std::string text;
    if (!std::getline(std::cin, text))
        return false;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    password = QString::fromStdString(text);
    text.assign(text.size(), '\0');
    return !password.isEmpty();
}

// A feed's name when none is given: the file's or the address's last part,
// or else its host.
QString FeedName(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address, QDir::currentPath());
    const QString file = url.adjusted(QUrl::StripTrailingSlash).fileName();
    return !file.isEmpty() ? QFileInfo(file).completeBaseName() : url.host();
}

bool Listed(const QList<CalendarEntry>& entries, const CalendarEntry& entry)
{
    for (const CalendarEntry& e : entries) {
        if (e.Source == entry.Source && e.User == entry.User)
            return true;
    }
    return false;
}

// The found calendars of the account, or an error line.
AccountSearch Discover(const CommandLine& line, const QString& password)
{
    QNetworkAccessManager network;
    CalDavDiscovery discovery(&network);
    AccountSearch search;
    QEventLoop loop;
    QObject::connect(&discovery, &CalDavDiscovery::Finished, &loop, [&](const AccountSearch& s) {
        search = s;
        loop.quit();
    });
    discovery.Run(line.Address, line.User, password);
    loop.exec();
    return search;
}

} // namespace

int RunAddCalendar(const CommandLine& line, int& argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    const QString dataDir = DataFolder(line);
    if (dataDir.isEmpty())
        return Fail(QStringLiteral("no such folder: %1").arg(QDir::toNativeSeparators(line.DataDir)), 2);

    QList<CalendarEntry> added;
    if (line.User.isEmpty()) {
        CalendarEntry entry;
        const bool local = QFileInfo::exists(line.Address);
        entry.Source = local ? QFileInfo(line.Address).absoluteFilePath() : line.Address;
        entry.Name = line.Name.isEmpty() ? FeedName(line.Address) : line.Name;
        added << entry;
    } else {
        QString password;
        if (!ReadPasswordLine(password))
            return Fail(QStringLiteral("no password on standard input (one line)"));
        const AccountSearch search = Discover(line, password);
        if (!search.Error.isEmpty())
            return Fail(QStringLiteral("%1: %2").arg(AddressWithoutUser(line.Address), search.Error), search.AuthFailed ? 5 : 1);

        // One secret per user and server; the calendars may live on another
        // host than the one asked.
        Passwords passwords;
        QSet<QString> keys;
        for (const FoundCalendar& found : search.Calendars)
            keys.insert(Passwords::Key(line.User, QUrl(found.Address)));
        for (const QString& key : std::as_const(keys)) {
            bool stored = false;
            QEventLoop loop;
            passwords.Write(key, password, &loop, [&](bool ok) {
                stored = ok;
                loop.quit();
            });
            loop.exec();
            if (!stored)
                return Fail(QStringLiteral("no secret store answered: the password was not kept and no calendar was added"), 6);
        }
        for (const FoundCalendar& found : search.Calendars) {
            CalendarEntry entry = EntryForFoundCalendar(found, line.User);
            if (!line.Name.isEmpty())
                entry.Name = search.Calendars.size() == 1 ? line.Name : line.Name + QStringLiteral(": ") + entry.Name;
            added << entry;
        }
    }

    QList<CalendarEntry> entries = ReadCalendarList(dataDir);
    QStringList lines;
    for (CalendarEntry& entry : added) {
        if (!line.Color.isEmpty())
            entry.Color = line.Color;
        const bool listed = Listed(entries, entry);
        lines << QStringLiteral("%1: %2\t%3").arg(listed ? QStringLiteral("already listed") : QStringLiteral("added"),
                                                  entry.Name, AddressWithoutUser(entry.Source));
        if (!listed)
            entries << entry;
    }
    try {
        WriteCalendarList(dataDir, entries);
    } catch (const AppError& error) {
        return Fail(error.message());
    }
    for (const QString& text : std::as_const(lines))
        Print(text);
    return 0;
}

int RunListCalendars(const CommandLine& line, int& argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    const QString dataDir = DataFolder(line);
    if (dataDir.isEmpty())
        return Fail(QStringLiteral("no such folder: %1").arg(QDir::toNativeSeparators(line.DataDir)), 2);
    QDir::setCurrent(dataDir);
    FeedStore store(dataDir);
    store.EventsFromCache(QDate::currentDate(), QDate::currentDate()); // reads the list and the cached states
    for (const CalendarStatus& status : store.Calendars()) {
        const CalendarEntry& e = status.Entry;
        QString state = status.StateText();
        if (!e.Shown)
            state += QStringLiteral(" (非表示)");
        Print(QStringList{e.Name, AddressWithoutUser(e.Source), e.User, state}.join(QLatin1Char('\t')));
    }
    return 0;
}

int RunSetNotesCalendar(const CommandLine& line, int& argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    const QString dataDir = DataFolder(line);
    if (dataDir.isEmpty())
        return Fail(QStringLiteral("no such folder: %1").arg(QDir::toNativeSeparators(line.DataDir)), 2);
    QList<CalendarEntry> entries = ReadCalendarList(dataDir);
    const auto chosen = std::find_if(entries.begin(), entries.end(),
                                     [&](const CalendarEntry& e) { return e.Name == line.NotesCalendar; });
    if (!line.NotesCalendar.isEmpty()) {
        if (chosen == entries.end())
            return Fail(QStringLiteral("no calendar named %1").arg(line.NotesCalendar), 2);
        // Notes are written back: only a calendar the program signs in to takes them.
        if (chosen->User.isEmpty())
            return Fail(QStringLiteral("%1 is no CalDAV calendar: only those keep the day notes").arg(line.NotesCalendar), 2);
    }
    for (CalendarEntry& entry : entries)
        entry.SyncNotes = !line.NotesCalendar.isEmpty() && &entry == &*chosen;
    try {
        WriteCalendarList(dataDir, entries);
    } catch (const AppError& error) {
        return Fail(error.message());
    }
    Print(line.NotesCalendar.isEmpty() ? QStringLiteral("予定の同期: なし")
                                       : QStringLiteral("予定の同期先: %1").arg(line.NotesCalendar));
    return 0;
}

int RunSync(const CommandLine& line, int& argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    const QString dataDir = DataFolder(line);
    if (dataDir.isEmpty())
        return Fail(QStringLiteral("no such folder: %1").arg(QDir::toNativeSeparators(line.DataDir)), 2);
    const QList<CalendarEntry> entries = ReadCalendarList(dataDir);
    const CalendarEntry* entry = NotesCalendar(entries);
    if (!entry)
        return Fail(QStringLiteral("予定を同期するカレンダーが選ばれていません (--sync-notes NAME)"));

    QNetworkAccessManager network;
    Passwords passwords;
    NoteSyncRun run(dataDir, *entry, &network, &passwords, line.Yes);
    NoteSyncReport report;
    QEventLoop loop;
    QObject::connect(&run, &NoteSyncRun::Finished, &loop, [&](const NoteSyncReport& r) {
        report = r;
        loop.quit();
    });
    run.Start();
    loop.exec();
    if (!report.Question.isEmpty())
        return Fail(report.Question + QStringLiteral(" (--yes で続けます)"), 3);
    if (!report.Error.isEmpty() && report.Sent + report.Received + report.Merged + report.Failed == 0)
        return Fail(report.Error);
    Print(NoteSyncSummary(report.Sent, report.Received, report.Merged, report.Failed));
    if (!report.Error.isEmpty())
        return Fail(report.Error);
    if (report.Failed > 0)
        return Fail(QStringLiteral("%1 日の予定を同期できませんでした").arg(report.Failed));
    return 0;
}
