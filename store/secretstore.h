#pragma once

#include <QString>

#include <functional>

class QObject;

// The system's secret store, one password per key under the service
// "Murvane": the Secret Service or KWallet through QtKeychain
// (secretstore_keychain.cpp), the Windows Credential Manager on Windows
// (secretstore_win.cpp). Answers come on the event loop, never inside the call,
// and not at all once owner is gone.
namespace SecretStore {

enum class Outcome {
    Done,
    NotFound, // the store answered and has no such entry
    NoStore, // no store answered, or it refused
};

void Read(const QString& key, QObject* owner, std::function<void(Outcome, const QString& password)> done);
void Write(const QString& key, const QString& password, QObject* owner, std::function<void(Outcome)> done);

} // namespace SecretStore
