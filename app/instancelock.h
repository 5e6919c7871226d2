#pragma once

#include <QLockFile>
#include <QString>

// One bar per data folder on this machine: a lock file in the folder, taken
// at start and released at the end, however the program ends (exit() from
// deep inside the toolkit included). A lock left by a bar that crashed names
// a process that no longer runs, or this very process, and is taken over.
//
// The lock file's name carries the machine's name: a folder kept in step
// between machines by a sync tool carries the other machines' locks along,
// and those must not keep this machine's bar out.
class InstanceLock {
public:
    explicit InstanceLock(const QString& dataDir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Outcome {
        Acquired,
        HeldByOther, // another bar runs in this folder
        Unavailable, // no lock can be written here (a read-only folder): run without
    };
    Outcome Acquire();
    // Gives the folder up before the end: when the system may end the
    // process any moment after asking it to stop.
    void Release();

    QString DataDir() const { return m_dataDir; }
    QString FilePath() const { return m_path; }
    qint64 OwnerPid() const; // of the bar that holds it, 0 when unknown

private:
    QString m_dataDir;
    QString m_path;
    QLockFile m_lock;
};

// The lock file's name in the data folder on this machine.
QString InstanceLockFileName();

// Takes the data folder for this run: the lock, then the clean-up of what an
// interrupted save left behind. When another bar holds the folder, says so in
// one line on standard error and in a message box, touches nothing, and
// returns false.
bool ClaimDataFolder(InstanceLock& lock);
