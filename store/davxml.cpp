#include "davxml.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>

namespace {

const QString Dav = QStringLiteral("DAV:");
const QString CalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
const QString Apple = QStringLiteral("http://apple.com/ns/ical/");

bool Is(const QXmlStreamReader& xml, const QString& ns, const char* name)
{
    return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
}

// "HTTP/1.1 404 Not Found" → 404; 0 when unreadable.
int StatusCode(const QString& line)
{
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// The first DAV:href inside the element the reader stands on.
QString InnerHref(QXmlStreamReader& xml)
{
    QString href;
    int level = 1;
    while (level > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (href.isEmpty() && Is(xml, Dav, "href")) {
                href = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                continue;
            }
            ++level;
        } else if (xml.isEndElement()) {
            --level;
        }
    }
    return href;
}

struct PropStat {
    DavResource Props;
    int Status = 0;
};

void ReadProp(QXmlStreamReader& xml, DavResource& r)
{
    while (xml.readNextStartElement()) {
        if (Is(xml, Dav, "getetag")) {
            r.ETag = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (Is(xml, CalDav, "calendar-data")) {
            r.CalendarData = xml.readElementText(QXmlStreamReader::SkipChildElements).toUtf8();
        } else if (Is(xml, Dav, "displayname")) {
            r.DisplayName = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (Is(xml, Apple, "calendar-color")) {
            r.Color = NormalizeDavColor(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (Is(xml, Dav, "resourcetype")) {
            while (xml.readNextStartElement()) {
                if (Is(xml, Dav, "collection"))
                    r.IsCollection = true;
                else if (Is(xml, CalDav, "calendar"))
                    r.IsCalendar = true;
                xml.skipCurrentElement();
            }
        } else if (Is(xml, CalDav, "supported-calendar-component-set")) {
            while (xml.readNextStartElement()) {
                if (Is(xml, CalDav, "comp"))
                    r.Components << xml.attributes().value(QLatin1String("name")).toString().toUpper();
                xml.skipCurrentElement();
            }
        } else if (Is(xml, Dav, "current-user-principal")) {
            r.PrincipalHref = InnerHref(xml);
        } else if (Is(xml, CalDav, "calendar-home-set")) {
            r.HomeSetHref = InnerHref(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
}

PropStat ReadPropStat(QXmlStreamReader& xml)
{
    PropStat ps;
    while (xml.readNextStartElement()) {
        if (Is(xml, Dav, "prop"))
            ReadProp(xml, ps.Props);
        else if (Is(xml, Dav, "status"))
            ps.Status = StatusCode(xml.readElementText(QXmlStreamReader::SkipChildElements));
        else
            xml.skipCurrentElement();
    }
    return ps;
}

DavResource ReadResponse(QXmlStreamReader& xml)
{
    DavResource r;
    while (xml.readNextStartElement()) {
        if (Is(xml, Dav, "href") && r.Href.isEmpty()) {
            r.Href = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (Is(xml, Dav, "status")) {
            r.Status = StatusCode(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (Is(xml, Dav, "propstat")) {
            const PropStat ps = ReadPropStat(xml);
            if (ps.Status != 200)
                continue;
            const DavResource& p = ps.Props;
            if (!p.ETag.isEmpty()) r.ETag = p.ETag;
            if (!p.CalendarData.isEmpty()) r.CalendarData = p.CalendarData;
            if (!p.DisplayName.isEmpty()) r.DisplayName = p.DisplayName;
            if (!p.Color.isEmpty()) r.Color = p.Color;
            r.IsCollection |= p.IsCollection;
            r.IsCalendar |= p.IsCalendar;
            r.Components << p.Components;
            if (!p.PrincipalHref.isEmpty()) r.PrincipalHref = p.PrincipalHref;
            if (!p.HomeSetHref.isEmpty()) r.HomeSetHref = p.HomeSetHref;
        } else {
            xml.skipCurrentElement();
        }
    }
    return r;
}

QByteArray Document(const std::function<void(QXmlStreamWriter&)>& body)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(Dav, QStringLiteral("d"));
    w.writeNamespace(CalDav, QStringLiteral("c"));
    body(w);
    w.writeEndDocument();
    return out;
}

void Props(QXmlStreamWriter& w, std::initializer_list<std::pair<const QString*, const char*>> names)
{
    w.writeStartElement(Dav, QStringLiteral("prop"));
    for (const auto& [ns, name] : names)
        w.writeEmptyElement(*ns, QLatin1String(name));
    w.writeEndElement();
}

} // namespace

DavMultiStatus ParseMultiStatus(const QByteArray& text)
{
    DavMultiStatus result;
    QXmlStreamReader xml(text);
    if (!xml.readNextStartElement() || !Is(xml, Dav, "multistatus"))
        return result;
    while (xml.readNextStartElement()) {
        if (Is(xml, Dav, "response"))
            result.Resources << ReadResponse(xml);
        else if (Is(xml, Dav, "sync-token"))
            result.SyncToken = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else
            xml.skipCurrentElement();
    }
    result.Valid = !xml.hasError();
    return result;
}

bool NamesInvalidSyncToken(const QByteArray& text)
{
    QXmlStreamReader xml(text);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && Is(xml, Dav, "valid-sync-token"))
            return true;
    }
    return false;
}

QString NormalizeDavColor(const QString& value)
{
    static const QRegularExpression color(QStringLiteral("^#([0-9a-fA-F]{6})([0-9a-fA-F]{2})?$"));
    const QRegularExpressionMatch m = color.match(value.trimmed());
    return m.hasMatch() ? QLatin1Char('#') + m.captured(1).toLower() : QString();
}

QByteArray SyncCollectionBody(const QString& token)
{
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(Dav, QStringLiteral("sync-collection"));
        w.writeTextElement(Dav, QStringLiteral("sync-token"), token);
        w.writeTextElement(Dav, QStringLiteral("sync-level"), QStringLiteral("1"));
        Props(w, {{&Dav, "getetag"}});
        w.writeEndElement();
    });
}

QByteArray EtagPropfindBody()
{
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(Dav, QStringLiteral("propfind"));
        Props(w, {{&Dav, "resourcetype"}, {&Dav, "getetag"}});
        w.writeEndElement();
    });
}

QByteArray MultigetBody(const QStringList& hrefs)
{
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(CalDav, QStringLiteral("calendar-multiget"));
        Props(w, {{&Dav, "getetag"}, {&CalDav, "calendar-data"}});
        for (const QString& href : hrefs)
            w.writeTextElement(Dav, QStringLiteral("href"), href);
        w.writeEndElement();
    });
}

QByteArray DiscoveryPropfindBody()
{
    return Document([&](QXmlStreamWriter& w) {
        w.writeStartElement(Dav, QStringLiteral("propfind"));
        w.writeNamespace(Apple, QStringLiteral("a"));
        Props(w, {{&Dav, "resourcetype"}, {&Dav, "displayname"}, {&Dav, "current-user-principal"},
                  {&CalDav, "calendar-home-set"}, {&CalDav, "supported-calendar-component-set"},
                  {&Apple, "calendar-color"}});
        w.writeEndElement();
    });
}
