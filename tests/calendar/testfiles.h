#pragma once

#include "cp932.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// Raw file access for tests that check files byte for byte.

// The CP932 bytes of a text literal, so that tables can mix Japanese text
// with raw bytes.
inline QByteArray Sjis(const QString& text)
{
    return Cp932::Encode(text);
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

// A name so long that no temporary file can be made beside it: a program
// that replaces such a file atomically cannot write it, even as root.
inline QString UnwritableName()
{
    return QString(250, u'w') + QStringLiteral(".ini");
}
