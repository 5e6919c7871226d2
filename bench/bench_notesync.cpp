// The notes' sync against a local Radicale: a first sync of 1,000 notes from
// the files to an empty calendar, then a sync with nothing changed, one with
// one note changed in a file, and one with one note changed on the server.
// Prints the requests and the time of each, and the longest the event loop
// waited during the first sync (what the bar would have stalled); the last
// line is the time of a sync that sends one changed note. Exits 77 without
// Radicale.
#include "calendarrules.h"
#include "notesyncrun.h"
#include "passwords.h"
#include "radicaleserver.h"
#include "schedulefiles.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTextStream>
#include <QTimer>
#include <QTest>

#include <cstdio>

namespace {

constexpr int Notes = 1000;

struct Sync {
    NoteSyncReport Report;
    double Ms = 0;
    double LongestStallMs = 0;
};

Sync Run(const QString& dataDir, const CalendarEntry& entry, QNetworkAccessManager& network, Passwords& passwords)
{
    NoteSyncRun run(dataDir, entry, &network, &passwords, true);
    QSignalSpy spy(&run, &NoteSyncRun::Finished);
    // A tick every 5 ms: the longest gap between two is the longest the
    // sync held the event loop.
    QElapsedTimer tick;
    QElapsedTimer timer;
    timer.start();
    double longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double gap = double(tick.nsecsElapsed()) / 1e6;
        longest = std::max(longest, gap);
        tick.restart();
    });
    tick.start();
    ticker.start();
    run.Start();
    spy.wait(600000);
    Sync s;
    s.Ms = double(timer.nsecsElapsed()) / 1e6;
    s.LongestStallMs = longest;
    if (!spy.isEmpty())
        s.Report = spy.first().first().value<NoteSyncReport>();
    return s;
}

QString Line(const char* what, const Sync& s)
{
    return QStringLiteral("%1: %2 requests, %3 ms (longest wait of the event loop %8 ms), sent %4, received %5, failed %6%7\n")
        .arg(QLatin1String(what))
        .arg(s.Report.Requests)
        .arg(qRound(s.Ms))
        .arg(s.Report.Sent)
        .arg(s.Report.Received)
        .arg(s.Report.Failed)
        .arg(s.Report.Error.isEmpty() ? QString() : QStringLiteral(", ") + s.Report.Error)
        .arg(qRound(s.LongestStallMs));
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("share")).toUtf8());
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Murvane"));
    qRegisterMetaType<NoteSyncReport>();
    QTextStream out(stdout);
    RadicaleServer server;
    if (const QString why = server.Start(); !why.isEmpty()) {
        std::fprintf(stderr, "SKIP: %s\n", qPrintable(why));
        return 77;
    }
    server.MakeCalendar(QStringLiteral("/alice/notes/"), QStringLiteral("Notes"), QStringLiteral("#336699"));
    const QString dataDir = home.filePath(QStringLiteral("data"));
    QDir().mkpath(dataDir);
    for (int i = 0; i < Notes; ++i) {
        const QDate day = QDate(2024, 1, 1).addDays(i);
        RegisterSchedule(dataDir, FormatYYYY(day), FormatMM(day), FormatDD(day),
                         {QStringLiteral("予定 %1").arg(i), QStringLiteral("会議室 %1").arg(i % 7)});
    }

    QNetworkAccessManager network;
    Passwords passwords;
    CalendarEntry entry;
    entry.Source = server.Url(QStringLiteral("/alice/notes/"));
    entry.User = QStringLiteral("alice");
    passwords.KeepForSession(Passwords::Key(entry.User, QUrl(entry.Source)), QStringLiteral("secret"));

    // The first request of a process sets the network up (in the bar, the
    // calendars did that long before): not the sync's cost.
    {
        DavClient client(&network);
        client.SetCredentials(entry.User, QStringLiteral("secret"));
        bool finished = false;
        client.Send("PROPFIND", QUrl(entry.Source), 0, {}, [&](const DavAnswer&) { finished = true; });
        if (!QTest::qWaitFor([&] { return finished; }, 10000)) {
            out << "the server does not answer\n";
            return 1;
        }
    }
    const Sync first = Run(dataDir, entry, network, passwords);
    out << Line("first sync of 1000 notes", first);
    out << Line("nothing changed", Run(dataDir, entry, network, passwords));

    const QDate day(2024, 3, 1);
    RegisterSchedule(dataDir, FormatYYYY(day), FormatMM(day), FormatDD(day), {QStringLiteral("変更した予定")});
    const Sync one = Run(dataDir, entry, network, passwords);
    out << Line("one note changed in a file", one);

    const QString phone = QStringLiteral("/alice/notes/phone-1.ics");
    server.Request("PUT", phone, RadicaleServer::Event(QStringLiteral("phone-1"), QStringLiteral("電話から"),
                                                       QStringLiteral("20270601")));
    out << Line("one note added on the server", Run(dataDir, entry, network, passwords));
    out << "notesync_one_changed_ms: " << one.Ms << "\n";
    return first.Report.Sent == Notes && one.Report.Sent == 1 ? 0 : 1;
}
