#include "barpicture.h"

#include "apperror.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

QImage LoadPictureFile(const QString& path)
{
    const QString extension = QFileInfo(path).suffix();
    const QByteArray format = extension.toLower().toLatin1();
    if (format.isEmpty() || !QImageReader::supportedImageFormats().contains(format))
        throw AppError(QStringLiteral("拡張子 .%1 の画像形式は処理できません").arg(extension));
    return LoadBitmapFile(path);
}

QImage LoadBitmapFile(const QString& path)
{
    // Regular files only: a FIFO would block the open, a device never end.
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(path));
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        throw AppError(QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です"));
    return image;
}

QImage FitPicture(const QImage& image)
{
    QImage fitted(PictureSize, PictureSize, QImage::Format_RGB32);
    fitted.fill(Qt::white);
    // Only the colours count: a transparent pixel of a picture with alpha
    // becomes white, that is transparent on the bar too.
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int w = qMin(source.width(), PictureSize);
    const int h = qMin(source.height(), PictureSize);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = source.pixel(x, y);
            fitted.setPixel(x, y, qAlpha(p) == 0 ? qRgb(255, 255, 255) : qRgb(qRed(p), qGreen(p), qBlue(p)));
        }
    }
    return fitted;
}

QImage BuiltInPicture()
{
    static const QImage picture = FitPicture(QImage(QStringLiteral(":/bar/flag.xpm")));
    return picture;
}

void DrawMaskedPicture(QPainter& painter, QPoint topLeft, const QImage& picture)
{
    QImage masked = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == 0xFFFFFF ? 0 : (line[x] | 0xFF000000u);
    }
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(topLeft, masked);
    painter.setCompositionMode(mode);
}
