#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Conversion between the program's Unicode text and the Shift-JIS (code page
// 932) bytes of its files. ASCII passes through byte for byte; bytes that are
// no valid CP932 decode to U+FFFD.
namespace Cp932 {

// True when the converter can be used; checked once at start.
bool Available();

QString Decode(QByteArrayView bytes);

// The CP932 bytes of the text, or nothing when a character has no CP932 form;
// then *firstBad (if given) receives that character. The JIS forms of the
// wave dash, minus sign, em dash, double vertical line, cent, pound and not
// signs are stored as their CP932 look-alikes, which is what decoding gives.
std::optional<QByteArray> TryEncode(QStringView text, QString* firstBad = nullptr);

// As TryEncode, but raises AppError "「%1」は Shift-JIS で保存できない文字です".
QByteArray Encode(QStringView text);

// Number of bytes of the text's CP932 form (unrepresentable characters count 2).
int ByteLength(QStringView text);

} // namespace Cp932
