#pragma once

#include <QString>
#include <stdexcept>

// The program's one error type: a user action that fails raises it with the
// text the user is shown; the application's error box reports it.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

// A file that cannot be written: the one message for it, naming its full path.
[[noreturn]] inline void RaiseWriteError(const QString& path)
{
    throw AppError(QStringLiteral("%1 に書き込めません").arg(path));
}
