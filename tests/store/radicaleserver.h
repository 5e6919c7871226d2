#pragma once

// A Radicale CalDAV server on 127.0.0.1 at a free port, with its own storage
// folder and the users alice (password "secret") and bob; stopped with the
// object. Shared by the store's tests and the refresh benchmark.

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

class RadicaleServer {
public:
    ~RadicaleServer() { Stop(); }

    // Empty when it runs, else why not.
    QString Start()
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("radicale"));
        if (program.isEmpty())
            return QStringLiteral("radicale is not installed (Debian package radicale)");
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        QFile users(m_dir.filePath(QStringLiteral("htpasswd")));
        if (!users.open(QIODevice::WriteOnly) || users.write("alice:secret\nbob:other\n") < 0)
            return QStringLiteral("cannot write the htpasswd file");
        users.close();
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost))
            return QStringLiteral("no free port on 127.0.0.1");
        m_port = probe.serverPort();
        probe.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("log")));
        m_process.start(program, {QStringLiteral("--server-hosts"), QStringLiteral("127.0.0.1:%1").arg(m_port),
                                  QStringLiteral("--storage-filesystem-folder"), m_dir.filePath(QStringLiteral("collections")),
                                  QStringLiteral("--auth-type"), QStringLiteral("htpasswd"),
                                  QStringLiteral("--auth-htpasswd-filename"), users.fileName(),
                                  QStringLiteral("--auth-htpasswd-encryption"), QStringLiteral("plain"),
                                  QStringLiteral("--rights-type"), QStringLiteral("owner_only"),
                                  QStringLiteral("--logging-level"), QStringLiteral("warning")});
        if (!m_process.waitForStarted(5000))
            return QStringLiteral("radicale did not start: ") + m_process.errorString();
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(100))
                return {};
            if (m_process.state() == QProcess::NotRunning)
                break;
            QThread::msleep(100);
        }
        return QStringLiteral("radicale did not answer on port %1").arg(m_port);
    }

    void Stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    QString Url(const QString& path = QStringLiteral("/")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }

    // One request as user; the HTTP status.
    int Request(const QByteArray& verb, const QString& path, const QByteArray& body = {},
                const QString& user = QStringLiteral("alice"), const QString& password = QStringLiteral("secret"))
    {
        QNetworkRequest request{QUrl(Url(path))};
        request.setRawHeader("Authorization", "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64());
        if (!body.isEmpty())
            request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/calendar; charset=utf-8"));
        QNetworkReply* reply = m_network.sendCustomRequest(request, verb, body);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        reply->deleteLater();
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

    // A calendar collection with a name and a colour.
    int MakeCalendar(const QString& path, const QString& name, const QString& color,
                     const QString& user = QStringLiteral("alice"), const QString& password = QStringLiteral("secret"))
    {
        const QByteArray body = QStringLiteral(
            "<?xml version=\"1.0\"?><c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
            "xmlns:a=\"http://apple.com/ns/ical/\"><d:set><d:prop><d:displayname>%1</d:displayname>"
            "<a:calendar-color>%2</a:calendar-color></d:prop></d:set></c:mkcalendar>").arg(name, color).toUtf8();
        return Request("MKCALENDAR", path, body, user, password);
    }

    static QByteArray Event(const QString& uid, const QString& summary, const QString& date = QStringLiteral("20260105"))
    {
        return Calendar(VEvent(uid, summary, date));
    }
    static QByteArray VEvent(const QString& uid, const QString& summary, const QString& date)
    {
        return QStringLiteral("BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:%3\r\n"
                              "SUMMARY:%2\r\nEND:VEVENT\r\n").arg(uid, summary, date).toUtf8();
    }
    static QByteArray Calendar(const QByteArray& events)
    {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Murvane tests//EN\r\n" + events + "END:VCALENDAR\r\n";
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QNetworkAccessManager m_network;
};
