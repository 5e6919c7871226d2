#include "barpicture.h"
#include "colors.h"
#include "optionsfixture.h"
#include "settingsfile.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {
const QString Section = QString::fromUtf16(HolidaySection);

// The colours found in one item's row of ListBox1 as drawn on the screen.
QSet<QRgb> ItemColors(QListWidget& list, int row)
{
    list.doItemsLayout(); // the view lays its items out late
    const QImage shot = list.viewport()->grab().toImage();
    const QRect rect = list.visualItemRect(list.item(row));
    QSet<QRgb> colors;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right() && x < shot.width(); ++x)
            colors.insert(shot.pixel(x, y) & 0xFFFFFF);
    return colors;
}

QRgb Rgb(ColorRef c)
{
    return ToQColor(c).rgb() & 0xFFFFFF;
}

// A picture whose every pixel tells where it stands.
QImage Gradient(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 7, 90));
    return image;
}
} // namespace

class TestTForm7 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout();
    void formShowLoadsFilesAndSettings_data();
    void formShowLoadsFilesAndSettings();
    void drawItem_data();
    void drawItem();
    void addedDayOffIsRedAndSaved();
    void deleteDayOffRemovesBothKeys();
    void changeAndDeleteNeedASelection();
    void cancelChangesNoFile();
    void closeBoxAsksNothing();
    void escapeAsksAsCloseDoes_data();
    void escapeAsksAsCloseDoes();
    void colorButtons_data();
    void colorButtons();
    void colorDialogOpensWithLastChoice();
    void neighbouringMonths_data();
    void neighbouringMonths();
    void offsets_data();
    void offsets();
    void largePictureCroppedToTopLeft();
    void invalidBitmapRefused();
    void emptyPicturePathKeepsPicture();
    void deletedPictureChangesNothing();
    void storedPictureThatFailsBlocksNothing();
    void failedHolidayWriteChangesNothing();
    void failedSettingsWriteKeepsSettings();
    void unencodableTextWritesNothing_data();
    void unencodableTextWritesNothing();
    void unencodablePicturePathRefused();
    void lastPageStaysInFront();

private:
    std::unique_ptr<OptionsFixture> f;
};

void TestTForm7::init()
{
    f = std::make_unique<OptionsFixture>();
    QVERIFY(f->Dir.isValid());
}

void TestTForm7::cleanup()
{
    f.reset();
}

void TestTForm7::layout()
{
    TForm7& o = *f->Options;
    QCOMPARE(o.size(), QSize(312, 279));
    QCOMPARE(o.minimumSize(), o.maximumSize());
    QCOMPARE(o.PageControl1->count(), 4);
    QCOMPARE(o.PageControl1->tabText(0), u"休日及びその他の特別日"_s);
    QCOMPARE(o.PageControl1->tabText(1), u"表示色"_s);
    QCOMPARE(o.PageControl1->tabText(2), u"その他"_s);
    QCOMPARE(o.Button5->text(), u"閉じる"_s);
    // 20 pixels at its bottom hold the national-holiday check box.
    QCOMPARE(o.ListBox1->geometry(), QRect(5, 5, 252, 192));
    QVERIFY(!o.Button12->isVisibleTo(o.TabSheet2));
    QVERIFY(o.Button11->isVisibleTo(o.TabSheet2));
}

void TestTForm7::formShowLoadsFilesAndSettings_data()
{
    QTest::addColumn<int>("showFRDate");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("mode 0") << 0 << false;
    QTest::newRow("mode 1") << 1 << true;
    QTest::newRow("mode 2 is not ticked") << 2 << false;
}

void TestTForm7::formShowLoadsFilesAndSettings()
{
    QFETCH(int, showFRDate);
    QFETCH(bool, ticked);

    f->WriteSection(f->NamedDaysFile(), {{u"1103"_s, u"文化の日"_s}, {u"0101"_s, u"元日"_s}, {u"0505"_s, u"  "_s}});
    f->WriteSection(f->DaysOffFile(), {{u"0101"_s, u"元日"_s}});
    BarSettings& s = f->Bar.Settings;
    s.DayPopColor = 0x112233;
    s.DayPopFontColor = 0x010203;
    s.YoubiPopColor = 0x445566;
    s.YoteiBackColor = 0x778899;
    s.ShowFRDate = showFRDate;
    s.Image_X = -4;
    s.Image_Y = 7;
    f->Bar.ImageList2 = Gradient(20);
    f->Options->setWindowTitle(u"old"_s);
    f->Options->ListBox1->addItem(u"left over"_s);
    f->Options->Button1->setEnabled(true);

    f->Open();
    TForm7& o = *f->Options;
    QCOMPARE(o.windowTitle(), QString());
    QVERIFY(!o.Button1->isEnabled());
    QVERIFY(!o.Button4->isEnabled());
    QCOMPARE(f->ListBox1Items(), (QStringList{u"0101=元日"_s, u"1103=文化の日"_s}));
    QCOMPARE(o.ListBox2, QStringList{u"0101=元日"_s});
    QCOMPARE(TForm7::BackColor(*o.Label1), ColorRef(0x112233));
    QCOMPARE(TForm7::TextColor(*o.Label1), ColorRef(0x010203));
    QCOMPARE(TForm7::BackColor(*o.Label2), ColorRef(0x445566));
    QCOMPARE(TForm7::BackColor(*o.Label3), ColorRef(0x778899));
    QCOMPARE(o.CheckZengo->isChecked(), ticked);
    QCOMPARE(o.Edit1->text(), u"-4"_s);
    QCOMPARE(o.Edit2->text(), u"7"_s);
    QCOMPARE(o.Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32), Gradient(20));
    QVERIFY(f->Errors.isEmpty());
}

void TestTForm7::drawItem_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<ColorRef>("background");
    QTest::addColumn<ColorRef>("text");

    QTest::newRow("named day") << false << false << Colors::Silver << Colors::Black;
    QTest::newRow("day off") << false << true << Colors::Silver << Colors::Red;
    QTest::newRow("selected named day") << true << false << Colors::Black << Colors::Silver;
    QTest::newRow("selected day off") << true << true << Colors::Black << Colors::Silver;
}

void TestTForm7::drawItem()
{
    QFETCH(bool, selected);
    QFETCH(bool, dayOff);
    QFETCH(ColorRef, background);
    QFETCH(ColorRef, text);

    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日元日元日"_s}, {u"0211"_s, u"建国記念の日"_s}});
    if (dayOff)
        f->WriteSection(f->DaysOffFile(), {{u"0101"_s, u"元日元日元日"_s}});
    f->Open();
    if (selected)
        f->Select(0);

    const QSet<QRgb> colors = ItemColors(*f->Options->ListBox1, 0);
    QCOMPARE(colors, (QSet<QRgb>{Rgb(background), Rgb(text)}));
    QCOMPARE(f->Options->ListBox1->visualItemRect(f->Options->ListBox1->item(0)).height(), 12);
}

void TestTForm7::addedDayOffIsRedAndSaved()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0211"_s, u"建国記念の日"_s}});
    f->Open();
    f->Add(1, 1, u"元日"_s, true);
    f->Add(12, 24, u"前夜"_s, false);

    QCOMPARE(f->ListBox1Items(), (QStringList{u"0101=元日"_s, u"0211=建国記念の日"_s, u"1224=前夜"_s}));
    QVERIFY(ItemColors(*f->Options->ListBox1, 0).contains(Rgb(Colors::Red)));
    QVERIFY(!ItemColors(*f->Options->ListBox1, 2).contains(Rgb(Colors::Red)));

    f->Close(true);
    QCOMPARE(f->Questions, QStringList{u"変更しますか？"_s});
    QVERIFY(f->Errors.isEmpty());
    QVERIFY(!f->Options->isVisible());
    QCOMPARE(f->ReadSection(f->NamedDaysFile()),
             (QList<TIniFile::KeyValue>{{u"0101"_s, u"元日"_s}, {u"0211"_s, u"建国記念の日"_s}, {u"1224"_s, u"前夜"_s}}));
    QCOMPARE(f->ReadSection(f->DaysOffFile()), (QList<TIniFile::KeyValue>{{u"0101"_s, u"元日"_s}}));
    // Shift-JIS on disk.
    QVERIFY(OptionsFixture::Bytes(f->DaysOffFile()).contains(QByteArray("0101=\x8C\xB3\x93\xFA")));
    QCOMPARE(f->Bar.Redraws.size(), 1);
    QCOMPARE(f->Bar.Redraws[0].Mark, false);
    QCOMPARE(f->Bar.Redraws[0].Date, f->Bar.State.ShownDate);
}

void TestTForm7::deleteDayOffRemovesBothKeys()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}, {u"0211"_s, u"建国記念の日"_s}});
    f->WriteSection(f->DaysOffFile(), {{u"0101"_s, u"元日"_s}, {u"0211"_s, u"建国記念の日"_s}});
    f->Open();
    f->Select(0);
    QVERIFY(f->Options->Button4->isEnabled());
    f->Options->Button4->click();

    QCOMPARE(f->ListBox1Items(), QStringList{u"0211=建国記念の日"_s});
    QCOMPARE(f->Options->ListBox2, QStringList{u"0211=建国記念の日"_s});
    QVERIFY(f->Options->ListBox1->selectedItems().isEmpty());
    QVERIFY(!f->Options->Button1->isEnabled());
    QVERIFY(!f->Options->Button4->isEnabled());

    f->Close(true);
    QCOMPARE(f->ReadSection(f->NamedDaysFile()), (QList<TIniFile::KeyValue>{{u"0211"_s, u"建国記念の日"_s}}));
    QCOMPARE(f->ReadSection(f->DaysOffFile()), (QList<TIniFile::KeyValue>{{u"0211"_s, u"建国記念の日"_s}}));
}

void TestTForm7::changeAndDeleteNeedASelection()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}, {u"0211"_s, u"建国記念の日"_s}});
    f->Open();
    TForm7& o = *f->Options;
    QVERIFY(!o.Button1->isEnabled());

    // A click on the item that stays selected enables the buttons again.
    f->Select(1);
    f->Add(3, 3, u"ひな祭り"_s, false);
    QVERIFY(!o.Button1->isEnabled());
    const QRect rect = o.ListBox1->visualItemRect(o.ListBox1->selectedItems().first());
    QTest::mouseClick(o.ListBox1->viewport(), Qt::LeftButton, {}, rect.center());
    QVERIFY(o.Button1->isEnabled());
    QVERIFY(o.Button4->isEnabled());

    // Opening again starts with both disabled.
    o.hide();
    f->Open();
    QVERIFY(!o.Button1->isEnabled());
    QVERIFY(!o.Button4->isEnabled());
}

void TestTForm7::cancelChangesNoFile()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}});
    f->WriteSection(f->DaysOffFile(), {{u"0101"_s, u"元日"_s}});
    SaveSettings(f->Dir.path(), f->Bar.Settings);
    const QByteArray named = OptionsFixture::Bytes(f->NamedDaysFile());
    const QByteArray off = OptionsFixture::Bytes(f->DaysOffFile());
    const QByteArray settingsFile = OptionsFixture::Bytes(SettingsFilePath(f->Dir.path()));
    const BarSettings before = f->Bar.Settings;
    f->Bar.ImageList2 = BuiltInPicture();

    const QString picture = f->Path(u"pic.bmp"_s);
    QVERIFY(Gradient(20).save(picture, "BMP"));
    f->Open();
    f->Add(2, 2, u"x"_s, true);
    f->Select(0);
    f->Options->Button4->click();
    f->NextColor = QColor(Qt::green);
    f->Options->Button21->click();
    f->Options->CheckZengo->setChecked(true);
    f->Options->Edit1->setText(u"9"_s);
    f->NextFile = picture;
    f->Options->Button2->click();
    f->Close(false);

    QVERIFY(!f->Options->isVisible());
    QCOMPARE(OptionsFixture::Bytes(f->NamedDaysFile()), named);
    QCOMPARE(OptionsFixture::Bytes(f->DaysOffFile()), off);
    QCOMPARE(OptionsFixture::Bytes(SettingsFilePath(f->Dir.path())), settingsFile);
    // The chosen picture is the path at once; the rest waits for OK.
    QCOMPARE(f->Bar.Settings.PicturePath, picture);
    QCOMPARE(f->Bar.Settings.YoubiPopColor, before.YoubiPopColor);
    QCOMPARE(f->Bar.Settings.ShowFRDate, before.ShowFRDate);
    QCOMPARE(f->Bar.Settings.Image_X, before.Image_X);
    QCOMPARE(f->Bar.ImageList2, std::optional<QImage>(BuiltInPicture()));
    QVERIFY(f->Bar.Redraws.isEmpty());

    // The next showing starts from the files again.
    f->Open();
    QCOMPARE(f->ListBox1Items(), QStringList{u"0101=元日"_s});
    QVERIFY(!f->Options->CheckZengo->isChecked());
}

void TestTForm7::closeBoxAsksNothing()
{
    f->Open();
    f->Add(1, 1, u"元日"_s, true);
    f->Options->close();
    QVERIFY(!f->Options->isVisible());
    QVERIFY(f->Questions.isEmpty());
    QCOMPARE(QDir(f->Dir.path()).entryList(QDir::Files), QStringList{});
    QVERIFY(f->Bar.Redraws.isEmpty());
}

void TestTForm7::escapeAsksAsCloseDoes_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("OK saves") << true;
    QTest::newRow("Cancel drops") << false;
}

void TestTForm7::escapeAsksAsCloseDoes()
{
    QFETCH(bool, answer);
    f->Open();
    f->Add(1, 1, u"元日"_s, true);
    f->Answer = answer;
    QTest::keyClick(f->Options->ListBox1, Qt::Key_Escape);

    QCOMPARE(f->Questions, QStringList{u"変更しますか？"_s});
    QVERIFY(!f->Options->isVisible());
    const QList<TIniFile::KeyValue> saved{{u"0101"_s, u"元日"_s}};
    QCOMPARE(f->ReadSection(f->DaysOffFile()), answer ? saved : QList<TIniFile::KeyValue>());
    QCOMPARE(f->Bar.Redraws.size(), answer ? 1 : 0);
}

void TestTForm7::colorButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("field"); // index into the six colours, in file order

    QTest::newRow("day pop-up background") << u"Button11"_s << 0;
    QTest::newRow("day pop-up text") << u"Button12"_s << 1;
    QTest::newRow("weekday pop-up background") << u"Button21"_s << 2;
    QTest::newRow("weekday pop-up text") << u"Button22"_s << 3;
    QTest::newRow("list highlight") << u"Button31"_s << 4;
    QTest::newRow("list text") << u"Button32"_s << 5;
}

void TestTForm7::colorButtons()
{
    QFETCH(QString, button);
    QFETCH(int, field);

    static const char16_t* const keys[] = {u"DayPopColor",   u"DayPopFontColor",    u"YoubiPopColor",
                                           u"YoubiPopFontColor", u"YoteiBackColor", u"YoteiBackFontColor"};
    auto fields = [](const BarSettings& s) {
        return QList<ColorRef>{s.DayPopColor,   s.DayPopFontColor, s.YoubiPopColor,
                               s.YoubiPopFontColor, s.YoteiBackColor, s.YoteiBackFontColor};
    };
    const QList<ColorRef> before = fields(f->Bar.Settings);

    f->Open();
    auto* pressed = f->Options->findChild<QPushButton*>(button);
    QVERIFY(pressed);
    f->NextColor = QColor(0x12, 0x34, 0x56);
    pressed->click();
    // Nothing reaches the settings before the confirmed close.
    QCOMPARE(fields(f->Bar.Settings), before);

    f->Close(true);
    QList<ColorRef> expected = before;
    expected[field] = 0x563412;
    QCOMPARE(fields(f->Bar.Settings), expected);
    TIniFile ini(SettingsFilePath(f->Dir.path()));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(ini.ReadNumber(u"表示色"_s, QString::fromUtf16(keys[i]), -1), expected[i]);
}

void TestTForm7::colorDialogOpensWithLastChoice()
{
    f->Bar.Settings.DayPopColor = Colors::Blue;
    f->Open();
    f->NextColor = QColor(Qt::red);
    f->Options->Button31->click();
    f->NextColor.reset(); // cancelled: nothing changes
    f->Options->Button11->click();
    f->NextColor = QColor(Qt::green);
    f->Options->Button21->click();

    QCOMPARE(f->ColorDialogOpenedWith,
             (QList<QColor>{QColor(Qt::black), QColor(Qt::red), QColor(Qt::red)}));
    QCOMPARE(TForm7::BackColor(*f->Options->Label1), Colors::Blue);
    QCOMPARE(TForm7::BackColor(*f->Options->Label2), ToColorRef(QColor(Qt::green)));
    QCOMPARE(TForm7::BackColor(*f->Options->Label3), Colors::Red);
}

void TestTForm7::neighbouringMonths_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<int>("after");
    QTest::newRow("switched on") << 0 << true << 1;
    QTest::newRow("switched off") << 1 << false << 0;
    QTest::newRow("2 left unticked") << 2 << false << 0;
}

void TestTForm7::neighbouringMonths()
{
    QFETCH(int, before);
    QFETCH(bool, tick);
    QFETCH(int, after);

    f->Bar.Settings.ShowFRDate = before;
    f->Open();
    f->Options->CheckZengo->setChecked(tick);
    f->Close(true);
    QCOMPARE(f->Bar.Settings.ShowFRDate, after);
    QCOMPARE(TIniFile(SettingsFilePath(f->Dir.path())).ReadNumber(u"その他"_s, u"ShowFRDate"_s, -1), after);
}

void TestTForm7::offsets_data()
{
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<int>("imageX");
    QTest::addColumn<int>("imageY");

    QTest::newRow("both numbers") << u"5"_s << u"-3"_s << 5 << -3;
    QTest::newRow("Y empty") << u"5"_s << u""_s << 0 << 0;
    QTest::newRow("X no number") << u"abc"_s << u"7"_s << 0 << 0;
    QTest::newRow("fraction") << u"1.5"_s << u"2"_s << 0 << 0;
    QTest::newRow("hexadecimal is no decimal") << u"0x10"_s << u"2"_s << 0 << 0;
}

void TestTForm7::offsets()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(int, imageX);
    QFETCH(int, imageY);

    f->Bar.Settings.Image_X = 11;
    f->Bar.Settings.Image_Y = 12;
    f->Open();
    f->Options->Edit1->setText(x);
    f->Options->Edit2->setText(y);
    f->Close(true);
    QCOMPARE(f->Bar.Settings.Image_X, imageX);
    QCOMPARE(f->Bar.Settings.Image_Y, imageY);
    TIniFile ini(SettingsFilePath(f->Dir.path()));
    QCOMPARE(ini.ReadNumber(u"その他"_s, u"Image_X"_s, -1), imageX);
    QCOMPARE(ini.ReadNumber(u"その他"_s, u"Image_Y"_s, -1), imageY);
}

void TestTForm7::largePictureCroppedToTopLeft()
{
    const QString path = f->Path(u"big.bmp"_s);
    QVERIFY(Gradient(32).save(path, "BMP"));
    f->Bar.ImageList2 = BuiltInPicture();
    f->Open();
    f->NextFile = path;
    f->Options->Button2->click();

    QCOMPARE(f->FileFilters, QStringList{u"ビットマップ (*.bmp)"_s});
    QCOMPARE(f->Bar.Settings.PicturePath, path);
    // The preview shows the picture unscaled; the bar keeps its own until OK.
    QCOMPARE(f->Options->Image1->pixmap().size(), QSize(32, 32));
    QCOMPARE(f->Bar.ImageList2, std::optional<QImage>(BuiltInPicture()));

    f->Close(true);
    QVERIFY(f->Errors.isEmpty());
    QVERIFY(f->Bar.ImageList2.has_value());
    const QImage& shown = *f->Bar.ImageList2;
    QCOMPARE(shown.size(), QSize(20, 20));
    QCOMPARE(shown.pixel(0, 0) & 0xFFFFFF, Gradient(32).pixel(0, 0) & 0xFFFFFF);
    QCOMPARE(shown.pixel(19, 19) & 0xFFFFFF, Gradient(32).pixel(19, 19) & 0xFFFFFF);
    QCOMPARE(TIniFile(SettingsFilePath(f->Dir.path())).ReadText(u"その他"_s, u"Image1"_s, {}), path);
    QCOMPARE(f->Bar.Redraws.size(), 1);
}

void TestTForm7::invalidBitmapRefused()
{
    const QString good = f->Path(u"good.bmp"_s);
    QVERIFY(Gradient(20).save(good, "BMP"));
    const QString bad = f->Path(u"bad.bmp"_s);
    {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BM this is no bitmap");
    }
    f->Bar.Settings.PicturePath = good;
    f->Bar.ImageList2 = Gradient(20);
    f->Open();
    f->NextFile = bad;
    f->Options->Button2->click();

    QCOMPARE(f->Errors, QStringList{u"ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です"_s});
    QCOMPARE(f->Bar.Settings.PicturePath, good);
    QCOMPARE(f->Options->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32), Gradient(20));
    QVERIFY(f->Options->isVisible());

    // Cancelling the file dialog changes nothing either.
    f->NextFile.reset();
    f->Options->Button2->click();
    QCOMPARE(f->Bar.Settings.PicturePath, good);
}

void TestTForm7::emptyPicturePathKeepsPicture()
{
    f->Bar.ImageList2 = BuiltInPicture();
    f->Open();
    f->Add(5, 5, u"こどもの日"_s, true);
    f->Close(true);

    QVERIFY(f->Errors.isEmpty());
    QVERIFY(!f->Options->isVisible());
    QCOMPARE(f->Bar.ImageList2, std::optional<QImage>(BuiltInPicture()));
    QCOMPARE(f->ReadSection(f->DaysOffFile()), (QList<TIniFile::KeyValue>{{u"0505"_s, u"こどもの日"_s}}));
    QVERIFY(QFile::exists(SettingsFilePath(f->Dir.path())));
    QCOMPARE(f->Bar.Redraws.size(), 1);
}

void TestTForm7::deletedPictureChangesNothing()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}});
    SaveSettings(f->Dir.path(), f->Bar.Settings);
    const QByteArray named = OptionsFixture::Bytes(f->NamedDaysFile());
    const QByteArray settingsFile = OptionsFixture::Bytes(SettingsFilePath(f->Dir.path()));
    f->Bar.ImageList2 = BuiltInPicture();

    const QString path = f->Path(u"gone.bmp"_s);
    QVERIFY(Gradient(20).save(path, "BMP"));
    f->Open();
    f->NextFile = path;
    f->Options->Button2->click();
    QVERIFY(QFile::remove(path));
    f->Add(5, 5, u"こどもの日"_s, true);
    f->NextColor = QColor(Qt::green);
    f->Options->Button11->click();
    const BarSettings before = f->Bar.Settings;
    f->Close(true);

    QCOMPARE(f->Errors, QStringList{u"ﾌｧｲﾙ %1 は開けません"_s.arg(path)});
    QVERIFY(f->Options->isVisible());
    QCOMPARE(OptionsFixture::Bytes(f->NamedDaysFile()), named);
    QVERIFY(!QFile::exists(f->DaysOffFile()));
    QCOMPARE(OptionsFixture::Bytes(SettingsFilePath(f->Dir.path())), settingsFile);
    QCOMPARE(f->Bar.Settings.DayPopColor, before.DayPopColor);
    QCOMPARE(f->Bar.ImageList2, std::optional<QImage>(BuiltInPicture()));
    QVERIFY(f->Bar.Redraws.isEmpty());
    // The edits are still there to confirm once a picture loads again.
    QCOMPARE(f->ListBox1Items(), (QStringList{u"0101=元日"_s, u"0505=こどもの日"_s}));
    QVERIFY(Gradient(20).save(path, "BMP"));
    f->Close(true);
    QVERIFY(!f->Options->isVisible());
    QCOMPARE(f->ReadSection(f->DaysOffFile()), (QList<TIniFile::KeyValue>{{u"0505"_s, u"こどもの日"_s}}));
}

void TestTForm7::storedPictureThatFailsBlocksNothing()
{
    // The settings name a picture that is gone: the bar keeps the one it has
    // and everything else is saved.
    const QString path = f->Path(u"gone.bmp"_s);
    f->Bar.Settings.PicturePath = path;
    f->Bar.ImageList2 = Gradient(20);
    f->Open();
    f->Add(5, 5, u"こどもの日"_s, true);
    f->Options->CheckZengo->setChecked(true);
    f->Close(true);

    QVERIFY2(f->Errors.isEmpty(), qPrintable(f->Errors.join(u'\n')));
    QVERIFY(!f->Options->isVisible());
    QCOMPARE(f->ReadSection(f->DaysOffFile()), (QList<TIniFile::KeyValue>{{u"0505"_s, u"こどもの日"_s}}));
    const TIniFile settings(SettingsFilePath(f->Dir.path()));
    QCOMPARE(settings.ReadText(u"その他"_s, u"ShowFRDate"_s, {}), u"1"_s);
    QCOMPARE(settings.ReadText(u"その他"_s, u"Image1"_s, {}), path);
    QCOMPARE(f->Bar.ImageList2, std::optional<QImage>(Gradient(20)));
    QCOMPARE(f->Bar.Redraws.size(), 1);
}

void TestTForm7::failedHolidayWriteChangesNothing()
{
    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}});
    const QByteArray named = OptionsFixture::Bytes(f->NamedDaysFile());
    // A directory where the day-off file belongs cannot be replaced, even by root.
    QVERIFY(QDir(f->Dir.path()).mkdir(u"HorDay2.ini"_s));
    const BarSettings before = f->Bar.Settings;

    f->Open();
    f->Add(5, 5, u"こどもの日"_s, true);
    f->Options->CheckZengo->setChecked(true);
    f->Close(true);

    QCOMPARE(f->Errors, QStringList{u"%1 に書き込めません"_s.arg(f->DaysOffFile())});
    QVERIFY(f->Options->isVisible());
    QCOMPARE(OptionsFixture::Bytes(f->NamedDaysFile()), named);
    QVERIFY(QFileInfo(f->DaysOffFile()).isDir());
    QVERIFY(!QFile::exists(SettingsFilePath(f->Dir.path())));
    QCOMPARE(f->Bar.Settings.ShowFRDate, before.ShowFRDate);
    QVERIFY(f->Bar.Redraws.isEmpty());
}

void TestTForm7::failedSettingsWriteKeepsSettings()
{
    QVERIFY(QDir(f->Dir.path()).mkdir(u"Murvane.ini"_s));
    const QString path = f->Path(u"pic.bmp"_s);
    QVERIFY(Gradient(20).save(path, "BMP"));
    f->Bar.ImageList2 = BuiltInPicture();
    f->Open();
    f->NextFile = path;
    f->Options->Button2->click();
    f->NextColor = QColor(Qt::green);
    f->Options->Button11->click();
    f->Options->CheckZengo->setChecked(true);
    const BarSettings before = f->Bar.Settings;
    f->Close(true);

    QCOMPARE(f->Errors, QStringList{u"%1 に書き込めません"_s.arg(SettingsFilePath(f->Dir.path()))});
    QVERIFY(f->Options->isVisible());
    QCOMPARE(f->Bar.Settings.DayPopColor, before.DayPopColor);
    QCOMPARE(f->Bar.Settings.ShowFRDate, before.ShowFRDate);
    QCOMPARE(f->Bar.ImageList2, std::optional<QImage>(BuiltInPicture()));
    QVERIFY(f->Bar.Redraws.isEmpty());
}

void TestTForm7::unencodableTextWritesNothing_data()
{
    QTest::addColumn<bool>("dayOff");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("error");
    QTest::newRow("named day") << false << u"猫\U0001F431"_s << u"Shift-JIS"_s;
    QTest::newRow("day off") << true << u"猫\U0001F431"_s << u"Shift-JIS"_s;
    // Pasted: the named-day file refuses it, after the day-off file was
    // written unless the check comes first.
    QTest::newRow("line break in a named day") << false << u"猫\n犬"_s << u"/HorDay.ini に書き込めません"_s;
}

void TestTForm7::unencodableTextWritesNothing()
{
    QFETCH(bool, dayOff);
    QFETCH(QString, content);
    QFETCH(QString, error);

    f->WriteSection(f->NamedDaysFile(), {{u"0101"_s, u"元日"_s}});
    f->WriteSection(f->DaysOffFile(), {{u"0101"_s, u"元日"_s}});
    const QByteArray named = OptionsFixture::Bytes(f->NamedDaysFile());
    const QByteArray off = OptionsFixture::Bytes(f->DaysOffFile());
    f->Open();
    f->Select(0);
    f->Options->Button4->click();
    f->Add(2, 2, content, dayOff);
    f->Close(true);

    QCOMPARE(f->Errors.size(), 1);
    QVERIFY2(f->Errors[0].contains(error), qPrintable(f->Errors[0]));
    QVERIFY(f->Options->isVisible());
    QCOMPARE(OptionsFixture::Bytes(f->NamedDaysFile()), named);
    QCOMPARE(OptionsFixture::Bytes(f->DaysOffFile()), off);
    QVERIFY(!QFile::exists(SettingsFilePath(f->Dir.path())));
}

void TestTForm7::unencodablePicturePathRefused()
{
    const QString path = f->Path(u"pic\U0001F431.bmp"_s);
    QVERIFY(Gradient(20).save(path, "BMP"));
    f->Bar.ImageList2 = BuiltInPicture();
    f->Open();
    f->NextFile = path;
    f->Options->Button2->click();

    QCOMPARE(f->Errors.size(), 1);
    QCOMPARE(f->Bar.Settings.PicturePath, QString());
    QCOMPARE(f->Options->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
             BuiltInPicture().convertToFormat(QImage::Format_RGB32));
}

void TestTForm7::lastPageStaysInFront()
{
    f->Open();
    f->Options->PageControl1->setCurrentIndex(2);
    f->Close(false);
    f->Open();
    QCOMPARE(f->Options->PageControl1->currentIndex(), 2);
}

QTEST_MAIN(TestTForm7)
#include "test_tform7.moc"
