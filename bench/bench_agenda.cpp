// `murvane --agenda` for a month with three cached calendars, as a whole
// process: the figure a status bar waits for.
#include "benchdata.h"
#include "feeddata.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // The child finds the cache where this process writes it.
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    QTextStream out(stdout);

    const QDate month(2027, 3, 1);
    const QString data = dir.filePath(QStringLiteral("data"));
    QDir().mkpath(data);
    WriteCachedCalendars(data, month);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/murvane");
    const QStringList args{QStringLiteral("--agenda"), month.toString(Qt::ISODate),
                           month.addMonths(1).addDays(-1).toString(Qt::ISODate), QStringLiteral("--data"), data};

    qsizetype lines = 0;
    bool failed = false;
    const QList<double> samples = TimeRunsMicroseconds(3, 30, [&] {
        QProcess agenda;
        agenda.start(program, args);
        if (!agenda.waitForFinished(10000) || agenda.exitCode() != 0)
            failed = true;
        lines = agenda.readAllStandardOutput().count('\n');
    });
    if (failed) {
        out << "murvane --agenda failed\n";
        return 1;
    }
    out << "agenda lines: " << lines << "\n";
    out << "agenda_process_median_ms: " << Median(samples) / 1000.0 << "\n";
    return 0;
}
