#include "instancelock.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

class TestInstanceLock : public QObject {
    Q_OBJECT

private slots:
    // Windows soon gives the id of a bar that ended without its lock to
    // another process (Wine at once); when that is us, the lock is ours.
    void takesOverALockNamingItsOwnProcess()
    {
        QTemporaryDir dir;
        InstanceLock lock(dir.path());
        QFile file(lock.FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n"
                   + QCoreApplication::applicationName().toUtf8() + "\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        file.close();
        QCOMPARE(lock.Acquire(), InstanceLock::Outcome::Acquired);
        lock.Release();
        QVERIFY(!QFile::exists(lock.FilePath()));
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "test_instancelock.moc"
