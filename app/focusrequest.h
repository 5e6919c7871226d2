#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
struct CommandLine;

// `murvane --focus`: the running bar of a data folder listens on a local
// socket (a named pipe on Windows) named from the folder, and takes the
// keyboard focus when asked there.
QString FocusServerName(const QString& dataDir);

// The client: asks the bar of line.DataDir (or the current folder). 0 when
// the bar answered; otherwise prints one line on standard error and returns 1.
int RunFocusRequest(const CommandLine& line, int& argc, char** argv);

// The bar's side: runs takeFocus for every request.
class FocusServer : public QObject {
public:
    FocusServer(const QString& dataDir, std::function<void()> takeFocus);
    bool Listening() const;

private:
    QLocalServer* m_server;
    std::function<void()> m_takeFocus;
};
