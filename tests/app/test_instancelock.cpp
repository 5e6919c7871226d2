#include "instancelock.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

// Locks left behind are taken over; on Windows (and at once under Wine) the
// process id of the bar that left one is soon given to the next process.
class TestInstanceLock : public QObject {
    Q_OBJECT

private slots:
    void leftLocks_data()
    {
        QTest::addColumn<qint64>("pid"); // the lock's owner; 0: no lock file, -1: a process that has ended
        QTest::newRow("no lock") << qint64(0);
        QTest::newRow("an owner that has ended") << qint64(-1);
        QTest::newRow("this process's own id, given again") << QCoreApplication::applicationPid();
    }
    void leftLocks()
    {
        QFETCH(qint64, pid);
        QProcess ended;
        if (pid < 0) {
#ifdef Q_OS_WIN
            // Wine gives the id to its next process at once, often one whose name
            // cannot be read, which Qt takes for the owner still running.
            QSKIP("an ended process's id is not free for long enough under Wine");
#endif
            ended.start(QStringLiteral("true"));
            QVERIFY(ended.waitForStarted());
            pid = ended.processId();
            QVERIFY(ended.waitForFinished());
        }
        QTemporaryDir dir;
        InstanceLock lock(dir.path());
        if (pid) {
            QFile file(lock.FilePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(pid) + "\n" + QCoreApplication::applicationName().toUtf8() + "\n"
                       + QSysInfo::machineHostName().toUtf8() + "\n");
        }
        QCOMPARE(lock.Acquire(), InstanceLock::Outcome::Acquired);
        QCOMPARE(lock.OwnerPid(), QCoreApplication::applicationPid());
        lock.Release();
        QVERIFY(!QFile::exists(lock.FilePath()));
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "test_instancelock.moc"
