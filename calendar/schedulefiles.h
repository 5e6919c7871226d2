#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// One schedule file per month: Yotei + YYYY + MM + .Dat in the data
// directory, section "予定", key "MMDD", value the lines joined by "#~".

inline constexpr char16_t ScheduleSection[] = u"予定";

QString ScheduleFilePath(const QString& dataDir, const QString& yearText, const QString& monthText);
QString ScheduleFilePath(const QString& dataDir, QDate month);

// Lines with "#~" between neighbours; no lines give the empty text.
QString JoinScheduleLines(const QStringList& lines);
// Each "#~" ends a line; what remains after the last one is a line only when
// it is not empty.
QStringList SplitScheduleText(const QString& text);

// The day editor's "登録" and "削除", with the date texts as given.
void RegisterSchedule(const QString& dataDir, const QString& yearText, const QString& monthText,
                      const QString& dayText, const QStringList& lines);
void DeleteSchedule(const QString& dataDir, const QString& yearText, const QString& monthText,
                    const QString& dayText);

// The day's entry as the file holds it now; a blank one reads as empty, as
// the bar reads it.
QString StoredSchedule(const QString& dataDir, const QString& yearText, const QString& monthText,
                       const QString& dayText);

// The bar's reading of one month's file: non-blank entries in file order.
void ReadScheduleForBar(const QString& path, QStringList& keys, QStringList& texts);

struct ScheduleListEntry {
    QString DateText; // year text + "/" + MM + "/" + DD taken from the key
    QString Text;     // the stored text, "#~" and all
};

// Every non-empty entry of every schedule file ("yotei*.dat" in any letter
// case) in the data directory: files in name order without letter case, keys
// sorted within a file.
QList<ScheduleListEntry> ReadScheduleList(const QString& dataDir);
