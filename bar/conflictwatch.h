#pragma once

#include <QObject>
#include <QSet>
#include <QString>

// Tells the user of every sync tool's conflict copy of a data file in the
// data folder, once per file name and run, through MessageBoxes::ShowNotice.
// The copies are only named: never read, renamed or removed. The notice goes
// out from the event loop, not from Scan's caller, so neither the start nor
// the folder watch waits for it.
class ConflictWatch : public QObject {
public:
    explicit ConflictWatch(QString dataDir);

    // Lists the folder; at start and whenever the folder changes.
    void Scan();

    static QString Message(const QString& copyPath, const QString& original);

private:
    QString m_dataDir;
    QSet<QString> m_told;
};
