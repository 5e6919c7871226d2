#pragma once

#include <QByteArray>
#include <QStringView>
#include <QtGlobal>

#include <vector>

// The platform's own CP932 converter, for the double-byte characters only:
// ICU's "windows-31j" table on Linux (cp932_icu.cpp), code page 932 of the
// Windows API on Windows (cp932_win.cpp). Cp932 does the rest and checks
// every result.
namespace Cp932Codec {

// The character of each lead and trail pair (code = lead << 8 | trail), or
// U+FFFD where the pair maps to nothing. False when there is no converter.
bool DecodePairs(const std::vector<quint16>& codes, std::vector<char16_t>& chars);

// Appends the CP932 bytes of text, which holds no ASCII and no half-width
// katakana. False when a character has no exact form.
bool EncodeDoubleByte(QStringView text, QByteArray& out);

} // namespace Cp932Codec
