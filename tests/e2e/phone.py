#!/usr/bin/python3
"""A phone's calendar app against one CalDAV collection, for the sync tests.

Environment: PHONE_URL (the collection, ending in /), PHONE_USER and
PHONE_PASSWORD (Basic auth; never printed).

  put DATE TEXT [--no-dtend|--dtend-equal|--days N|--timed|--weekly]
                [--summary-only] [--uid U]
      a new object with a random UID (or U); TEXT may hold line breaks.
      Default: all-day, DTEND the next day, DESCRIPTION and SUMMARY.
  edit DATE TEXT   the day's single-day all-day object gets TEXT, same UID,
                   SEQUENCE one higher, written with If-Match
  delete DATE      deletes the day's single-day all-day objects
  delete-all       deletes every single-day all-day object
  list             one line per single-day all-day object, sorted:
                   YYYY-MM-DD<TAB>text, line breaks in text as the two
                   characters \\n
  count DATE       how many single-day all-day objects the day has
  raw DATE         the day's objects as stored
  etags            HREF<TAB>ETAG of every object (all kinds), sorted
  others           the same for the objects that are not single-day all-day
DATE is YYYY-MM-DD. Exit status 1 with a message on any HTTP error.
"""
import base64
import datetime
import http.client
import os
import re
import sys
import urllib.parse
import uuid
import xml.etree.ElementTree as ET

URL = urllib.parse.urlsplit(os.environ["PHONE_URL"])
AUTH = "Basic " + base64.b64encode(
    (os.environ.get("PHONE_USER", "") + ":" + os.environ.get("PHONE_PASSWORD", "")).encode()).decode()


def request(method, path, body=None, headers=None):
    conn = http.client.HTTPConnection(URL.hostname, URL.port, timeout=10)
    h = {"Authorization": AUTH}
    h.update(headers or {})
    if body is not None:
        body = body.encode()
    conn.request(method, path, body=body, headers=h)
    r = conn.getresponse()
    data = r.read()
    conn.close()
    return r.status, r.getheader("ETag"), data.decode("utf-8", "replace")


def check(status, ok, what):
    if status not in ok:
        sys.exit(f"phone: {what} answered {status}")


def unfold(ics):
    return re.sub(r"\r?\n[ \t]", "", ics).replace("\r\n", "\n").split("\n")


def unescape(v):
    return re.sub(r"\\(.)", lambda m: "\n" if m.group(1) in "nN" else m.group(1), v)


def escape(v):
    return v.replace("\\", "\\\\").replace(";", "\\;").replace(",", "\\,").replace("\n", "\\n")


def fold(line):
    out, cur = [], ""
    for ch in line:
        if len((cur + ch).encode()) > 74:
            out.append(cur)
            cur = " "
        cur += ch
    return "\r\n".join(out + [cur])


def props(ics):
    """The first VEVENT's properties: name -> (params, value)."""
    p, inside = {}, False
    for line in unfold(ics):
        if line == "BEGIN:VEVENT":
            inside = True
        elif line == "END:VEVENT":
            break
        elif inside and ":" in line:
            head, value = line.split(":", 1)
            name, *params = head.split(";")
            p.setdefault(name.upper(), (params, value))
    return p


def note_day(ics):
    """YYYY-MM-DD when the object is one single-day all-day item, else None."""
    p = props(ics)
    if "DTSTART" not in p or "RRULE" in p or "RDATE" in p:
        return None
    start = p["DTSTART"][1]
    if not re.fullmatch(r"\d{8}", start):
        return None
    d = datetime.date(int(start[:4]), int(start[4:6]), int(start[6:]))
    if "DTEND" in p:
        end = p["DTEND"][1]
        if end not in (start, (d + datetime.timedelta(days=1)).strftime("%Y%m%d")):
            return None
    elif "DURATION" in p and p["DURATION"][1] not in ("P1D", "PT0S", "P0D"):
        return None
    return d.isoformat()


def text_of(ics):
    p = props(ics)
    return unescape((p.get("DESCRIPTION") or p.get("SUMMARY") or ([], ""))[1])


def objects():
    """[(href, etag, ics)] of the collection."""
    body = ('<?xml version="1.0"?><c:calendar-query xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">'
            '<d:prop><d:getetag/><c:calendar-data/></d:prop><c:filter><c:comp-filter name="VCALENDAR">'
            '<c:comp-filter name="VEVENT"/></c:comp-filter></c:filter></c:calendar-query>')
    status, _, data = request("REPORT", URL.path, body, {"Depth": "1", "Content-Type": "application/xml"})
    check(status, (207,), "REPORT")
    ns = {"d": "DAV:", "c": "urn:ietf:params:xml:ns:caldav"}
    out = []
    for r in ET.fromstring(data).findall("d:response", ns):
        href = r.findtext("d:href", "", ns)
        ics = r.findtext(".//c:calendar-data", None, ns)
        if ics is None or href.rstrip("/") == URL.path.rstrip("/"):
            continue
        out.append((urllib.parse.unquote(href), r.findtext(".//d:getetag", "", ns), ics))
    return sorted(out)


def notes():
    return sorted((note_day(ics), props(ics)["UID"][1], href, etag, ics)
                  for href, etag, ics in objects() if note_day(ics))


def stamp():
    return datetime.datetime.now(datetime.timezone.utc).strftime("%Y%m%dT%H%M%SZ")


def event(uid, date, text, kind, summary_only, sequence=0):
    d = datetime.date.fromisoformat(date)
    ymd = d.strftime("%Y%m%d")
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Phone//Calendar 1.0//EN", "BEGIN:VEVENT",
             "UID:" + uid, "DTSTAMP:" + stamp(), "SEQUENCE:%d" % sequence]
    if kind == "--timed":
        lines += ["DTSTART:%sT090000Z" % ymd, "DTEND:%sT100000Z" % ymd]
    else:
        lines.append("DTSTART;VALUE=DATE:" + ymd)
        days = {"--no-dtend": None, "--dtend-equal": 0}.get(kind, 1)
        if kind.startswith("--days="):
            days = int(kind[7:])
        if days is not None:
            lines.append("DTEND;VALUE=DATE:" + (d + datetime.timedelta(days=days)).strftime("%Y%m%d"))
        if kind == "--weekly":
            lines.append("RRULE:FREQ=WEEKLY;COUNT=4")
    lines.append("SUMMARY:" + escape(text.split("\n")[0]))
    if not summary_only:
        lines.append("DESCRIPTION:" + escape(text))
    lines += ["END:VEVENT", "END:VCALENDAR"]
    return "\r\n".join(fold(l) for l in lines) + "\r\n"


def main(argv):
    cmd, args = argv[0], argv[1:]
    if cmd == "put":
        date, text, kind, uid, summary_only = args[0], args[1], "", str(uuid.uuid4()).upper(), False
        rest = args[2:]
        while rest:
            a = rest.pop(0)
            if a == "--uid":
                uid = rest.pop(0)
            elif a == "--days":
                kind = "--days=" + rest.pop(0)
            elif a == "--summary-only":
                summary_only = True
            else:
                kind = a
        status, _, _ = request("PUT", URL.path + uid + ".ics", event(uid, date, text, kind, summary_only),
                               {"Content-Type": "text/calendar; charset=utf-8", "If-None-Match": "*"})
        check(status, (201, 204), "PUT")
    elif cmd == "edit":
        day = [n for n in notes() if n[0] == args[0]]
        if len(day) != 1:
            sys.exit(f"phone: {len(day)} objects on {args[0]}")
        _, uid, href, etag, ics = day[0]
        seq = int(props(ics).get("SEQUENCE", ([], "0"))[1]) + 1
        status, _, _ = request("PUT", href, event(uid, args[0], args[1], "", False, seq),
                               {"Content-Type": "text/calendar; charset=utf-8", "If-Match": etag})
        check(status, (200, 201, 204), "PUT")
    elif cmd in ("delete", "delete-all"):
        for date, _, href, etag, _ in notes():
            if cmd == "delete-all" or date == args[0]:
                status, _, _ = request("DELETE", href, None, {"If-Match": etag})
                check(status, (200, 204), "DELETE")
    elif cmd == "list":
        for date, _, _, _, ics in notes():
            print(date + "\t" + text_of(ics).replace("\n", "\\n"))
    elif cmd == "count":
        print(sum(1 for n in notes() if n[0] == args[0]))
    elif cmd == "raw":
        for date, _, _, _, ics in notes():
            if date == args[0]:
                print(ics)
    elif cmd in ("etags", "others"):
        for href, etag, ics in objects():
            if cmd == "etags" or not note_day(ics):
                print(href + "\t" + etag)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
