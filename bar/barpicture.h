#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

class QPainter;

// The picture that marks a day on the bar: 20 x 20 pixels, its pure white
// pixels transparent, every other pixel drawn opaque.

constexpr int PictureSize = 20;

// Loads a Windows bitmap file as it is. Raises AppError "ﾌｧｲﾙ %1 は開けません"
// when the file cannot be opened, "拡張子 .%1 の画像形式は処理できません" when
// the path's extension names no picture format, and "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です"
// when the file is no valid bitmap.
QImage LoadPictureFile(const QString& path);

// As LoadPictureFile without looking at the extension: the file's content
// alone decides. This is how the settings file's picture is read at start.
QImage LoadBitmapFile(const QString& path);

// Cuts to the top-left 20 x 20 pixels or extends to the right and below with white.
QImage FitPicture(const QImage& image);

// The built-in picture: a small flag, black outline with a red disc.
QImage BuiltInPicture();

// Draws the picture through its own mask: white is transparent, no blending.
void DrawMaskedPicture(QPainter& painter, QPoint topLeft, const QImage& picture);
