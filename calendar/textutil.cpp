#include "textutil.h"

namespace {

bool IsBlankChar(QChar c)
{
    return c.unicode() <= 32;
}

} // namespace

QString TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlankChar(text[begin]))
        ++begin;
    while (end > begin && IsBlankChar(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

bool IsBlank(QStringView text)
{
    for (QChar c : text) {
        if (!IsBlankChar(c))
            return false;
    }
    return true;
}
