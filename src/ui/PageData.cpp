#include "PageData.h"

#include "PageKinds.h"

#include "services/FeedDataFetcher.h"

PageData::PageData(const PageDescriptor& descriptor, const SearchParams& params,
    const MediaServices* services, QObject* parent)
    : QObject(parent)
    , m_descriptor(descriptor)
    , m_params(params)
    , m_services(services)
{ }

PageData* PageData::create(const PageDescriptor& descriptor, const SearchParams& params,
    const MediaServices* services, const QStringList& searchServices, QObject* parent)
{
    switch (descriptor.kind) {
    case PageDescriptor::User:
        return new UserPageData(descriptor, params, services, parent);
    case PageDescriptor::Media:
        return new MediaPageData(descriptor, params, services, parent);
    case PageDescriptor::Playlist:
        return new PlaylistPageData(descriptor, params, services, parent);
    case PageDescriptor::Search:
        return new SearchPageData(descriptor, params, services, searchServices, parent);
    case PageDescriptor::Empty:
        break;
    }
    return new EmptyPageData(descriptor, params, parent);
}

void PageData::addFeedFetcher(const QString& serviceName, int feedKind)
{
    m_feedFetchers.append(new FeedDataFetcher(m_services, m_params, serviceName, feedKind, this));
}
