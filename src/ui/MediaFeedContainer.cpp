#include "MediaFeedContainer.h"

#include "BusyIndicator.h"
#include "FlowLayout.h"
#include "MainWindow.h"
#include "MediaItemForm.h"
#include "MediaItemFormController.h"
#include "MediaItemListForm.h"
#include "Milestones.h"

#include "app/UserFacingText.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaFeed.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

QIcon arrowIcon(const char* direction)
{
    const QString base = QStringLiteral(":/images/resources/images/arrow_%1").arg(direction);
    QIcon icon(base + QStringLiteral("_16x16-iconic"));
    // The arrow darkens under the pointer.
    icon.addFile(base + QStringLiteral("_black_16x16-iconic"), {}, QIcon::Active);
    return icon;
}

QIcon viewIcon(const char* name)
{
    return QIcon(QStringLiteral(":/images/resources/images/") + QLatin1String(name));
}

} // namespace

MediaFeedContainer::MediaFeedContainer(
    FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent)
    : FeedView(fetcher, viewMode == List ? List : Thumbnails, subTabIndex, parent)
{
    setObjectName(QStringLiteral("MediaFeedContainer"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildNavigation();
    buildPages();
    (this->viewMode() == List ? m_listButton : m_thumbnailsButton)->setChecked(true);
}

MediaFeedContainer::~MediaFeedContainer()
{
    holdRunningDownloads(false);
}

FeedViewFactory MediaFeedContainer::factory()
{
    return [](FeedDataFetcher* fetcher, int viewMode, int subTabIndex, QWidget* parent) {
        return new MediaFeedContainer(fetcher, viewMode, subTabIndex, parent);
    };
}

QToolButton* MediaFeedContainer::addToolButton(
    const QString& name, const QString& toolTip, const QIcon& icon)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    button->setIcon(icon);
    button->setAutoRaise(true);
    button->setEnabled(false);
    return button;
}

void MediaFeedContainer::buildNavigation()
{
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("navPane"));
    m_info = new QLabel(tr("Loading..."), pane);
    m_info->setObjectName(QStringLiteral("feedInfoLabel"));
    // No accessible name of its own: a screen reader reads the page counter itself.
    m_thumbnailsButton = addToolButton(
        QStringLiteral("thumbViewButton"), tr("Thumbnails view"), viewIcon("view-thumbnails.png"));
    m_listButton = addToolButton(
        QStringLiteral("listViewButton"), tr("List view"), viewIcon("view-list.png"));
    m_viewButtons = new QButtonGroup(this);
    m_viewButtons->setExclusive(true);
    for (QToolButton* button : { m_thumbnailsButton, m_listButton }) {
        button->setCheckable(true);
        m_viewButtons->addButton(button);
    }
    m_downloadAll = addToolButton(
        QStringLiteral("downloadAllButton"), tr("Download all"), viewIcon("download-all.png"));
    m_downloadAll->setText(tr("Download all"));
    m_downloadAll->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_previous
        = addToolButton(QStringLiteral("feedPrevButton"), tr("Previous page"), arrowIcon("left"));
    m_next = addToolButton(QStringLiteral("feedNextButton"), tr("Next page"), arrowIcon("right"));

    auto* row = new QHBoxLayout(pane);
    row->setContentsMargins(10, 4, 10, 4);
    row->addWidget(m_info, 1);
    row->addWidget(m_thumbnailsButton);
    row->addWidget(m_listButton);
    row->addSpacing(12);
    row->addWidget(m_downloadAll);
    row->addSpacing(12);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    layout()->addWidget(pane);

    connect(m_thumbnailsButton, &QToolButton::clicked, this, [this] { setViewMode(Thumbnails); });
    connect(m_listButton, &QToolButton::clicked, this, [this] { setViewMode(List); });
    connect(m_downloadAll, &QToolButton::clicked, this, &MediaFeedContainer::downloadAll);
    connect(m_previous, &QToolButton::clicked, this, &MediaFeedContainer::showPreviousPage);
    connect(m_next, &QToolButton::clicked, this, &MediaFeedContainer::showNextPage);
}

void MediaFeedContainer::buildPages()
{
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));

    m_scrollArea = new QScrollArea(m_stack);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setAccessibleName(tr("Feed items"));
    m_thumbnailContent = new QWidget(m_scrollArea);
    m_thumbnailContent->setObjectName(QStringLiteral("thumbViewContent"));
    m_scrollArea->setWidget(m_thumbnailContent);
    m_stack->addWidget(m_scrollArea);

    m_list = new QListWidget(m_stack);
    m_list->setObjectName(QStringLiteral("listWidget"));
    m_list->setAccessibleName(tr("Feed items"));
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->verticalScrollBar()->setSingleStep(50);
    // The item's menu over the row's texts and from the menu key, not only on its picture.
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QListWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        QListWidgetItem* row = m_list->itemAt(point);
        if (!row)
            row = m_list->currentItem();
        MediaItemFormController* item = row ? controller(row->data(Qt::UserRole).toInt()) : nullptr;
        if (item)
            item->mainContextMenuTriggered(m_list->viewport()->mapToGlobal(point));
    });
    // Enter or a double-click on a row opens the item, as a click on its picture does.
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem* row) {
        if (MediaItemFormController* item = controller(row->data(Qt::UserRole).toInt()))
            item->mediaImageClicked(nullptr);
    });
    m_stack->addWidget(m_list);

    auto* busyPage = new QWidget(m_stack);
    busyPage->setObjectName(QStringLiteral("busyIndicatorPage"));
    m_busy = new BusyIndicator(busyPage);
    m_busy->setFixedSize(90, 90);
    m_busy->setAnimationDelay(100);
    auto* centred = new QGridLayout(busyPage);
    centred->addWidget(m_busy, 0, 0, Qt::AlignCenter);
    m_stack->addWidget(busyPage);
    layout()->addWidget(m_stack);
}

QList<MediaItemForm*> MediaFeedContainer::cards() const
{
    QList<MediaItemForm*> cards;
    if (!m_flow)
        return cards;
    for (int index = 0; index < m_flow->count(); ++index) {
        if (auto* card = qobject_cast<MediaItemForm*>(m_flow->itemAt(index)->widget()))
            cards.append(card);
    }
    return cards;
}

QList<MediaItemListForm*> MediaFeedContainer::rows() const
{
    QList<MediaItemListForm*> rows;
    for (int index = 0; index < m_list->count(); ++index) {
        if (auto* row = qobject_cast<MediaItemListForm*>(m_list->itemWidget(m_list->item(index))))
            rows.append(row);
    }
    return rows;
}

void MediaFeedContainer::hideEvent(QHideEvent* event)
{
    FeedView::hideEvent(event);
    // A minimised window keeps its pictures: only a page put behind another lets go.
    if (!event->spontaneous())
        keepPicturesOf(-1);
}

void MediaFeedContainer::showEvent(QShowEvent* event)
{
    FeedView::showEvent(event);
    if (!event->spontaneous())
        keepPicturesOf(viewMode());
}

void MediaFeedContainer::keepPicturesOf(int mode)
{
    for (MediaItemForm* card : cards())
        mode == Thumbnails ? card->restorePicture() : card->releasePicture();
    for (MediaItemListForm* row : rows())
        mode == List ? row->restorePicture() : row->releasePicture();
}

MediaItemFormController* MediaFeedContainer::controller(int index)
{
    const QList<MediaItem>& items = fetcher()->items();
    if (index < 0 || index >= items.size())
        return nullptr;
    if (m_controllers.size() != items.size())
        m_controllers.resize(items.size(), nullptr);
    if (!m_controllers.at(index))
        m_controllers[index] = new MediaItemFormController(items.at(index), this);
    return m_controllers.at(index);
}

void MediaFeedContainer::loadingStarted()
{
    showBusy();
}

void MediaFeedContainer::showBusy()
{
    m_thumbnailsBuilt = false;
    m_listBuilt = false;
    m_info->setText(tr("Loading..."));
    m_previous->setEnabled(false);
    m_next->setEnabled(false);
    m_scrollArea->verticalScrollBar()->setValue(0);
    m_scrollArea->verticalScrollBar()->setSingleStep(50);
    m_stack->setCurrentIndex(BusyPage);
    m_busy->start();
}

void MediaFeedContainer::finishLoading()
{
    m_busy->stop();
    if (MainWindow* window = MainWindow::instance())
        window->setPageLoadStatus(1);
}

void MediaFeedContainer::holdRunningDownloads(bool hold)
{
    if (m_holdingDownloads == hold)
        return;
    m_holdingDownloads = hold;
    if (MainWindow* window = MainWindow::instance())
        window->holdRunningDownloads(hold);
}

void MediaFeedContainer::showFeed()
{
    holdRunningDownloads(false);
    const FeedDataFetcher* feed = fetcher();
    const int pages = feed->pageCount();
    const int results = feed->totalResults();
    const int page = feed->pageNo();
    const bool hasItems = !feed->items().isEmpty();
    if (feed->hasFailed()) {
        m_info->setText(UserFacingText::fromRecordedError(feed->errorText()));
        m_previous->setEnabled(page > 1);
        finishLoading();
        m_stack->setCurrentIndex(ThumbnailPage);
        return;
    }
    if ((pages == 0 || !hasItems) && results >= 0) {
        m_info->setText(tr("No results"));
        finishLoading();
        return;
    }
    if (pages < page && results >= 0) {
        m_info->setText(tr("More results expected, but none available"));
        finishLoading();
        m_previous->setEnabled(page > 1);
        return;
    }
    m_info->setText(results < 0
            ? tr("Page %1, total results unknown").arg(page)
            : tr("Page %1 of %2, %3 results in total").arg(page).arg(pages).arg(results));
    m_next->setEnabled((results >= 0 && pages > page) || (results == -1 && hasItems));
    m_previous->setEnabled(page != 1);
    m_downloadAll->setEnabled(canDownloadAll());
    m_thumbnailsButton->setEnabled(true);
    m_listButton->setEnabled(true);
    buildView();
}

bool MediaFeedContainer::canDownloadAll() const
{
    return !fetcher()->items().isEmpty() && fetcher()->feedKind() != FeedKind::Search
        && fetcher()->feedKind() != FeedKind::Related;
}

void MediaFeedContainer::setViewMode(int mode)
{
    setMode(mode == List ? List : Thumbnails);
    (viewMode() == List ? m_listButton : m_thumbnailsButton)->setChecked(true);
    if (m_stack->currentIndex() != BusyPage && m_thumbnailsButton->isEnabled())
        buildView();
    keepPicturesOf(viewMode());
    emit viewModeChanged(viewMode());
}

void MediaFeedContainer::buildView()
{
    if (viewMode() == List) {
        buildList();
        finishLoading();
        m_stack->setCurrentIndex(ListPage);
        return;
    }
    finishLoading();
    m_stack->setCurrentIndex(ThumbnailPage);
    buildThumbnails();
}

void MediaFeedContainer::buildThumbnails()
{
    if (m_thumbnailsBuilt)
        return;
    m_thumbnailsBuilt = true;
    delete m_flow;
    m_flow = new FlowLayout(m_thumbnailContent, 20, 1, 30);
    const int count = int(fetcher()->items().size());
    auto pictures = std::make_shared<int>(0);
    for (int index = 0; index < count; ++index) {
        m_flow->addWidget(new MediaItemForm(controller(index), m_thumbnailContent));
        if (Milestones::enabled())
            connect(
                controller(index), &MediaItemFormController::imageLoaded, this, [pictures, count] {
                    if (++*pictures == count)
                        Milestones::log("feed pictures shown");
                });
    }
}

void MediaFeedContainer::buildList()
{
    if (m_listBuilt)
        return;
    m_listBuilt = true;
    m_list->scrollToTop();
    for (int index = 0; index < fetcher()->items().size(); ++index) {
        auto* row = new QListWidgetItem(m_list);
        row->setSizeHint(QSize(100, 190));
        row->setData(Qt::AccessibleTextRole, fetcher()->items().at(index).title());
        row->setData(Qt::UserRole, index);
        m_list->setItemWidget(row, new MediaItemListForm(controller(index), m_list));
    }
}

void MediaFeedContainer::clearViews()
{
    m_list->clear();
    for (MediaItemForm* card : cards()) {
        card->hide();
        m_flow->removeWidget(card);
        card->deleteLater();
    }
    delete m_flow;
    m_flow = nullptr;
    for (MediaItemFormController* controller : std::as_const(m_controllers)) {
        if (controller)
            controller->deleteLater();
    }
    m_controllers.clear();
}

void MediaFeedContainer::showNextPage()
{
    // The page is read while the transfers wait; they go on when it is shown.
    holdRunningDownloads(true);
    clearViews();
    showBusy();
    fetcher()->fetchPage(fetcher()->pageNo() + 1, fetcher()->nextPageToken());
}

void MediaFeedContainer::showPreviousPage()
{
    if (fetcher()->pageNo() <= 1)
        return;
    clearViews();
    showBusy();
    fetcher()->fetchPage(fetcher()->pageNo() - 1, fetcher()->prevPageToken());
}

void MediaFeedContainer::downloadAll()
{
    if (!canDownloadAll())
        return;
    MainWindow* window = MainWindow::instance();
    const MediaDescriptor::MediaType type
        = window ? window->downloadTypeFor(fetcher()->serviceName()) : MediaDescriptor::Video;
    const int results = fetcher()->totalResults();
    QMessageBox box(QMessageBox::Warning, tr("Download all"),
        tr("Please confirm download of multiple items"), QMessageBox::Ok | QMessageBox::Cancel,
        this);
    box.setObjectName(QStringLiteral("downloadAllConfirmation"));
    box.setWindowModality(Qt::WindowModal);
    box.setDefaultButton(QMessageBox::Ok);
    box.setInformativeText(tr("You are about to download %1 items as %2.")
                               .arg(results >= 0 ? results : int(fetcher()->items().size()))
                               .arg(MediaDescriptor::mediaTypeName(type)));
    if (box.exec() != QMessageBox::Ok)
        return;
    // Through the controllers, so that the cards and rows of the page show their jobs.
    for (int index = 0; index < fetcher()->items().size(); ++index)
        controller(index)->startDownload(type);
    // The batch reads the other pages with a fetcher of its own: this view keeps paging.
    if (fetcher()->pageCount() > 1 && window)
        window->startBatchDownload(fetcher());
}

void MediaFeedContainer::connectToExistingDownloads()
{
    for (MediaItemFormController* controller : std::as_const(m_controllers)) {
        if (controller)
            controller->connectToExistingDownload();
    }
}
