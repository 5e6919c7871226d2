#include "apperror.h"
#include "cp932.h"

#include <QTest>

class TestCp932 : public QObject {
    Q_OBJECT

private slots:
    void available();
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void unrepresentable_data();
    void unrepresentable();
    void everyDecodedCharacterEncodesBack();
    void byteLength_data();
    void byteLength();
};

void TestCp932::available()
{
    QVERIFY(Cp932::Available());
}

void TestCp932::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii incl. backslash and tilde") << QByteArray("a\\b~c") << QStringLiteral("a\\b~c");
    // ICU swaps these three control bytes; the files must not see that.
    QTest::newRow("control bytes") << QByteArray("\x1A\x1C\x7F\x01", 4) << QStringLiteral("\x1A\x1C\x7F\x01");
    QTest::newRow("nul") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("kanji") << QByteArray("\x8F\x6A\x93\xFA") << QStringLiteral("祝日");
    QTest::newRow("trail byte 0x5C") << QByteArray("\x97\x5C\x92\xE8") << QStringLiteral("予定");
    QTest::newRow("half-width katakana") << QByteArray("\xB1\xDF") << QStringLiteral("ｱﾟ");
    QTest::newRow("nec special") << QByteArray("\x87\x40") << QStringLiteral("①");
    QTest::newRow("wave dash reads full-width tilde") << QByteArray("\x81\x60") << QStringLiteral("～");
    QTest::newRow("single bytes without meaning") << QByteArray("\x80\xA0\xFD\xFE\xFF") << QString(5, QChar(0xFFFD));
    QTest::newRow("lead byte at end") << QByteArray("a\x82") << QStringLiteral("a\uFFFD");
    // A lead byte before a byte that cannot follow it spoils only itself.
    QTest::newRow("lead byte before ascii") << QByteArray("\x82" "1\x82\x0A") << QStringLiteral("\uFFFD1\uFFFD\n");
    QTest::newRow("unmapped pair") << QByteArray("\x85\x40z") << QStringLiteral("\uFFFDz");
}

void TestCp932::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Cp932::Decode(bytes), text);
}

void TestCp932::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii and controls") << QStringLiteral("a\x1A\x1C\x7F~\\") << QByteArray("a\x1A\x1C\x7F~\\");
    QTest::newRow("kanji") << QStringLiteral("振替休日") << QByteArray("\x90\x55\x91\xD6\x8B\x78\x93\xFA");
    QTest::newRow("katakana both widths") << QStringLiteral("ｱア") << QByteArray("\xB1\x83\x41");
    QTest::newRow("full-width tilde") << QStringLiteral("～") << QByteArray("\x81\x60");
    QTest::newRow("jis wave dash") << QStringLiteral("〜") << QByteArray("\x81\x60");
    QTest::newRow("jis minus sign") << QStringLiteral("−") << QByteArray("\x81\x7C");
    QTest::newRow("jis em dash") << QStringLiteral("—") << QByteArray("\x81\x5C");
    QTest::newRow("full-width yen") << QStringLiteral("￥") << QByteArray("\x81\x8F");
}

void TestCp932::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Cp932::Encode(text), bytes);
}

void TestCp932::unrepresentable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("firstBad");
    QTest::newRow("emoji after text") << QStringLiteral("予定😀🎉") << QStringLiteral("😀");
    QTest::newRow("accented latin") << QStringLiteral("abcé") << QStringLiteral("é");
    QTest::newRow("yen sign") << QStringLiteral("\u00A5") << QStringLiteral("\u00A5");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QStringLiteral("\uFFFD");
    QTest::newRow("hangul among kanji") << QStringLiteral("漢한字") << QStringLiteral("한");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QString(QChar(0xD800));
}

void TestCp932::unrepresentable()
{
    QFETCH(QString, text);
    QFETCH(QString, firstBad);
    QString bad;
    QVERIFY(!Cp932::TryEncode(text, &bad));
    QCOMPARE(bad, firstBad);
    try {
        Cp932::Encode(text);
        QFAIL("no error");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), QStringLiteral("「%1」は Shift-JIS で保存できない文字です").arg(firstBad));
    }
}

void TestCp932::everyDecodedCharacterEncodesBack()
{
    // Whatever a file holds decodes to text that can be written again, except
    // for bytes that had no meaning.
    QByteArray pairs;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail != 0x7F)
                pairs += char(lead) + QByteArray(1, char(trail));
        }
    }
    const QString text = Cp932::Decode(pairs);
    QString mapped;
    for (QChar c : text) {
        if (c != QChar(0xFFFD))
            mapped += c;
    }
    QVERIFY(mapped.size() > 7000);
    const std::optional<QByteArray> bytes = Cp932::TryEncode(mapped);
    QVERIFY(bytes);
    QCOMPARE(Cp932::Decode(*bytes), mapped);
}

void TestCp932::byteLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::newRow("ascii") << QStringLiteral("abc") << 3;
    QTest::newRow("kanji") << QStringLiteral("祝日") << 4;
    QTest::newRow("half-width katakana") << QStringLiteral("ｱｲ") << 2;
    QTest::newRow("emoji counts two") << QStringLiteral("a😀") << 3;
}

void TestCp932::byteLength()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    QCOMPARE(Cp932::ByteLength(text), length);
}

QTEST_GUILESS_MAIN(TestCp932)
#include "test_cp932.moc"
