// libFuzzer target over the profile-file reader and writer. The input is the
// bytes of a file. For a few sections and keys (fixed ones and ones the file
// itself names) it writes a value, removes the key and replaces a section,
// and aborts when an operation changes what it must not: another line's
// bytes, another key's value, or a written value that does not read back.

#include "apperror.h"
#include "cp932.h"
#include "tinifile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "profile fuzzer: %s %s\n", what, qPrintable(detail));
    std::abort();
}

void Check(bool ok, const char* what, const QString& detail = QString())
{
    if (!ok)
        Fail(what, detail);
}

// In memory where there is such a place: every write is an atomic replace
// that syncs the file to disk.
QString ScratchTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm + QStringLiteral("/murvane-fuzz-XXXXXX")
                                                                 : QString();
}

const QString& FilePath()
{
    static QTemporaryDir* const dir =
        ScratchTemplate().isEmpty() ? new QTemporaryDir() : new QTemporaryDir(ScratchTemplate());
    static const QString path = dir->filePath(QStringLiteral("fuzz.ini"));
    return path;
}

void PutFile(const QByteArray& bytes)
{
    QFile file(FilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        Fail("cannot write the scratch file");
}

QByteArray GetFile()
{
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

// Section and key names the file itself spells, roughly as the reader finds
// them (the reader decides; these are only candidates).
void NamesInFile(const QByteArray& bytes, QStringList& sections, QStringList& keys)
{
    for (const QByteArray& rawLine : bytes.split('\n')) {
        QByteArray line = rawLine;
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype end = trimmed.indexOf(']');
            if (sections.size() < 4)
                sections.append(Cp932::Decode(trimmed.mid(1, end < 0 ? -1 : end - 1)));
        } else if (const qsizetype eq = line.indexOf('='); eq > 0 && keys.size() < 4) {
            keys.append(Cp932::Decode(line.left(eq)));
        }
    }
}

QStringView TrimmedName(QStringView name)
{
    while (!name.isEmpty() && (name.front() == u' ' || name.front() == u'\t'))
        name = name.mid(1);
    while (!name.isEmpty() && (name.back() == u' ' || name.back() == u'\t'))
        name.chop(1);
    return name;
}

// The reader's rule: blanks around a name do not count, ASCII letters match
// in either case, everything else exactly. Names the decoder could not tell
// apart count as one, which can only spare a pair from a check.
bool SameName(const QString& a, const QString& b)
{
    const QStringView x = TrimmedName(a);
    const QStringView y = TrimmedName(b);
    if (x.size() != y.size())
        return false;
    for (qsizetype i = 0; i < x.size(); ++i) {
        const char16_t c = x[i].unicode();
        const char16_t d = y[i].unicode();
        const auto fold = [](char16_t ch) { return ch >= u'A' && ch <= u'Z' ? char16_t(ch + 32) : ch; };
        if (fold(c) != fold(d))
            return false;
    }
    return true;
}

// What every candidate section holds, key by key, as the reader sees it.
using Snapshot = QHash<QString, QList<TIniFile::KeyValue>>;

Snapshot Take(const QStringList& sections)
{
    Snapshot s;
    const TIniFile ini(FilePath());
    for (const QString& section : sections)
        s.insert(section, ini.ReadSection(section));
    return s;
}

// Every key of every section but (section, key) reads as before.
void CheckOthersUnchanged(const Snapshot& before, const Snapshot& after, const QString& section,
                          const QString& key, const char* operation)
{
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        const bool touched = SameName(it.key(), section);
        const QList<TIniFile::KeyValue>& now = after.value(it.key());
        QList<TIniFile::KeyValue> was = it.value();
        QList<TIniFile::KeyValue> is = now;
        if (touched) {
            was.removeIf([&](const TIniFile::KeyValue& kv) { return SameName(kv.first, key); });
            is.removeIf([&](const TIniFile::KeyValue& kv) { return SameName(kv.first, key); });
        }
        Check(was == is, operation, QStringLiteral("changed another key of [%1]").arg(it.key()));
    }
}

// The bytes outside one line stay: what differs between before and after
// lies within a single line of before (or is a pure insertion).
void CheckOneLineChanged(const QByteArray& before, const QByteArray& after, const char* operation)
{
    qsizetype p = 0;
    const qsizetype n = before.size();
    const qsizetype m = after.size();
    while (p < n && p < m && before[p] == after[p])
        ++p;
    qsizetype q = 0;
    while (q < n - p && q < m - p && before[n - 1 - q] == after[m - 1 - q])
        ++q;
    Check(!before.mid(p, n - q - p).contains('\n'), operation, QStringLiteral("changed bytes of other lines"));
}

// after is before with whole lines taken out.
void CheckOnlyLinesRemoved(const QByteArray& before, const QByteArray& after, const char* operation)
{
    QList<QByteArray> lines;
    for (qsizetype at = 0; at < before.size();) {
        qsizetype end = before.indexOf('\n', at);
        end = end < 0 ? before.size() : end + 1;
        lines.append(before.mid(at, end - at));
        at = end;
    }
    qsizetype at = 0;
    for (const QByteArray& line : lines) {
        if (after.mid(at, line.size()) == line)
            at += line.size();
    }
    Check(at == after.size(), operation, QStringLiteral("did more than remove lines"));
}

QString ValueFor(std::uint32_t choice, const QByteArray& input)
{
    static const QString values[] = {
        QStringLiteral("v"),
        QString(),
        QStringLiteral(" a b "),
        QStringLiteral("\"q\""),
        QStringLiteral("'s'"),
        QStringLiteral("\""),
        QStringLiteral("会議#~資料ソ"),
        QStringLiteral("x=y;[z]"),
        QStringLiteral("\t"),
    };
    const std::size_t count = sizeof values / sizeof values[0];
    if (choice % (count + 1) < count)
        return values[choice % (count + 1)];
    // Some bytes of the input itself: anything, line breaks and bytes that
    // no character has included.
    return Cp932::Decode(input.right(12));
}

void WriteCase(const QByteArray& input, const QStringList& sections, const QString& section,
               const QString& key, const QString& value)
{
    PutFile(input);
    const Snapshot before = Take(sections);
    TIniFile ini(FilePath());
    try {
        ini.WriteText(section, key, value);
    } catch (const AppError&) {
        Check(GetFile() == input, "refused WriteText", QStringLiteral("changed the file"));
        return;
    }
    const QByteArray after = GetFile();
    Check(ini.ReadText(section, key, QStringLiteral("\x01missing")) == value, "WriteText",
          QStringLiteral("value does not read back: [%1] %2").arg(section, key));
    CheckOneLineChanged(input, after, "WriteText");
    CheckOthersUnchanged(before, Take(sections), section, key, "WriteText");

    // Removing it again takes out whole lines only, and the key is gone.
    const Snapshot written = Take(sections);
    try {
        ini.RemoveKey(section, key);
    } catch (const AppError&) {
        Fail("RemoveKey failed on a file just written");
    }
    const QByteArray removed = GetFile();
    Check(ini.ReadText(section, key, QStringLiteral("\x01missing")) == QStringLiteral("\x01missing"), "RemoveKey",
          QStringLiteral("key still there"));
    CheckOnlyLinesRemoved(after, removed, "RemoveKey");
    CheckOthersUnchanged(written, Take(sections), section, key, "RemoveKey");
}

void ReplaceCase(const QByteArray& input, const QStringList& sections, const QString& section,
                 const QList<TIniFile::KeyValue>& keys)
{
    PutFile(input);
    const Snapshot before = Take(sections);
    TIniFile ini(FilePath());
    try {
        ini.ReplaceSectionKeys(section, keys);
    } catch (const AppError&) {
        Check(GetFile() == input, "refused ReplaceSectionKeys", QStringLiteral("changed the file"));
        return;
    }
    // The section holds exactly the keys given, each with its last value.
    for (const TIniFile::KeyValue& kv : keys) {
        QString last;
        for (const TIniFile::KeyValue& other : keys)
            if (SameName(other.first, kv.first))
                last = other.second;
        Check(ini.ReadText(section, kv.first, QStringLiteral("\x01missing")) == last, "ReplaceSectionKeys",
              QStringLiteral("value does not read back: [%1] %2").arg(section, kv.first));
    }
    Check(ini.ReadSection(section).size() <= keys.size(), "ReplaceSectionKeys", QStringLiteral("old keys left"));
    const Snapshot after = Take(sections);
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        if (!SameName(it.key(), section))
            Check(it.value() == after.value(it.key()), "ReplaceSectionKeys",
                  QStringLiteral("changed section [%1]").arg(it.key()));
}

std::uint32_t Hash(const QByteArray& bytes)
{
    std::uint32_t h = 2166136261u;
    for (char c : bytes)
        h = (h ^ std::uint8_t(c)) * 16777619u;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4096)
        return 0; // longer files find nothing new, only take longer
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));

    QStringList sections{QStringLiteral("s"), QStringLiteral("祝日"), QStringLiteral("予定")};
    QStringList keys{QStringLiteral("k"), QStringLiteral("0101")};
    NamesInFile(input, sections, keys);
    // The file's last names as another writer might spell them.
    keys.append(u' ' + keys.last().toUpper() + u'\t');
    sections.append(sections.last().toUpper());

    // Reading anything must work on any file.
    {
        PutFile(input);
        const TIniFile ini(FilePath());
        for (const QString& section : sections) {
            QStringList listed;
            ini.ListKeys(section, listed);
            const QList<TIniFile::KeyValue> entries = ini.ReadSection(section);
            Check(entries.size() == listed.size(), "ReadSection", QStringLiteral("differs from ListKeys"));
            for (const QString& key : keys)
                ini.ReadNumber(section, key, 0);
        }
    }

    std::uint32_t h = Hash(input);
    for (int round = 0; round < 4; ++round) {
        const QString& section = sections.at(int(h % std::uint32_t(sections.size())));
        h = h * 1103515245u + 12345u;
        const QString& key = keys.at(int((h >> 8) % std::uint32_t(keys.size())));
        h = h * 1103515245u + 12345u;
        WriteCase(input, sections, section, key, ValueFor(h >> 4, input));
    }
    const QString& section = sections.at(int(h % std::uint32_t(sections.size())));
    ReplaceCase(input, sections, section,
                {{keys.last(), ValueFor(h >> 3, input)}, {QStringLiteral("0101"), QStringLiteral(" x ")}});
    return 0;
}
