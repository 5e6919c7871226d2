#include "commandline.h"

namespace {

CommandLine Failure(const QString& error)
{
    CommandLine line;
    line.Run = CommandLine::Mode::Error;
    line.Error = error;
    return line;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& args, QDate today)
{
    CommandLine line;
    if (!args.contains(QStringLiteral("--agenda")))
        return line;
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
