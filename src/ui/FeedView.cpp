#include "FeedView.h"

#include "services/FeedDataFetcher.h"
#include "services/MediaFeed.h"

FeedView::FeedView(FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent)
    : QWidget(parent)
    , m_fetcher(fetcher)
    , m_viewMode(viewMode)
    , m_subTabIndex(subTabIndex)
{
    connect(m_fetcher, &FeedDataFetcher::feedDataReady, this, &FeedView::onFeedDataReady);
}

void FeedView::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    loadingStarted();
    m_fetcher->fetchPage(1, QString());
}

QString FeedView::tabName() const
{
    if (m_fetcher->feedKind() == FeedKind::Playlist)
        return tr("Playlist") + QStringLiteral(": ") + m_fetcher->feedName();
    return m_fetcher->feedName();
}

void FeedView::onFeedDataReady()
{
    showFeed();
    emit dataReady(m_subTabIndex, tabName());
}
