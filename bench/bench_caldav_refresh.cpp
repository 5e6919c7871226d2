// A CalDAV refresh against a local Radicale: a calendar of 2,000 events,
// fetched once in full, then refreshed with nothing changed and with one
// event changed. Prints the requests and the time of each; the last line is
// the median time of a refresh with one changed event. Exits 77 without
// Radicale.
#include "caldavsource.h"
#include "passwords.h"
#include "radicaleserver.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Events = 2000;
constexpr int Runs = 7;

struct Refresh {
    CalendarSource::Result Result;
    int Requests = 0;
    double Ms = 0;
};

Refresh Fetch(CalDavSource& source, const QByteArray& validators, const QByteArray& text)
{
    QSignalSpy spy(&source, &CalendarSource::Finished);
    const int before = source.RequestCount();
    QElapsedTimer timer;
    timer.start();
    source.Fetch(validators, text);
    spy.wait(120000);
    Refresh r;
    r.Ms = double(timer.nsecsElapsed()) / 1e6;
    r.Requests = source.RequestCount() - before;
    if (!spy.isEmpty())
        r.Result = spy.first().first().value<CalendarSource::Result>();
    return r;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    RadicaleServer server;
    if (const QString why = server.Start(); !why.isEmpty()) {
        std::fprintf(stderr, "SKIP: %s\n", qPrintable(why));
        return 77;
    }
    QByteArray events;
    for (int i = 0; i < Events; ++i) {
        const QDate day = QDate(2026, 1, 1).addDays(i % 365);
        events += RadicaleServer::VEvent(QStringLiteral("bench-%1").arg(i), QStringLiteral("Event %1").arg(i),
                                         day.toString(QStringLiteral("yyyyMMdd")));
    }
    server.MakeCalendar(QStringLiteral("/alice/bench/"), QStringLiteral("Bench"), QStringLiteral("#336699"));
    if (server.Request("PUT", QStringLiteral("/alice/bench/"), RadicaleServer::Calendar(events)) / 100 != 2) {
        out << "cannot fill the calendar\n";
        return 1;
    }

    QNetworkAccessManager network;
    Passwords passwords;
    CalendarEntry entry;
    entry.Source = server.Url(QStringLiteral("/alice/bench/"));
    entry.User = QStringLiteral("alice");
    passwords.KeepForSession(Passwords::Key(entry.User, QUrl(entry.Source)), QStringLiteral("secret"));
    CalDavSource source(entry, &network, &passwords);

    Refresh full = Fetch(source, {}, {});
    out << "full fetch: " << full.Requests << " requests, " << qRound(full.Ms) << " ms, "
        << full.Result.Text.count("BEGIN:VEVENT") << " events\n";
    const Refresh same = Fetch(source, full.Result.Validators, full.Result.Text);
    out << "unchanged refresh: " << same.Requests << " requests, " << same.Ms << " ms\n";

    QByteArray validators = same.Result.Validators;
    QByteArray text = full.Result.Text;
    QList<double> times;
    int requests = 0;
    for (int run = 0; run < Runs; ++run) {
        const QJsonArray items = QJsonDocument::fromJson(validators).object().value(QLatin1String("items")).toArray();
        const QString href = items[run * 97 % items.size()].toArray()[0].toString();
        const QString uid = QStringLiteral("changed-%1").arg(run);
        server.Request("DELETE", href);
        server.Request("PUT", href.section(QLatin1Char('/'), 0, -2) + QStringLiteral("/%1.ics").arg(uid),
                       RadicaleServer::Event(uid, QStringLiteral("Changed %1").arg(run)));
        const Refresh one = Fetch(source, validators, text);
        if (one.Result.Outcome != CalendarSource::Result::Kind::Changed) {
            out << "the change was not seen: " << one.Result.Error << "\n";
            return 1;
        }
        validators = one.Result.Validators;
        text = one.Result.Text;
        times << one.Ms;
        requests = one.Requests;
    }
    out << "one event replaced among " << Events << ": " << requests << " requests\n";
    out << "caldav_refresh_one_changed_median_ms: " << Median(times) << "\n";
    return 0;
}
