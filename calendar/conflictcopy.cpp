#include "conflictcopy.h"

#include "calendarlist.h"

#include <QRegularExpression>

namespace {

bool IsDataFileName(const QString& name)
{
    static const QString fixed[] = {QStringLiteral("Murvane.ini"), QStringLiteral("HorDay.ini"),
                                    QStringLiteral("HorDay2.ini"), QString::fromLatin1(CalendarListFileName)};
    for (const QString& f : fixed) {
        if (name.compare(f, Qt::CaseInsensitive) == 0)
            return true;
    }
    // The schedule list reads every "yotei*.dat".
    return name.size() >= 9 && name.startsWith(QLatin1String("yotei"), Qt::CaseInsensitive)
        && name.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive);
}

// Each tool's mark: what stands before it and the extension after it make
// the original's name.
const QRegularExpression& Marks()
{
    static const QRegularExpression marks(
        QStringLiteral("^(?:(.+)\\.sync-conflict-\\d{8}-\\d{6}(?:-[A-Z0-9]{7})?"  // Syncthing
                       "|(.+?) \\((?:[^()]|\\(\\d+\\))*conflicted copy(?:[^()]|\\(\\d+\\))*\\)" // Nextcloud, Dropbox
                       ")(\\.[^.]*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return marks;
}

} // namespace

QString ConflictCopyOriginal(const QString& fileName)
{
    const QRegularExpressionMatch m = Marks().match(fileName);
    if (!m.hasMatch())
        return {};
    // One of the first two groups holds what stood before the mark.
    const QString original = m.captured(1) + m.captured(2) + m.captured(3);
    if (IsDataFileName(original))
        return original;
    return ConflictCopyOriginal(original);
}
