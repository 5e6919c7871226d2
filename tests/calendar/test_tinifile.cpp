#include "apperror.h"
#include "testfiles.h"
#include "tinifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

class TestTIniFile : public QObject {
    Q_OBJECT

private slots:
    void init();

    void readMissingFileCreatesNothing();
    void readText_data();
    void readText();
    void readSectionMatchesKeyByKeyReading_data();
    void readSectionMatchesKeyByKeyReading();
    void valueAsWindowsReadsIt_data();
    void valueAsWindowsReadsIt();
    void readNumber_data();
    void readNumber();
    void listKeys_data();
    void listKeys();
    void listKeysBeyondOldBufferLimit();

    void writeText_data();
    void writeText();
    void writeThenRead_data();
    void writeThenRead();
    void writeNumber();
    void removeKey_data();
    void removeKey();
    void removeKeyFromMissingFileCreatesNothing();
    void replaceSectionKeys_data();
    void replaceSectionKeys();

    void failedWriteLeavesFileUnchanged_data();
    void failedWriteLeavesFileUnchanged();
    void writeIntoMissingDirectoryFails();
    void unrepresentableTextIsRefused_data();
    void unrepresentableTextIsRefused();
    void noRegularFileWhereFileShouldBe_data();
    void noRegularFileWhereFileShouldBe();
    void hugeFile();

private:
    QString FilePath() const { return m_dir->filePath(QStringLiteral("test.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestTIniFile::readMissingFileCreatesNothing()
{
    TIniFile ini(FilePath());
    QCOMPARE(ini.ReadText(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("def")), QStringLiteral("def"));
    QCOMPARE(ini.ReadNumber(QStringLiteral("s"), QStringLiteral("k"), 7), 7);
    QStringList keys{QStringLiteral("stale")};
    ini.ListKeys(QStringLiteral("s"), keys);
    QVERIFY(keys.isEmpty());
    QVERIFY(ini.ReadSection(QStringLiteral("s")).isEmpty());
    QVERIFY(!QFileInfo::exists(FilePath()));
}

namespace {
const QString Missing = QStringLiteral("<default>");
}

void TestTIniFile::readText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString s = QStringLiteral("s");
    const QString k = QStringLiteral("k");
    QTest::newRow("crlf") << QByteArray("[s]\r\nk=v\r\n") << s << k << QStringLiteral("v");
    QTest::newRow("lf") << QByteArray("[s]\nk=v\n") << s << k << QStringLiteral("v");
    QTest::newRow("no final line end") << QByteArray("[s]\r\nk=v") << s << k << QStringLiteral("v");
    QTest::newRow("empty value") << QByteArray("[s]\r\nk=\r\n") << s << k << QString();
    QTest::newRow("quotes and blanks around the value taken off")
        << QByteArray("[s]\r\nk= \"a b\" \r\n") << s << k << QStringLiteral("a b");
    QTest::newRow("blanks around key") << QByteArray("[s]\r\n  k \t= v\r\n") << s << k << QStringLiteral("v");
    QTest::newRow("value holds =") << QByteArray("[s]\r\nk=a=b\r\n") << s << k << QStringLiteral("a=b");
    QTest::newRow("section case") << QByteArray("[Settings]\r\nk=v\r\n") << QStringLiteral("SETTINGS") << k
                                  << QStringLiteral("v");
    QTest::newRow("key case") << QByteArray("[s]\r\nColor=1\r\n") << s << QStringLiteral("cOLOR") << QStringLiteral("1");
    QTest::newRow("first duplicate key counts") << QByteArray("[s]\r\nk=1\r\nk=2\r\n") << s << k << QStringLiteral("1");
    QTest::newRow("only first duplicate section")
        << QByteArray("[s]\r\na=1\r\n[t]\r\n[s]\r\nk=2\r\n") << s << k << Missing;
    QTest::newRow("key before any section") << QByteArray("k=v\r\n[s]\r\n") << s << k << Missing;
    QTest::newRow("key of another section") << QByteArray("[t]\r\nk=v\r\n[s]\r\n") << s << k << Missing;
    QTest::newRow("comment is no key") << QByteArray("[s]\r\n;k=v\r\n") << s << k << Missing;
    QTest::newRow("line without =") << QByteArray("[s]\r\nk\r\n") << s << k << Missing;
    QTest::newRow("empty file") << QByteArray() << s << k << Missing;
    QTest::newRow("no section") << QByteArray("k=v\r\n") << s << k << Missing;
    QTest::newRow("utf-8 byte-order mark") << QByteArray("\xEF\xBB\xBF[s]\r\nk=v\r\n") << s << k << QStringLiteral("v");
    QTest::newRow("nul bytes elsewhere") << QByteArray("[s]\r\nj=\0\0\r\nk=v\r\n", 16) << s << k << QStringLiteral("v");
    QTest::newRow("nul byte in value") << QByteArray("[s]\r\nk=a\0b\r\n", 12) << s << k << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("japanese section, trail byte 0x5C")
        << (Sjis(QStringLiteral("[予定]\r\n0305=会議\r\n"))) << QStringLiteral("予定") << QStringLiteral("0305")
        << QStringLiteral("会議");
    QTest::newRow("trail byte ] inside section name")
        << Sjis(QStringLiteral("[ゾ]\r\nk=v\r\n")) << QStringLiteral("ゾ") << k << QStringLiteral("v");
    // ア and ヂ differ only in a second byte that reads as A and a.
    QTest::newRow("trail bytes are not letters")
        << Sjis(QStringLiteral("[ア]\r\nk=v\r\n")) << QStringLiteral("ヂ") << k << Missing;
    QTest::newRow("invalid bytes read as replacement")
        << QByteArray("[s]\r\nk=a\xFF\x80z\x82\r\n") << s << k << QStringLiteral("a\uFFFD\uFFFDz\uFFFD");
    QTest::newRow("control bytes pass through")
        << QByteArray("[s]\r\nk=\x1A\x1C\x7F\\~\r\n") << s << k << QStringLiteral("\x1A\x1C\x7F\\~");

    // A long value is read whole, and a double-byte character across the
    // old 1023-byte cut stays whole.
    const QString longValue = QStringLiteral("a") + QString(3000, QChar(u'漢'));
    QTest::newRow("long value read whole") << (QByteArray("[s]\r\nk=") + Sjis(longValue) + "\r\n") << s << k << longValue;
}

void TestTIniFile::readText()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    WriteBytes(FilePath(), file);
    QCOMPARE(TIniFile(FilePath()).ReadText(section, key, Missing), expected);
}

void TestTIniFile::readSectionMatchesKeyByKeyReading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("plain") << QByteArray("[s]\r\nb=2\r\na=1\r\n[t]\r\nc=3\r\n");
    QTest::newRow("duplicates in any case") << QByteArray("[s]\r\nk=1\r\nK=2\r\nj=3\r\nk=4\r\n");
    QTest::newRow("comments and junk") << QByteArray("[s]\r\n;x=1\r\nnoeq\r\n=v\r\n y = 2 \r\n\r\n");
    QTest::newRow("second section ignored") << QByteArray("[s]\r\na=1\r\n[S]\r\na=2\r\nb=3\r\n");
    QTest::newRow("japanese") << Sjis(QStringLiteral("[s]\r\n0101=元日\r\n0101=二つ目\r\n0211= \r\n"));
}

void TestTIniFile::readSectionMatchesKeyByKeyReading()
{
    QFETCH(QByteArray, file);
    WriteBytes(FilePath(), file);
    const TIniFile ini(FilePath());
    QStringList keys;
    ini.ListKeys(QStringLiteral("s"), keys);
    QList<TIniFile::KeyValue> expected;
    for (const QString& key : keys)
        expected.append({key, ini.ReadText(QStringLiteral("s"), key, QString())});
    QCOMPARE(ini.ReadSection(QStringLiteral("s")), expected);
}

void TestTIniFile::valueAsWindowsReadsIt_data()
{
    // A key line in the file, the value read from it, and the line after the
    // value read is written back: it must read back the same.
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("blanks around =") << Sjis(u"0101 = 元日 "_s) << u"元日"_s << Sjis(u"0101 =元日"_s);
    QTest::newRow("quoted") << Sjis(u"0101=\"元日\""_s) << u"元日"_s << Sjis(u"0101=元日"_s);
    QTest::newRow("tabs") << QByteArray("k=\tv\t") << u"v"_s << QByteArray("k=v");
    QTest::newRow("only blanks") << QByteArray("k=  ") << QString() << QByteArray("k=");
    QTest::newRow("blanks inside quotes kept") << QByteArray("k = \" a b\t\" ") << u" a b\t"_s
                                               << QByteArray("k =\" a b\t\"");
    QTest::newRow("quotes inside kept") << QByteArray("k=a \"b\" c") << u"a \"b\" c"_s << QByteArray("k=a \"b\" c");
    QTest::newRow("one pair only") << QByteArray("k=\"\"a\"\"") << u"\"a\""_s << QByteArray("k=\"\"a\"\"");
    QTest::newRow("empty quotes") << QByteArray("k=\"\"") << QString() << QByteArray("k=");
    QTest::newRow("lone quote") << QByteArray("k=\"") << u"\""_s << QByteArray("k=\"");
    QTest::newRow("opening quote only") << QByteArray("k=\"ab") << u"\"ab"_s << QByteArray("k=\"ab");
    // Windows takes single quotes off too: written quoted, both read them.
    QTest::newRow("single quotes") << QByteArray("k='a'") << u"'a'"_s << QByteArray("k=\"'a'\"");
    QTest::newRow("full-width space is text") << Sjis(u"k=　祭　"_s) << u"　祭　"_s << Sjis(u"k=　祭　"_s);
    QTest::newRow("trail byte 0x5C before quote") << Sjis(u"k=\"ソ\""_s) << u"ソ"_s << Sjis(u"k=ソ"_s);
}

void TestTIniFile::valueAsWindowsReadsIt()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, value);
    QFETCH(QByteArray, written);
    WriteBytes(FilePath(), "[s]\r\n" + line + "\r\n");
    TIniFile ini(FilePath());
    const QString key = Cp932::Decode(line.left(line.indexOf('='))).trimmed();
    QCOMPARE(ini.ReadText(u"s"_s, key, Missing), value);
    QCOMPARE(ini.ReadSection(u"s"_s), (QList<TIniFile::KeyValue>{{key, value}}));

    // Written into the line it came from and into a fresh file, the value
    // reads back as it was.
    ini.WriteText(u"s"_s, key, value + u"x"_s);
    ini.WriteText(u"s"_s, key, value);
    QCOMPARE(ReadBytes(FilePath()), "[s]\r\n" + written + "\r\n");
    QFile::remove(FilePath());
    ini.ReplaceSectionKeys(u"s"_s, {{key, value}});
    QCOMPARE(ini.ReadText(u"s"_s, key, Missing), value);
}

void TestTIniFile::readNumber_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("k=255") << 255;
    QTest::newRow("negative") << QByteArray("k=-16777216") << -16777216;
    QTest::newRow("plus sign") << QByteArray("k=+3") << 3;
    QTest::newRow("hex") << QByteArray("k=0x1F") << 31;
    QTest::newRow("hex upper X") << QByteArray("k=0X1f") << 31;
    QTest::newRow("hex wraps to signed") << QByteArray("k=0xFFFFFFFF") << -1;
    QTest::newRow("0x alone") << QByteArray("k=0x") << -99;
    QTest::newRow("bad hex digit") << QByteArray("k=0x1G") << -99;
    QTest::newRow("hex too long") << QByteArray("k=0x100000000") << -99;
    QTest::newRow("digits then letters") << QByteArray("k=12ab") << -99;
    QTest::newRow("empty") << QByteArray("k=") << -99;
    QTest::newRow("out of range") << QByteArray("k=99999999999") << -99;
    QTest::newRow("missing key") << QByteArray("j=5") << -99;
}

void TestTIniFile::readNumber()
{
    QFETCH(QByteArray, line);
    QFETCH(int, expected);
    WriteBytes(FilePath(), "[s]\r\n" + line + "\r\n");
    QCOMPARE(TIniFile(FilePath()).ReadNumber(QStringLiteral("s"), QStringLiteral("k"), -99), expected);
}

void TestTIniFile::listKeys_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("file order") << QByteArray("[s]\r\nb=1\r\na=2\r\nc=\r\n") << QStringList{"b", "a", "c"};
    QTest::newRow("duplicates listed") << QByteArray("[s]\r\nk=1\r\nk=2\r\n") << QStringList{"k", "k"};
    QTest::newRow("only keys of the first section")
        << QByteArray("x=0\r\n[s]\r\n;c=1\r\nplain\r\na=1\r\n[t]\r\nb=2\r\n[s]\r\nd=3\r\n") << QStringList{"a"};
    QTest::newRow("names trimmed") << QByteArray("[s]\r\n  a  =1\r\n") << QStringList{"a"};
    QTest::newRow("missing section") << QByteArray("[t]\r\na=1\r\n") << QStringList{};
    QTest::newRow("japanese keys") << Sjis(QStringLiteral("[s]\r\n予定=1\r\n")) << QStringList{QStringLiteral("予定")};
}

void TestTIniFile::listKeys()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    WriteBytes(FilePath(), file);
    QStringList keys;
    TIniFile(FilePath()).ListKeys(QStringLiteral("s"), keys);
    QCOMPARE(keys, expected);
}

void TestTIniFile::listKeysBeyondOldBufferLimit()
{
    // 2000 keys of 8 characters are about 18000 bytes of names.
    QByteArray file("[s]\r\n");
    QStringList expected;
    for (int i = 0; i < 2000; ++i) {
        const QString key = QStringLiteral("key%1").arg(i, 5, 10, QLatin1Char('0'));
        expected.append(key);
        file += key.toLatin1() + "=x\r\n";
    }
    WriteBytes(FilePath(), file);
    QStringList keys;
    TIniFile(FilePath()).ListKeys(QStringLiteral("s"), keys);
    QCOMPARE(keys, expected);
}

void TestTIniFile::writeText_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QString s = QStringLiteral("s");
    const QString k = QStringLiteral("k");
    const QString v = QStringLiteral("new");
    QTest::newRow("new file") << QByteArray("<missing>") << s << k << v << QByteArray("[s]\r\nk=new\r\n");
    QTest::newRow("replace keeps every other byte")
        << QByteArray("; head\n[t]\r\nk=other\r\n[s]\nk=old\n;c\r\nz=\xFF\x82\0end", 42) << s << k << v
        << QByteArray("; head\n[t]\r\nk=other\r\n[s]\nk=new\n;c\r\nz=\xFF\x82\0end", 42);
    QTest::newRow("replace keeps key spelling and blanks")
        << QByteArray("[S]\r\n  K = old\r\n") << s << k << v << QByteArray("[S]\r\n  K =new\r\n");
    QTest::newRow("replace without final line end") << QByteArray("[s]\r\nk=old") << s << k << v
                                                    << QByteArray("[s]\r\nk=new");
    QTest::newRow("replace first duplicate only") << QByteArray("[s]\r\nk=1\r\nk=2\r\n") << s << k << v
                                                  << QByteArray("[s]\r\nk=new\r\nk=2\r\n");
    QTest::newRow("new key after last key of section")
        << QByteArray("[s]\r\na=1\r\n\r\n;about t\r\n[t]\r\n") << s << k << v
        << QByteArray("[s]\r\na=1\r\nk=new\r\n\r\n;about t\r\n[t]\r\n");
    QTest::newRow("new key in section without keys") << QByteArray("[s]\r\n;note\r\n[t]\r\n") << s << k << v
                                                      << QByteArray("[s]\r\nk=new\r\n;note\r\n[t]\r\n");
    QTest::newRow("new key after header without line end") << QByteArray("[s]") << s << k << v
                                                           << QByteArray("[s]\r\nk=new\r\n");
    QTest::newRow("new key after last line without line end") << QByteArray("[s]\na=1") << s << k << v
                                                              << QByteArray("[s]\na=1\r\nk=new\r\n");
    QTest::newRow("new section at end") << QByteArray("[t]\na=1") << s << k << v
                                        << QByteArray("[t]\na=1\r\n[s]\r\nk=new\r\n");
    QTest::newRow("into first of duplicate sections") << QByteArray("[s]\r\n[s]\r\nk=old\r\n") << s << k << v
                                                      << QByteArray("[s]\r\nk=new\r\n[s]\r\nk=old\r\n");
    QTest::newRow("keys before first section untouched") << QByteArray("k=old\r\n[s]\r\n") << s << k << v
                                                         << QByteArray("k=old\r\n[s]\r\nk=new\r\n");
    QTest::newRow("byte-order mark kept") << QByteArray("\xEF\xBB\xBF[s]\r\nk=1\r\n") << s << k << v
                                          << QByteArray("\xEF\xBB\xBF[s]\r\nk=new\r\n");
    QTest::newRow("japanese in cp932") << QByteArray() << QStringLiteral("予定") << QStringLiteral("0305")
                                       << QStringLiteral("会議#~資料") << Sjis(QStringLiteral("[予定]\r\n0305=会議#~資料\r\n"));
    QTest::newRow("empty value") << QByteArray("[s]\r\nk=old\r\n") << s << k << QString() << QByteArray("[s]\r\nk=\r\n");
    // A last line ending in a lone CR is complete: the new line must not
    // make that CR part of it.
    QTest::newRow("new key after lone CR") << QByteArray("[s]\r\na=1\r") << s << k << v
                                           << QByteArray("[s]\r\na=1\r\nk=new\r\n");
    QTest::newRow("new section after lone CR") << QByteArray("[t]\r\na=1\r") << s << k << v
                                               << QByteArray("[t]\r\na=1\r\n[s]\r\nk=new\r\n");
    QTest::newRow("header without ] ending in lone CR")
        << Sjis(u"[予定\r"_s) << u"予定"_s << u"0305"_s << u"会議"_s << Sjis(u"[予定\r\n0305=会議\r\n"_s);
}

void TestTIniFile::writeText()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (before != "<missing>")
        WriteBytes(FilePath(), before);
    TIniFile(FilePath()).WriteText(section, key, value);
    QCOMPARE(ReadBytes(FilePath()), after);
}

void TestTIniFile::writeThenRead_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("ascii") << QStringLiteral("plain text");
    QTest::newRow("japanese with 0x5C trail bytes") << QStringLiteral("予定表ソ");
    QTest::newRow("half-width katakana") << QStringLiteral("ｱｲｳ");
    QTest::newRow("wave dash and minus") << QStringLiteral("～－￢");
    QTest::newRow("nec special") << QStringLiteral("①Ⅹ㈱ⅰ");
    QTest::newRow("control bytes") << QStringLiteral("\x1A\x1C\x7F\t");
    QTest::newRow("backslash and tilde") << QStringLiteral("C:\\dir~1");
    QTest::newRow("surrounding blanks") << QStringLiteral("  x  ");
    QTest::newRow("long") << QString(5000, QChar(u'あ'));
}

void TestTIniFile::writeThenRead()
{
    QFETCH(QString, value);
    TIniFile ini(FilePath());
    ini.WriteText(QStringLiteral("s"), QStringLiteral("k"), value);
    QCOMPARE(ini.ReadText(QStringLiteral("s"), QStringLiteral("k"), Missing), value);
    ini.WriteText(QStringLiteral("s"), QStringLiteral("k"), value + QStringLiteral("2"));
    QCOMPARE(ini.ReadText(QStringLiteral("s"), QStringLiteral("k"), Missing), value + QStringLiteral("2"));
}

void TestTIniFile::writeNumber()
{
    TIniFile ini(FilePath());
    ini.WriteNumber(QStringLiteral("s"), QStringLiteral("n"), -16777216);
    QCOMPARE(ReadBytes(FilePath()), QByteArray("[s]\r\nn=-16777216\r\n"));
    QCOMPARE(ini.ReadNumber(QStringLiteral("s"), QStringLiteral("n"), 0), -16777216);
}

void TestTIniFile::removeKey_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("middle line") << QByteArray(";c\n[s]\r\na=1\r\nk=2\nb=\xFF\r\n") << QByteArray(";c\n[s]\r\na=1\r\nb=\xFF\r\n");
    QTest::newRow("last line without line end") << QByteArray("[s]\r\na=1\r\nk=2") << QByteArray("[s]\r\na=1\r\n");
    QTest::newRow("every duplicate of the section") << QByteArray("[s]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\n")
                                                    << QByteArray("[s]\r\n[s]\r\nk=3\r\n");
    QTest::newRow("missing key changes nothing") << QByteArray("[s]\r\na=1\r\n;k=1\r\n") << QByteArray("[s]\r\na=1\r\n;k=1\r\n");
    QTest::newRow("other section untouched") << QByteArray("[t]\r\nk=1\r\n") << QByteArray("[t]\r\nk=1\r\n");
}

void TestTIniFile::removeKey()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    WriteBytes(FilePath(), before);
    TIniFile(FilePath()).RemoveKey(QStringLiteral("s"), QStringLiteral("k"));
    QCOMPARE(ReadBytes(FilePath()), after);
}

void TestTIniFile::removeKeyFromMissingFileCreatesNothing()
{
    TIniFile(FilePath()).RemoveKey(QStringLiteral("s"), QStringLiteral("k"));
    TIniFile(m_dir->filePath(QStringLiteral("no/such/dir.ini"))).RemoveKey(QStringLiteral("s"), QStringLiteral("k"));
    QVERIFY(!QFileInfo::exists(FilePath()));
}

void TestTIniFile::replaceSectionKeys_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QList<TIniFile::KeyValue>>("keys");
    QTest::addColumn<QByteArray>("after");

    using KV = TIniFile::KeyValue;
    QTest::newRow("missing file, empty list") << QByteArray("<missing>") << QList<KV>{} << QByteArray("<missing>");
    QTest::newRow("missing file") << QByteArray("<missing>") << QList<KV>{{"b", "2"}, {"a", "1"}}
                                  << QByteArray("[s]\r\nb=2\r\na=1\r\n");
    QTest::newRow("keys replaced, other lines stay")
        << QByteArray("[t]\r\nk=x\r\n[s]\nold=1\n;note\nk=2\nplain\n\n[u]\r\n") << QList<KV>{{"k", "3"}}
        << QByteArray("[t]\r\nk=x\r\n[s]\nk=3\r\n;note\nplain\n\n[u]\r\n");
    QTest::newRow("empty list empties the section") << QByteArray("[s]\r\na=1\r\nb=2\r\n[t]\r\n") << QList<KV>{}
                                                    << QByteArray("[s]\r\n[t]\r\n");
    QTest::newRow("repeated key: first place, last value")
        << QByteArray() << QList<KV>{{"a", "1"}, {"b", "2"}, {"A", "3"}} << QByteArray("[s]\r\na=3\r\nb=2\r\n");
    QTest::newRow("section without keys") << QByteArray("[s]\r\n;c\r\n") << QList<KV>{{"a", "1"}}
                                          << QByteArray("[s]\r\na=1\r\n;c\r\n");
    QTest::newRow("empty list, no section") << QByteArray("[t]\r\n") << QList<KV>{} << QByteArray("[t]\r\n");
    QTest::newRow("section appended") << QByteArray("[t]") << QList<KV>{{"a", ""}} << QByteArray("[t]\r\n[s]\r\na=\r\n");
}

void TestTIniFile::replaceSectionKeys()
{
    QFETCH(QByteArray, before);
    QFETCH(QList<TIniFile::KeyValue>, keys);
    QFETCH(QByteArray, after);
    if (before != "<missing>")
        WriteBytes(FilePath(), before);
    TIniFile(FilePath()).ReplaceSectionKeys(QStringLiteral("s"), keys);
    QCOMPARE(ReadBytes(FilePath()), after);
}

void TestTIniFile::failedWriteLeavesFileUnchanged_data()
{
    QTest::addColumn<int>("operation");
    QTest::newRow("WriteText") << 0;
    QTest::newRow("WriteNumber") << 1;
    QTest::newRow("RemoveKey") << 2;
    QTest::newRow("ReplaceSectionKeys") << 3;
    QTest::newRow("WriteKeys") << 4;
}

void TestTIniFile::failedWriteLeavesFileUnchanged()
{
    QFETCH(int, operation);
    const QString path = m_dir->filePath(UnwritableName());
    const QByteArray before("[s]\r\nk=1\r\n;keep\r\n");
    WriteBytes(path, before);
    TIniFile ini(path);
    try {
        switch (operation) {
        case 0: ini.WriteText(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2")); break;
        case 1: ini.WriteNumber(QStringLiteral("s"), QStringLiteral("k"), 2); break;
        case 2: ini.RemoveKey(QStringLiteral("s"), QStringLiteral("k")); break;
        case 3: ini.ReplaceSectionKeys(QStringLiteral("s"), {{QStringLiteral("j"), QStringLiteral("3")}}); break;
        default: ini.WriteKeys({{QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2")}}); break;
        }
        QFAIL("the write did not fail");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), path + QStringLiteral(" に書き込めません"));
    }
    QCOMPARE(ReadBytes(path), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestTIniFile::writeIntoMissingDirectoryFails()
{
    const QString path = m_dir->filePath(QStringLiteral("absent/test.ini"));
    try {
        TIniFile(path).WriteText(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
        QFAIL("the write did not fail");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), path + QStringLiteral(" に書き込めません"));
    }
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("absent"))));
}

void TestTIniFile::unrepresentableTextIsRefused_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("emoji in value") << QStringLiteral("k") << QStringLiteral("会議😀と🎉")
                                    << QStringLiteral("「😀」は Shift-JIS で保存できない文字です");
    QTest::newRow("latin letter") << QStringLiteral("k") << QStringLiteral("café") << QStringLiteral("「é」は Shift-JIS で保存できない文字です");
    QTest::newRow("yen sign has no exact form") << QStringLiteral("k") << QStringLiteral("\u00A5100")
                                                << QStringLiteral("「\u00A5」は Shift-JIS で保存できない文字です");
    QTest::newRow("replacement character") << QStringLiteral("k") << QStringLiteral("a\uFFFD")
                                           << QStringLiteral("「\uFFFD」は Shift-JIS で保存できない文字です");
    QTest::newRow("emoji in key") << QStringLiteral("😀") << QStringLiteral("v")
                                  << QStringLiteral("「😀」は Shift-JIS で保存できない文字です");
}

void TestTIniFile::unrepresentableTextIsRefused()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, message);
    const QByteArray before("[s]\r\nk=old\r\n");
    WriteBytes(FilePath(), before);
    try {
        TIniFile(FilePath()).WriteText(QStringLiteral("s"), key, value);
        QFAIL("the write did not fail");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), message);
    }
    QCOMPARE(ReadBytes(FilePath()), before);
}

void TestTIniFile::noRegularFileWhereFileShouldBe_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory") << u"directory"_s;
    QTest::newRow("fifo") << u"fifo"_s;
    QTest::newRow("link to /dev/zero") << u"/dev/zero"_s;
    QTest::newRow("link to /dev/null") << u"/dev/null"_s;
}

void TestTIniFile::noRegularFileWhereFileShouldBe()
{
    // Reads find nothing and writes are refused; none of them may block or
    // read without end.
    QFETCH(QString, kind);
    if (kind == u"directory") {
        QVERIFY(QDir(m_dir->path()).mkdir(u"test.ini"_s));
    } else if (kind == u"fifo") {
#ifdef Q_OS_UNIX
        QVERIFY(mkfifo(QFile::encodeName(FilePath()).constData(), 0600) == 0);
#else
        QSKIP("no FIFOs here");
#endif
    } else {
        if (!QFileInfo::exists(kind) || !QFile::link(kind, FilePath()))
            QSKIP("no such device here");
    }
    const QFileInfo before(FilePath());
    TIniFile ini(FilePath());
    QCOMPARE(ini.ReadText(u"s"_s, u"k"_s, Missing), Missing);
    QCOMPARE(ini.ReadNumber(u"s"_s, u"k"_s, 7), 7);
    QVERIFY(ini.ReadSection(u"s"_s).isEmpty());
    QStringList keys;
    ini.ListKeys(u"s"_s, keys);
    QVERIFY(keys.isEmpty());
    ini.RemoveKey(u"s"_s, u"k"_s);
    ini.ReplaceSectionKeys(u"s"_s, {});
    const QString refused = FilePath() + u" に書き込めません"_s;
    for (int operation = 0; operation < 2; ++operation) {
        try {
            if (operation == 0)
                ini.WriteText(u"s"_s, u"k"_s, u"v"_s);
            else
                ini.ReplaceSectionKeys(u"s"_s, {{u"k"_s, u"v"_s}});
            QFAIL("the write was not refused");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), refused);
        }
    }
    const QFileInfo after(FilePath());
    QCOMPARE(after.isDir(), before.isDir());
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QVERIFY(!after.isFile());
}

void TestTIniFile::hugeFile()
{
    // 50 MB of other data before the section, one line of it 1 MB long.
    QByteArray before;
    before.reserve(51 * 1024 * 1024);
    before += "[junk]\r\nlong=" + QByteArray(1024 * 1024, 'x') + "\r\n";
    const QByteArray filler(98, 'y');
    while (before.size() < 50 * 1024 * 1024)
        before += filler + "\r\n";
    const QByteArray prefix = before;
    before += "[s]\r\nk=old\r\n";
    WriteBytes(FilePath(), before);

    TIniFile ini(FilePath());
    QCOMPARE(ini.ReadText(QStringLiteral("s"), QStringLiteral("k"), Missing), QStringLiteral("old"));
    QCOMPARE(ini.ReadText(QStringLiteral("junk"), QStringLiteral("long"), Missing).size(), 1024 * 1024);
    ini.WriteText(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("new"));
    QCOMPARE(ReadBytes(FilePath()), prefix + "[s]\r\nk=new\r\n");
}

QTEST_GUILESS_MAIN(TestTIniFile)
#include "test_tinifile.moc"
