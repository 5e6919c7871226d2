#include "apperror.h"
#include "barpicture.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestBarPicture : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString WriteBitmap(const QString& name, QSize size, QRgb colour)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_dir.filePath(name);
        if (!image.save(path, "BMP"))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString WriteBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QString ErrorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const AppError& e) {
            return e.message();
        }
        return QString();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void loadErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("checkExtension");
        QTest::addColumn<QString>("message"); // %1 is the full path
        QTest::newRow("missing file") << "gone.bmp" << true << "ﾌｧｲﾙ %1 は開けません";
        QTest::newRow("missing file, content only") << "gone.bmp" << false << "ﾌｧｲﾙ %1 は開けません";
        QTest::newRow("a directory") << "folder.bmp" << false << "ﾌｧｲﾙ %1 は開けません";
        QTest::newRow("a FIFO") << "fifo.bmp" << false << "ﾌｧｲﾙ %1 は開けません";
        QTest::newRow("not a bitmap") << "text.bmp" << true << "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";
        QTest::newRow("empty file") << "empty.bmp" << false << "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";
        QTest::newRow("unknown extension") << "picture.xyz" << true << "拡張子 .xyz の画像形式は処理できません";
        QTest::newRow("no extension") << "picture" << true << "拡張子 . の画像形式は処理できません";
        QTest::newRow("unknown extension, content only") << "text.xyz" << false << "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";
    }

    void loadErrors()
    {
        QFETCH(QString, name);
        QFETCH(bool, checkExtension);
        QFETCH(QString, message);
        WriteBytes(QStringLiteral("text.bmp"), "no picture here");
        WriteBytes(QStringLiteral("text.xyz"), "no picture here");
        WriteBytes(QStringLiteral("empty.bmp"), QByteArray());
        QDir(m_dir.path()).mkpath(QStringLiteral("folder.bmp"));
#ifdef Q_OS_UNIX
        mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo.bmp"))).constData(), 0600);
#endif
        const QString path = m_dir.filePath(name);
        const QString error = ErrorOf([&] { checkExtension ? LoadPictureFile(path) : LoadBitmapFile(path); });
        QCOMPARE(error, message.contains(u"%1") ? message.arg(path) : message);
    }

    void emptyPathCannotBeOpened()
    {
        QCOMPARE(ErrorOf([] { LoadBitmapFile(QString()); }), QStringLiteral("ﾌｧｲﾙ  は開けません"));
        QCOMPARE(ErrorOf([] { LoadPictureFile(QString()); }), QStringLiteral("拡張子 . の画像形式は処理できません"));
    }

    void loadsBitmapsWhateverTheExtensionCase()
    {
        const QString path = WriteBitmap(QStringLiteral("Upper.BMP"), QSize(4, 3), 0xFF336699);
        const QImage image = LoadPictureFile(path);
        QCOMPARE(image.size(), QSize(4, 3));
        QCOMPARE(image.pixel(2, 1), 0xFF336699u);
    }

    void fitCutsOrExtends_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("32 x 32") << QSize(32, 32);
        QTest::newRow("10 x 10") << QSize(10, 10);
        QTest::newRow("30 x 5") << QSize(30, 5);
        QTest::newRow("20 x 20") << QSize(20, 20);
        QTest::newRow("1 x 40") << QSize(1, 40);
    }

    void fitCutsOrExtends()
    {
        QFETCH(QSize, size);
        // Each pixel's colour tells where it came from: no scaling allowed.
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x, y, 7));
        const QImage fitted = FitPicture(image);
        QCOMPARE(fitted.size(), QSize(20, 20));
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                const bool inside = x < size.width() && y < size.height();
                QCOMPARE(fitted.pixel(x, y), inside ? qRgb(x, y, 7) : qRgb(255, 255, 255));
            }
        }
    }

    void builtInFlag()
    {
        const QImage flag = BuiltInPicture();
        QCOMPARE(flag.size(), QSize(20, 20));
        int black = 0;
        int red = 0;
        int white = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                const QRgb p = flag.pixel(x, y);
                black += p == 0xFF000000;
                red += p == 0xFFFF0000;
                white += p == 0xFFFFFFFF;
            }
        }
        QVERIFY(black > 20);
        QVERIFY(red >= 40); // a disc of about 8 pixels
        QCOMPARE(black + red + white, 400);
    }

    void maskedDrawing()
    {
        QImage target(30, 30, QImage::Format_RGB32);
        target.fill(0xFFC0C0C0);
        QImage picture(20, 20, QImage::Format_RGB32);
        picture.fill(0xFFFFFFFF);
        picture.setPixel(0, 0, 0xFF000000);
        picture.setPixel(1, 0, 0xFFFEFFFF);
        picture.setPixel(19, 19, 0xFF102030);
        {
            QPainter painter(&target);
            painter.setOpacity(1.0);
            DrawMaskedPicture(painter, QPoint(-1, 5), picture);
        }
        QCOMPARE(target.pixel(0, 5), 0xFFFEFFFFu);       // nearly white is opaque
        QCOMPARE(target.pixel(18, 24), 0xFF102030u);     // no blending
        QCOMPARE(target.pixel(5, 10), 0xFFC0C0C0u);      // white is transparent
        QCOMPARE(target.pixel(0, 4), 0xFFC0C0C0u);
    }
};

QTEST_MAIN(TestBarPicture)
#include "test_barpicture.moc"
