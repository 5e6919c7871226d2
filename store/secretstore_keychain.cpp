#include "secretstore.h"

#include <QObject>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Murvane");

SecretStore::Outcome OutcomeOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return SecretStore::Outcome::Done;
    // No secret store to ask, as opposed to an entry that is not in it.
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
    case QKeychain::OtherError:
    case QKeychain::AccessDenied:
        return SecretStore::Outcome::NoStore;
    default:
        return SecretStore::Outcome::NotFound;
    }
}

} // namespace

void SecretStore::Read(const QString& key, QObject* owner, std::function<void(Outcome, const QString&)> done)
{
    auto* job = new QKeychain::ReadPasswordJob(Service, owner);
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, owner, [done](QKeychain::Job* j) {
        auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        const Outcome outcome = OutcomeOf(read->error());
        done(outcome, outcome == Outcome::Done ? read->textData() : QString());
    });
    job->start();
}

void SecretStore::Write(const QString& key, const QString& password, QObject* owner, std::function<void(Outcome)> done)
{
    auto* job = new QKeychain::WritePasswordJob(Service, owner);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(password);
    QObject::connect(job, &QKeychain::Job::finished, owner, [done](QKeychain::Job* j) { done(OutcomeOf(j->error())); });
    job->start();
}
