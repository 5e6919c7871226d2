#include "settingsfile.h"

#include "apperror.h"
#include "barpicture.h"
#include "datapath.h"
#include "textutil.h"
#include "tinifile.h"

#include <QStringList>

namespace {
const QString ColourSection = QStringLiteral("表示色");
const QString OtherSection = QStringLiteral("その他");

// What a colour key that is no number reads as: cyan.
constexpr int ColourFallback = 16776960;

ColorRef* ColourField(BarSettings& settings, const QString& key)
{
    // Exact letter case: a key written otherwise is not ours.
    if (key == u"DayPopColor")
        return &settings.DayPopColor;
    if (key == u"DayPopFontColor")
        return &settings.DayPopFontColor;
    if (key == u"YoubiPopColor")
        return &settings.YoubiPopColor;
    if (key == u"YoubiPopFontColor")
        return &settings.YoubiPopFontColor;
    if (key == u"YoteiBackColor")
        return &settings.YoteiBackColor;
    if (key == u"YoteiBackFontColor")
        return &settings.YoteiBackFontColor;
    return nullptr;
}
} // namespace

QString SettingsFilePath(const QString& dataDir)
{
    return DataFilePath(dataDir, QStringLiteral("Murvane.ini"));
}

void LoadSettings(const QString& dataDir, BarSettings& settings, std::optional<QImage>& picture)
{
    const TIniFile ini(SettingsFilePath(dataDir));

    QStringList keys;
    ini.ListKeys(ColourSection, keys);
    for (const QString& key : keys) {
        if (ColorRef* field = ColourField(settings, key))
            *field = ini.ReadNumber(ColourSection, key, ColourFallback);
    }

    // A picture that cannot be loaded is reported once everything else is
    // read, so that a bad path costs only the picture.
    std::optional<AppError> pictureError;
    keys.clear();
    ini.ListKeys(OtherSection, keys);
    for (const QString& key : keys) {
        if (key == u"ShowFRDate") {
            settings.ShowFRDate = ini.ReadNumber(OtherSection, key, 0);
        } else if (key == u"Image1") {
            settings.PicturePath = ini.ReadText(OtherSection, key, QString());
            // An empty value is what saving writes when no picture was ever
            // chosen: the built-in picture stays.
            if (IsBlank(settings.PicturePath))
                continue;
            picture.reset();
            try {
                picture = FitPicture(LoadBitmapFile(settings.PicturePath));
            } catch (const AppError& error) {
                if (!pictureError)
                    pictureError = error;
            }
        } else if (key == u"Image_X") {
            settings.Image_X = ini.ReadNumber(OtherSection, key, 0);
        } else if (key == u"Image_Y") {
            settings.Image_Y = ini.ReadNumber(OtherSection, key, 0);
        } else if (key == u"NationalHolidays") {
            settings.NationalHolidays = ini.ReadNumber(OtherSection, key, 0) == 1;
        }
    }
    if (pictureError)
        throw *pictureError;
}

void SaveSettings(const QString& dataDir, const BarSettings& settings)
{
    TIniFile ini(SettingsFilePath(dataDir));
    ini.WriteNumber(ColourSection, QStringLiteral("DayPopColor"), settings.DayPopColor);
    ini.WriteNumber(ColourSection, QStringLiteral("DayPopFontColor"), settings.DayPopFontColor);
    ini.WriteNumber(ColourSection, QStringLiteral("YoubiPopColor"), settings.YoubiPopColor);
    ini.WriteNumber(ColourSection, QStringLiteral("YoubiPopFontColor"), settings.YoubiPopFontColor);
    ini.WriteNumber(ColourSection, QStringLiteral("YoteiBackColor"), settings.YoteiBackColor);
    ini.WriteNumber(ColourSection, QStringLiteral("YoteiBackFontColor"), settings.YoteiBackFontColor);
    ini.WriteNumber(OtherSection, QStringLiteral("ShowFRDate"), settings.ShowFRDate);
    ini.WriteText(OtherSection, QStringLiteral("Image1"), settings.PicturePath);
    ini.WriteNumber(OtherSection, QStringLiteral("Image_X"), settings.Image_X);
    ini.WriteNumber(OtherSection, QStringLiteral("Image_Y"), settings.Image_Y);
    ini.WriteNumber(OtherSection, QStringLiteral("NationalHolidays"), settings.NationalHolidays ? 1 : 0);
}

void CheckSettingsWritable(const QString& dataDir, const BarSettings& settings)
{
    TIniFile(SettingsFilePath(dataDir)).CheckWritable(OtherSection, {{QStringLiteral("Image1"), settings.PicturePath}});
}
