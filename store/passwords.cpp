#include "passwords.h"

#include "secretstore.h"

#include <QPointer>
#include <QUrl>

QString Passwords::Key(const QString& user, const QUrl& address)
{
    QString host = address.host();
    if (address.port() > 0)
        host += QLatin1Char(':') + QString::number(address.port());
    return user + QLatin1Char('@') + host;
}

void Passwords::Read(const QString& key, QObject* context, std::function<void(const PasswordLookup&)> done)
{
    QPointer<QObject> guard(context);
    if (m_known.contains(key)) {
        PasswordLookup found{m_known.value(key), true, m_sessionOnly.contains(key), false};
        QMetaObject::invokeMethod(context, [done, found] { done(found); }, Qt::QueuedConnection);
        return;
    }
    SecretStore::Read(key, this, [this, key, guard, done](SecretStore::Outcome outcome, const QString& password) {
        PasswordLookup lookup;
        if (outcome == SecretStore::Outcome::Done) {
            lookup.Password = password;
            lookup.Found = true;
            m_known.insert(key, lookup.Password);
        } else {
            lookup.NoSecretStore = outcome == SecretStore::Outcome::NoStore;
        }
        if (m_known.contains(key)) { // written while the store was asked
            lookup.Password = m_known.value(key);
            lookup.Found = true;
            lookup.SessionOnly = m_sessionOnly.contains(key);
        }
        if (guard)
            done(lookup);
    });
}

void Passwords::Write(const QString& key, const QString& password, QObject* context, std::function<void(bool)> done)
{
    QPointer<QObject> guard(context);
    m_known.insert(key, password);
    SecretStore::Write(key, password, this, [this, key, guard, done](SecretStore::Outcome outcome) {
        const bool stored = outcome == SecretStore::Outcome::Done;
        if (stored)
            m_sessionOnly.remove(key);
        else
            m_sessionOnly.insert(key);
        if (guard)
            done(stored);
    });
}

void Passwords::KeepForSession(const QString& key, const QString& password)
{
    m_known.insert(key, password);
    m_sessionOnly.insert(key);
}
