#pragma once

#include <QObject>
#include <functional>
#include <memory>

// Ends the program cleanly when the system asks it to stop rather than the
// user: SIGTERM, SIGINT or SIGHUP on POSIX systems, the end of the session on
// Windows. The request reaches the event loop as an ordinary event, and end
// runs there.
class EndSession : public QObject {
public:
    explicit EndSession(std::function<void()> end);
    ~EndSession() override;

    // The platform's source of stop requests; it calls back on the event loop.
    class Source {
    public:
        virtual ~Source() = default;
    };

private:
    std::unique_ptr<Source> m_source;
};

// Closes every open dialog and message box as its close box would: input not
// yet saved is dropped, nothing is written.
void CloseOpenDialogs();

// The platform part (endsession_posix.cpp, endsession_win.cpp).
std::unique_ptr<EndSession::Source> WatchStopRequests(std::function<void()> stop);
