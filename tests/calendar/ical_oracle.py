#!/usr/bin/python3
"""Prints the instances of FEED in YEAR as ical_expand does, computed by
recurring_ical_events instead. What that library leaves to its caller is done
here: X-WR-TIMEZONE through a real zone (pytz's would give the zone's first
offset to floating times), an override's RECURRENCE-ID in its series' zone
(the library pairs them by date), date-only EXDATEs of timed series, an
all-day event without end lasting its day, and cancelled instances left out.
pytz's zones are swapped for zoneinfo's: with pytz, an UNTIL across a DST
change is compared at the wrong offset.
Usage: TZ=Area/City ical_oracle.py FEED YEAR"""
import datetime
import os
import sys
import zoneinfo

try:
    import icalendar
    import recurring_ical_events
    import x_wr_timezone
except ImportError as missing:
    print(f"SKIPPED: {missing} (Debian's python3-recurring-ical-events)")
    sys.exit(77)

feed, year = sys.argv[1], int(sys.argv[2])
local = zoneinfo.ZoneInfo(os.environ["TZ"])
calendar = icalendar.Calendar.from_ical(open(feed, "rb").read())
if "X-WR-TIMEZONE" in calendar:
    calendar = x_wr_timezone.to_standard(calendar, zoneinfo.ZoneInfo(str(calendar["X-WR-TIMEZONE"])))
    del calendar["X-WR-TIMEZONE"]

ZONES = zoneinfo.available_timezones()


def real_zone(t):
    name = getattr(getattr(t, "tzinfo", None), "zone", None)
    return t.replace(tzinfo=zoneinfo.ZoneInfo(name)) if name in ZONES else t


events = list(calendar.walk("VEVENT"))
for event in events:
    for name in ("DTSTART", "DTEND", "RECURRENCE-ID"):
        if name in event:
            event[name] = icalendar.vDDDTypes(real_zone(event[name].dt))
    for name in ("EXDATE", "RDATE"):
        values = event.get(name, [])
        for value in values if isinstance(values, list) else [values]:
            for d in value.dts:
                d.dt = real_zone(d.dt)
series = {str(e["UID"]): e for e in events if "RECURRENCE-ID" not in e}
date_exdates = {}
for event in events:
    master = series.get(str(event["UID"]))
    start = master["DTSTART"].dt if master else None
    rid = event.get("RECURRENCE-ID")
    if rid and isinstance(rid.dt, datetime.datetime) and isinstance(start, datetime.datetime) and start.tzinfo:
        event["RECURRENCE-ID"] = icalendar.vDDDTypes(rid.dt.astimezone(start.tzinfo))
    exdates = event.get("EXDATE", [])
    exdates = exdates if isinstance(exdates, list) else [exdates]
    if event is master and isinstance(start, datetime.datetime):
        dates = [d.dt for e in exdates for d in e.dts if not isinstance(d.dt, datetime.datetime)]
        date_exdates[str(event["UID"])] = set(dates)

span = (datetime.datetime(year, 1, 1, tzinfo=local), datetime.datetime(year + 1, 1, 1, tzinfo=local))
lines = []
for instance in recurring_ical_events.of(calendar).between(*span):
    if str(instance.get("STATUS", "")).upper() == "CANCELLED":
        continue
    start, end = instance["DTSTART"].dt, instance["DTEND"].dt
    if not isinstance(start, datetime.datetime):
        end = max(end, start + datetime.timedelta(days=1))
        lines.append(f"all-day {start.isoformat()} {end.isoformat()} {instance['SUMMARY']}")
        continue
    if "RECURRENCE-ID" not in instance and start.date() in date_exdates.get(str(instance["UID"]), ()):
        continue
    start, end = (t.replace(tzinfo=local) if t.tzinfo is None else t for t in (start, end))
    stamp = lambda t: t.astimezone(local).strftime("%Y-%m-%dT%H:%M")
    lines.append(f"timed {stamp(start)} {stamp(end)} {instance['SUMMARY']}")
print("\n".join(sorted(lines)))
