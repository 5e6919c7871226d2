#include "focusrequest.h"

#include "commandline.h"
#include "console.h"
#include "foreground.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
const QByteArray Request = "focus\n";
const QByteArray Answer = "ok\n";
constexpr int WaitMs = 3000;

// The same folder reached through a link is the same folder.
QString FolderKey(const QString& dataDir)
{
    const QString canonical = QFileInfo(dataDir).canonicalFilePath();
    return canonical.isEmpty() ? QDir(dataDir).absolutePath() : canonical;
}
} // namespace

QString FocusServerName(const QString& dataDir)
{
    // Windows' paths ignore letter case.
    QString key = QDir::toNativeSeparators(FolderKey(dataDir));
#ifdef Q_OS_WIN
    key = key.toLower();
#endif
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return QStringLiteral("murvane-%1").arg(QString::fromLatin1(hash));
}

int RunFocusRequest(const CommandLine& line, int& argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString dataDir = line.DataDir.isEmpty() ? QDir::currentPath() : line.DataDir;
    Foreground::LetTheBarTakeIt();
    QLocalSocket socket;
    socket.connectToServer(FocusServerName(dataDir));
    bool answered = false;
    if (socket.waitForConnected(WaitMs)) {
        socket.write(Request);
        socket.waitForBytesWritten(WaitMs);
        while (!socket.canReadLine() && socket.waitForReadyRead(WaitMs)) {
        }
        answered = socket.canReadLine() && socket.readLine() == Answer;
    }
    if (answered)
        return 0;
    Console::Write(stderr, QStringLiteral("murvane: no bar runs for the folder %1\n")
                               .arg(QDir::toNativeSeparators(QDir(dataDir).absolutePath())));
    return 1;
}

FocusServer::FocusServer(const QString& dataDir, std::function<void()> takeFocus)
    : m_server(new QLocalServer(this)), m_takeFocus(std::move(takeFocus))
{
    const QString name = FocusServerName(dataDir);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The folder's lock is ours: a name left behind by a bar that crashed is stale.
    if (!m_server->listen(name)) {
        QLocalServer::removeServer(name);
        m_server->listen(name);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() != Request) {
                    socket->disconnectFromServer();
                    return;
                }
                // Answered first: the bar's work must not keep the caller waiting.
                socket->write(Answer);
                socket->flush();
                socket->disconnectFromServer();
                if (m_takeFocus)
                    m_takeFocus();
            });
        }
    });
}

bool FocusServer::Listening() const
{
    return m_server->isListening();
}
