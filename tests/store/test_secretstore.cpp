// The Windows Credential Manager through Passwords (under Wine, which keeps
// it in its registry): what one process writes, a fresh one reads.
#include "passwords.h"

#include <QTest>
#include <QUrl>

class TestSecretStore : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("passwords"); // written in turn; the last is read, none: not found
        QTest::newRow("japanese") << "田中" << QStringList{"パスワード🔑"};
        QTest::newRow("replaced") << "again" << QStringList{"old", "new"};
        QTest::newRow("long") << "long" << QStringList{QString(400, u'x')};
        QTest::newRow("never written") << "nobody" << QStringList{};
    }
    void roundTrip()
    {
        QFETCH(QString, user);
        QFETCH(QStringList, passwords);
        const QString key = Passwords::Key(user, QUrl(QStringLiteral("https://dav.example.jp:8443/")));
        for (const QString& password : passwords) {
            Passwords writer;
            int stored = -1;
            writer.Write(key, password, this, [&](bool s) { stored = s; });
            QVERIFY(QTest::qWaitFor([&] { return stored >= 0; }, 5000));
            QCOMPARE(stored, 1);
        }
        Passwords reader; // knows nothing in memory
        std::optional<PasswordLookup> found;
        reader.Read(key, this, [&](const PasswordLookup& lookup) { found = lookup; });
        QVERIFY(!found); // answered on the event loop, never inside the call
        QVERIFY(QTest::qWaitFor([&] { return found.has_value(); }, 5000));
        QCOMPARE(found->Found, !passwords.isEmpty());
        QCOMPARE(found->Password, passwords.value(passwords.size() - 1));
        QVERIFY(!found->SessionOnly && !found->NoSecretStore);
    }
};

QTEST_GUILESS_MAIN(TestSecretStore)
#include "test_secretstore.moc"
