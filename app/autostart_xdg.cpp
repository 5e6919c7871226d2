// XDG desktops: ${XDG_CONFIG_HOME:-$HOME/.config}/autostart/<app id>.desktop,
// starting murvane-launcher, which starts the bar in the user's data folder.
// Its TryExec makes the session pass over an entry left behind by a removed
// program.
#include "autostart.h"

#include "apperror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString ConfigHome()
{
    // Unset, empty or relative: the default, as the base directories have it.
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

// One argument of an Exec key, quoted: the quoting escapes '"', '`', '$' and
// '\' with a backslash, the key's string escapes double every backslash
// again, and '%' would start a field code.
QString ExecArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

} // namespace

QString Autostart::EntryPath()
{
    return ConfigHome() + QStringLiteral("/autostart/" MURVANE_APP_ID ".desktop");
}

bool Autostart::IsEnabled()
{
    return QFileInfo::exists(EntryPath());
}

void Autostart::SetEnabled(bool enabled, const QString&)
{
    const QString path = EntryPath();
    if (!enabled) {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            RaiseWriteError(Autostart::EntryPath());
        return;
    }

    const QString launcher = QCoreApplication::applicationDirPath() + QStringLiteral("/murvane-launcher");
    const QString entry = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Murvane\n"
        "Name[ja]=Murvane カレンダーバー\n"
        "Comment=Shows the month in a slim bar at the top of the screen\n"
        "Comment[ja]=画面の上端に一か月の日付を細長いバーで表示します\n"
        "Exec=%1\n"
        "TryExec=%2\n"
        "Icon=" MURVANE_APP_ID "\n"
        "Terminal=false\n")
        .arg(ExecArgument(launcher), QString(launcher).replace(u'\\', QStringLiteral("\\\\")));

    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        RaiseWriteError(Autostart::EntryPath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.toUtf8()) < 0 || !file.commit())
        RaiseWriteError(Autostart::EntryPath());
}
