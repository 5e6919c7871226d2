#include "passwords.h"

#include <QPointer>
#include <QUrl>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Murvane");

// Errors that mean no secret store is there to ask, as opposed to an entry
// that is not in it.
bool NoSecretStore(QKeychain::Error error)
{
    return error == QKeychain::NoBackendAvailable || error == QKeychain::NotImplemented
           || error == QKeychain::OtherError || error == QKeychain::AccessDenied;
}

} // namespace

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
    auto* job = new QKeychain::ReadPasswordJob(Service, this);
    job->setInsecureFallback(false);
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [this, key, guard, done](QKeychain::Job* j) {
        auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        PasswordLookup lookup;
        if (read->error() == QKeychain::NoError) {
            lookup.Password = read->textData();
            lookup.Found = true;
            m_known.insert(key, lookup.Password);
        } else {
            lookup.NoSecretStore = NoSecretStore(read->error());
        }
        if (m_known.contains(key)) { // written while the store was asked
            lookup.Password = m_known.value(key);
            lookup.Found = true;
            lookup.SessionOnly = m_sessionOnly.contains(key);
        }
        if (guard)
            done(lookup);
    });
    job->start();
}

void Passwords::Write(const QString& key, const QString& password, QObject* context, std::function<void(bool)> done)
{
    QPointer<QObject> guard(context);
    m_known.insert(key, password);
    auto* job = new QKeychain::WritePasswordJob(Service, this);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, key, guard, done](QKeychain::Job* j) {
        const bool stored = j->error() == QKeychain::NoError;
        if (stored)
            m_sessionOnly.remove(key);
        else
            m_sessionOnly.insert(key);
        if (guard)
            done(stored);
    });
    job->start();
}

void Passwords::KeepForSession(const QString& key, const QString& password)
{
    m_known.insert(key, password);
    m_sessionOnly.insert(key);
}
