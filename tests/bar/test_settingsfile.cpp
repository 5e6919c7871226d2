#include "apperror.h"
#include "cp932.h"
#include "settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

void WriteFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(Cp932::Encode(text));
}

QString ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return Cp932::Decode(file.readAll());
}

QImage Solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString Ini() const { return SettingsFilePath(m_dir->path()); }

    // Loads with the built-in picture standing in; returns the error text.
    QString Load(BarSettings& settings, std::optional<QImage>& picture)
    {
        picture = Solid(QSize(20, 20), 0xFF0000FF);
        try {
            LoadSettings(m_dir->path(), settings, picture);
        } catch (const AppError& e) {
            return e.message();
        }
        return QString();
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void pathIsInTheDataDirectory()
    {
        QCOMPARE(QFileInfo(Ini()).fileName(), QStringLiteral("Murvane.ini"));
        QCOMPARE(QFileInfo(Ini()).absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());
    }

    void noFileKeepsEverything()
    {
        BarSettings settings;
        std::optional<QImage> picture;
        QCOMPARE(Load(settings, picture), QString());
        QCOMPARE(settings.DayPopColor, 65535);
        QCOMPARE(settings.YoubiPopColor, 65535);
        QCOMPARE(settings.YoteiBackColor, 65535);
        QCOMPARE(settings.DayPopFontColor, 0);
        QCOMPARE(settings.ShowFRDate, 0);
        QCOMPARE(settings.Image_X, 0);
        QCOMPARE(settings.Image_Y, 0);
        QVERIFY(settings.PicturePath.isEmpty());
        QVERIFY(picture.has_value());
    }

    void values_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        const QString colours = QStringLiteral("[表示色]\n");
        const QString other = QStringLiteral("[その他]\n");
        QTest::newRow("colour missing") << colours + "YoubiPopColor=1\n" << "DayPopColor" << 65535;
        QTest::newRow("colour number") << colours + "DayPopColor=255\n" << "DayPopColor" << 255;
        QTest::newRow("colour negative") << colours + "DayPopColor=-1\n" << "DayPopColor" << -1;
        QTest::newRow("colour hexadecimal") << colours + "DayPopColor=0xFF\n" << "DayPopColor" << 255;
        QTest::newRow("colour not a number") << colours + "DayPopColor=abc\n" << "DayPopColor" << 16776960;
        QTest::newRow("colour empty") << colours + "DayPopColor=\n" << "DayPopColor" << 16776960;
        QTest::newRow("colour key in lower case") << colours + "daypopcolor=255\n" << "DayPopColor" << 65535;
        QTest::newRow("colour key in upper case") << colours + "DAYPOPCOLOR=255\n" << "DayPopColor" << 65535;
        QTest::newRow("text colour as stored") << colours + "DayPopFontColor=255\n" << "DayPopFontColor" << 255;
        QTest::newRow("weekday pop-up") << colours + "YoubiPopColor=12345\n" << "YoubiPopColor" << 12345;
        QTest::newRow("weekday text") << colours + "YoubiPopFontColor=7\n" << "YoubiPopFontColor" << 7;
        QTest::newRow("list highlight") << colours + "YoteiBackColor=abc\n" << "YoteiBackColor" << 16776960;
        QTest::newRow("list text") << colours + "YoteiBackFontColor=9\n" << "YoteiBackFontColor" << 9;
        QTest::newRow("colour in the wrong section") << other + "DayPopColor=255\n" << "DayPopColor" << 65535;
        QTest::newRow("ShowFRDate 1") << other + "ShowFRDate=1\n" << "ShowFRDate" << 1;
        QTest::newRow("ShowFRDate 2 as read") << other + "ShowFRDate=2\n" << "ShowFRDate" << 2;
        QTest::newRow("ShowFRDate not a number") << other + "ShowFRDate=yes\n" << "ShowFRDate" << 0;
        QTest::newRow("ShowFRDate wrong case") << other + "showfrdate=1\n" << "ShowFRDate" << 0;
        QTest::newRow("Image_X") << other + "Image_X=5\n" << "Image_X" << 5;
        QTest::newRow("Image_X not a number") << other + "Image_X=left\n" << "Image_X" << 0;
        QTest::newRow("Image_Y negative") << other + "Image_Y=-2\n" << "Image_Y" << -2;
        QTest::newRow("Image_Y hexadecimal") << other + "Image_Y=0x10\n" << "Image_Y" << 16;
        QTest::newRow("NationalHolidays missing") << other + "ShowFRDate=1\n" << "NationalHolidays" << 0;
        QTest::newRow("NationalHolidays 1") << other + "NationalHolidays=1\n" << "NationalHolidays" << 1;
        QTest::newRow("NationalHolidays 2 is off") << other + "NationalHolidays=2\n" << "NationalHolidays" << 0;
        // Text no one can press reads as the default.
        const int ctrlAlt = Qt::CTRL | Qt::ALT;
        QTest::newRow("Shortcut missing") << other + "ShowFRDate=1\n" << "Shortcut" << (ctrlAlt | Qt::Key_M);
        QTest::newRow("Shortcut") << other + "Shortcut=Ctrl+Alt+K\n" << "Shortcut" << (ctrlAlt | Qt::Key_K);
        QTest::newRow("Shortcut lower case") << other + "Shortcut=ctrl+alt+f5\n" << "Shortcut" << (ctrlAlt | Qt::Key_F5);
        QTest::newRow("Shortcut no Ctrl or Alt") << other + "Shortcut=Shift+K\n" << "Shortcut" << (ctrlAlt | Qt::Key_M);
        QTest::newRow("Shortcut Escape") << other + "Shortcut=Ctrl+Esc\n" << "Shortcut" << (ctrlAlt | Qt::Key_M);
        QTest::newRow("Shortcut two keys") << other + "Shortcut=Ctrl+K, Ctrl+L\n" << "Shortcut" << (ctrlAlt | Qt::Key_M);
        QTest::newRow("Shortcut garbage") << other + "Shortcut=あいう\n" << "Shortcut" << (ctrlAlt | Qt::Key_M);
        QTest::newRow("Shortcut empty") << other + "Shortcut=\n" << "Shortcut" << (ctrlAlt | Qt::Key_M);
    }

    void values()
    {
        QFETCH(QString, file);
        QFETCH(QString, field);
        QFETCH(int, value);
        WriteFile(Ini(), file);
        BarSettings settings;
        std::optional<QImage> picture;
        QCOMPARE(Load(settings, picture), QString());
        const QHash<QString, int> fields{
            {"DayPopColor", settings.DayPopColor},       {"DayPopFontColor", settings.DayPopFontColor},
            {"YoubiPopColor", settings.YoubiPopColor},   {"YoubiPopFontColor", settings.YoubiPopFontColor},
            {"YoteiBackColor", settings.YoteiBackColor}, {"YoteiBackFontColor", settings.YoteiBackFontColor},
            {"ShowFRDate", settings.ShowFRDate},         {"Image_X", settings.Image_X},
            {"Image_Y", settings.Image_Y},               {"NationalHolidays", settings.NationalHolidays},
            {"Shortcut", settings.Shortcut.toCombined()},
        };
        QCOMPARE(fields.value(field, -12345), value);
    }

    void picture_data()
    {
        QTest::addColumn<QString>("image1"); // %1: a 32 x 32 bitmap, %2: a missing one; "-": no key
        QTest::addColumn<QString>("error");  // %1: the path
        QTest::addColumn<int>("pictureColour"); // 0: no picture, 1: the built-in one stays
        QTest::newRow("no key") << "-" << "" << 1;
        QTest::newRow("empty value") << "" << "" << 1;
        QTest::newRow("blank value") << "   " << "" << 1;
        QTest::newRow("a bitmap") << "%1" << "" << 0x00FF00;
        QTest::newRow("a missing file") << "%2" << "ﾌｧｲﾙ %1 は開けません" << 0;
        QTest::newRow("not a bitmap") << "%3" << "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です" << 0;
    }

    void picture()
    {
        QFETCH(QString, image1);
        QFETCH(QString, error);
        QFETCH(int, pictureColour);
        const QString good = m_dir->filePath(QStringLiteral("big.bmp"));
        QImage big = Solid(QSize(32, 32), 0xFF00FF00);
        big.setPixel(25, 3, 0xFF000000);
        QVERIFY(big.save(good, "BMP"));
        const QString missing = m_dir->filePath(QStringLiteral("missing.bmp"));
        const QString bad = m_dir->filePath(QStringLiteral("bad.bmp"));
        WriteFile(bad, QStringLiteral("nothing"));
        const QString value = QString(image1).replace("%1", good).replace("%2", missing).replace("%3", bad);
        // The picture comes before the offsets: a bad one must not cost them.
        WriteFile(Ini(), QStringLiteral("[その他]\n") + (image1 == u"-" ? QString() : "Image1=" + value + "\n")
                             + "Image_X=3\nImage_Y=-2\nShowFRDate=1\n");
        BarSettings settings;
        std::optional<QImage> picture;
        QCOMPARE(Load(settings, picture), error.contains(u"%1") ? error.arg(missing) : error);
        QCOMPARE(settings.Image_X, 3);
        QCOMPARE(settings.Image_Y, -2);
        QCOMPARE(settings.ShowFRDate, 1);
        // Blanks around a value are no part of it.
        QCOMPARE(settings.PicturePath, image1 == u"-" ? QString() : value.trimmed());
        if (pictureColour == 0) {
            QVERIFY(!picture.has_value());
        } else if (pictureColour == 1) {
            QVERIFY(picture.has_value());
            QCOMPARE(picture->pixel(0, 0), 0xFF0000FFu);
        } else {
            QVERIFY(picture.has_value());
            QCOMPARE(picture->size(), QSize(20, 20));
            QCOMPARE(picture->pixel(19, 19), 0xFF00FF00u);
        }
    }

    void saveWritesKeysInOrderIntoANewFile()
    {
        BarSettings settings;
        settings.DayPopColor = 255;
        settings.DayPopFontColor = 0;
        settings.YoubiPopColor = 16776960;
        settings.YoubiPopFontColor = 1;
        settings.YoteiBackColor = 65535;
        settings.YoteiBackFontColor = 2;
        settings.ShowFRDate = 1;
        settings.PicturePath = QStringLiteral("/pictures/旗.bmp");
        settings.Image_X = -3;
        settings.Image_Y = 4;
        settings.NationalHolidays = true;
        SaveSettings(m_dir->path(), settings);
        const QStringList lines = ReadFile(Ini()).split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
        const QStringList expected{
            "[表示色]",         "DayPopColor=255",  "DayPopFontColor=0",       "YoubiPopColor=16776960",
            "YoubiPopFontColor=1", "YoteiBackColor=65535", "YoteiBackFontColor=2", "[その他]",
            "ShowFRDate=1",     "Image1=/pictures/旗.bmp", "Image_X=-3",       "Image_Y=4",
            "NationalHolidays=1",
        };
        QCOMPARE(lines, expected);

        // And it reads back as written.
        BarSettings loaded;
        std::optional<QImage> picture;
        Load(loaded, picture);
        QCOMPARE(loaded.DayPopColor, 255);
        QCOMPARE(loaded.YoubiPopColor, 16776960);
        QCOMPARE(loaded.YoteiBackFontColor, 2);
        QCOMPARE(loaded.Image_X, -3);
        QCOMPARE(loaded.PicturePath, settings.PicturePath);
        QVERIFY(loaded.NationalHolidays);
    }

    void saveKeepsOtherKeysAndChangesKeysWhereTheyStand()
    {
        WriteFile(Ini(), QStringLiteral("[その他]\nImage_Y=9\nMine=keep\n[表示色]\nYoteiBackColor=1\nOwn=1\n[他]\nx=y\n"));
        BarSettings settings;
        settings.Image_Y = 7;
        SaveSettings(m_dir->path(), settings);
        const QString text = ReadFile(Ini());
        QVERIFY(text.contains(QStringLiteral("Mine=keep")));
        QVERIFY(text.contains(QStringLiteral("Own=1")));
        QVERIFY(text.contains(QStringLiteral("[他]")));
        QVERIFY(text.contains(QStringLiteral("x=y")));
        QVERIFY(!text.contains(QStringLiteral("Image_Y=9")));
        // Existing keys keep their places: Image_Y still comes before Mine.
        QVERIFY(text.indexOf(QStringLiteral("Image_Y=7")) < text.indexOf(QStringLiteral("Mine=keep")));
        QVERIFY(text.indexOf(QStringLiteral("[その他]")) < text.indexOf(QStringLiteral("[表示色]")));
        QCOMPARE(text.count(QStringLiteral("YoteiBackColor=")), 1);
        QVERIFY(text.indexOf(QStringLiteral("YoteiBackColor=65535")) < text.indexOf(QStringLiteral("Own=1")));
    }
};

QTEST_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
