#pragma once

#include "app/MediaDescriptor.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaItem.h"

#include <QWidget>

#include <functional>

// One feed of a page, shown in a sub-tab. The page widget only knows this base: the views that
// show cards or rows derive from it and are handed to the page through a FeedViewFactory.
class FeedView : public QWidget
{
    Q_OBJECT
public:
    FeedView(FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent = nullptr);

    FeedDataFetcher* fetcher() const { return m_fetcher; }
    int viewMode() const { return m_viewMode; }
    int subTabIndex() const { return m_subTabIndex; }
    bool hasLoaded() const { return m_loaded; }
    // Fetches the first page, once: views load when they are first shown.
    void load();

signals:
    // The first page is there (or failed); "name" is the feed's name for the sub-tab.
    void dataReady(int subTabIndex, const QString& name);
    void viewModeChanged(int viewMode);
    // An item asks to be opened as a page.
    void openAddressRequested(const QString& address, const QString& title);
    // An item is to be downloaded as audio or video.
    void downloadRequested(const MediaItem& item, MediaDescriptor::MediaType type);
    // The items of the feed's other pages are to be downloaded (the shown page's items have
    // been requested one by one before).
    void batchDownloadRequested(FeedDataFetcher* feed);

protected:
    // Shows what the fetcher holds now; called after every page it delivers.
    virtual void showFeed() = 0;

private slots:
    void onFeedDataReady();

private:
    FeedDataFetcher* m_fetcher;
    int m_viewMode;
    int m_subTabIndex;
    bool m_loaded = false;
};

// Makes the view for one feed of a page.
using FeedViewFactory = std::function<FeedView*(
    FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent)>;
