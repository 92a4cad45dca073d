#include "PageForm.h"

#include "MediaTexts.h"
#include "MediaTopForm.h"
#include "PageData.h"
#include "PageMessageForm.h"
#include "StartupHomeForm.h"
#include "UserTopForm.h"

#include "app/Prefs.h"
#include "services/FeedDataFetcher.h"
#include "services/MediaDataFetcher.h"
#include "services/MediaFeed.h"
#include "services/UserDataFetcher.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QIcon pageIcon(const char* name)
{
    return QIcon(QStringLiteral(":/images/resources/images/") + QLatin1String(name));
}

// Services named in the stored order first, in that order, then the others as they came.
QList<FeedDataFetcher*> inStoredOrder(QList<FeedDataFetcher*> fetchers)
{
    const QStringList order = Prefs::searchableServiceNamesOrder();
    std::stable_sort(fetchers.begin(), fetchers.end(),
        [&order](const FeedDataFetcher* a, const FeedDataFetcher* b) {
            const auto rank = [&order](const FeedDataFetcher* f) {
                const int at = order.indexOf(f->serviceName());
                return at < 0 ? order.size() : at;
            };
            return rank(a) < rank(b);
        });
    return fetchers;
}

} // namespace

PageForm::PageForm(PageData* page, int viewMode, const Context& context, QWidget* parent)
    : QWidget(parent)
    , m_page(page)
    , m_viewMode(viewMode)
    , m_context(context)
    , m_stack(new QStackedWidget(this))
    , m_pageLayer(new QWidget(m_stack))
{
    setObjectName(QStringLiteral("PageForm"));
    setStyleSheet(QStringLiteral("#PageForm {background-color:#FFFFFF}"));
    m_page->setParent(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    m_pageLayer->setObjectName(QStringLiteral("pageLayer"));
    new QVBoxLayout(m_pageLayer);
    m_pageLayer->layout()->setContentsMargins(0, 0, 0, 0);
    auto* playerLayer = new QWidget(m_stack);
    playerLayer->setObjectName(QStringLiteral("playerLayer"));
    m_stack->addWidget(m_pageLayer);
    m_stack->addWidget(playerLayer);
    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("horizontalLayout"));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);

    showPageLayer();
    if (m_page->kind() == PageDescriptor::Empty)
        showEmptyPage();
}

void PageForm::start()
{
    connect(m_page, &PageData::dataReady, this, &PageForm::onPageDataReady, Qt::UniqueConnection);
    m_page->load();
}

void PageForm::showPageLayer()
{
    const bool wasPlaying = m_stack->currentIndex() == 1;
    m_stack->setCurrentIndex(0);
    if (wasPlaying)
        emit playerHidden();
}

void PageForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_stack->currentIndex() == 1) {
        showPageLayer();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PageForm::onPageDataReady()
{
    switch (m_page->kind()) {
    case PageDescriptor::Search:
        showSearchPage();
        break;
    case PageDescriptor::Playlist:
        emit iconChanged(pageIcon("smallListIconBW.png"));
        if (m_page->feedFetchers().isEmpty()) {
            failPage();
            return;
        }
        m_pageLayer->layout()->addWidget(
            addFeedView(m_page->feedFetchers().constFirst(), true, {}));
        emit titleChanged(m_page->title(), m_page->title());
        addHistoryEntry(m_page->title());
        break;
    case PageDescriptor::User:
        emit iconChanged(pageIcon("smallUserIconBW.png"));
        showFeedsPage(true, true);
        userDataReady();
        break;
    case PageDescriptor::Media:
        emit iconChanged(pageIcon("smallMovieIconBW.png"));
        showFeedsPage(false, false);
        connect(m_page->mediaFetcher(), &MediaDataFetcher::ready, this, &PageForm::mediaDataReady,
            Qt::UniqueConnection);
        break;
    case PageDescriptor::Empty:
        break;
    }
}

void PageForm::showSearchPage()
{
    m_subTabs = createSubTabs(true);
    const QList<FeedDataFetcher*> fetchers = inStoredOrder(m_page->feedFetchers());
    for (FeedDataFetcher* fetcher : fetchers)
        addFeedView(fetcher, m_subTabs->count() == 0, fetcher->serviceName());
    connect(m_subTabs->tabBar(), &QTabBar::tabMoved, this, &PageForm::onSubTabMoved);
    m_pageLayer->layout()->addWidget(m_subTabs);
    // A search page's address shows as the words it searches for.
    const QString words = m_page->descriptor().searchQuery;
    emit titleChanged(words.isEmpty()
            ? m_page->query()
            : QUrl::fromPercentEncoding(QString(words).replace('+', ' ').toUtf8()),
        m_page->query());
    emit iconChanged(pageIcon("smallSearchIconBW.png"));
    addHistoryEntry(m_page->title());
}

// The user and media pages: a sub-tab per feed, hidden behind the busy indicator until the
// page's own item is there.
void PageForm::showFeedsPage(bool movable, bool named)
{
    m_subTabs = createSubTabs(movable);
    for (FeedDataFetcher* fetcher : m_page->feedFetchers()) {
        const bool isPlaylist = fetcher->feedKind() == FeedKind::Playlist;
        const QString name = named || !isPlaylist ? fetcher->feedName() : QString();
        addFeedView(fetcher, false, name.isEmpty() ? tr("Loading...") : name);
        if (isPlaylist)
            m_subTabs->setCurrentIndex(m_subTabs->count() - 1);
    }
    if (m_page->feedFetchers().isEmpty()) {
        m_subTabs->addTab(
            new PageMessageForm(tr("Related media not available"), m_subTabs), tr("Related"));
    }
    m_subTabs->hide();
    m_pageLayer->layout()->addWidget(m_subTabs);
    showBusyIndicator();
}

void PageForm::showEmptyPage()
{
    if (!m_context.firstRun)
        return;
    auto* home = new StartupHomeForm(m_pageLayer);
    connect(
        home, &StartupHomeForm::openPreferencesRequested, this, &PageForm::preferencesRequested);
    auto* centred = new QGridLayout;
    centred->addWidget(home, 0, 0, Qt::AlignCenter);
    static_cast<QVBoxLayout*>(m_pageLayer->layout())->addLayout(centred);
}

QTabWidget* PageForm::createSubTabs(bool movable)
{
    auto* tabs = new QTabWidget(m_pageLayer);
    tabs->setObjectName(QStringLiteral("SubTabsForm"));
    tabs->setAccessibleName(tr("Feeds"));
    tabs->setMovable(movable);
    tabs->setDocumentMode(true);
    connect(tabs, &QTabWidget::currentChanged, this, &PageForm::subTabChanged);
    return tabs;
}

FeedView* PageForm::addFeedView(FeedDataFetcher* fetcher, bool loadNow, const QString& name)
{
    const int index = m_subTabs ? m_subTabs->count() : 0;
    FeedView* view = m_context.feedViews(fetcher, m_viewMode, index, m_pageLayer);
    connect(view, &FeedView::dataReady, this, &PageForm::onFeedReady);
    // Items opened from this page open in the view the person chose last.
    connect(view, &FeedView::viewModeChanged, this, [this](int mode) { m_viewMode = mode; });
    connect(this, &PageForm::playerHidden, view, &FeedView::connectToExistingDownloads);
    if (m_subTabs) {
        // Adding the first tab makes it current, which loads it.
        const QSignalBlocker quiet(m_subTabs);
        m_subTabs->addTab(view, name);
    }
    if (loadNow)
        view->load();
    return view;
}

void PageForm::mediaDataReady()
{
    const auto& item = m_page->mediaFetcher()->mediaItem();
    if (!item) {
        failPage();
        return;
    }
    emit titleChanged(MediaTexts::elide(item->title(), 30), item->title());
    addHistoryEntry(MediaTexts::elide(item->title(), 75));
    if (!m_pageLayer->findChild<MediaTopForm*>()) {
        auto* top = new MediaTopForm(*item, m_pageLayer);
        static_cast<QVBoxLayout*>(m_pageLayer->layout())->insertWidget(0, top);
    }
    hideBusyIndicator();
    m_subTabs->show();
    subTabChanged(m_subTabs->currentIndex());
}

void PageForm::userDataReady()
{
    const auto& user = m_page->userFetcher()->userItem();
    if (!user) {
        failPage();
        return;
    }
    emit titleChanged(MediaTexts::elide(user->userName(), 30), user->userName());
    addHistoryEntry(MediaTexts::elide(user->userName(), 75));
    if (!m_pageLayer->findChild<UserTopForm*>()) {
        auto* top = new UserTopForm(m_page->userFetcher(), m_page->query(), m_pageLayer);
        static_cast<QVBoxLayout*>(m_pageLayer->layout())->insertWidget(0, top);
    }
    hideBusyIndicator();
    m_subTabs->show();
    subTabChanged(m_subTabs->currentIndex());
}

void PageForm::onFeedReady(int subTabIndex, const QString& name)
{
    if (m_page->kind() == PageDescriptor::Playlist)
        emit titleChanged(m_page->title(), m_page->title());
    else if (m_page->kind() == PageDescriptor::Media)
        subTabNameReady(subTabIndex, name);
}

void PageForm::subTabNameReady(int subTabIndex, const QString& name)
{
    if (m_subTabs && !name.isEmpty() && m_subTabs->tabText(subTabIndex) == tr("Loading..."))
        m_subTabs->setTabText(subTabIndex, name);
}

void PageForm::subTabChanged(int index)
{
    if (auto* view = qobject_cast<FeedView*>(m_subTabs->widget(index)))
        view->load();
}

void PageForm::onSubTabMoved(int, int)
{
    QStringList order;
    for (int i = 0; i < m_subTabs->count(); ++i)
        order.append(m_subTabs->tabText(i));
    Prefs::setSearchableServiceNamesOrder(order);
}

void PageForm::showBusyIndicator()
{
    m_busy = new QProgressBar(m_pageLayer);
    m_busy->setObjectName(QStringLiteral("busyIndicator"));
    m_busy->setAccessibleName(tr("Loading"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setFixedWidth(90);
    auto* layout = static_cast<QVBoxLayout*>(m_pageLayer->layout());
    layout->addWidget(m_busy, 0, Qt::AlignCenter);
}

void PageForm::hideBusyIndicator()
{
    delete m_busy;
    m_busy = nullptr;
}

void PageForm::addHistoryEntry(const QString& title)
{
    emit historyEntryAdded(title, m_page->query(), m_page->serviceName());
}

void PageForm::failPage()
{
    hideBusyIndicator();
    emit errorSignal();
}
