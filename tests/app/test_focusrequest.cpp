#include "focusrequest.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestFocusRequest : public QObject {
    Q_OBJECT

private slots:
    void namesFollowTheFolder()
    {
        QTemporaryDir a;
        QTemporaryDir b;
        QCOMPARE(FocusServerName(a.path()), FocusServerName(a.path() + QStringLiteral("/.")));
        QVERIFY(FocusServerName(a.path()) != FocusServerName(b.path()));
#ifndef Q_OS_WIN
        const QString link = b.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(a.path(), link));
        QCOMPARE(FocusServerName(link), FocusServerName(a.path()));
#endif
    }

    // One request, one answer and one focus; anything else is dropped.
    void requests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("focused");
        QTest::newRow("focus") << QByteArray("focus\n") << QByteArray("ok\n") << 1;
        QTest::newRow("anything else") << QByteArray("quit\n") << QByteArray() << 0;
    }

    void requests()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(int, focused);
        QTemporaryDir dir;
#ifndef Q_OS_WIN
        // A name left by a bar that crashed does not keep the next one out.
        QFile stale(QDir::temp().filePath(FocusServerName(dir.path())));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
#endif
        int calls = 0;
        FocusServer server(dir.path(), [&] { ++calls; });
        QVERIFY(server.Listening());

        QLocalSocket client;
        QSignalSpy gone(&client, &QLocalSocket::disconnected);
        client.connectToServer(FocusServerName(dir.path()));
        QVERIFY(client.waitForConnected(3000));
        client.write(request);
        QTRY_COMPARE(gone.count(), 1);
        QCOMPARE(client.readAll(), answer);
        QCOMPARE(calls, focused);
    }
};

QTEST_GUILESS_MAIN(TestFocusRequest)
#include "test_focusrequest.moc"
