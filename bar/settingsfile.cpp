#include "settingsfile.h"

#include "apperror.h"
#include "barpicture.h"
#include "datapath.h"
#include "globalshortcut.h"
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
        } else if (key == u"Shortcut") {
            // Text no one can press reads as the default.
            settings.Shortcut = ShortcutFromText(ini.ReadText(OtherSection, key, QString())).value_or(BarSettings().Shortcut);
        }
    }
    if (pictureError)
        throw *pictureError;
}

namespace {
// The keys in the order a new file holds them.
QList<TIniFile::KeyWrite> SettingKeys(const BarSettings& s)
{
    const auto number = [](int value) { return QString::number(value); };
    return {
        {ColourSection, QStringLiteral("DayPopColor"), number(s.DayPopColor)},
        {ColourSection, QStringLiteral("DayPopFontColor"), number(s.DayPopFontColor)},
        {ColourSection, QStringLiteral("YoubiPopColor"), number(s.YoubiPopColor)},
        {ColourSection, QStringLiteral("YoubiPopFontColor"), number(s.YoubiPopFontColor)},
        {ColourSection, QStringLiteral("YoteiBackColor"), number(s.YoteiBackColor)},
        {ColourSection, QStringLiteral("YoteiBackFontColor"), number(s.YoteiBackFontColor)},
        {OtherSection, QStringLiteral("ShowFRDate"), number(s.ShowFRDate)},
        {OtherSection, QStringLiteral("Image1"), s.PicturePath},
        {OtherSection, QStringLiteral("Image_X"), number(s.Image_X)},
        {OtherSection, QStringLiteral("Image_Y"), number(s.Image_Y)},
        {OtherSection, QStringLiteral("NationalHolidays"), number(s.NationalHolidays ? 1 : 0)},
    };
}
} // namespace

void SaveSettings(const QString& dataDir, const BarSettings& settings)
{
    TIniFile(SettingsFilePath(dataDir)).WriteKeys(SettingKeys(settings));
}

void SaveSettingsEdits(const QString& dataDir, const BarSettings& shown, const BarSettings& edited)
{
    TIniFile ini(SettingsFilePath(dataDir));
    QStringList colourKeys;
    QStringList otherKeys;
    ini.ListKeys(ColourSection, colourKeys);
    ini.ListKeys(OtherSection, otherKeys);

    const QList<TIniFile::KeyWrite> before = SettingKeys(shown);
    const QList<TIniFile::KeyWrite> after = SettingKeys(edited);
    QList<TIniFile::KeyWrite> writes;
    for (qsizetype i = 0; i < after.size(); ++i) {
        const QStringList& present = after[i].Section == ColourSection ? colourKeys : otherKeys;
        // Exact letter case, as loading matches them.
        if (after[i].Value != before[i].Value || !present.contains(after[i].Key))
            writes.append(after[i]);
    }
    // Only a changed shortcut is written: a file without one keeps the default.
    if (edited.Shortcut != shown.Shortcut)
        writes.append({OtherSection, QStringLiteral("Shortcut"), ShortcutText(edited.Shortcut)});
    ini.WriteKeys(writes);
}

void CheckSettingsWritable(const QString& dataDir, const BarSettings& settings)
{
    TIniFile(SettingsFilePath(dataDir)).CheckWritable(OtherSection, {{QStringLiteral("Image1"), settings.PicturePath}});
}
