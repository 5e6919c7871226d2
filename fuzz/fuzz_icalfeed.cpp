// libFuzzer target over the iCalendar reader. The input is a feed: it is
// read, and when it reads as a calendar, expanded over a year in two zones.
// Aborts when an instance ends before it starts or a series gives more than
// its cap; libFuzzer itself catches crashes, hangs and runaway memory.
#include "icalfeed.h"

#include <QHash>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 8192)
        return 0; // longer feeds find nothing new, only take longer
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const auto feed = ICalFeed::Parse(text, &error);
    if (!feed) {
        if (error.isEmpty()) {
            std::fprintf(stderr, "icalfeed fuzzer: refused without a reason\n");
            std::abort();
        }
        return 0;
    }
    static const QTimeZone zones[] = {QTimeZone("Asia/Tokyo"), QTimeZone("America/New_York")};
    for (const QTimeZone& zone : zones) {
        const QDateTime from(QDate(2025, 1, 1), QTime(0, 0), zone);
        QHash<QString, int> perUid;
        for (const EventInstance& i : feed->Expand(from, from.addYears(1), zone)) {
            const bool ordered = i.AllDay ? i.StartDate.isValid() && i.EndDate > i.StartDate
                                          : i.Start.isValid() && i.End >= i.Start;
            // Every event with the UID may give its own 1,000.
            if (!ordered || ++perUid[i.Uid] > 1000 * int(feed->EventCount())) {
                std::fprintf(stderr, "icalfeed fuzzer: bad instance of %s\n", qPrintable(i.Uid));
                std::abort();
            }
        }
    }
    return 0;
}
