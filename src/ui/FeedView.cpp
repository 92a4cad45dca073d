#include "FeedView.h"

#include "services/FeedDataFetcher.h"

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
    m_fetcher->fetchPage(1, QString());
}

void FeedView::onFeedDataReady()
{
    showFeed();
    emit dataReady(m_subTabIndex, m_fetcher->feedName());
}
