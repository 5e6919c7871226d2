#include "noteobject.h"

#include "notesync.h"

#include <libical/ical.h>

#include <QUuid>

namespace {

QDate DateOf(const icaltimetype& t)
{
    return QDate(t.year, t.month, t.day);
}

QString TextOf(icalcomponent* event, icalproperty_kind kind)
{
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    icalvalue* value = p ? icalproperty_get_value(p) : nullptr;
    const char* text = value ? icalvalue_get_text(value) : nullptr;
    return text ? QString::fromUtf8(text) : QString();
}

// A text value with RFC 5545's escapes.
QByteArray Escaped(const QString& text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == ';' || c == ',')
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// A content line folded at 75 octets, never inside a UTF-8 character.
QByteArray Folded(const QByteArray& line)
{
    QByteArray out;
    qsizetype from = 0;
    int limit = 75;
    while (line.size() - from > limit) {
        qsizetype cut = from + limit;
        while (cut > from && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += line.mid(from, cut - from) + "\r\n ";
        from = cut;
        limit = 74; // the space that starts a continuation counts
    }
    return out + line.mid(from) + "\r\n";
}

} // namespace

NoteObject ReadNoteObject(const QByteArray& ical)
{
    NoteObject note;
    icalcomponent* root = icalparser_parse_string(ical.constData());
    if (!root)
        return note;
    icalcomponent* calendar = icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT ? root : nullptr;
    icalcomponent* event = calendar ? icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT)
                                    : (icalcomponent_isa(root) == ICAL_VEVENT_COMPONENT ? root : nullptr);
    const bool single = event && (!calendar || !icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT));
    if (single) {
        const icaltimetype start = icalcomponent_get_dtstart(event);
        icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY);
        icalproperty* duration = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
        bool oneDay = !icaltime_is_null_time(start) && start.is_date;
        if (oneDay && end) {
            const icaltimetype e = icalproperty_get_dtend(end);
            oneDay = e.is_date && DateOf(e) <= DateOf(start).addDays(1);
        } else if (oneDay && duration) {
            const icaldurationtype d = icalproperty_get_duration(duration);
            oneDay = icaldurationtype_as_int(d) <= 86400;
        }
        const bool repeats = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)
                             || icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY)
                             || icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
        icalproperty* status = icalcomponent_get_first_property(event, ICAL_STATUS_PROPERTY);
        const bool cancelled = status && icalproperty_get_status(status) == ICAL_STATUS_CANCELLED;
        if (oneDay && !repeats && !cancelled && DateOf(start).isValid()) {
            note.IsNote = true;
            note.Date = DateOf(start);
            note.Uid = QString::fromUtf8(icalcomponent_get_uid(event));
            QString text = NoteFromServer(TextOf(event, ICAL_DESCRIPTION_PROPERTY));
            note.Text = text.isEmpty() ? NoteFromServer(TextOf(event, ICAL_SUMMARY_PROPERTY)) : text;
            if (icalproperty* sequence = icalcomponent_get_first_property(event, ICAL_SEQUENCE_PROPERTY))
                note.Sequence = icalproperty_get_sequence(sequence);
        }
    }
    icalcomponent_free(root);
    return note;
}

QByteArray WriteNoteObject(const QString& uid, QDate date, const QString& text, int sequence, const QDateTime& stamp)
{
    const QString summary = text.section(u'\n', 0, 0);
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Murvane//Notes//JA\r\nBEGIN:VEVENT\r\n";
    out += Folded("UID:" + Escaped(uid));
    out += "DTSTAMP:" + stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1() + "\r\n";
    out += "DTSTART;VALUE=DATE:" + date.toString(QStringLiteral("yyyyMMdd")).toLatin1() + "\r\n";
    out += "DTEND;VALUE=DATE:" + date.addDays(1).toString(QStringLiteral("yyyyMMdd")).toLatin1() + "\r\n";
    out += "SEQUENCE:" + QByteArray::number(sequence) + "\r\n";
    out += "TRANSP:TRANSPARENT\r\n";
    out += Folded("SUMMARY:" + Escaped(summary));
    out += Folded("DESCRIPTION:" + Escaped(text));
    out += "X-MURVANE-NOTE:1\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    return out;
}

QString NewNoteUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}
