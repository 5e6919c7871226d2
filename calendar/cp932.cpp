#include "cp932.h"

#include "apperror.h"
#include "cp932codec.h"

#include <vector>

// ASCII and half-width katakana are converted here, byte for byte; only the
// double-byte characters go through the platform's converter (cp932_icu.cpp,
// cp932_win.cpp). Decoding uses a table built once from its double-byte
// mappings, and every encoded run is checked by decoding it back, so that no
// converter can slip in a best fit.

namespace {

constexpr char16_t Replacement = 0xFFFD;

bool IsLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(uchar b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

bool IsHalfWidthKatakanaByte(uchar b)
{
    return b >= 0xA1 && b <= 0xDF;
}

bool IsHalfWidthKatakana(char16_t c)
{
    return c >= 0xFF61 && c <= 0xFF9F;
}

struct DecodeTable {
    bool valid = false;
    std::vector<char16_t> pairs = std::vector<char16_t>(0x10000, Replacement);

    DecodeTable()
    {
        std::vector<quint16> codes;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(uchar(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                if (IsTrailByte(uchar(trail)))
                    codes.push_back(quint16(lead << 8 | trail));
        }
        std::vector<char16_t> decoded;
        if (!Cp932Codec::DecodePairs(codes, decoded) || decoded.size() != codes.size())
            return;
        for (size_t i = 0; i < codes.size(); ++i)
            // An ASCII result would be a substitution, not a mapping.
            pairs[codes[i]] = decoded[i] >= 0x80 ? decoded[i] : Replacement;
        valid = true;
    }
};

const DecodeTable& Table()
{
    static const DecodeTable table;
    return table;
}

// Characters that JIS X 0208 places where CP932 has a look-alike: input
// methods outside Windows type the JIS ones, so they are stored as the CP932
// character of the same code (and read back as that).
char16_t WindowsForm(char16_t c)
{
    switch (c) {
    case 0x301C: return 0xFF5E; // wave dash
    case 0x2016: return 0x2225; // double vertical line
    case 0x2212: return 0xFF0D; // minus sign
    case 0x2014: return 0x2015; // em dash
    case 0x00A2: return 0xFFE0; // cent sign
    case 0x00A3: return 0xFFE1; // pound sign
    case 0x00AC: return 0xFFE2; // not sign
    default: return c;
    }
}

// Encodes one run of characters that are neither ASCII nor half-width
// katakana. Returns false when a character has no exact CP932 form.
bool EncodeRun(QStringView run, QByteArray& out)
{
    QString text = run.toString();
    for (QChar& c : text)
        c = QChar(WindowsForm(c.unicode()));
    QByteArray bytes;
    if (!Cp932Codec::EncodeDoubleByte(text, bytes))
        return false;
    if (Cp932::Decode(bytes) != text)
        return false;
    out.append(bytes);
    return true;
}

// The first character of the run that cannot be encoded on its own.
QString FirstUnencodable(QStringView run)
{
    for (qsizetype i = 0; i < run.size();) {
        qsizetype len = 1;
        if (run[i].isHighSurrogate() && i + 1 < run.size() && run[i + 1].isLowSurrogate())
            len = 2;
        QByteArray scratch;
        if (!EncodeRun(run.mid(i, len), scratch))
            return run.mid(i, len).toString();
        i += len;
    }
    return run.left(1).toString();
}

} // namespace

namespace Cp932 {

bool Available()
{
    return Table().valid;
}

QString Decode(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype i = 0;
    while (i < n && p[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes.data(), n);

    const std::vector<char16_t>& pairs = Table().pairs;
    QString out(n, Qt::Uninitialized);
    auto* o = reinterpret_cast<char16_t*>(out.data());
    qsizetype len = 0;
    for (qsizetype k = 0; k < i; ++k)
        o[len++] = p[k];
    while (i < n) {
        const uchar b = p[i];
        if (b < 0x80) {
            o[len++] = b;
            ++i;
        } else if (IsLeadByte(b) && i + 1 < n && IsTrailByte(p[i + 1])) {
            o[len++] = pairs[size_t(b) << 8 | p[i + 1]];
            i += 2;
        } else if (IsHalfWidthKatakanaByte(b)) {
            o[len++] = char16_t(0xFF61 + (b - 0xA1));
            ++i;
        } else {
            o[len++] = Replacement;
            ++i;
        }
    }
    out.truncate(len);
    return out;
}

std::optional<QByteArray> TryEncode(QStringView text, QString* firstBad)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out.append(char(c));
            ++i;
        } else if (IsHalfWidthKatakana(c)) {
            out.append(char(0xA1 + (c - 0xFF61)));
            ++i;
        } else {
            qsizetype end = i + 1;
            while (end < text.size() && text[end].unicode() >= 0x80
                   && !IsHalfWidthKatakana(text[end].unicode()))
                ++end;
            const QStringView run = text.mid(i, end - i);
            if (!EncodeRun(run, out)) {
                if (firstBad)
                    *firstBad = FirstUnencodable(run);
                return std::nullopt;
            }
            i = end;
        }
    }
    return out;
}

QByteArray Encode(QStringView text)
{
    QString bad;
    std::optional<QByteArray> bytes = TryEncode(text, &bad);
    if (!bytes)
        throw AppError(QStringLiteral("「%1」は Shift-JIS で保存できない文字です").arg(bad));
    return *std::move(bytes);
}

int ByteLength(QStringView text)
{
    int length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80 || IsHalfWidthKatakana(c))
            length += 1;
        else if (QChar::isLowSurrogate(c) && i > 0 && text[i - 1].isHighSurrogate())
            continue; // the pair was counted at its first half
        else
            length += 2;
    }
    return length;
}

} // namespace Cp932
