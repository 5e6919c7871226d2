#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A Windows profile (INI) file in CP932, bound to a full path. Every call reads
// or writes the file itself; nothing is cached. Section and key names match
// without regard to ASCII letter case. Values read as Windows reads them: the
// blanks around the value and one pair of double quotes around it are no part
// of it; a value that would lose something that way is written inside double
// quotes, so that it reads back exactly. Only the first of two sections with
// one name is used. Only regular files are read or written: anything else
// (a FIFO, a device) reads as empty and refuses writes.
//
// Writes replace the file atomically and change only the line they write or
// remove; every other byte stays as it was. A failed write leaves the file
// unchanged and raises AppError "%1 に書き込めません" with the full path. The
// same error refuses what would break the line structure (a line break in a
// name or value; an empty key, a key with "=" or one beginning with "[" or
// ";"; a section name with "]"), and a text CP932 cannot hold raises the
// error of Cp932::Encode; in both cases nothing is written. A new key goes
// after the last key line of its section; new lines end in CRLF.
class TIniFile {
public:
    using KeyValue = QPair<QString, QString>;
    struct KeyWrite {
        QString Section;
        QString Key;
        QString Value;
    };

    explicit TIniFile(QString path);

    const QString& Path() const { return m_path; }

    QString ReadText(const QString& section, const QString& key, const QString& defaultValue) const;
    // "0x"/"0X" followed by at least one character reads as hexadecimal (up to
    // eight digits, 0xFFFFFFFF being -1), any other text as signed decimal;
    // blanks around the number are ignored; a text that is no number gives
    // the default.
    int ReadNumber(const QString& section, const QString& key, int defaultValue) const;
    void ListKeys(const QString& section, QStringList& keys) const;

    // The section's key lines in file order, each with the value ReadText would
    // give it (the first line of a key counts): ListKeys followed by ReadText
    // per key, in one read of the file.
    QList<KeyValue> ReadSection(const QString& section) const;

    void WriteText(const QString& section, const QString& key, const QString& value);
    void WriteNumber(const QString& section, const QString& key, int value);
    void RemoveKey(const QString& section, const QString& key);

    // WriteText for every key in list order, in one atomic replacement of the
    // file: a failure leaves it wholly as it was. Every text is checked
    // before the file is read.
    void WriteKeys(const QList<KeyWrite>& keys);

    // Raises the error that writing these keys would raise for their text (a
    // character CP932 cannot hold, a line break, a key that cannot be read
    // back) without touching the file, so that a caller writing several
    // files can refuse before the first.
    void CheckWritable(const QString& section, const QList<KeyValue>& keys) const;

    // Replaces every key line of the section by the given keys, in one atomic
    // write: one line per key in the order of its first appearance, holding
    // the value of its last appearance. The section line and the section's
    // other lines stay; other sections are untouched. An empty list on a file
    // that does not exist creates nothing.
    void ReplaceSectionKeys(const QString& section, const QList<KeyValue>& keys);

private:
    QString m_path;
};

// The section's entries as every reader of the data files takes them:
// ReadSection without the keys whose value is blank.
QList<TIniFile::KeyValue> ReadEntries(const QString& path, const QString& section);
