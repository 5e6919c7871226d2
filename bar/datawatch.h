#pragma once

#include <QDate>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

// Tells when the data files the bar shows have changed, whoever changed
// them: HorDay.ini, HorDay2.ini and the schedule files of a month and its two
// neighbours; and, on its own call, Murvane.ini. Created, changed, removed or
// replaced by a rename all count.
// The platform reports changes (QFileSystemWatcher on the folder and on each
// of these files); a burst of reports becomes one call, made CoalesceMs after
// the first report. Nothing runs while nothing changes.
class DataWatch : public QObject {
public:
    static constexpr int DefaultCoalesceMs = 100;

    DataWatch(const QString& dataDir, std::function<void()> changed, int coalesceMs = DefaultCoalesceMs);

    // The files of shown's month and its neighbours from now on. Call it
    // before reading them, so that no change after the reading goes unseen.
    void Follow(QDate shown);

    QStringList WatchedFiles() const { return m_files; }

    // Called, once per burst, when something in the folder was created,
    // removed or renamed, whether or not it is one of the files.
    void OnFolderChanged(std::function<void()> folderChanged) { m_folderChanged = std::move(folderChanged); }

    // Called, once per burst, when Murvane.ini changed.
    void OnSettingsChanged(std::function<void()> settingsChanged) { m_settingsChanged = std::move(settingsChanged); }

private:
    void Reported(const QString& file);
    void Settle();
    void Rewatch();
    QStringList Fingerprint() const;

    QString m_dataDir;
    std::function<void()> m_changed;
    std::function<void()> m_folderChanged;
    std::function<void()> m_settingsChanged;
    QString m_settingsFile;
    QString m_settingsBaseline;
    bool m_settingsReported = false;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QDate m_month;
    QStringList m_files;
    QStringList m_baseline;
    bool m_fileReported = false;
    bool m_folderReported = false;
};
