#include "feedsources.h"

#include "feedlocation.h"
#include "filesource.h"
#include "httpsource.h"

std::unique_ptr<CalendarSource> MakeFeedSource(const CalendarEntry& entry, QNetworkAccessManager& network)
{
    const FeedLocation location = LocateFeed(entry.Source);
    switch (location.Type) {
    case FeedLocation::Kind::File:
        return std::make_unique<FileSource>(location.Path);
    case FeedLocation::Kind::Web:
        return std::make_unique<HttpSource>(location.Url, network);
    case FeedLocation::Kind::Unknown:
        break;
    }
    return nullptr;
}
