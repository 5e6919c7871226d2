// ICU's "windows-31j" through QStringDecoder. Its table differs from Windows
// in two ways that matter for files: it swaps the control bytes 0x1A, 0x1C
// and 0x7F (so ASCII never comes here), and it encodes a character it cannot
// represent as FC FC instead of failing (which the caller's decoding back
// catches).
#include "cp932codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char* CodecName = "windows-31j";
constexpr char16_t Replacement = 0xFFFD;
} // namespace

bool Cp932Codec::DecodePairs(const std::vector<quint16>& codes, std::vector<char16_t>& chars)
{
    QStringDecoder decoder(CodecName);
    if (!decoder.isValid())
        return false;
    // Every pair followed by a line feed, so that the decoder resynchronises
    // after an unmapped pair.
    QByteArray all;
    all.reserve(qsizetype(codes.size() * 3));
    for (quint16 code : codes) {
        all.append(char(code >> 8));
        all.append(char(code & 0xFF));
        all.append('\n');
    }
    const QString decoded = decoder.decode(all);
    chars.assign(codes.size(), Replacement);
    if (decoded.size() == qsizetype(codes.size() * 2)) {
        for (size_t i = 0; i < codes.size(); ++i)
            chars[i] = decoded[qsizetype(i * 2)].unicode();
        return true;
    }
    // Not one character per pair: decode pair by pair instead.
    for (size_t i = 0; i < codes.size(); ++i) {
        QStringDecoder single(CodecName);
        const char bytes[2] = {char(codes[i] >> 8), char(codes[i] & 0xFF)};
        const QString c = single.decode(QByteArrayView(bytes, 2));
        if (c.size() == 1)
            chars[i] = c[0].unicode();
    }
    return true;
}

bool Cp932Codec::EncodeDoubleByte(QStringView text, QByteArray& out)
{
    QStringEncoder encoder(CodecName);
    if (!encoder.isValid())
        return false;
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return false;
    out.append(bytes);
    return true;
}
