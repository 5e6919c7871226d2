#include "calendarlist.h"

#include "apperror.h"
#include "datapath.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <optional>

// Calendars.ini is UTF-8 and may be edited by hand, so it gets a small reader
// of its own: the profile layer speaks CP932 only. Lines the program does not
// own (comments, unknown keys, other sections) are copied byte for byte.
namespace {

const QByteArray Bom("\xEF\xBB\xBF");

struct IniLine {
    QByteArray Text; // without its line end
    QByteArray End;  // "\r\n", "\n" or nothing (a last line without one)
};

struct IniText {
    bool HasBom = false;
    QList<IniLine> Lines;
    QByteArray Newline = "\n";
};

IniText ReadIni(const QString& path)
{
    IniText ini;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return ini;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(Bom)) {
        ini.HasBom = true;
        bytes.remove(0, Bom.size());
    }
    bool newlineSeen = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        IniLine line;
        if (nl < 0) {
            line.Text = bytes.mid(start);
            start = bytes.size();
        } else {
            const bool crlf = nl > start && bytes.at(nl - 1) == '\r';
            line.Text = bytes.mid(start, nl - start - (crlf ? 1 : 0));
            line.End = crlf ? QByteArray("\r\n") : QByteArray("\n");
            if (!newlineSeen) {
                ini.Newline = line.End;
                newlineSeen = true;
            }
            start = nl + 1;
        }
        ini.Lines.append(line);
    }
    return ini;
}

// "[name]" gives name; any other line gives a null string.
QString SectionOf(const QByteArray& text)
{
    const QByteArray t = text.trimmed();
    const qsizetype close = t.indexOf(']');
    if (!t.startsWith('[') || close < 0)
        return QString();
    return QString::fromUtf8(t.mid(1, close - 1).trimmed());
}

bool IsCalendarSection(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^Calendar([0-9]+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}

int SectionNumber(const QString& name)
{
    return IsCalendarSection(name) ? name.mid(8).toInt() : 0;
}

// A "key=value" line gives its key and value, blanks around both removed;
// comments and other lines give false.
bool SplitKeyLine(const QByteArray& text, QString& key, QString& value)
{
    const QByteArray t = text.trimmed();
    const qsizetype eq = t.indexOf('=');
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#') || t.startsWith('[') || eq <= 0)
        return false;
    key = QString::fromUtf8(t.left(eq).trimmed());
    value = QString::fromUtf8(t.mid(eq + 1).trimmed());
    return true;
}

constexpr int MaxRefreshMinutes = 7 * 24 * 60;

void ApplyKey(CalendarEntry& entry, const QString& key, const QString& value)
{
    static const QRegularExpression colour(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    if (key.compare(u"Name", Qt::CaseInsensitive) == 0) {
        entry.Name = value;
    } else if (key.compare(u"Source", Qt::CaseInsensitive) == 0) {
        entry.Source = value;
    } else if (key.compare(u"Color", Qt::CaseInsensitive) == 0) {
        if (colour.match(value).hasMatch())
            entry.Color = value;
    } else if (key.compare(u"Shown", Qt::CaseInsensitive) == 0) {
        if (value == u"0" || value == u"1")
            entry.Shown = value == u"1";
    } else if (key.compare(u"RefreshMinutes", Qt::CaseInsensitive) == 0) {
        bool ok = false;
        const int minutes = value.toInt(&ok);
        if (ok && minutes >= 5 && minutes <= MaxRefreshMinutes)
            entry.RefreshMinutes = minutes;
    } else if (key.compare(u"User", Qt::CaseInsensitive) == 0) {
        entry.User = value;
    } else if (key.compare(u"SyncNotes", Qt::CaseInsensitive) == 0) {
        entry.SyncNotes = value == u"1";
    }
}

// Only one calendar can hold the notes, and only one that signs in.
void KeepOneNotesCalendar(QList<CalendarEntry>& entries)
{
    bool taken = false;
    for (CalendarEntry& entry : entries) {
        entry.SyncNotes = entry.SyncNotes && !entry.User.isEmpty() && !taken;
        taken = taken || entry.SyncNotes;
    }
}

// The keys the program owns, in the order a new section gets them.
QList<QPair<QString, QString>> OwnKeys(const CalendarEntry& entry)
{
    QList<QPair<QString, QString>> keys{
        {QStringLiteral("Name"), entry.Name},
        {QStringLiteral("Source"), entry.Source},
        {QStringLiteral("Color"), entry.Color},
        {QStringLiteral("Shown"), entry.Shown ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("RefreshMinutes"), QString::number(entry.RefreshMinutes)},
    };
    if (!entry.User.isEmpty())
        keys.append({QStringLiteral("User"), entry.User});
    if (entry.SyncNotes)
        keys.append({QStringLiteral("SyncNotes"), QStringLiteral("1")});
    return keys;
}

// A value must stay on its line and read back the same.
QString Clean(const QString& value)
{
    QString v = value;
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    return v.trimmed();
}

// A key line of a listed calendar's section as it is written back: one of
// the program's keys with its new value (its line kept when the value reads
// the same), a User or SyncNotes line dropped when its value goes, anything
// else as it was.
std::optional<IniLine> KeptKeyLine(const CalendarEntry& entry, const IniLine& line, const QString& key,
                                   const QString& value, QSet<QString>& keysDone, const QByteArray& newline)
{
    const QString lower = key.toLower();
    if (keysDone.contains(lower))
        return line;
    for (const auto& [own, newValue] : OwnKeys(entry)) {
        if (own.toLower() != lower)
            continue;
        keysDone.insert(lower);
        if (value == Clean(newValue))
            return line;
        return IniLine{(key + u'=' + Clean(newValue)).toUtf8(), line.End.isEmpty() ? newline : line.End};
    }
    if (lower == u"user" || lower == u"syncnotes") {
        keysDone.insert(lower);
        return std::nullopt;
    }
    return line;
}

} // namespace

QList<CalendarEntry> ReadCalendarList(const QString& dataDir)
{
    const IniText ini = ReadIni(DataFilePath(dataDir, QString::fromLatin1(CalendarListFileName)));
    QList<CalendarEntry> entries;
    QSet<QString> sectionsSeen;
    QSet<QString> keysSeen;
    CalendarEntry* current = nullptr;
    for (const IniLine& line : ini.Lines) {
        const QString section = SectionOf(line.Text);
        if (!section.isNull()) {
            current = nullptr;
            // Only the first of two sections with one name counts.
            if (IsCalendarSection(section) && !sectionsSeen.contains(section.toLower())) {
                sectionsSeen.insert(section.toLower());
                CalendarEntry entry;
                entry.Section = section;
                entries.append(entry);
                current = &entries.last();
                keysSeen.clear();
            }
            continue;
        }
        QString key;
        QString value;
        if (current && SplitKeyLine(line.Text, key, value) && !keysSeen.contains(key.toLower())) {
            keysSeen.insert(key.toLower());
            ApplyKey(*current, key, value);
        }
    }
    KeepOneNotesCalendar(entries);
    return entries;
}

const CalendarEntry* NotesCalendar(const QList<CalendarEntry>& entries)
{
    for (const CalendarEntry& entry : entries) {
        if (entry.SyncNotes && !entry.User.isEmpty())
            return &entry;
    }
    return nullptr;
}

void WriteCalendarList(const QString& dataDir, QList<CalendarEntry>& entries)
{
    const QString path = DataFilePath(dataDir, QString::fromLatin1(CalendarListFileName));
    const IniText ini = ReadIni(path);
    KeepOneNotesCalendar(entries);

    // New calendars take the numbers after the highest one in use.
    int highest = 0;
    for (const IniLine& line : ini.Lines)
        highest = std::max(highest, SectionNumber(SectionOf(line.Text)));
    for (const CalendarEntry& entry : entries)
        highest = std::max(highest, SectionNumber(entry.Section));
    for (CalendarEntry& entry : entries) {
        if (entry.Section.isEmpty())
            entry.Section = QStringLiteral("Calendar%1").arg(++highest);
    }

    const auto entryFor = [&](const QString& section) -> const CalendarEntry* {
        for (const CalendarEntry& entry : entries) {
            if (entry.Section.compare(section, Qt::CaseInsensitive) == 0)
                return &entry;
        }
        return nullptr;
    };
    const auto keyLine = [&](const QString& key, const QString& value) {
        return IniLine{(key + u'=' + Clean(value)).toUtf8(), ini.Newline};
    };

    QList<IniLine> out;
    QSet<QString> written;
    // The section being copied: its entry (null for one not ours), whether it
    // is dropped, the keys already written and where its last key line went.
    const CalendarEntry* entry = nullptr;
    bool dropping = false;
    QSet<QString> keysDone;
    qsizetype lastKeyLine = -1;
    const auto finishSection = [&] {
        if (!entry)
            return;
        QList<IniLine> missing;
        for (const auto& [key, value] : OwnKeys(*entry)) {
            if (!keysDone.contains(key.toLower()))
                missing.append(keyLine(key, value));
        }
        if (!out.isEmpty() && out[lastKeyLine].End.isEmpty())
            out[lastKeyLine].End = ini.Newline;
        for (qsizetype i = 0; i < missing.size(); ++i)
            out.insert(lastKeyLine + 1 + i, missing[i]);
        entry = nullptr;
    };

    for (const IniLine& line : ini.Lines) {
        const QString section = SectionOf(line.Text);
        if (!section.isNull()) {
            finishSection();
            dropping = false;
            if (IsCalendarSection(section)) {
                const CalendarEntry* listed = entryFor(section);
                if (!listed) {
                    dropping = true;
                    continue;
                }
                if (!written.contains(section.toLower())) {
                    written.insert(section.toLower());
                    entry = listed;
                    keysDone.clear();
                    lastKeyLine = out.size();
                }
            }
            out.append(line);
            continue;
        }
        if (dropping)
            continue;
        QString key;
        QString value;
        if (entry && SplitKeyLine(line.Text, key, value)) {
            const std::optional<IniLine> kept = KeptKeyLine(*entry, line, key, value, keysDone, ini.Newline);
            if (kept) {
                lastKeyLine = out.size();
                out.append(*kept);
            }
            continue;
        }
        out.append(line);
    }
    finishSection();

    for (const CalendarEntry& e : entries) {
        if (written.contains(e.Section.toLower()))
            continue;
        if (!out.isEmpty()) {
            if (out.last().End.isEmpty())
                out.last().End = ini.Newline;
            if (!out.last().Text.trimmed().isEmpty())
                out.append(IniLine{QByteArray(), ini.Newline});
        }
        out.append(IniLine{(u'[' + e.Section + u']').toUtf8(), ini.Newline});
        for (const auto& [key, value] : OwnKeys(e))
            out.append(keyLine(key, value));
    }

    QByteArray bytes = ini.HasBom ? Bom : QByteArray();
    for (const IniLine& line : out)
        bytes += line.Text + line.End;

    QSaveFile file(path);
    if (QFileInfo::exists(path) && !QFileInfo(path).isFile())
        RaiseWriteError(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        RaiseWriteError(path);
}

namespace {

// One calendar in two lists: by section, or a new one by where it lives.
bool SameCalendar(const CalendarEntry* a, const CalendarEntry* b)
{
    if (!a || !b)
        return a == b;
    if (!a->Section.isEmpty() || !b->Section.isEmpty())
        return a->Section.compare(b->Section, Qt::CaseInsensitive) == 0;
    return a->Source == b->Source && a->User == b->User;
}

} // namespace

QList<CalendarEntry> MergeCalendarEdits(QList<CalendarEntry> current, const QList<CalendarEntry>& loaded,
                                        const QList<CalendarEntry>& edited)
{
    // The notes' calendar is one choice over the whole list, not a key of
    // one entry: the dialog's when it made one, else the file's.
    const CalendarEntry* chosen = NotesCalendar(edited);
    const bool dialogChose = !SameCalendar(NotesCalendar(loaded), chosen);
    std::optional<CalendarEntry> notes;
    if (dialogChose && chosen)
        notes = *chosen;
    else if (!dialogChose && NotesCalendar(current))
        notes = *NotesCalendar(current);

    const auto find = [](auto& list, const QString& section) {
        return std::find_if(list.begin(), list.end(), [&](const CalendarEntry& entry) {
            return entry.Section.compare(section, Qt::CaseInsensitive) == 0;
        });
    };
    for (const CalendarEntry& before : loaded) {
        if (find(edited, before.Section) == edited.end()) {
            if (const auto it = find(current, before.Section); it != current.end())
                current.erase(it);
        }
    }
    for (const CalendarEntry& after : edited) {
        if (after.Section.isEmpty()) {
            current.append(after);
            continue;
        }
        const auto before = find(loaded, after.Section);
        if (before != loaded.end() && *before == after)
            continue;
        if (const auto it = find(current, after.Section); it != current.end())
            *it = after;
        else
            current.append(after);
    }
    for (CalendarEntry& entry : current)
        entry.SyncNotes = notes && SameCalendar(&entry, &*notes);
    KeepOneNotesCalendar(current);
    return current;
}
