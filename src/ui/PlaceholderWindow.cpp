#include "PlaceholderWindow.h"

#include "app/AppIdentity.h"
#include "app/AppPaths.h"
#include "app/Prefs.h"

#include <QLabel>
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
}

void PlaceholderWindow::setExternalOpenURL(const QString& url)
{
    m_status->setText(tr("Asked to open %1").arg(url));
}
