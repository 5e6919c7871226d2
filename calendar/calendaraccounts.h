#pragma once

#include "calendarlist.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// A calendar found on a server that signs in (CalDAV).
struct FoundCalendar {
    QString Address;   // the collection's address, without a user part
    QString Name;      // its display name, or the last part of its path
    QString Color;     // "#rrggbb", or empty when the server gives none
};

// What a search of an account found, or why it found nothing.
struct AccountSearch {
    QList<FoundCalendar> Calendars;
    QString Error;          // empty on success
    bool AuthFailed = false; // the server refused the user name or password
};

// The accounts of servers that sign in, as the dialogs see them: finding an
// account's calendars and keeping its password. Behind it sit the network and
// the system's secret store, which the dialogs never touch.
class CalendarAccounts {
public:
    virtual ~CalendarAccounts() = default;

    // Finds the event calendars of the account at server (https://host, or
    // any address on it, or a calendar's own address). done runs later,
    // and not at all once context is gone.
    virtual void Discover(const QString& server, const QString& user, const QString& password,
                          QObject* context, std::function<void(const AccountSearch&)> done) = 0;

    // Keeps the password for the entry's user on the entry's server: in the
    // secret store, or in memory for this session when there is none;
    // done(stored) tells which.
    virtual void SavePassword(const CalendarEntry& entry, const QString& password, QObject* context,
                              std::function<void(bool stored)> done) = 0;

    // Whether the entry's password lives in memory only (no secret store).
    virtual bool PasswordInMemoryOnly(const CalendarEntry& entry) const = 0;
};

// The calendar of the list that shows a found calendar of user's account.
CalendarEntry EntryForFoundCalendar(const FoundCalendar& found, const QString& user);

// An address as it may be shown: without its user part or password.
QString AddressWithoutUser(const QString& address);
