// Code page 932 of the Windows API, the converter the data files were always
// written with. Qt built without ICU has no "windows-31j" codec.
#include "cp932codec.h"

#include <windows.h>

namespace {
constexpr UINT CodePage = 932;
constexpr char16_t Replacement = 0xFFFD;
} // namespace

bool Cp932Codec::DecodePairs(const std::vector<quint16>& codes, std::vector<char16_t>& chars)
{
    if (!IsValidCodePage(CodePage))
        return false;
    chars.assign(codes.size(), Replacement);
    for (size_t i = 0; i < codes.size(); ++i) {
        const char bytes[2] = {char(codes[i] >> 8), char(codes[i] & 0xFF)};
        wchar_t c[2] = {};
        // MB_ERR_INVALID_CHARS: an unmapped pair fails instead of becoming
        // the default character.
        if (MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, bytes, 2, c, 2) == 1)
            chars[i] = char16_t(c[0]);
    }
    return true;
}

bool Cp932Codec::EncodeDoubleByte(QStringView text, QByteArray& out)
{
    if (text.isEmpty())
        return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = int(text.size());
    // No best fit: a character without its own code fails rather than being
    // written as a look-alike or "?".
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    const qsizetype at = out.size();
    out.resize(at + size);
    usedDefault = FALSE;
    if (WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, length, out.data() + at, size, nullptr, &usedDefault) != size
        || usedDefault) {
        out.truncate(at);
        return false;
    }
    return true;
}
