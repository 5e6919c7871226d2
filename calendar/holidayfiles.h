#pragma once

#include <QString>
#include <QStringList>

// HorDay.ini names the days (section "祝日", key "MMDD", value the name);
// HorDay2.ini holds the named days that are days off. Entry texts are
// key + "=" + name, the form in which the dialogs hold them.

inline constexpr char16_t HolidaySection[] = u"祝日";

QString HolidayFilePath(const QString& dataDir); // .../HorDay.ini
QString DayOffFilePath(const QString& dataDir);  // .../HorDay2.ini

struct HolidayEntries {
    QStringList NamedDays; // from HorDay.ini, sorted
    QStringList DaysOff;   // from HorDay2.ini, sorted
};

// Only keys with a non-blank value are listed.
HolidayEntries ListHolidayEntries(const QString& dataDir);

// Rewrites section "祝日" of HorDay2.ini from the day-off list, then HorDay.ini
// from the named-day list, each in one atomic write. A text that either file
// cannot hold is refused before the first write; a failed write raises
// AppError and leaves that file (and, for HorDay2.ini, the other) unchanged.
void SaveHolidayEntries(const QString& dataDir, const QStringList& namedDays, const QStringList& daysOff);

// The edits that turned the listed entries into the edited ones (entries
// added, renamed or removed, by key) applied onto current, the entries as the
// file holds them now: every other entry of current stays, and where both
// changed one key, the edit wins. Sorted.
QStringList ApplyEntryEdits(const QStringList& listed, const QStringList& edited, const QStringList& current);

// The edits made to the lists since `listed` was read, applied onto both files
// as they are now (ApplyEntryEdits) and saved as SaveHolidayEntries saves.
void SaveHolidayEdits(const QString& dataDir, const HolidayEntries& listed, const QStringList& namedDays,
                      const QStringList& daysOff);

// Raises the error SaveHolidayEntries would raise for a text either file
// cannot hold, writing nothing.
void CheckHolidayEntries(const QString& dataDir, const QStringList& namedDays, const QStringList& daysOff);

// "%.02d%.02d=" + the name with blanks trimmed.
QString MakeEntryText(int month, int day, const QString& name);
QString EntryKey(const QString& entry);   // text before the first "="
QString EntryValue(const QString& entry); // text after the first "="

// The ordinary text order in which the entry lists are kept.
bool EntryLess(const QString& a, const QString& b);
void SortEntries(QStringList& entries);
