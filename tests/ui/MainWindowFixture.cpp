#include "MainWindowFixture.h"

#include "app/DbConnection.h"
#include "core/AppContext.h"
#include "ui/MainTabsForm.h"
#include "ui/MainWindow.h"
#include "ui/MediaFeedContainer.h"

#include <QTabWidget>
#include <QTest>

MainWindowFixture::MainWindowFixture() = default;

MainWindowFixture::~MainWindowFixture()
{
    close();
}

MainWindow* MainWindowFixture::open(const QMap<QString, QString>& plugins)
{
    close();
    MediaServices* registry = m_services.loadOnly(plugins);
    MainWindow::Parts parts;
    parts.database = DbConnection().connection();
    parts.settings = AppContext::settings();
    parts.feedViews = MediaFeedContainer::factory();
    m_window = std::make_unique<MainWindow>(parts);
    m_window->setServices(registry);
    m_window->show();
    // The first turn of the event loop opens the first, empty tab.
    if (!QTest::qWaitFor([this] { return tabs()->count() == 1; }, 5000))
        return nullptr;
    m_window->onServiceUpdateCheckFinished();
    return m_window.get();
}

void MainWindowFixture::close()
{
    m_window.reset();
}

QTabWidget* MainWindowFixture::tabs() const
{
    return m_window->mainTabsForm()->tabs();
}

QStringList MainWindowFixture::tabTexts(const QTabWidget* tabs)
{
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    return texts;
}
