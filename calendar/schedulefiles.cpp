#include "schedulefiles.h"

#include "apperror.h"
#include "calendarrules.h"
#include "conflictcopy.h"
#include "datapath.h"
#include "textutil.h"
#include "tinifile.h"

#include <QDir>

#include <algorithm>

namespace {

const QString LineSeparator = QStringLiteral("#~");

QString Section()
{
    return QString::fromUtf16(ScheduleSection);
}

QString ScheduleFileName(const QString& yearText, const QString& monthText)
{
    return QStringLiteral("Yotei") + yearText + monthText + QStringLiteral(".Dat");
}

// The editor's year and month texts become part of a file name as they stand;
// a separator in them would put the file into another directory.
void RefuseForeignPath(const QString& path, const QString& yearText, const QString& monthText)
{
    const QString name = yearText + monthText;
    if (name.contains(u'/') || name.contains(u'\\'))
        RaiseWriteError(path);
}

} // namespace

QString ScheduleFilePath(const QString& dataDir, const QString& yearText, const QString& monthText)
{
    return DataFilePath(dataDir, ScheduleFileName(yearText, monthText));
}

QString ScheduleFilePath(const QString& dataDir, QDate month)
{
    return ScheduleFilePath(dataDir, FormatYYYY(month), FormatMM(month));
}

QString JoinScheduleLines(const QStringList& lines)
{
    return lines.join(LineSeparator);
}

QStringList SplitScheduleText(const QString& text)
{
    QStringList lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(LineSeparator, from);
        if (at < 0)
            break;
        lines.append(text.mid(from, at - from));
        from = at + LineSeparator.size();
    }
    if (from < text.size())
        lines.append(text.mid(from));
    return lines;
}

void RegisterSchedule(const QString& dataDir, const QString& yearText, const QString& monthText,
                      const QString& dayText, const QStringList& lines)
{
    const QString path = ScheduleFilePath(dataDir, yearText, monthText);
    RefuseForeignPath(path, yearText, monthText);
    TIniFile(path).WriteText(Section(), monthText + dayText, JoinScheduleLines(lines));
}

void DeleteSchedule(const QString& dataDir, const QString& yearText, const QString& monthText,
                    const QString& dayText)
{
    const QString path = ScheduleFilePath(dataDir, yearText, monthText);
    RefuseForeignPath(path, yearText, monthText);
    TIniFile(path).RemoveKey(Section(), monthText + dayText);
}

QString StoredSchedule(const QString& dataDir, const QString& yearText, const QString& monthText,
                       const QString& dayText)
{
    const QString text =
        TIniFile(ScheduleFilePath(dataDir, yearText, monthText)).ReadText(Section(), monthText + dayText, QString());
    return IsBlank(text) ? QString() : text;
}

void ReadScheduleForBar(const QString& path, QStringList& keys, QStringList& texts)
{
    for (const TIniFile::KeyValue& entry : ReadEntries(path, Section())) {
        keys.append(entry.first);
        texts.append(entry.second);
    }
}

QList<ScheduleListEntry> ReadScheduleList(const QString& dataDir)
{
    QDir dir(dataDir);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    QStringList names;
    for (const QString& name : dir.entryList()) {
        if (name.size() >= 9 && name.startsWith(QLatin1String("yotei"), Qt::CaseInsensitive)
            && name.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive)
            // A sync tool's conflict copy is the user's to merge, not data.
            && ConflictCopyOriginal(name).isEmpty())
            names.append(name);
    }
    // Name order without letter case is the order of year and month.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });

    QList<ScheduleListEntry> list;
    for (const QString& name : names) {
        const QString year = name.mid(5, 4);
        QList<TIniFile::KeyValue> entries = ReadEntries(DataFilePath(dataDir, name), Section());
        std::stable_sort(entries.begin(), entries.end(),
                         [](const TIniFile::KeyValue& a, const TIniFile::KeyValue& b) {
                             return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
                         });
        for (const TIniFile::KeyValue& entry : entries)
            list.append({year + u'/' + entry.first.mid(0, 2) + u'/' + entry.first.mid(2, 2), entry.second});
    }
    return list;
}
