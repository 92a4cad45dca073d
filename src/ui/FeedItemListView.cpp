#include "FeedItemListView.h"

#include "app/Prefs.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaFeed.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
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

MediaDescriptor::MediaType defaultMediaType()
{
    return Prefs::defaultDownloadMediaType() == MediaDescriptor::Audio ? MediaDescriptor::Audio
                                                                       : MediaDescriptor::Video;
}

// Search results and related media are not feeds one downloads as a whole.
bool canDownloadAll(const FeedDataFetcher* feed)
{
    return !feed->hasFailed() && !feed->items().isEmpty() && feed->feedKind() != FeedKind::Search
        && feed->feedKind() != FeedKind::Related;
}

} // namespace

FeedItemListView::FeedItemListView(
    FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent)
    : FeedView(fetcher, viewMode, subTabIndex, parent)
    , m_message(new QLabel(tr("Loading..."), this))
    , m_downloadAll(new QPushButton(tr("Download all"), this))
    , m_list(new QListWidget(this))
    , m_menu(new QMenu(this))
{
    m_message->setObjectName(QStringLiteral("feedInfoLabel"));
    m_message->setAccessibleName(tr("Feed status"));
    m_downloadAll->setObjectName(QStringLiteral("downloadAllButton"));
    m_downloadAll->setToolTip(tr("Download all"));
    m_downloadAll->setAccessibleName(tr("Download all"));
    m_downloadAll->setEnabled(false);
    m_list->setObjectName(QStringLiteral("listWidget"));
    m_list->setAccessibleName(tr("Feed items"));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_menu->setObjectName(QStringLiteral("feedItemMenu"));
    m_menu->setAccessibleName(tr("Item actions"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_message, 1);
    top->addWidget(m_downloadAll);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list);

    connect(addItemAction(tr("Download"), QStringLiteral("download")), &QAction::triggered, this,
        [this] { downloadCurrent(defaultMediaType()); });
    m_menu->addSeparator();
    connect(addItemAction(tr("Download as video"), QStringLiteral("downloadAsVideo")),
        &QAction::triggered, this, [this] { downloadCurrent(MediaDescriptor::Video); });
    connect(addItemAction(tr("Download as audio"), QStringLiteral("downloadAsAudio")),
        &QAction::triggered, this, [this] { downloadCurrent(MediaDescriptor::Audio); });
    m_menu->addSeparator();
    connect(addItemAction(tr("Open"), QStringLiteral("open")), &QAction::triggered, this,
        [this] { onItemActivated(m_list->currentItem()); });
    connect(addItemAction(tr("Copy video URL to clipboard"), QStringLiteral("copyMediaURL")),
        &QAction::triggered, this, [this] {
            if (const MediaItem* item = currentItem())
                QApplication::clipboard()->setText(item->permaUrl());
        });
    onCurrentRowChanged(-1);

    connect(m_list, &QListWidget::itemActivated, this, &FeedItemListView::onItemActivated);
    connect(m_list, &QListWidget::customContextMenuRequested, this,
        &FeedItemListView::onContextMenuRequested);
    connect(m_list, &QListWidget::currentRowChanged, this, &FeedItemListView::onCurrentRowChanged);
    connect(m_downloadAll, &QPushButton::clicked, this, &FeedItemListView::downloadAll);
}

FeedViewFactory FeedItemListView::factory()
{
    return [](FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent) {
        return new FeedItemListView(fetcher, viewMode, subTabIndex, parent);
    };
}

QAction* FeedItemListView::addItemAction(const QString& text, const QString& name)
{
    auto* action = m_menu->addAction(text);
    action->setObjectName(name);
    m_itemActions.append(action);
    return action;
}

void FeedItemListView::showFeed()
{
    m_list->clear();
    if (fetcher()->hasFailed()) {
        m_message->setText(fetcher()->errorText());
        m_downloadAll->setEnabled(false);
        return;
    }
    const QList<MediaItem>& items = fetcher()->items();
    m_message->setText(items.isEmpty() ? tr("Nothing found") : fetcher()->feedName());
    for (int index = 0; index < items.size(); ++index) {
        const MediaItem& item = items.at(index);
        auto* row = new QListWidgetItem(rowText(item), m_list);
        row->setData(Qt::UserRole, index);
        row->setToolTip(item.permaUrl());
    }
    m_downloadAll->setEnabled(canDownloadAll(fetcher()));
}

const MediaItem* FeedItemListView::currentItem() const
{
    return itemOf(m_list->currentItem());
}

const MediaItem* FeedItemListView::itemOf(const QListWidgetItem* row) const
{
    if (!row)
        return nullptr;
    const int index = row->data(Qt::UserRole).toInt();
    const QList<MediaItem>& items = fetcher()->items();
    return index >= 0 && index < items.size() ? &items.at(index) : nullptr;
}

void FeedItemListView::downloadCurrent(MediaDescriptor::MediaType type)
{
    if (const MediaItem* item = currentItem())
        emit downloadRequested(*item, type);
}

void FeedItemListView::onItemActivated(QListWidgetItem* row)
{
    const MediaItem* item = itemOf(row);
    if (item && !item->permaUrl().isEmpty())
        emit openAddressRequested(item->permaUrl(), item->title());
}

void FeedItemListView::onContextMenuRequested(const QPoint& position)
{
    if (QListWidgetItem* row = m_list->itemAt(position))
        m_list->setCurrentItem(row);
    if (!currentItem())
        return;
    m_menu->popup(m_list->viewport()->mapToGlobal(position));
}

void FeedItemListView::onCurrentRowChanged(int row)
{
    for (QAction* action : std::as_const(m_itemActions))
        action->setEnabled(row >= 0);
}

void FeedItemListView::downloadAll()
{
    if (!canDownloadAll(fetcher()))
        return;
    const MediaDescriptor::MediaType type = defaultMediaType();
    const int total = fetcher()->totalResults() >= 0 ? fetcher()->totalResults()
                                                     : int(fetcher()->items().size());
    QMessageBox box(QMessageBox::Warning, tr("Download all"),
        tr("Please confirm download of multiple items"), QMessageBox::Ok | QMessageBox::Cancel,
        this);
    box.setObjectName(QStringLiteral("downloadAllConfirmation"));
    box.setWindowModality(Qt::WindowModal);
    box.setDefaultButton(QMessageBox::Ok);
    box.setInformativeText(tr("You are about to download %1 items as %2.")
                               .arg(total)
                               .arg(MediaDescriptor::mediaTypeName(type)));
    if (box.exec() != QMessageBox::Ok)
        return;
    // A copy: a listener may start fetching pages while we go.
    const QList<MediaItem> items = fetcher()->items();
    for (const MediaItem& item : items)
        emit downloadRequested(item, type);
    if (fetcher()->pageCount() > 1) {
        // The other pages are read for the batch; they must not replace what is shown here.
        fetcher()->disconnect(this);
        emit batchDownloadRequested(fetcher());
    }
}
