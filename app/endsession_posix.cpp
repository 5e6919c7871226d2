// POSIX: a signal handler may do next to nothing, so it writes the signal's
// number into a pipe; the event loop reads it there (QSocketNotifier) and
// asks for the end like any other event would.
#include "endsession.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int number)
{
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

class SignalSource : public EndSession::Source {
public:
    explicit SignalSource(std::function<void()> stop) : m_stop(std::move(stop))
    {
        if (g_pipe[0] < 0) {
            if (::pipe(g_pipe) != 0)
                return;
            for (int fd : g_pipe) {
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
                ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            }
        }
        m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Drain(); });
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int number : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(number, &action, nullptr);
    }

    ~SignalSource() override
    {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        for (int number : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(number, &action, nullptr);
    }

private:
    void Drain()
    {
        char bytes[16];
        bool any = false;
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
            any = true;
        if (any && m_stop)
            m_stop();
    }

    std::function<void()> m_stop;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace

std::unique_ptr<EndSession::Source> WatchStopRequests(std::function<void()> stop)
{
    return std::make_unique<SignalSource>(std::move(stop));
}
