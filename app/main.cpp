#include "accountdialog.h"
#include "agenda.h"
#include "baraccessible.h"
#include "autostart.h"
#include "caldavaccounts.h"
#include "caldavsource.h"
#include "calendarcommands.h"
#include "calendarpage.h"
#include "commandline.h"
#include "console.h"
#include "cp932.h"
#include "endsession.h"
#include "focusrequest.h"
#include "feedstore.h"
#include "instancelock.h"
#include "messagebox.h"
#include "modal.h"
#include "murvaneapplication.h"
#include "notesyncservice.h"
#include "passwords.h"
#include "pointerwatch.h"
#include "syncnotice.h"
#include "taboutbox.h"
#include "tform1.h"
#include "tform3.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "translations.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QTimer>


int main(int argc, char** argv)
{
    Console::AttachToParent();
    // The agenda needs no display: decided before any window system is chosen.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = ParseCommandLine(args, QDate::currentDate());
    if (commandLine.Run == CommandLine::Mode::Error) {
        Console::Write(stderr, QStringLiteral("murvane: %1\n").arg(commandLine.Error));
        return 2;
    }
    if (commandLine.Run == CommandLine::Mode::Agenda)
        return RunAgenda(commandLine, argc, argv);
    if (commandLine.Run == CommandLine::Mode::AddCalendar)
        return RunAddCalendar(commandLine, argc, argv);
    if (commandLine.Run == CommandLine::Mode::Calendars)
        return RunListCalendars(commandLine, argc, argv);
    if (commandLine.Run == CommandLine::Mode::SyncNotes)
        return RunSetNotesCalendar(commandLine, argc, argv);
    if (commandLine.Run == CommandLine::Mode::Sync)
        return RunSync(commandLine, argc, argv);
    if (commandLine.Run == CommandLine::Mode::Focus)
        return RunFocusRequest(commandLine, argc, argv);

    // The bar's data folder is the current folder, which --data may name; the
    // installer's shortcut names one that may not exist yet.
    if (!commandLine.DataDir.isEmpty()
        && (!QDir().mkpath(commandLine.DataDir) || !QDir::setCurrent(commandLine.DataDir))) {
        Console::Write(stderr, QStringLiteral("murvane: cannot use the folder %1\n")
                                   .arg(QDir::toNativeSeparators(commandLine.DataDir)));
        return 2;
    }

    DisplayPlatform::ChooseQtPlatform();
    const QString noDisplay = DisplayPlatform::NoDisplayReason();
    if (!noDisplay.isEmpty()) {
        Console::Write(stderr, QStringLiteral("murvane: %1\n").arg(noDisplay));
        return 1;
    }

    MurvaneApplication app(argc, argv);
    MurvaneApplication::setApplicationName(QStringLiteral("Murvane"));
    MurvaneApplication::setApplicationDisplayName(QStringLiteral("Murvane"));
    MurvaneApplication::setWindowIcon(ProgramIcon());
    InstallQtTranslations();
    InstallBarAccessibility();

    if (!Cp932::Available()) {
        const QString message = QStringLiteral("Shift-JIS (CP932) の変換が使えません");
        Console::Write(stderr, QStringLiteral("murvane: no Shift-JIS (CP932) converter is available\n"));
        MessageBoxes::ShowError(message);
        return 1;
    }

    // One bar per data folder; a second one leaves before showing anything.
    InstanceLock lock(QDir::currentPath());
    if (!ClaimDataFolder(lock))
        return 3;

    // Outlive the bar, which holds them. CalDAV calendars sign in with the
    // passwords of the secret store.
    QNetworkAccessManager network;
    Passwords passwords;
    CalDavAccounts accounts(&network, &passwords);
    FeedStore calendars(QDir::currentPath());
    calendars.SetSourceFactory([&](const CalendarEntry& entry) { return MakeCalendarSource(entry, network, passwords); });
    // The notes' sync with the chosen calendar, if any.
    NoteSyncService notes(QDir::currentPath(), &network, &passwords);
    QObject::connect(&calendars, &CalendarStore::RefreshRequested, &notes, &NoteSyncService::SyncSoon);
    TForm1 form1;
    TForm3 form3(form1);
    TAboutBox about;
    TForm5 form5;
    TForm6 form6(form1);
    TForm7 form7(form1, form5);
    form7.TabSheet4->SetAccountFinder([&](QWidget* parent) { return AccountDialog::Find(parent, accounts); });
    form7.TabSheet4->SetPasswordHooks(
        [&](QWidget* parent, const CalendarEntry& entry) {
            if (!AskAccountPassword(parent, entry, accounts))
                return false;
            calendars.RefreshAll();
            return true;
        },
        [&](const CalendarEntry& entry) { return accounts.PasswordInMemoryOnly(entry); });
    form7.SetLoginStart({&Autostart::IsEnabled, &Autostart::SetEnabled});

    form1.SetDayEditorOpener([&](const CellRec& cell, IntPair pos) {
        form3.Prepare(cell, pos);
        RunModal(form3);
        notes.SyncSoon();
    });
    form1.SetScheduleListOpener([&] { RunModal(form6); });
    // The dialog may have chosen the notes' calendar.
    form1.SetOptionsOpener([&] {
        RunModal(form7);
        notes.SyncSoon();
    });
    form1.SetVersionOpener([&] { RunModal(about); });
    form1.SetCalendarStore(&calendars);
    form1.SubscribeDataChanged([&notes] { notes.SyncSoon(); });
    QObject::connect(&notes, &NoteSyncer::Finished, &form1,
                     [&notes](const NoteSyncReport& report) { ShowNoteSyncReport(notes, report); });

    // The bar is a tool window, which Qt does not count as a last window:
    // closing a dialog must not end the program, closing the bar does.
    MurvaneApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&form1, &TForm1::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // Stopped by the system: open dialogs lose their unsaved input, the bar
    // closes, and the folder is given up at once: at the end of a Windows
    // session the process may be ended as soon as it has answered.
    EndSession endSession([&form1, &lock] {
        CloseOpenDialogs();
        form1.close();
        lock.Release();
    });

    // `murvane --focus` from the desktop's shortcut or a script.
    FocusServer focusServer(QDir::currentPath(), [&form1] { form1.TakeFocus(); });

    form1.show();
    // The calendars come after the first paint, which must not wait for them.
    QTimer::singleShot(0, &calendars, &FeedStore::Start);
    QTimer::singleShot(0, &notes, &NoteSyncService::SyncSoon);
    return MurvaneApplication::exec();
}
