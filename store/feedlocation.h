#pragma once

#include <QString>
#include <QUrl>

// What a calendar's Source= names: a local file or a feed address.
struct FeedLocation {
    enum class Kind { File, Web, Unknown };
    Kind Type = Kind::Unknown;
    QUrl Url;     // Web: the http(s) address to ask
    QString Path; // File: the file's path
};

// webcal:// and webcals:// are https://; file:// addresses, absolute paths,
// "~/" paths and relative paths (from the current folder) are files; other
// schemes are unknown.
FeedLocation LocateFeed(const QString& source);

// The most a feed may weigh; a bigger one is refused.
inline constexpr qint64 MaxFeedBytes = 50LL * 1024 * 1024;

// The state of a refused feed.
QString TooLargeText();
