#include "FeedItemListView.h"

#include "services/FeedDataFetcher.h"

#include <QLabel>
#include <QListWidget>
#include <QTime>
#include <QVBoxLayout>

namespace {

QString rowText(const MediaItem& item)
{
    QString text = item.title();
    const QString author
        = item.userDisplayName().isEmpty() ? item.userName() : item.userDisplayName();
    if (!author.isEmpty())
        text += QStringLiteral(" \u2014 ") + author;
    if (item.durationSeconds() > 0) {
        const QTime length = QTime(0, 0).addSecs(item.durationSeconds());
        text += QStringLiteral(" (")
            + length.toString(
                item.durationSeconds() >= 3600 ? QStringLiteral("h:mm:ss") : QStringLiteral("m:ss"))
            + QLatin1Char(')');
    }
    return text;
}

} // namespace

FeedItemListView::FeedItemListView(
    FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent)
    : FeedView(fetcher, viewMode, subTabIndex, parent)
    , m_message(new QLabel(tr("Loading..."), this))
    , m_list(new QListWidget(this))
{
    m_message->setObjectName(QStringLiteral("feedInfoLabel"));
    m_message->setAccessibleName(tr("Feed status"));
    m_list->setObjectName(QStringLiteral("feedList"));
    m_list->setAccessibleName(tr("Feed items"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::itemActivated, this, &FeedItemListView::onItemActivated);
}

FeedViewFactory FeedItemListView::factory()
{
    return [](FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent) {
        return new FeedItemListView(fetcher, viewMode, subTabIndex, parent);
    };
}

void FeedItemListView::showFeed()
{
    m_list->clear();
    if (fetcher()->hasFailed()) {
        m_message->setText(fetcher()->errorText());
        return;
    }
    const QList<MediaItem>& items = fetcher()->items();
    m_message->setText(items.isEmpty() ? tr("Nothing found") : fetcher()->feedName());
    for (const MediaItem& item : items) {
        auto* row = new QListWidgetItem(rowText(item), m_list);
        row->setData(Qt::UserRole, item.permaUrl());
        row->setData(Qt::UserRole + 1, item.title());
        row->setToolTip(item.permaUrl());
    }
}

void FeedItemListView::onItemActivated(QListWidgetItem* item)
{
    const QString address = item->data(Qt::UserRole).toString();
    if (!address.isEmpty())
        emit openAddressRequested(address, item->data(Qt::UserRole + 1).toString());
}
