#include "PlaceholderWindow.h"

#include "AboutWindow.h"
#include "PreferencesWindow.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/AppContext.h"
#include "download/BinaryHelpers.h"
#include "services/MediaServices.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

PlaceholderWindow::PlaceholderWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Kestrofan 2"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* heading = new QLabel(tr("<h2>Kestrofan 2</h2>"), central);
    auto* facts = new QLabel(
        tr("Version %1 (build %2)<br>Data folder: %3<br>Downloads go to: %4")
            .arg(AppIdentity::version(), AppIdentity::build(),
                AppPaths::dataLocation().toHtmlEscaped(), Prefs::mediaPath().toHtmlEscaped()),
        central);
    facts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(heading);
    layout->addWidget(facts);
    layout->addStretch();
    setCentralWidget(central);
    m_status = new QLabel(this);
    statusBar()->addWidget(m_status);
    resize(640, 400);

    QMenu* tools = menuBar()->addMenu(tr("Tools"));
    tools->addAction(tr("About"), this, &PlaceholderWindow::showAbout);
    QAction* options = tools->addAction(tr("Options"), this, &PlaceholderWindow::showPreferences);
    options->setShortcut(QKeySequence(tr("Ctrl+,")));
}

void PlaceholderWindow::showAbout()
{
    const BinaryHelpers helpers;
    const AboutWindow::Facts facts { AppIdentity::version(), AppIdentity::build(),
        AppPaths::dataLocation(),
        BinaryHelpers::helperPath(helpers.helpers().value(BinaryHelper::downloadHelperId)) };
    auto* about = new AboutWindow(facts);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void PlaceholderWindow::showPreferences()
{
    QStringList serviceNames;
    if (MediaServices* services = AppContext::serviceRegistry())
        serviceNames = services->services().keys();
    DbConnection database;
    auto* preferences = new PreferencesWindow(database.connection(), serviceNames);
    preferences->setAttribute(Qt::WA_DeleteOnClose);
    preferences->show();
}

void PlaceholderWindow::setExternalOpenURL(const QString& url)
{
    m_status->setText(tr("Asked to open %1").arg(url));
}
