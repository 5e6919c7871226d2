#include "feedlocation.h"

#include <QDir>

FeedLocation LocateFeed(const QString& source)
{
    const QString text = source.trimmed();
    FeedLocation location;
    for (const char* scheme : {"webcal://", "webcals://"}) {
        if (text.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
            location.Type = FeedLocation::Kind::Web;
            location.Url = QUrl(QStringLiteral("https://") + text.mid(int(qstrlen(scheme))));
            return location;
        }
    }
    if (text.startsWith(u"http://", Qt::CaseInsensitive) || text.startsWith(u"https://", Qt::CaseInsensitive)) {
        location.Type = FeedLocation::Kind::Web;
        location.Url = QUrl(text);
        if (!location.Url.isValid() || location.Url.host().isEmpty())
            location.Type = FeedLocation::Kind::Unknown;
        return location;
    }
    if (text.startsWith(u"file:", Qt::CaseInsensitive)) {
        location.Type = FeedLocation::Kind::File;
        location.Path = QUrl(text).toLocalFile();
        return location;
    }
    // "C:\..." is a path on Windows, not a scheme.
    if (text.isEmpty() || (text.contains(u"://") && !QDir::isAbsolutePath(text)))
        return location;
    location.Type = FeedLocation::Kind::File;
    location.Path = text.startsWith(u"~/") ? QDir::homePath() + text.mid(1) : QDir::current().absoluteFilePath(text);
    return location;
}

QString TooLargeText()
{
    return QStringLiteral("大きすぎます (50 MB を超えています)");
}
