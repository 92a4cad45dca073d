#pragma once

#include "FeedView.h"

class QLabel;
class QListWidget;
class QListWidgetItem;

// The plain view of a feed: one row per item with its title, author and length; a
// double-click opens the item's page. Used until the card views take over.
class FeedItemListView : public FeedView
{
    Q_OBJECT
public:
    FeedItemListView(
        FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent = nullptr);

    static FeedViewFactory factory();

protected:
    void showFeed() override;

private slots:
    void onItemActivated(QListWidgetItem* item);

private:
    QLabel* m_message = nullptr;
    QListWidget* m_list = nullptr;
};
