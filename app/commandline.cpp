#include "commandline.h"

#include <QRegularExpression>

namespace {

CommandLine Failure(const QString& error)
{
    CommandLine line;
    line.Run = CommandLine::Mode::Error;
    line.Error = error;
    return line;
}

// --add-calendar and --calendars: options with one value each, and --data.
CommandLine ParseCalendarCommand(const QStringList& args)
{
    CommandLine line;
    line.Run = args.contains(QStringLiteral("--add-calendar")) ? CommandLine::Mode::AddCalendar
                                                                : CommandLine::Mode::Calendars;
    const QStringList valued = line.Run == CommandLine::Mode::AddCalendar
                                   ? QStringList{QStringLiteral("--add-calendar"), QStringLiteral("--name"),
                                                 QStringLiteral("--user"), QStringLiteral("--color"), QStringLiteral("--data")}
                                   : QStringList{QStringLiteral("--data")};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (line.Run == CommandLine::Mode::Calendars && arg == u"--calendars")
            continue;
        if (!valued.contains(arg))
            return Failure(QStringLiteral("unexpected argument: %1").arg(arg));
        if (i + 1 >= args.size() || args[i + 1].isEmpty())
            return Failure(QStringLiteral("%1 needs a value").arg(arg));
        const QString value = args[++i];
        if (arg == u"--add-calendar")
            line.Address = value;
        else if (arg == u"--name")
            line.Name = value;
        else if (arg == u"--user")
            line.User = value;
        else if (arg == u"--color")
            line.Color = value;
        else
            line.DataDir = value;
    }
    static const QRegularExpression color(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    if (!line.Color.isEmpty() && !color.match(line.Color).hasMatch())
        return Failure(QStringLiteral("not a colour (#rrggbb): %1").arg(line.Color));
    line.Color = line.Color.toLower();
    return line;
}

// --sync-notes NAME and --sync [--yes], each with --data DIR. The name may
// be empty: no calendar.
CommandLine ParseSyncCommand(const QStringList& args)
{
    CommandLine line;
    line.Run = args.contains(QStringLiteral("--sync-notes")) ? CommandLine::Mode::SyncNotes : CommandLine::Mode::Sync;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (line.Run == CommandLine::Mode::Sync && arg == u"--sync") {
            continue;
        } else if (line.Run == CommandLine::Mode::Sync && arg == u"--yes") {
            line.Yes = true;
        } else if (line.Run == CommandLine::Mode::SyncNotes && arg == u"--sync-notes") {
            if (i + 1 >= args.size() || args[i + 1].startsWith(u"--"))
                return Failure(QStringLiteral("--sync-notes needs a name (\"\" for none)"));
            line.NotesCalendar = args[++i];
        } else if (arg == u"--data") {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return Failure(QStringLiteral("--data needs a folder"));
            line.DataDir = args[++i];
        } else {
            return Failure(QStringLiteral("unexpected argument: %1").arg(arg));
        }
    }
    return line;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& args, QDate today)
{
    if (args.contains(QStringLiteral("--sync-notes")) || args.contains(QStringLiteral("--sync")))
        return ParseSyncCommand(args);
    if (args.contains(QStringLiteral("--add-calendar")) || args.contains(QStringLiteral("--calendars")))
        return ParseCalendarCommand(args);
    CommandLine line;
    if (args.contains(QStringLiteral("--focus"))) {
        // --focus [--data DIR]: nothing else.
        line.Run = CommandLine::Mode::Focus;
        for (qsizetype i = 0; i < args.size(); ++i) {
            if (args[i] == u"--focus")
                continue;
            if (args[i] != u"--data")
                return Failure(QStringLiteral("unexpected argument: %1").arg(args[i]));
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return Failure(QStringLiteral("--data needs a folder"));
            line.DataDir = args[++i];
        }
        return line;
    }
    if (!args.contains(QStringLiteral("--agenda"))) {
        // The bar: --data names its data folder; the rest is Qt's.
        const qsizetype at = args.indexOf(QStringLiteral("--data"));
        if (at >= 0) {
            if (at + 1 >= args.size() || args[at + 1].isEmpty())
                return Failure(QStringLiteral("--data needs a folder"));
            line.DataDir = args[at + 1];
        }
        return line;
    }
    line.Run = CommandLine::Mode::Agenda;
    QList<QDate> dates;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--agenda") {
            continue;
        } else if (arg == u"--refresh") {
            line.Refresh = true;
        } else if (arg == u"--data") {
            if (i + 1 >= args.size())
                return Failure(QStringLiteral("--data needs a folder"));
            line.DataDir = args[++i];
        } else if (arg.startsWith(u"-")) {
            return Failure(QStringLiteral("unknown option: %1").arg(arg));
        } else {
            const QDate date = QDate::fromString(arg, QStringLiteral("yyyy-MM-dd"));
            if (!date.isValid() || arg.size() != 10)
                return Failure(QStringLiteral("not a date (YYYY-MM-DD): %1").arg(arg));
            if (dates.size() == 2)
                return Failure(QStringLiteral("too many dates: %1").arg(arg));
            dates.append(date);
        }
    }
    line.From = dates.isEmpty() ? today : dates[0];
    line.To = dates.size() > 1 ? dates[1] : line.From.addDays(6);
    if (line.To < line.From)
        return Failure(QStringLiteral("the end date is before the start date"));
    return line;
}
