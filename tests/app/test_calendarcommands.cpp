// The calendar commands' arguments: what each line asks for, or its one
// line of error.

#include "commandline.h"

#include <QTest>

class TestCalendarCommands : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected"); // mode address name user color data (notes NAME data, sync yes|no data), or error
        QTest::newRow("feed") << QStringList{"--add-calendar", "https://example.org/a.ics"}
                              << "add https://example.org/a.ics - - - -";
        QTest::newRow("account, options in any order")
            << QStringList{"--user", "alice", "--data", "/d", "--add-calendar", "https://cal.example.org", "--color", "#AABBCC",
                           "--name", "Work"}
            << "add https://cal.example.org Work alice #aabbcc /d";
        QTest::newRow("list") << QStringList{"--calendars", "--data", "/d"} << "list - - - - /d";
        QTest::newRow("colour by name") << QStringList{"--add-calendar", "x", "--color", "red"}
                                        << "not a colour (#rrggbb): red";
        QTest::newRow("missing value") << QStringList{"--add-calendar", "x", "--user"} << "--user needs a value";
        QTest::newRow("password on the command line") << QStringList{"--add-calendar", "x", "--password", "p"}
                                                      << "unexpected argument: --password";
        QTest::newRow("list takes no user") << QStringList{"--calendars", "--user", "a"} << "unexpected argument: --user";
        QTest::newRow("agenda unchanged") << QStringList{"--agenda", "2026-01-05"} << "agenda";
        QTest::newRow("notes calendar") << QStringList{"--data", "/d", "--sync-notes", "仕事 A"} << "notes 仕事 A /d";
        QTest::newRow("notes to none") << QStringList{"--sync-notes", ""} << "notes - -";
        QTest::newRow("no name") << QStringList{"--sync-notes", "--data", "/d"} << "--sync-notes needs a name (\"\" for none)";
        QTest::newRow("sync, confirmed") << QStringList{"--yes", "--sync"} << "sync yes -";
        QTest::newRow("sync with more") << QStringList{"--sync", "--data", "/d", "extra"} << "unexpected argument: extra";
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        const CommandLine line = ParseCommandLine(args, QDate(2026, 1, 1));
        auto orDash = [](const QString& s) { return s.isEmpty() ? QStringLiteral("-") : s; };
        QString found;
        if (line.Run == CommandLine::Mode::Error)
            found = line.Error;
        else if (line.Run == CommandLine::Mode::Agenda)
            found = QStringLiteral("agenda");
        else if (line.Run == CommandLine::Mode::SyncNotes)
            found = QStringList{"notes", orDash(line.NotesCalendar), orDash(line.DataDir)}.join(' ');
        else if (line.Run == CommandLine::Mode::Sync)
            found = QStringList{"sync", line.Yes ? "yes" : "no", orDash(line.DataDir)}.join(' ');
        else
            found = QStringList{line.Run == CommandLine::Mode::AddCalendar ? "add" : "list", orDash(line.Address),
                                orDash(line.Name), orDash(line.User), orDash(line.Color), orDash(line.DataDir)}
                        .join(' ');
        QCOMPARE(found, expected);
    }
};

QTEST_GUILESS_MAIN(TestCalendarCommands)
#include "test_calendarcommands.moc"
