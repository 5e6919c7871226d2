#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class QUrl;

// What a password lookup found.
struct PasswordLookup {
    QString Password;
    bool Found = false;
    bool SessionOnly = false; // no secret store took it: it lives in this process only
    bool NoSecretStore = false; // the secret store did not answer
};

// The passwords of CalDAV accounts: in the system's secret store (the Secret
// Service, KWallet, the Windows Credential Manager) and nowhere else on disk.
// Where no secret store answers, a password lives in memory for the session.
// Keys are "user@host", the service "Murvane".
class Passwords : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    static QString Key(const QString& user, const QUrl& address);

    // The password for key: from memory, or else from the secret store.
    // done runs later, and not at all once context is gone.
    void Read(const QString& key, QObject* context, std::function<void(const PasswordLookup&)> done);
    // Puts the password into the secret store, or keeps it in memory when
    // there is none; done(stored) tells which.
    void Write(const QString& key, const QString& password, QObject* context, std::function<void(bool stored)> done);
    // Keeps a password in memory only, for this session.
    void KeepForSession(const QString& key, const QString& password);
    bool IsSessionOnly(const QString& key) const { return m_sessionOnly.contains(key); }

private:
    QHash<QString, QString> m_known;
    QSet<QString> m_sessionOnly;
};
