#!/bin/sh
# Expands FEED over YEAR with the program's reader and with
# recurring_ical_events in the zone of TZ; the two must agree.
# Usage: TZ=Area/City ical_compare.sh ICAL_EXPAND FEED YEAR
tool=$1 feed=$2 year=$3
here=$(dirname "$0")
/usr/bin/python3 -c 'import icalendar, recurring_ical_events, x_wr_timezone' 2>/dev/null ||
  { echo "SKIPPED: python3-recurring-ical-events, python3-icalendar or python3-x-wr-timezone missing"; exit 77; }
mine=$(mktemp) theirs=$(mktemp)
trap 'rm -f "$mine" "$theirs"' EXIT
"$tool" "$feed" "$year" >"$mine" || { echo "FAIL: ical_expand failed"; exit 1; }
/usr/bin/python3 "$here/ical_oracle.py" "$feed" "$year" >"$theirs" || { echo "FAIL: the oracle failed"; exit 1; }
[ -s "$mine" ] || { echo "FAIL: no instances"; exit 1; }
diff -u "$theirs" "$mine" || { echo "FAIL: differs from recurring_ical_events (-) in $TZ"; exit 1; }
echo "$(wc -l <"$mine") instances agree in $TZ"
