#pragma once

#include "NavigationHistory.h"
#include "PageForm.h"

#include <QHash>
#include <QTimer>
#include <QWidget>

class PageData;
class QTabWidget;
class QToolButton;

// The browsing tabs: one page widget per tab, each tab with its own back/forward history.
class MainTabsForm : public QWidget
{
    Q_OBJECT
public:
    explicit MainTabsForm(const PageForm::Context& context, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    void setFirstRun(bool firstRun) { m_context.firstRun = firstRun; }
    PageForm* currentPage() const;
    // The history of the current tab; null without tabs.
    NavigationHistory* currentHistory();

public slots:
    // Shows the page in the current tab, replacing its page, or in a new tab. A view mode of
    // -1 means the preference. Takes ownership of the page.
    void addPage(PageData* page, int viewMode, bool newTab);
    void showTabError(int index);
    void closeCurrentTab();
    void nextTab();
    void previousTab();

signals:
    void tabsUpdateFinished();
    // The current tab shows a page made from this text.
    void currentQueryChanged(const QString& query);
    void newTabRequested();
    void focusAddressRequested();
    void historyEntryAdded(const QString& title, const QString& url, const QString& serviceName);
    void preferencesRequested();

private slots:
    void tabChanged(int index);
    void closeTab(int index);

private:
    void discard(QWidget* page);
    PageForm* createPageForm(PageData* page, int viewMode);
    void replaceCurrentPage(PageForm* form);
    void nameCloseButton(int index);

    PageForm::Context m_context;
    QTabWidget* m_tabs = nullptr;
    QToolButton* m_cornerWidget = nullptr;
    QTimer m_freedMemory;
    QHash<const QWidget*, NavigationHistory> m_histories;
};
