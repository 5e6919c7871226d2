#pragma once

#include <QDir>
#include <QString>

// A data file's full name: the data directory, the platform's separator, the name.
inline QString DataFilePath(const QString& dataDir, const QString& name)
{
    return dataDir + QDir::separator() + name;
}
