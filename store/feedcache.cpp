#include "feedcache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace FeedCache {
namespace {

constexpr QFileDevice::Permissions PrivateFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions PrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString CopyPath(const QString& key)
{
    return Folder() + QStringLiteral("/%1.ics").arg(key);
}

QString MetaPath(const QString& key)
{
    return Folder() + QStringLiteral("/%1.meta").arg(key);
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    // The temporary file is private before the text goes to the disk.
    file.setPermissions(PrivateFile);
    return file.commit() && QFile::setPermissions(path, PrivateFile);
}

} // namespace

QString Folder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString folder = base + QStringLiteral("/calendars");
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
        QFile::setPermissions(base, PrivateFolder);
        QFile::setPermissions(folder, PrivateFolder);
    }
    return folder;
}

QString Key(const CalendarEntry& entry)
{
    const QByteArray id = (entry.Source.trimmed() + u'\n' + entry.User).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha256).toHex().left(32));
}

std::optional<Meta> ReadMeta(const QString& key)
{
    QFile file(MetaPath(key));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Meta meta;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("fetched="))
            meta.LastSuccess = QDateTime::fromString(QString::fromLatin1(line.mid(8)), Qt::ISODateWithMs);
        else if (line.startsWith("validators="))
            meta.Validators = QByteArray::fromBase64(line.mid(11));
    }
    return meta;
}

bool HasCopy(const QString& key)
{
    return QFileInfo::exists(CopyPath(key));
}

QByteArray ReadCopy(const QString& key)
{
    QFile file(CopyPath(key));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool WriteCopy(const QString& key, const QByteArray& text)
{
    return WriteFile(CopyPath(key), text);
}

bool WriteMeta(const QString& key, const Meta& meta)
{
    const QByteArray bytes = "fetched=" + meta.LastSuccess.toUTC().toString(Qt::ISODateWithMs).toLatin1() + "\n"
                             + "validators=" + meta.Validators.toBase64() + "\n";
    return WriteFile(MetaPath(key), bytes);
}

} // namespace FeedCache
