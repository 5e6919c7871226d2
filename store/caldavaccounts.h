#pragma once

#include "calendaraccounts.h"

#include <QObject>

class Passwords;
class QNetworkAccessManager;

// The accounts of CalDAV servers, over the network and the secret store.
class CalDavAccounts : public QObject, public CalendarAccounts {
    Q_OBJECT

public:
    CalDavAccounts(QNetworkAccessManager* network, Passwords* passwords, QObject* parent = nullptr);

    void Discover(const QString& server, const QString& user, const QString& password, QObject* context,
                  std::function<void(const AccountSearch&)> done) override;
    void SavePassword(const CalendarEntry& entry, const QString& password, QObject* context,
                      std::function<void(bool stored)> done) override;
    bool PasswordInMemoryOnly(const CalendarEntry& entry) const override;

private:
    QNetworkAccessManager* m_network;
    Passwords* m_passwords;
};
