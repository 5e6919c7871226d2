#!/usr/bin/python3
"""The day notes of a data folder as the bar stores them: Yotei{YYYY}{MM}.Dat
in CP932 with CR LF, section [予定], key MMDD, lines joined by #~.

  set DIR DATE TEXT   TEXT (line breaks allowed) becomes the day's note;
                      an empty TEXT removes it. Other lines stay as they are.
  get DIR DATE        prints the stored value (lines joined by #~); status 1
                      when the day has none
  list DIR            YYYY-MM-DD<TAB>value of every note, sorted
DATE is YYYY-MM-DD.
"""
import glob
import os
import re
import sys

SECTION = "[予定]"


def path(folder, date):
    return os.path.join(folder, "Yotei%s%s.Dat" % (date[:4], date[5:7]))


def read(file):
    if not os.path.exists(file):
        return []
    with open(file, "rb") as f:
        return f.read().decode("cp932").split("\r\n")


def entries(lines):
    """{MMDD: value} of the section."""
    out, inside = {}, False
    for line in lines:
        if line.startswith("["):
            inside = line == SECTION
        elif inside and "=" in line:
            key, value = line.split("=", 1)
            out[key] = value
    return out


def set_note(folder, date, text):
    file, key = path(folder, date), date[5:7] + date[8:10]
    lines = [l for l in read(file) if l != ""]
    if SECTION not in lines:
        lines.append(SECTION)
    start = lines.index(SECTION) + 1
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("[")), len(lines))
    section = [l for l in lines[start:end] if not l.startswith(key + "=")]
    if text:
        section.append(key + "=" + text.replace("\n", "#~"))
    lines[start:end] = sorted(section)
    with open(file, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


def main(cmd, folder, *args):
    if cmd == "set":
        set_note(folder, args[0], args[1])
    elif cmd == "get":
        value = entries(read(path(folder, args[0]))).get(args[0][5:7] + args[0][8:10])
        if value is None:
            sys.exit(1)
        print(value)
    elif cmd == "list":
        for file in sorted(glob.glob(os.path.join(folder, "Yotei*.Dat"))):
            year = re.search(r"Yotei(\d{4})\d\d\.Dat$", file).group(1)
            for key, value in sorted(entries(read(file)).items()):
                print("%s-%s-%s\t%s" % (year, key[:2], key[2:], value))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(*sys.argv[1:])
