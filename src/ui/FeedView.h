#pragma once

#include "services/FeedDataFetcher.h"

#include <QWidget>

#include <functional>

// One feed of a page, shown in a sub-tab. The page widget only knows this base; the view that
// shows cards or rows derives from it and is handed to the page through a FeedViewFactory.
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
    // The feed's name for its sub-tab: "Playlist: <name>" for a playlist.
    QString tabName() const;

public slots:
    // Views made before a job of theirs existed follow it now.
    virtual void connectToExistingDownloads() { }

signals:
    // A page is there (or failed); "name" is the feed's name for the sub-tab.
    void dataReady(int subTabIndex, const QString& name);
    void viewModeChanged(int viewMode);

protected:
    void setMode(int viewMode) { m_viewMode = viewMode; }
    // The first page is being asked for.
    virtual void loadingStarted() { }
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
