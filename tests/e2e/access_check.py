"""The accessible bar, read over AT-SPI as a screen reader reads it.

Usage: access_check.py MURVANE DATA_DIR DAY BAR_WINDOW PID; exits 1 with the
first difference on standard error.
"""
import calendar
import datetime
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

murvane, data, day, bar_window, pid = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], int(sys.argv[5])
WEEKDAYS = ["月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日", "日曜日"]


def fail(message):
    print("access_check: " + message, file=sys.stderr)
    sys.exit(1)


def long_date(d):
    return f"{d.year}年{d.month}月{d.day}日 {WEEKDAYS[d.weekday()]}"


def add_months(d, n):
    y, m = divmod(d.month - 1 + n, 12)
    y, m = d.year + y, m + 1
    return d.replace(year=y, month=m, day=min(d.day, calendar.monthrange(y, m)[1]))


def pump(seconds):
    end = time.time() + seconds
    context = GLib.MainContext.default()
    while time.time() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


def wait_for(what, test, seconds=8):
    end = time.time() + seconds
    while time.time() < end:
        value = test()
        if value:
            return value
        pump(0.05)
    fail("timed out waiting for " + what)


def find(node, predicate, depth=0):
    if node is None or depth > 12:
        return None
    try:
        if predicate(node):
            return node
        for i in range(node.childCount):
            found = find(node.getChildAtIndex(i), predicate, depth + 1)
            if found is not None:
                return found
    except Exception:
        return None
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def bar_top():
    out = subprocess.run(["xwininfo", "-id", bar_window], capture_output=True, text=True).stdout
    for line in out.splitlines():
        if "Absolute upper-left Y:" in line:
            return int(line.split()[-1])
    return None


today = datetime.date.today()
month_name = f"{today.year}年{today.month}月"
app = wait_for("the bar on the AT-SPI bus", application)
strip = wait_for("the strip", lambda: find(app, lambda n: n.getRole() == pyatspi.ROLE_LIST and n.name == month_name))

days = calendar.monthrange(today.year, today.month)[1]
if strip.childCount != days:
    fail(f"the strip has {strip.childCount} children, expected {days}")
item = strip.getChildAtIndex(day - 1)
marked = today.replace(day=day)
if item.getRole() != pyatspi.ROLE_LIST_ITEM or item.name != long_date(marked):
    fail(f"day {day} reads as {item.getRoleName()} {item.name!r}")
# The calendar is read after the first paint: its event comes a moment later.
wanted = ["テスト記念日", "歯医者 午後", "予定 1 件: 09:30–10:00 会議"]
wait_for("the day's description " + repr(wanted), lambda: all(w in item.description for w in wanted))
print(f"day {day}: {item.name} / {item.description}")
actions = item.queryAction()
names = [actions.getName(i) for i in range(actions.nActions)]
if "press" not in [n.lower() for n in names]:
    fail(f"day actions {names}")

buttons = find(app, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "前年")
if buttons is None:
    fail("no button named 前年")
header = buttons.parent
got = [header.getChildAtIndex(i).name for i in range(header.childCount)]
if got != ["前年", "前月", "今月", "翌月", "翌年"]:
    fail(f"buttons named {got}")

focused = []


def on_focus(event):
    if event.detail1 == 1 and event.source is not None:
        try:
            if event.source.getRole() == pyatspi.ROLE_LIST_ITEM:
                focused.append(event.source.name)
        except Exception:
            pass


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
pump(0.3)


def expect_focus(expected, what):
    wait_for(f"a focus event on {long_date(expected)} after {what} (seen {focused})",
             lambda: long_date(expected) in focused)
    print(f"{what}: focus on {long_date(expected)}")
    focused.clear()


result = subprocess.run([murvane, "--focus", "--data", data], capture_output=True, text=True, timeout=10)
if result.returncode != 0:
    fail(f"murvane --focus ended with {result.returncode}: {result.stderr}")
expect_focus(today, "murvane --focus")
wait_for("the bar to slide in", lambda: bar_top() == 0)

at = today
steps = [("Right", lambda d: d + datetime.timedelta(days=1)),
         ("Down", lambda d: d + datetime.timedelta(days=7)),
         ("Next", lambda d: add_months(d, 1)),
         ("Home", lambda d: d.replace(day=1)),
         ("t", lambda d: today)]
for key, move in steps:
    at = move(at)
    subprocess.run(["xdotool", "key", key], check=True)
    expect_focus(at, key)
    # The list is named after the month shown.
    wait_for(f"the strip renamed to {at.year}年{at.month}月 after {key}",
             lambda: strip.name == f"{at.year}年{at.month}月")
# The bar stays down while it has the keyboard, the pointer far away.
pump(0.5)
if bar_top() != 0:
    fail(f"the bar slid away while it had the keyboard: top {bar_top()}")


def editor():
    return find(app, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "閉じる"
                and n.getState().contains(pyatspi.STATE_SHOWING))


subprocess.run(["xdotool", "key", "Return"], check=True)
close = wait_for("the note editor after Enter", editor)
close.queryAction().doAction(0)
wait_for("the editor to close", lambda: editor() is None)
# Back on the bar, the focus still on today.
pump(0.5)
subprocess.run(["xdotool", "key", "Escape"], check=True)
pump(0.3)
