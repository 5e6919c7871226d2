// WebDAV answers as servers write them: other prefixes, default namespaces,
// properties that failed, look-alike names from other namespaces. And where
// a CalDAV password may go, asked directly and after a redirect.

#include "davclient.h"
#include "davxml.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

class TestDavXml : public QObject {
    Q_OBJECT

    // Answers on 127.0.0.1 as the proxy of every address, so that nothing
    // leaves the machine: /start redirects to m_target, and each request's
    // Host is noted with "+" when it carried a password.
    QTcpServer m_server;
    QString m_target;
    QStringList m_seen;

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                if (!socket->peek(1 << 16).contains("\r\n\r\n"))
                    return;
                const QString head = QString::fromLatin1(socket->readAll());
                static const QRegularExpression host(QStringLiteral("\r\nhost: *([^\r]*)"),
                                                     QRegularExpression::CaseInsensitiveOption);
                m_seen << host.match(head).captured(1)
                              + (head.contains(u"\r\nAuthorization: Basic ", Qt::CaseInsensitive) ? u'+' : u'-');
                const QByteArray status = head.section(u' ', 1, 1).endsWith(u"/start")
                                              ? "302 Found\r\nLocation: " + m_target.toUtf8()
                                              : QByteArray("207 Multi-Status");
                socket->write("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
        });
    }

    // Over https anywhere; over plain http only to this machine's loopback.
    void password_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("may");
        QTest::newRow("https") << "https://example.com/dav/" << true;
        QTest::newRow("https loopback") << "https://127.0.0.1/dav/" << true;
        QTest::newRow("http localhost") << "http://localhost/dav/" << true;
        QTest::newRow("http LOCALHOST") << "http://LOCALHOST/dav/" << true;
        QTest::newRow("http 127.0.0.1") << "http://127.0.0.1/dav/" << true;
        QTest::newRow("http 127.1.2.3") << "http://127.1.2.3/dav/" << true;
        QTest::newRow("http [::1]") << "http://[::1]/dav/" << true;
        // Mapped 127.0.0.1: a socket to it reaches the same loopback.
        QTest::newRow("http [::ffff:127.0.0.1]") << "http://[::ffff:127.0.0.1]/dav/" << true;
        QTest::newRow("http example.com") << "http://example.com/dav/" << false;
        QTest::newRow("http localhost.example.com") << "http://localhost.example.com/dav/" << false;
        QTest::newRow("http 10.0.0.1") << "http://10.0.0.1/dav/" << false;
        QTest::newRow("http [::ffff:10.0.0.1]") << "http://[::ffff:10.0.0.1]/dav/" << false;
        QTest::newRow("ftp localhost") << "ftp://localhost/dav/" << false;
        QTest::newRow("webcal") << "webcal://example.com/dav/" << false;
        QTest::newRow("no scheme") << "localhost/dav/" << false;
    }
    void password()
    {
        QFETCH(QString, url);
        QFETCH(bool, may);
        QCOMPARE(MaySendPassword(QUrl(url)), may);
        if (!url.startsWith(u"http:"))
            return;
        // Each hop is judged: a redirect from loopback to the row's address.
        QNetworkAccessManager network;
        network.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), m_server.serverPort()));
        DavClient client(&network);
        client.SetCredentials(QStringLiteral("alice"), QStringLiteral("secret"));
        m_target = url;
        m_seen.clear();
        bool done = false;
        client.Send("PROPFIND", QUrl(QStringLiteral("http://127.0.0.1:%1/start").arg(m_server.serverPort())), 0, {},
                    [&](const DavAnswer&) { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        QStringList expected{QStringLiteral("127.0.0.1:%1+").arg(m_server.serverPort())};
        if (may)
            expected << QUrl(url).authority() + "+";
        QCOMPARE(m_seen, expected);
    }

    void multistatus_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("expected"); // per resource: href status etag calendar? comps color name
        QTest::newRow("prefixed, Apple colour with alpha")
            << QByteArray("<d:multistatus xmlns:d=\"DAV:\" xmlns:cal=\"urn:ietf:params:xml:ns:caldav\" xmlns:x1=\"http://apple.com/ns/ical/\">"
              "<d:response><d:href>/dav/cal/work/</d:href><d:propstat><d:prop>"
              "<d:resourcetype><d:collection/><cal:calendar/></d:resourcetype><d:displayname>Work</d:displayname>"
              "<x1:calendar-color>#FF8800FF</x1:calendar-color>"
              "<cal:supported-calendar-component-set><cal:comp name=\"VEVENT\"/><cal:comp name=\"vtodo\"/></cal:supported-calendar-component-set>"
              "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response></d:multistatus>")
            << "/dav/cal/work/ 200 - cal VEVENT,VTODO #ff8800 Work";
        QTest::newRow("default namespace, calendar data, sync token")
            << QByteArray("<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\"><response><href>/a/b%20c.ics</href>"
              "<propstat><prop><getetag>\"e1\"</getetag><C:calendar-data xmlns:C=\"urn:ietf:params:xml:ns:caldav\">BEGIN:VCALENDAR</C:calendar-data></prop>"
              "<status>HTTP/1.1 200 OK</status></propstat></response><sync-token>tok-2</sync-token></multistatus>")
            << "/a/b%20c.ics 200 \"e1\" - - - - data; token tok-2";
        QTest::newRow("failed propstat and foreign names ignored")
            << QByteArray("<D:multistatus xmlns:D=\"DAV:\" xmlns:X=\"http://example.com/\"><D:response><D:href>/x/</D:href>"
              "<D:propstat><D:prop><D:getetag>\"ok\"</D:getetag><X:displayname>Wrong</X:displayname></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat>"
              "<D:propstat><D:prop><D:displayname>Missing</D:displayname></D:prop><D:status>HTTP/1.1 404 Not Found</D:status></D:propstat>"
              "</D:response></D:multistatus>")
            << "/x/ 200 \"ok\" - - - -";
        QTest::newRow("deleted member of a sync report")
            << QByteArray("<multistatus xmlns=\"DAV:\"><response><href>/c/gone.ics</href><status>HTTP/1.1 404 Not Found</status></response></multistatus>")
            << "/c/gone.ics 404 - - - - -";
        QTest::newRow("no multistatus") << QByteArray("<error xmlns=\"DAV:\"><valid-sync-token/></error>") << "invalid";
        QTest::newRow("truncated") << QByteArray("<multistatus xmlns=\"DAV:\"><response><href>/c/") << "invalid";
    }
    void multistatus()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, expected);
        const DavMultiStatus ms = ParseMultiStatus(xml);
        QStringList found;
        auto orDash = [](const QString& s) { return s.isEmpty() ? QStringLiteral("-") : s; };
        for (const DavResource& r : ms.Resources) {
            found << QStringList{r.Href, QString::number(r.Status), orDash(r.ETag), r.IsCalendar ? "cal" : "-",
                                 orDash(r.Components.join(',')), orDash(r.Color), orDash(r.DisplayName)}
                         .join(' ')
                         + (r.CalendarData.isEmpty() ? QString() : QStringLiteral(" data"));
        }
        if (!ms.SyncToken.isEmpty())
            found << QStringLiteral("token ") + ms.SyncToken;
        QCOMPARE(ms.Valid ? found.join(QStringLiteral("; ")) : QStringLiteral("invalid"), expected);
    }

    void principal()
    {
        const DavMultiStatus ms = ParseMultiStatus("<multistatus xmlns=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
              "<response><href>/</href><propstat><prop><current-user-principal><href>/p/alice/</href></current-user-principal>"
              "<c:calendar-home-set><href>https://other.example/h/alice/</href></c:calendar-home-set></prop>"
              "<status>HTTP/1.1 200 OK</status></propstat></response></multistatus>");
        QCOMPARE(ms.Resources.size(), 1);
        QCOMPARE(ms.Resources[0].PrincipalHref, QStringLiteral("/p/alice/"));
        QCOMPARE(ms.Resources[0].HomeSetHref, QStringLiteral("https://other.example/h/alice/"));
        QVERIFY(NamesInvalidSyncToken("<d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>"));
        QVERIFY(!NamesInvalidSyncToken("<error xmlns=\"urn:x\"><valid-sync-token/></error>"));
    }
};

QTEST_GUILESS_MAIN(TestDavXml)
#include "test_davxml.moc"
