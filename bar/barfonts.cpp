#include "barfonts.h"

#include <QStringList>

namespace {
QFont Make(const QStringList& families, int pixelSize, bool bold, bool italic)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    // The strip is drawn pixel by pixel in pure colours, as the bitmap fonts
    // of the original screens were.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

const QStringList& GothicFamilies()
{
    // Windows 10 and 11 install MS PGothic only with the Japanese
    // supplemental fonts; their own Japanese UI fonts come next.
    static const QStringList families{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                                      QStringLiteral("Yu Gothic UI"),    QStringLiteral("Meiryo"),
                                      QStringLiteral("MS UI Gothic"),    QStringLiteral("IPAPGothic"),
                                      QStringLiteral("IPA Pゴシック")};
    return families;
}
} // namespace

QFont GothicFont(int pixelSize)
{
    return Make(GothicFamilies(), pixelSize, false, false);
}

QFont BarFormFont()
{
    return Make({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")}, 12, true, false);
}

QFont CellTextFont()
{
    return Make(GothicFamilies(), 12, false, false);
}

QFont TitleFont()
{
    return Make(GothicFamilies(), 12, true, true);
}

QFont ClockFont()
{
    return Make(GothicFamilies(), 12, true, true);
}
