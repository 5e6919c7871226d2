// Windows: generic credentials of the user's Credential Manager, target
// "Murvane/<key>", kept on this machine for this user. The calls are quick
// and local; their answer is still handed over on the event loop, as the
// other stores' is.
#include "secretstore.h"

#include <QMetaObject>
#include <QObject>

#include <windows.h>
#include <wincred.h>

namespace {

std::wstring Target(const QString& key)
{
    return (QStringLiteral("Murvane/") + key).toStdWString();
}

} // namespace

void SecretStore::Read(const QString& key, QObject* owner, std::function<void(Outcome, const QString&)> done)
{
    PCREDENTIALW credential = nullptr;
    Outcome outcome = Outcome::NoStore;
    QString password;
    if (CredReadW(Target(key).c_str(), CRED_TYPE_GENERIC, 0, &credential)) {
        password = QString::fromUtf16(reinterpret_cast<const char16_t*>(credential->CredentialBlob),
                                      qsizetype(credential->CredentialBlobSize / sizeof(char16_t)));
        SecureZeroMemory(credential->CredentialBlob, credential->CredentialBlobSize);
        CredFree(credential);
        outcome = Outcome::Done;
    } else if (GetLastError() == ERROR_NOT_FOUND) {
        outcome = Outcome::NotFound;
    }
    QMetaObject::invokeMethod(owner, [done, outcome, password] { done(outcome, password); }, Qt::QueuedConnection);
}

void SecretStore::Write(const QString& key, const QString& password, QObject* owner, std::function<void(Outcome)> done)
{
    std::wstring target = Target(key);
    std::wstring user = key.toStdWString();
    CREDENTIALW credential = {};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.UserName = user.data();
    credential.CredentialBlobSize = DWORD(password.size() * sizeof(char16_t));
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(const_cast<ushort*>(password.utf16()));
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    const Outcome outcome = CredWriteW(&credential, 0) ? Outcome::Done : Outcome::NoStore;
    QMetaObject::invokeMethod(owner, [done, outcome] { done(outcome); }, Qt::QueuedConnection);
}
