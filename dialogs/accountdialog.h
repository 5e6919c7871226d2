#pragma once

#include "calendaraccounts.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "アカウントから追加": a server address, a user name and a password;
// "検索" lists the account's calendars, each with a tick; OK keeps the
// password (secret store, or memory for the session) and returns the ticked
// calendars as calendars of the list.
class AccountDialog : public QDialog {
    Q_OBJECT

public:
    AccountDialog(CalendarAccounts& accounts, QWidget* parent = nullptr);

    // The finder the add dialog offers: runs the dialog, returns the ticked
    // calendars, or nothing when the user gives up.
    static QList<CalendarEntry> Find(QWidget* parent, CalendarAccounts& accounts);

    const QList<CalendarEntry>& Result() const { return m_result; }

    QLineEdit* ServerEdit = nullptr;
    QLineEdit* UserEdit = nullptr;
    QLineEdit* PasswordEdit = nullptr;
    QPushButton* SearchButton = nullptr; // "検索"
    QListWidget* FoundList = nullptr;    // the calendars found, ticked to add
    QLabel* StateLabel = nullptr;        // searching, or why nothing was found
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void SearchButtonClick();
    void OkButtonClick();

private:
    void Searched(const AccountSearch& search);
    void SetBusy(bool busy);

    CalendarAccounts& m_accounts;
    QList<FoundCalendar> m_found;
    QString m_user;     // as searched with
    QString m_password; // as searched with; dropped with the dialog
    QList<CalendarEntry> m_result;
};

// Asks for the password of the entry's account again ("認証に失敗しました")
// and keeps it; true when one was given.
bool AskAccountPassword(QWidget* parent, const CalendarEntry& entry, CalendarAccounts& accounts);
