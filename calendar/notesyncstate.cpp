#include "notesyncstate.h"

#include "apperror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

QString NoteSyncStatePath(const QString& dataDir, const QString& address, const QString& user)
{
    const QString folder = QFileInfo(dataDir).absoluteFilePath();
    const QByteArray id = QCryptographicHash::hash((folder + u'\n' + address + u'\n' + user).toUtf8(),
                                                   QCryptographicHash::Sha1)
                              .toHex();
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/notesync/")
           + QString::fromLatin1(id) + QStringLiteral(".json");
}

bool ReadNoteSyncState(const QString& path, NoteSyncState& state)
{
    state = {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    state.Token = root.value(QLatin1String("token")).toString();
    state.NoSync = root.value(QLatin1String("nosync")).toBool();
    const QJsonObject objects = root.value(QLatin1String("objects")).toObject();
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const QJsonArray pair = it.value().toArray();
        state.Objects.insert(it.key(), {pair.at(0).toString(), pair.at(1).toString().toUtf8()});
    }
    const QJsonObject agreed = root.value(QLatin1String("agreed")).toObject();
    for (auto it = agreed.begin(); it != agreed.end(); ++it) {
        const QDate day = QDate::fromString(it.key(), Qt::ISODate);
        const QJsonArray pair = it.value().toArray();
        if (day.isValid())
            state.Agreed.insert(day, {pair.at(0).toString(), pair.at(1).toString()});
    }
    return true;
}

void WriteNoteSyncState(const QString& path, const NoteSyncState& state)
{
    QJsonObject objects;
    for (auto it = state.Objects.cbegin(); it != state.Objects.cend(); ++it)
        objects.insert(it.key(), QJsonArray{it->ETag, QString::fromUtf8(it->Text)});
    QJsonObject agreed;
    for (auto it = state.Agreed.cbegin(); it != state.Agreed.cend(); ++it)
        agreed.insert(it.key().toString(Qt::ISODate), QJsonArray{it->Server, it->File});
    QJsonObject root{{QLatin1String("token"), state.Token},
                     {QLatin1String("objects"), objects},
                     {QLatin1String("agreed"), agreed}};
    if (state.NoSync)
        root.insert(QLatin1String("nosync"), true);

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson(QJsonDocument::Compact)) < 0
        || !file.commit())
        RaiseWriteError(path);
}
