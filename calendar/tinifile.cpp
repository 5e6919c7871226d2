#include "tinifile.h"

#include "apperror.h"
#include "cp932.h"
#include "textutil.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <cstring>
#include <optional>

// The file is handled as bytes: lines are found by scanning, names are
// compared in their CP932 form, and only values that are asked for are
// decoded. A write copies every byte it does not change, so comments, other
// sections, line ends and bytes that are no valid CP932 survive untouched.

namespace {

bool IsLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsLineBlank(char c)
{
    return c == ' ' || c == '\t';
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

// ASCII letters fold to lower case; the bytes of a double-byte character are
// kept as they are, since their second byte may look like a letter.
QByteArray FoldName(const char* p, qsizetype n)
{
    QByteArray out(p, n);
    char* o = out.data();
    for (qsizetype i = 0; i < n; ++i) {
        if (IsLeadByte(uchar(o[i])) && i + 1 < n)
            ++i;
        else
            o[i] = FoldAscii(o[i]);
    }
    return out;
}

bool SameName(const char* a, qsizetype n, const QByteArray& b)
{
    if (n != b.size())
        return false;
    const char* q = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (IsLeadByte(uchar(a[i])) && i + 1 < n) {
            if (a[i] != q[i] || a[i + 1] != q[i + 1])
                return false;
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(q[i])) {
            return false;
        }
    }
    return true;
}

enum class LineKind { Other, Section, Key };

struct Line {
    qsizetype start = 0;      // first byte of the line
    qsizetype end = 0;        // after its line end
    qsizetype contentEnd = 0; // before its line end
    LineKind kind = LineKind::Other;
    qsizetype nameBegin = 0;  // section or key name, blanks trimmed
    qsizetype nameEnd = 0;
    qsizetype valueBegin = 0; // after the "=" of a key line
};

class LineScanner {
public:
    explicit LineScanner(const QByteArray& bytes)
        : m_d(bytes.constData()), m_n(bytes.size())
    {
        // A UTF-8 byte-order mark is kept in the file but is no part of the
        // first line's text.
        if (m_n >= 3 && std::memcmp(m_d, "\xEF\xBB\xBF", 3) == 0)
            m_skip = 3;
    }

    bool Next(Line& line)
    {
        if (m_pos >= m_n)
            return false;
        line = Line();
        line.start = m_pos;
        const void* nl = std::memchr(m_d + m_pos, '\n', size_t(m_n - m_pos));
        if (nl) {
            line.contentEnd = static_cast<const char*>(nl) - m_d;
            line.end = line.contentEnd + 1;
        } else {
            line.contentEnd = m_n;
            line.end = m_n;
        }
        if (line.contentEnd > line.start && m_d[line.contentEnd - 1] == '\r')
            --line.contentEnd;
        m_pos = line.end;

        qsizetype i = line.start + m_skip;
        m_skip = 0;
        while (i < line.contentEnd && IsLineBlank(m_d[i]))
            ++i;
        Classify(line, i);
        return true;
    }

    const char* Data() const { return m_d; }
    qsizetype Size() const { return m_n; }

private:
    void Classify(Line& line, qsizetype i) const
    {
        const qsizetype e = line.contentEnd;
        if (i >= e || m_d[i] == ';')
            return;
        if (m_d[i] == '[') {
            qsizetype j = i + 1;
            while (j < e && m_d[j] != ']')
                j += (IsLeadByte(uchar(m_d[j])) && j + 1 < e) ? 2 : 1;
            line.kind = LineKind::Section;
            SetName(line, i + 1, qMin(j, e));
            return;
        }
        const void* eq = std::memchr(m_d + i, '=', size_t(e - i));
        if (!eq)
            return;
        const qsizetype at = static_cast<const char*>(eq) - m_d;
        SetName(line, i, at);
        if (line.nameBegin == line.nameEnd)
            return; // "=value" names no key
        line.kind = LineKind::Key;
        line.valueBegin = at + 1;
    }

    void SetName(Line& line, qsizetype begin, qsizetype end) const
    {
        while (begin < end && IsLineBlank(m_d[begin]))
            ++begin;
        while (end > begin && IsLineBlank(m_d[end - 1]))
            --end;
        line.nameBegin = begin;
        line.nameEnd = end;
    }

    const char* m_d;
    qsizetype m_n;
    qsizetype m_pos = 0;
    qsizetype m_skip = 0;
};

bool LineHasName(const char* d, const Line& line, const QByteArray& name)
{
    return SameName(d + line.nameBegin, line.nameEnd - line.nameBegin, name);
}

// The value of a key line as Windows reads it: the blanks around it and one
// pair of double quotes around it are no part of it. No trail byte of a
// double-byte character is a blank or a quote, so the bytes can be trimmed
// as they are.
QByteArrayView LineValue(const char* d, const Line& line)
{
    qsizetype b = line.valueBegin;
    qsizetype e = line.contentEnd;
    while (b < e && IsLineBlank(d[b]))
        ++b;
    while (e > b && IsLineBlank(d[e - 1]))
        --e;
    if (e - b >= 2 && d[b] == '"' && d[e - 1] == '"') {
        ++b;
        --e;
    }
    return QByteArrayView(d + b, e - b);
}

// The form in which a value is written so that it reads back exactly: inside
// one pair of double quotes when reading would otherwise take something off
// (blanks at either end, or surrounding quotes; Windows also strips single
// ones).
QByteArray StoredValue(const QByteArray& value)
{
    const qsizetype n = value.size();
    if (n == 0)
        return value;
    const char first = value.front();
    const char last = value.back();
    const bool loses = IsLineBlank(first) || IsLineBlank(last)
        || (n >= 2 && first == last && (first == '"' || first == '\''));
    return loses ? '"' + value + '"' : value;
}

// Walks the key lines of the first section with the given name. The visitor
// returns false to stop. Returns whether the section exists; *headerEnd and
// *sectionEnd (if given) receive the end of its header line and the start of
// the next section line (or the file's end).
template <typename Visitor>
bool ForEachKeyLine(const QByteArray& bytes, const QByteArray& section, Visitor&& visit,
                    qsizetype* headerEnd = nullptr, qsizetype* sectionEnd = nullptr)
{
    LineScanner scanner(bytes);
    const char* d = scanner.Data();
    Line line;
    bool inSection = false;
    bool found = false;
    bool visiting = true;
    while (scanner.Next(line)) {
        if (line.kind == LineKind::Section) {
            if (inSection) {
                if (sectionEnd)
                    *sectionEnd = line.start;
                return true;
            }
            if (!found && LineHasName(d, line, section)) {
                inSection = found = true;
                if (headerEnd)
                    *headerEnd = line.end;
            }
        } else if (inSection && visiting && line.kind == LineKind::Key) {
            visiting = visit(line);
        }
    }
    if (sectionEnd)
        *sectionEnd = bytes.size();
    return found;
}

// Encoded section or key name, blanks trimmed; nothing when CP932 cannot
// represent it (then no file can hold it).
std::optional<QByteArray> EncodeName(const QString& name)
{
    std::optional<QByteArray> bytes = Cp932::TryEncode(name);
    if (!bytes)
        return std::nullopt;
    qsizetype b = 0;
    qsizetype e = bytes->size();
    while (b < e && IsLineBlank(bytes->at(b)))
        ++b;
    while (e > b && IsLineBlank(bytes->at(e - 1)))
        --e;
    return bytes->mid(b, e - b);
}

// Only regular files (or links to them) are read or written: opening a FIFO
// blocks until someone writes to it, and a device may never end.
bool IsRegularFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

QByteArray ReadAllBytes(const QString& path)
{
    QFile file(path);
    if (!IsRegularFile(path) || !file.open(QIODevice::ReadOnly) || file.isSequential())
        return {};
    return file.readAll();
}

// The current bytes of a file about to be rewritten. A file that exists but
// cannot be read must not be replaced by one built from nothing.
QByteArray ReadForWrite(const QString& path, bool* exists)
{
    const QFileInfo info(path);
    *exists = info.exists() || info.isSymLink();
    if (!*exists)
        return {};
    QFile file(path);
    if (!IsRegularFile(path) || !file.open(QIODevice::ReadOnly) || file.isSequential())
        RaiseWriteError(path);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        RaiseWriteError(path);
    return bytes;
}

void SaveAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        RaiseWriteError(path);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        RaiseWriteError(path);
    }
    if (!file.commit())
        RaiseWriteError(path);
}

// What must come before a line inserted at `at`, the end of a line as the
// reader finds it: nothing after "\n" or at the start, "\n" after a last line
// ending in a lone CR (the reader takes that CR as the line's end, so it must
// not become part of the line), else a full line end.
QByteArray LineEndBefore(const QByteArray& bytes, qsizetype at)
{
    if (at == 0 || bytes.at(at - 1) == '\n')
        return {};
    if (bytes.at(at - 1) == '\r')
        return QByteArray("\n");
    return QByteArray("\r\n");
}

// Names and values that would break the line structure are refused: a line
// break would start a new line, and a key with "=" or one that looks like a
// section or a comment could not be read back.
struct EncodedKey {
    QByteArray key;
    QByteArray value;
};

QByteArray EncodeSectionForWrite(const QString& path, const QString& section)
{
    const std::optional<QByteArray> name = EncodeName(section);
    if (!name)
        Cp932::Encode(section); // raises, naming the character
    const QByteArray& bytes = *name;
    bool bad = bytes.isEmpty() || bytes.contains('\r') || bytes.contains('\n');
    for (qsizetype i = 0; !bad && i < bytes.size(); ++i) {
        if (IsLeadByte(uchar(bytes[i])) && i + 1 < bytes.size())
            ++i;
        else if (bytes[i] == ']')
            bad = true;
    }
    if (bad)
        RaiseWriteError(path);
    return bytes;
}

EncodedKey EncodeKeyForWrite(const QString& path, const QString& key, const QString& value)
{
    EncodedKey out;
    std::optional<QByteArray> name = EncodeName(key);
    if (!name)
        Cp932::Encode(key); // raises, naming the character
    out.key = *std::move(name);
    out.value = StoredValue(Cp932::Encode(value));
    const QByteArray& k = out.key;
    if (k.isEmpty() || k.contains('=') || k.contains('\r') || k.contains('\n') || k.startsWith('[')
        || k.startsWith(';') || out.value.contains('\r') || out.value.contains('\n'))
        RaiseWriteError(path);
    return out;
}

QByteArray KeyLine(const QByteArray& key, const QByteArray& value)
{
    return key + '=' + value + "\r\n";
}

// The bytes with the key's value set as WriteText sets it: in place when the
// key stands in the section, else after the section's last key line, else in
// a new section at the end.
QByteArray WithKey(const QByteArray& bytes, const QByteArray& sectionName, const EncodedKey& encoded)
{
    const char* d = bytes.constData();
    std::optional<Line> found;
    qsizetype insertAt = -1;
    qsizetype headerEnd = 0;
    const bool hasSection = ForEachKeyLine(
        bytes, sectionName,
        [&](const Line& line) {
            insertAt = line.end;
            if (!LineHasName(d, line, encoded.key))
                return true;
            found = line;
            return false;
        },
        &headerEnd);

    if (found) {
        // Only the value changes; the key as spelt in the file and the line
        // end stay.
        return bytes.left(found->valueBegin) + encoded.value + bytes.mid(found->contentEnd);
    }
    if (hasSection) {
        // A new key goes after the section's last key line (or its header).
        if (insertAt < 0)
            insertAt = headerEnd;
        return bytes.left(insertAt) + LineEndBefore(bytes, insertAt) + KeyLine(encoded.key, encoded.value)
            + bytes.mid(insertAt);
    }
    QByteArray out = bytes + LineEndBefore(bytes, bytes.size());
    out += '[' + sectionName + "]\r\n" + KeyLine(encoded.key, encoded.value);
    return out;
}

bool ParseNumber(QStringView text, int* result)
{
    text = text.trimmed();
    bool ok = false;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        const QStringView digits = text.mid(2);
        if (digits.startsWith(u'+') || digits.startsWith(u'-'))
            return false;
        // Up to eight hexadecimal digits, wrapping into the signed range as a
        // 32-bit colour value does.
        const uint value = digits.toUInt(&ok, 16);
        if (ok)
            *result = int(value);
        return ok;
    }
    const int value = text.toInt(&ok, 10);
    if (ok)
        *result = value;
    return ok;
}

} // namespace

TIniFile::TIniFile(QString path)
    : m_path(std::move(path))
{
}

QString TIniFile::ReadText(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::optional<QByteArray> sectionName = EncodeName(section);
    const std::optional<QByteArray> keyName = EncodeName(key);
    if (!sectionName || !keyName)
        return defaultValue;
    const QByteArray bytes = ReadAllBytes(m_path);
    const char* d = bytes.constData();
    std::optional<QString> value;
    ForEachKeyLine(bytes, *sectionName, [&](const Line& line) {
        if (!LineHasName(d, line, *keyName))
            return true;
        value = Cp932::Decode(LineValue(d, line));
        return false;
    });
    return value ? *value : defaultValue;
}

int TIniFile::ReadNumber(const QString& section, const QString& key, int defaultValue) const
{
    int value = defaultValue;
    return ParseNumber(ReadText(section, key, QString()), &value) ? value : defaultValue;
}

void TIniFile::ListKeys(const QString& section, QStringList& keys) const
{
    keys.clear();
    const std::optional<QByteArray> sectionName = EncodeName(section);
    if (!sectionName)
        return;
    const QByteArray bytes = ReadAllBytes(m_path);
    const char* d = bytes.constData();
    ForEachKeyLine(bytes, *sectionName, [&](const Line& line) {
        keys.append(Cp932::Decode(QByteArrayView(d + line.nameBegin, line.nameEnd - line.nameBegin)));
        return true;
    });
}

QList<TIniFile::KeyValue> TIniFile::ReadSection(const QString& section) const
{
    QList<KeyValue> entries;
    const std::optional<QByteArray> sectionName = EncodeName(section);
    if (!sectionName)
        return entries;
    const QByteArray bytes = ReadAllBytes(m_path);
    const char* d = bytes.constData();
    QHash<QByteArray, qsizetype> firstOfKey;
    ForEachKeyLine(bytes, *sectionName, [&](const Line& line) {
        const char* name = d + line.nameBegin;
        const qsizetype nameLength = line.nameEnd - line.nameBegin;
        KeyValue entry;
        entry.first = Cp932::Decode(QByteArrayView(name, nameLength));
        const QByteArray folded = FoldName(name, nameLength);
        const auto it = firstOfKey.constFind(folded);
        if (it == firstOfKey.constEnd()) {
            firstOfKey.insert(folded, entries.size());
            entry.second = Cp932::Decode(LineValue(d, line));
        } else {
            entry.second = entries.at(it.value()).second; // the first line of a key counts
        }
        entries.append(std::move(entry));
        return true;
    });
    return entries;
}

void TIniFile::WriteText(const QString& section, const QString& key, const QString& value)
{
    WriteKeys({{section, key, value}});
}

void TIniFile::WriteKeys(const QList<KeyWrite>& keys)
{
    QList<QPair<QByteArray, EncodedKey>> encoded;
    encoded.reserve(keys.size());
    for (const KeyWrite& k : keys)
        encoded.append({EncodeSectionForWrite(m_path, k.Section), EncodeKeyForWrite(m_path, k.Key, k.Value)});
    if (encoded.isEmpty())
        return;

    bool exists = false;
    const QByteArray bytes = ReadForWrite(m_path, &exists);
    QByteArray out = bytes;
    for (const auto& [sectionName, key] : encoded)
        out = WithKey(out, sectionName, key);
    if (exists && out == bytes)
        return;
    SaveAtomically(m_path, out);
}

void TIniFile::WriteNumber(const QString& section, const QString& key, int value)
{
    WriteText(section, key, QString::number(value));
}

void TIniFile::RemoveKey(const QString& section, const QString& key)
{
    const std::optional<QByteArray> sectionName = EncodeName(section);
    const std::optional<QByteArray> keyName = EncodeName(key);
    if (!sectionName || !keyName)
        return;
    // A file that cannot be read holds no key that could be removed.
    const QByteArray bytes = ReadAllBytes(m_path);
    const char* d = bytes.constData();

    // Every line of the key goes, so that a hand-made duplicate does not
    // bring the entry back.
    QByteArray out;
    qsizetype copied = 0;
    ForEachKeyLine(bytes, *sectionName, [&](const Line& line) {
        if (LineHasName(d, line, *keyName)) {
            out += bytes.mid(copied, line.start - copied);
            copied = line.end;
        }
        return true;
    });
    if (copied == 0)
        return;
    out += bytes.mid(copied);
    SaveAtomically(m_path, out);
}

void TIniFile::CheckWritable(const QString& section, const QList<KeyValue>& keys) const
{
    EncodeSectionForWrite(m_path, section);
    for (const KeyValue& kv : keys)
        EncodeKeyForWrite(m_path, kv.first, kv.second);
}

void TIniFile::ReplaceSectionKeys(const QString& section, const QList<KeyValue>& keys)
{
    const QByteArray sectionName = EncodeSectionForWrite(m_path, section);

    // One line per key in the order of its first appearance, with the value
    // of its last, as writing the keys one after another would leave them.
    QList<EncodedKey> lines;
    QHash<QByteArray, qsizetype> indexOfKey;
    for (const KeyValue& kv : keys) {
        EncodedKey encoded = EncodeKeyForWrite(m_path, kv.first, kv.second);
        const QByteArray folded = FoldName(encoded.key.constData(), encoded.key.size());
        const auto it = indexOfKey.constFind(folded);
        if (it != indexOfKey.constEnd()) {
            lines[it.value()].value = std::move(encoded.value);
        } else {
            indexOfKey.insert(folded, lines.size());
            lines.append(std::move(encoded));
        }
    }
    QByteArray newLines;
    for (const EncodedKey& line : lines)
        newLines += KeyLine(line.key, line.value);

    // With nothing to write, a file that reads as empty is already right.
    if (lines.isEmpty() && ReadAllBytes(m_path).isEmpty())
        return;
    bool exists = false;
    const QByteArray bytes = ReadForWrite(m_path, &exists);

    QByteArray out;
    qsizetype headerEnd = 0;
    qsizetype copied = 0;
    bool started = false;
    const bool hasSection = ForEachKeyLine(
        bytes, sectionName,
        [&](const Line& line) {
            if (!started) {
                started = true;
                out = bytes.left(headerEnd) + LineEndBefore(bytes, headerEnd) + newLines;
                copied = headerEnd;
            }
            out += bytes.mid(copied, line.start - copied);
            copied = line.end;
            return true;
        },
        &headerEnd);

    if (!hasSection) {
        if (lines.isEmpty())
            return;
        out = bytes + LineEndBefore(bytes, bytes.size());
        out += '[' + sectionName + "]\r\n" + newLines;
    } else if (!started) {
        // The section holds no key line yet.
        if (lines.isEmpty())
            return;
        out = bytes.left(headerEnd) + LineEndBefore(bytes, headerEnd) + newLines + bytes.mid(headerEnd);
    } else {
        out += bytes.mid(copied);
    }
    if (exists && out == bytes)
        return;
    SaveAtomically(m_path, out);
}

QList<TIniFile::KeyValue> ReadEntries(const QString& path, const QString& section)
{
    QList<TIniFile::KeyValue> entries = TIniFile(path).ReadSection(section);
    entries.removeIf([](const TIniFile::KeyValue& kv) { return IsBlank(kv.second); });
    return entries;
}
