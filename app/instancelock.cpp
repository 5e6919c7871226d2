#include "instancelock.h"

#include "datapath.h"
#include "leftoversaves.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

#include <cstdio>
#include <cstdlib>

namespace {

QLockFile* g_held = nullptr;

// Runs at exit(): the lock of a program that ends without returning from
// main is removed all the same.
void ReleaseAtExit()
{
    if (g_held)
        g_held->unlock();
    g_held = nullptr;
}

} // namespace

QString InstanceLockFileName()
{
    QString host = QSysInfo::machineHostName();
    for (QChar& c : host) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
                           || u == u'-' || u == u'_';
        if (!plain)
            c = u'_';
    }
    if (host.isEmpty())
        host = QStringLiteral("local");
    return QStringLiteral("Murvane.%1.lock").arg(host);
}

InstanceLock::InstanceLock(const QString& dataDir)
    : m_dataDir(dataDir), m_path(DataFilePath(dataDir, InstanceLockFileName())), m_lock(m_path)
{
    // The lock lasts as long as the bar, weeks if need be: only a dead owner
    // makes it stale, never its age.
    m_lock.setStaleLockTime(0);
}

InstanceLock::~InstanceLock()
{
    Release();
}

InstanceLock::Outcome InstanceLock::Acquire()
{
    // A lock naming this very process was left by an earlier one whose
    // process id this one was given again: Windows hands ids out again soon
    // (Wine at once), and Qt would take that owner for a running bar.
    if (!m_lock.tryLock(0) && m_lock.error() == QLockFile::LockFailedError
        && OwnerPid() == QCoreApplication::applicationPid())
        m_lock.removeStaleLockFile();
    if (m_lock.isLocked() || m_lock.tryLock(0)) {
        static const bool registered = std::atexit(ReleaseAtExit) == 0;
        Q_UNUSED(registered);
        g_held = &m_lock;
        return Outcome::Acquired;
    }
    return m_lock.error() == QLockFile::LockFailedError ? Outcome::HeldByOther : Outcome::Unavailable;
}

void InstanceLock::Release()
{
    if (g_held == &m_lock)
        g_held = nullptr;
    m_lock.unlock();
}

qint64 InstanceLock::OwnerPid() const
{
    qint64 pid = 0;
    QString host;
    QString app;
    return m_lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}

bool ClaimDataFolder(InstanceLock& lock)
{
    switch (lock.Acquire()) {
    case InstanceLock::Outcome::Acquired:
        RemoveLeftoverSaves(lock.DataDir());
        return true;
    case InstanceLock::Outcome::Unavailable:
        // Nothing can be saved here either; the bar still shows the data.
        return true;
    case InstanceLock::Outcome::HeldByOther:
        break;
    }
    const QString dir = QDir::toNativeSeparators(lock.DataDir());
    const qint64 pid = lock.OwnerPid();
    std::fprintf(stderr, "murvane: another Murvane (process %lld) already runs in %s\n", static_cast<long long>(pid),
                 dir.toLocal8Bit().constData());
    MessageBoxes::ShowError(QStringLiteral("このフォルダではすでに Murvane が動いています:\n%1").arg(dir));
    return false;
}
