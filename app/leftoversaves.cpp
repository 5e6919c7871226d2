#include "leftoversaves.h"

#include "datapath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

bool IsLeftoverSaveName(const QString& name)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:Murvane\.ini|HorDay\.ini|HorDay2\.ini|Yotei[0-9]{6}\.Dat)\.([A-Za-z]{6})$)"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return false;
    const QString tail = match.captured(1);
    const QString rest = tail.mid(1);
    const bool oneCase = tail == tail.toLower() || tail == tail.toUpper();
    const bool capitalised = tail.at(0).isUpper() && rest == rest.toLower();
    return !oneCase && !capitalised;
}

QStringList RemoveLeftoverSaves(const QString& dataDir)
{
    QStringList removed;
    const QStringList names = QDir(dataDir).entryList({QStringLiteral("*.??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        if (!IsLeftoverSaveName(name))
            continue;
        const QString path = DataFilePath(dataDir, name);
        const QFileInfo info(path);
        if (!info.isFile() || info.isSymLink())
            continue;
        if (QFile::remove(path))
            removed.append(name);
    }
    return removed;
}
