#include "MainTabsForm.h"

#include "PageData.h"

#include "app/FreedMemory.h"
#include "app/Prefs.h"

#include <QIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

MainTabsForm::MainTabsForm(const PageForm::Context& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_tabs(new QTabWidget(this))
    , m_cornerWidget(new QToolButton(m_tabs))
{
    setObjectName(QStringLiteral("mainTabsForm"));
    m_freedMemory.setSingleShot(true);
    m_freedMemory.setInterval(1000);
    connect(&m_freedMemory, &QTimer::timeout, this, [] { FreedMemory::returnToSystem(); });
    m_tabs->setObjectName(QStringLiteral("mainTabs"));
    m_tabs->setAccessibleName(tr("Browsing tabs"));
    m_tabs->setTabsClosable(true);
    m_tabs->setMovable(true);
    m_tabs->setDocumentMode(true);
    m_cornerWidget->setObjectName(QStringLiteral("cornerWidget"));
    m_cornerWidget->setText(QStringLiteral("+"));
    m_cornerWidget->setToolTip(tr("Create new tab"));
    m_cornerWidget->setAccessibleName(tr("Create new tab"));
    m_cornerWidget->setFixedSize(26, 26);
    m_cornerWidget->setAutoRaise(true);
    m_tabs->setCornerWidget(m_cornerWidget, Qt::TopRightCorner);
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName(QStringLiteral("verticalLayout"));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);

    connect(m_cornerWidget, &QToolButton::clicked, this, &MainTabsForm::newTabRequested);
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainTabsForm::tabChanged);
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, &MainTabsForm::closeTab);
}

PageForm* MainTabsForm::currentPage() const
{
    return qobject_cast<PageForm*>(m_tabs->currentWidget());
}

NavigationHistory* MainTabsForm::currentHistory()
{
    const QWidget* current = m_tabs->currentWidget();
    return current ? &m_histories[current] : nullptr;
}

void MainTabsForm::addPage(PageData* page, int viewMode, bool newTab)
{
    const int mode = viewMode == -1 ? Prefs::feedViewMode() : viewMode;
    PageForm* form = createPageForm(page, mode);
    if (!newTab && m_tabs->count() > 0) {
        replaceCurrentPage(form);
    } else {
        m_histories.insert(form, NavigationHistory());
        const int index = m_tabs->addTab(form, page->title());
        nameCloseButton(index);
        // An address opens in the background; an empty page is there to be typed into.
        if (page->query().isEmpty())
            m_tabs->setCurrentIndex(index);
        QTimer::singleShot(5, this, &MainTabsForm::focusAddressRequested);
    }
    m_histories[form].push(NavigationEntry { page->title(), page->query(), viewMode });
    form->start();
    emit tabsUpdateFinished();
}

PageForm* MainTabsForm::createPageForm(PageData* page, int viewMode)
{
    auto* form = new PageForm(page, viewMode, m_context, m_tabs);
    connect(form, &PageForm::titleChanged, this,
        [this, form](const QString& title, const QString& tip) {
            const int index = m_tabs->indexOf(form);
            if (index < 0)
                return;
            m_tabs->setTabText(index, title);
            m_tabs->setTabToolTip(index, tip);
        });
    connect(form, &PageForm::iconChanged, this, [this, form](const QIcon& icon) {
        const int index = m_tabs->indexOf(form);
        if (index >= 0)
            m_tabs->setTabIcon(index, icon);
    });
    connect(
        form, &PageForm::errorSignal, this, [this, form] { showTabError(m_tabs->indexOf(form)); });
    connect(form, &PageForm::historyEntryAdded, this, &MainTabsForm::historyEntryAdded);
    connect(form, &PageForm::preferencesRequested, this, &MainTabsForm::preferencesRequested);
    return form;
}

// The new page takes the old one's place and its history; the old page goes.
void MainTabsForm::replaceCurrentPage(PageForm* form)
{
    const int index = m_tabs->currentIndex();
    QWidget* old = m_tabs->widget(index);
    m_tabs->setUpdatesEnabled(false);
    {
        const QSignalBlocker quiet(m_tabs);
        m_tabs->removeTab(index);
        m_tabs->insertTab(index, form, form->pageData()->title());
        nameCloseButton(index);
        m_histories.insert(form, m_histories.take(old));
        m_tabs->setCurrentIndex(index);
    }
    m_tabs->setUpdatesEnabled(true);
    old->hide();
    old->setParent(nullptr);
    discard(old);
    tabChanged(index);
}

void MainTabsForm::discard(QWidget* page)
{
    // A page with its pictures is tens of megabytes: give them back once it is gone.
    page->deleteLater();
    // Well after the deferred deletion, and once for a burst of closed tabs.
    m_freedMemory.start();
}

void MainTabsForm::nameCloseButton(int index)
{
    if (QWidget* button = m_tabs->tabBar()->tabButton(index, QTabBar::RightSide))
        button->setAccessibleName(tr("Close tab"));
}

void MainTabsForm::showTabError(int index)
{
    if (index >= 0 && index < m_tabs->count())
        m_tabs->setTabText(index, tr("Error"));
}

void MainTabsForm::closeCurrentTab()
{
    closeTab(m_tabs->currentIndex());
}

void MainTabsForm::closeTab(int index)
{
    if (index < 0 || index >= m_tabs->count() || m_tabs->count() < 2)
        return;
    QWidget* page = m_tabs->widget(index);
    m_histories.remove(page);
    m_tabs->removeTab(index);
    discard(page);
    emit tabsUpdateFinished();
}

void MainTabsForm::nextTab()
{
    if (m_tabs->currentIndex() < m_tabs->count() - 1)
        m_tabs->setCurrentIndex(m_tabs->currentIndex() + 1);
}

void MainTabsForm::previousTab()
{
    if (m_tabs->currentIndex() > 0)
        m_tabs->setCurrentIndex(m_tabs->currentIndex() - 1);
}

void MainTabsForm::tabChanged(int index)
{
    if (auto* form = qobject_cast<PageForm*>(m_tabs->widget(index)))
        emit currentQueryChanged(form->pageData()->query());
    emit tabsUpdateFinished();
}
