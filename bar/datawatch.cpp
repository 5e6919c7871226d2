#include "datawatch.h"

#include "holidayfiles.h"
#include "schedulefiles.h"
#include "settingsfile.h"

#include <QFileInfo>

#include <utility>

namespace {

QString Print(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QString();
    return QStringLiteral("%1 %2 %3")
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.metadataChangeTime().toMSecsSinceEpoch());
}

} // namespace

DataWatch::DataWatch(const QString& dataDir, std::function<void()> changed, int coalesceMs)
    : m_dataDir(dataDir), m_changed(std::move(changed)), m_settingsFile(SettingsFilePath(dataDir))
{
    m_settingsBaseline = Print(m_settingsFile);
    m_settle.setSingleShot(true);
    m_settle.setInterval(coalesceMs);
    connect(&m_settle, &QTimer::timeout, this, &DataWatch::Settle);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Reported(QString()); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &DataWatch::Reported);
    m_watcher.addPath(m_dataDir);
    Rewatch();
}

void DataWatch::Follow(QDate shown)
{
    const QDate month(shown.year(), shown.month(), 1);
    if (month == m_month)
        return;
    m_month = month;
    m_files = QStringList{HolidayFilePath(m_dataDir), DayOffFilePath(m_dataDir),
                          ScheduleFilePath(m_dataDir, month.addMonths(-1)), ScheduleFilePath(m_dataDir, month),
                          ScheduleFilePath(m_dataDir, month.addMonths(1))};
    m_baseline = Fingerprint();
    Rewatch();
}

// file: the watched file reported, or empty for the folder.
void DataWatch::Reported(const QString& file)
{
    m_settingsReported = m_settingsReported || file == m_settingsFile;
    m_fileReported = m_fileReported || (!file.isEmpty() && file != m_settingsFile);
    m_folderReported = m_folderReported || file.isEmpty();
    if (!m_settle.isActive())
        m_settle.start();
}

// A report on one of the files is a change; a report on the folder is one
// only when one of the files looks different (created, removed, replaced):
// temporary files, locks and other programs' files come and go there too.
void DataWatch::Settle()
{
    const QStringList now = Fingerprint();
    const bool changed = m_fileReported || now != m_baseline;
    m_fileReported = false;
    const bool folderChanged = std::exchange(m_folderReported, false);
    m_baseline = now;
    const QString settingsNow = Print(m_settingsFile);
    const bool settingsChanged = std::exchange(m_settingsReported, false) || settingsNow != m_settingsBaseline;
    m_settingsBaseline = settingsNow;
    // A file replaced by a rename is a new file: watch it afresh.
    Rewatch();
    if (folderChanged && m_folderChanged)
        m_folderChanged();
    if (settingsChanged && m_settingsChanged)
        m_settingsChanged();
    if (changed && m_changed)
        m_changed();
}

void DataWatch::Rewatch()
{
    const QStringList watched = m_watcher.files();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    QStringList existing;
    for (const QString& path : m_files + QStringList{m_settingsFile}) {
        if (QFileInfo::exists(path))
            existing.append(path);
    }
    if (!existing.isEmpty())
        m_watcher.addPaths(existing);
}

QStringList DataWatch::Fingerprint() const
{
    QStringList prints;
    for (const QString& path : m_files)
        prints.append(Print(path));
    return prints;
}
