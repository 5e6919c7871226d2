#include "textutil.h"

#include <QTest>

class TestTextUtil : public QObject {
    Q_OBJECT

private slots:
    void trimBlanks_data();
    void trimBlanks();
};

void TestTextUtil::trimBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("spaces only") << QStringLiteral("   ") << QString();
    QTest::newRow("control characters") << QStringLiteral("\t\x01 a b\r\x1F") << QStringLiteral("a b");
    QTest::newRow("inner blanks kept") << QStringLiteral(" a  b ") << QStringLiteral("a  b");
    QTest::newRow("full-width space is text") << QStringLiteral("\u3000a\u3000") << QStringLiteral("\u3000a\u3000");
    QTest::newRow("nul is blank") << QString::fromUtf16(u"\0x\0", 3) << QStringLiteral("x");
}

void TestTextUtil::trimBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(TrimBlanks(text), trimmed);
    QCOMPARE(IsBlank(text), trimmed.isEmpty());
}

QTEST_GUILESS_MAIN(TestTextUtil)
#include "test_textutil.moc"
