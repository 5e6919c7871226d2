#include "holidayfiles.h"

#include "datapath.h"
#include "textutil.h"
#include "tinifile.h"

#include <QMap>

#include <algorithm>

namespace {

QString Section()
{
    return QString::fromUtf16(HolidaySection);
}

QStringList ListEntries(const QString& path)
{
    QStringList entries;
    for (const TIniFile::KeyValue& kv : ReadEntries(path, Section()))
        entries.append(kv.first + u'=' + kv.second);
    SortEntries(entries);
    return entries;
}

// Entry texts by key; of two with one key the later counts, as it does when
// the list is written.
QMap<QString, QString> ByKey(const QStringList& entries)
{
    QMap<QString, QString> byKey;
    for (const QString& entry : entries)
        byKey.insert(EntryKey(entry), entry);
    return byKey;
}

QList<TIniFile::KeyValue> EntryKeys(const QStringList& entries)
{
    QList<TIniFile::KeyValue> keys;
    keys.reserve(entries.size());
    for (const QString& entry : entries)
        keys.append({EntryKey(entry), EntryValue(entry)});
    return keys;
}

} // namespace

QString HolidayFilePath(const QString& dataDir)
{
    return DataFilePath(dataDir, QStringLiteral("HorDay.ini"));
}

QString DayOffFilePath(const QString& dataDir)
{
    return DataFilePath(dataDir, QStringLiteral("HorDay2.ini"));
}

HolidayEntries ListHolidayEntries(const QString& dataDir)
{
    HolidayEntries e;
    e.NamedDays = ListEntries(HolidayFilePath(dataDir));
    e.DaysOff = ListEntries(DayOffFilePath(dataDir));
    return e;
}

void CheckHolidayEntries(const QString& dataDir, const QStringList& namedDays, const QStringList& daysOff)
{
    TIniFile(DayOffFilePath(dataDir)).CheckWritable(Section(), EntryKeys(daysOff));
    TIniFile(HolidayFilePath(dataDir)).CheckWritable(Section(), EntryKeys(namedDays));
}

void SaveHolidayEntries(const QString& dataDir, const QStringList& namedDays, const QStringList& daysOff)
{
    // Every text is checked before the first file changes, so that a name
    // neither file can hold does not leave one file rewritten. The day-off
    // file goes first: if it cannot be written, neither file changes.
    CheckHolidayEntries(dataDir, namedDays, daysOff);
    TIniFile(DayOffFilePath(dataDir)).ReplaceSectionKeys(Section(), EntryKeys(daysOff));
    TIniFile(HolidayFilePath(dataDir)).ReplaceSectionKeys(Section(), EntryKeys(namedDays));
}

QStringList ApplyEntryEdits(const QStringList& listed, const QStringList& edited, const QStringList& current)
{
    const QMap<QString, QString> before = ByKey(listed);
    const QMap<QString, QString> after = ByKey(edited);
    QMap<QString, QString> result = ByKey(current);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            result.remove(it.key());
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            result.insert(it.key(), it.value());
    }
    QStringList entries = result.values();
    SortEntries(entries);
    return entries;
}

void SaveHolidayEdits(const QString& dataDir, const HolidayEntries& listed, const QStringList& namedDays,
                      const QStringList& daysOff)
{
    const HolidayEntries now = ListHolidayEntries(dataDir);
    SaveHolidayEntries(dataDir, ApplyEntryEdits(listed.NamedDays, namedDays, now.NamedDays),
                       ApplyEntryEdits(listed.DaysOff, daysOff, now.DaysOff));
}

QString MakeEntryText(int month, int day, const QString& name)
{
    return QString::asprintf("%.02d%.02d=", month, day) + TrimBlanks(name);
}

QString EntryKey(const QString& entry)
{
    const qsizetype at = entry.indexOf(u'=');
    return at < 0 ? entry : entry.left(at);
}

QString EntryValue(const QString& entry)
{
    const qsizetype at = entry.indexOf(u'=');
    return at < 0 ? QString() : entry.mid(at + 1);
}

bool EntryLess(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

void SortEntries(QStringList& entries)
{
    std::stable_sort(entries.begin(), entries.end(), EntryLess);
}
