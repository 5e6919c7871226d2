#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What a WebDAV multistatus answer (RFC 4918) says about one resource, as far
// as reading calendars needs it. Properties count only from a propstat whose
// status is 200.
struct DavResource {
    QString Href;               // as the server wrote it, percent-encoded
    int Status = 200;           // the response's own status (404: deleted, in a sync report)
    QString ETag;
    QByteArray CalendarData;
    QString DisplayName;
    QString Color;              // "#rrggbb", or empty
    bool IsCollection = false;
    bool IsCalendar = false;
    QStringList Components;     // supported-calendar-component-set; empty when not given
    QString PrincipalHref;      // current-user-principal
    QString HomeSetHref;        // calendar-home-set (the first one)
};

struct DavMultiStatus {
    bool Valid = false;         // a DAV:multistatus document was read
    QList<DavResource> Resources;
    QString SyncToken;
};

DavMultiStatus ParseMultiStatus(const QByteArray& xml);

// Whether an error body names the DAV:valid-sync-token precondition, which a
// server sends when it no longer knows the token it was given.
bool NamesInvalidSyncToken(const QByteArray& xml);

// A calendar-color value as "#rrggbb": Apple's "#RRGGBBAA" loses its alpha;
// anything else gives an empty text.
QString NormalizeDavColor(const QString& value);

// Request bodies.
QByteArray SyncCollectionBody(const QString& token);
QByteArray EtagPropfindBody();
QByteArray MultigetBody(const QStringList& hrefs);
QByteArray DiscoveryPropfindBody();
