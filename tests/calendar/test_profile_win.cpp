// The profile reader against Windows' own profile functions (Wine's, under
// Wine) on the same files: every reader of the data files must see what
// GetPrivateProfileStringA sees.
#include "tinifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

class TestProfileWin : public QObject {
    Q_OBJECT

private slots:
    void sameAsWindows_data();
    void sameAsWindows();
};

// A value, or with no key the section's key names separated by nulls.
static QString WindowsRead(const QString& section, const char* key, const QString& path)
{
    char buffer[2048] = {};
    const DWORD length = GetPrivateProfileStringA(section.toLatin1().constData(), key, key ? "DEF" : "", buffer, sizeof buffer,
                                                  path.toLocal8Bit().constData());
    return QString::fromLatin1(buffer, key ? qsizetype(std::strlen(buffer)) : qsizetype(length));
}

void TestProfileWin::sameAsWindows_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    const QByteArray two = "[S]\r\na=1\r\n[T]\r\nx=9\r\n[S]\r\na=2\r\nb=3\r\n";
    QTest::newRow("plain") << QByteArray("[S]\r\nk=v\r\n") << "S" << "k";
    QTest::newRow("missing section") << QByteArray("[S]\r\nk=v\r\n") << "T" << "k";
    QTest::newRow("blanks around") << QByteArray("[S]\r\n  k \t=  v w \t\r\n") << "S" << "k";
    QTest::newRow("double quotes") << QByteArray("[S]\r\nk=\" v \"\r\n") << "S" << "k";
    QTest::newRow("one double quote") << QByteArray("[S]\r\nk=\"v\r\n") << "S" << "k";
    QTest::newRow("letter case") << QByteArray("[sEc]\r\nKEY=v\r\n") << "Sec" << "key";
    QTest::newRow("first of two sections") << two << "S" << "a";
    QTest::newRow("key of the second section") << two << "S" << "b";
    QTest::newRow("first of two keys") << QByteArray("[S]\r\nk=1\r\nk=2\r\n") << "S" << "k";
    QTest::newRow("equals in the value") << QByteArray("[S]\r\nk=a=b\r\n") << "S" << "k";
    QTest::newRow("empty value") << QByteArray("[S]\r\nk=\r\n") << "S" << "k";
    QTest::newRow("blank value") << QByteArray("[S]\r\nk=   \r\n") << "S" << "k";
    QTest::newRow("line feeds only") << QByteArray("[S]\nk=v\n") << "S" << "k";
    QTest::newRow("no line end at the end") << QByteArray("[S]\r\nk=v") << "S" << "k";
    QTest::newRow("key before any section") << QByteArray("k=v\r\n[S]\r\nk=w\r\n") << "S" << "k";
    QTest::newRow("blanks in the section line") << QByteArray("  [S]  \r\nk=v\r\n") << "S" << "k";
    QTest::newRow("blanks in a key") << QByteArray("[S]\r\nmy key=v\r\n") << "S" << "my key";
}

void TestProfileWin::sameAsWindows()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(QStringLiteral("p.ini")));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();

    const TIniFile ini(path);
    QCOMPARE(ini.ReadText(section, key, QStringLiteral("DEF")), WindowsRead(section, key.toLatin1().constData(), path));
    QStringList keys;
    ini.ListKeys(section, keys);
    QCOMPARE(keys.isEmpty() ? QString() : keys.join(QChar(0)) + QChar(0), WindowsRead(section, nullptr, path));
}

QTEST_GUILESS_MAIN(TestProfileWin)
#include "test_profile_win.moc"
