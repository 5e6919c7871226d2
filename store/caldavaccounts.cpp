#include "caldavaccounts.h"

#include "caldavdiscovery.h"
#include "passwords.h"

#include <QPointer>
#include <QUrl>

CalDavAccounts::CalDavAccounts(QNetworkAccessManager* network, Passwords* passwords, QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_passwords(passwords)
{
}

void CalDavAccounts::Discover(const QString& server, const QString& user, const QString& password,
                              QObject* context, std::function<void(const AccountSearch&)> done)
{
    auto* discovery = new CalDavDiscovery(m_network, this);
    QPointer<QObject> guard(context);
    connect(discovery, &CalDavDiscovery::Finished, this, [discovery, guard, done](const AccountSearch& search) {
        discovery->deleteLater();
        if (guard)
            done(search);
    });
    discovery->Run(server, user, password);
}

void CalDavAccounts::SavePassword(const CalendarEntry& entry, const QString& password, QObject* context,
                                  std::function<void(bool stored)> done)
{
    m_passwords->Write(Passwords::Key(entry.User, QUrl(entry.Source)), password, context, std::move(done));
}

bool CalDavAccounts::PasswordInMemoryOnly(const CalendarEntry& entry) const
{
    return m_passwords->IsSessionOnly(Passwords::Key(entry.User, QUrl(entry.Source)));
}
