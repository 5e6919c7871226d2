// The Windows Credential Manager through SecretStore and Passwords (under
// Wine, which keeps it in its registry).
#include "passwords.h"
#include "secretstore.h"

#include <QSignalSpy>
#include <QTest>
#include <QUrl>

class TestSecretStore : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void missingKey();
    void passwordsSurviveTheProcess();

private:
    struct Answer {
        bool done = false;
        SecretStore::Outcome outcome = SecretStore::Outcome::NoStore;
        QString password;
    };
    Answer Read(const QString& key);
    SecretStore::Outcome Write(const QString& key, const QString& password);
};

TestSecretStore::Answer TestSecretStore::Read(const QString& key)
{
    Answer answer;
    SecretStore::Read(key, this, [&](SecretStore::Outcome outcome, const QString& password) {
        answer = {true, outcome, password};
    });
    // Never inside the call.
    if (answer.done)
        return {};
    if (!QTest::qWaitFor([&] { return answer.done; }, 5000))
        return {};
    return answer;
}

SecretStore::Outcome TestSecretStore::Write(const QString& key, const QString& password)
{
    bool done = false;
    SecretStore::Outcome result = SecretStore::Outcome::NoStore;
    SecretStore::Write(key, password, this, [&](SecretStore::Outcome outcome) {
        done = true;
        result = outcome;
    });
    if (done || !QTest::qWaitFor([&] { return done; }, 5000))
        return SecretStore::Outcome::NoStore;
    return result;
}

void TestSecretStore::roundTrip_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("passwords"); // written in turn; the last is read
    QTest::newRow("ascii") << "me@example.com" << QStringList{"s3cret"};
    QTest::newRow("japanese, port in the key") << "田中@dav.example.jp:8443" << QStringList{"パスワード🔑"};
    QTest::newRow("replaced") << "me@replaced.example" << QStringList{"old", "new"};
    QTest::newRow("long") << "me@long.example" << QStringList{QString(400, u'x')};
}

void TestSecretStore::roundTrip()
{
    QFETCH(QString, key);
    QFETCH(QStringList, passwords);
    for (const QString& password : passwords)
        QCOMPARE(Write(key, password), SecretStore::Outcome::Done);
    const Answer answer = Read(key);
    QVERIFY(answer.done);
    QCOMPARE(answer.outcome, SecretStore::Outcome::Done);
    QCOMPARE(answer.password, passwords.last());
}

void TestSecretStore::missingKey()
{
    const Answer answer = Read(QStringLiteral("nobody@nowhere.example"));
    QVERIFY(answer.done);
    QCOMPARE(answer.outcome, SecretStore::Outcome::NotFound);
    QVERIFY(answer.password.isEmpty());
}

void TestSecretStore::passwordsSurviveTheProcess()
{
    const QString key = Passwords::Key(QStringLiteral("me"), QUrl(QStringLiteral("https://dav.example.com:8443/")));
    {
        Passwords writer;
        bool stored = false;
        bool done = false;
        writer.Write(key, QStringLiteral("pw"), this, [&](bool s) {
            stored = s;
            done = true;
        });
        QVERIFY(QTest::qWaitFor([&] { return done; }, 5000));
        QVERIFY(stored);
        QVERIFY(!writer.IsSessionOnly(key));
    }
    Passwords reader; // knows nothing in memory
    PasswordLookup found;
    bool done = false;
    reader.Read(key, this, [&](const PasswordLookup& lookup) {
        found = lookup;
        done = true;
    });
    QVERIFY(QTest::qWaitFor([&] { return done; }, 5000));
    QVERIFY(found.Found);
    QCOMPARE(found.Password, QStringLiteral("pw"));
    QVERIFY(!found.SessionOnly);
}

QTEST_GUILESS_MAIN(TestSecretStore)
#include "test_secretstore.moc"
