#include "PluginUpdateFlow.h"

#include "ServicePluginUpdateDialog.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtDebug>

PluginUpdateFlow::PluginUpdateFlow(const UpdateServer& server,
    const PluginVersionsChecker::Installation& installation, const PluginInstaller::Target& target,
    QWidget* window)
    : QObject(window)
    , m_server(server)
    , m_installation(installation)
    , m_target(target)
    , m_window(window)
{ }

void PluginUpdateFlow::start(bool needsInitialisation)
{
    m_needsInitialisation = needsInitialisation;
    if (!m_server.isConfigured()) {
        qInfo().noquote() << QStringLiteral("No update server is configured: the installed "
                                            "service plugins and helpers stay as they are.");
        reportServicesReady();
        return;
    }
    if (m_checker) {
        disconnect(m_checker, nullptr, this, nullptr);
        m_checker->deleteLater();
    }
    m_checker = new PluginVersionsChecker(m_server, m_installation, this);
    ServicePluginUpdateDialog* dialog = nullptr;
    if (needsInitialisation && !m_dialog) {
        dialog = createDialog(true);
        connect(dialog, qOverload<>(&ServicePluginUpdateDialog::finished), this,
            &PluginUpdateFlow::reportServicesReady);
    } else if (!needsInitialisation) {
        reportServicesReady();
    }
    connect(m_checker, &PluginVersionsChecker::pluginUpdatesAvailable, this,
        &PluginUpdateFlow::onPluginUpdatesAvailable);
    connect(m_checker, &PluginVersionsChecker::error, this,
        &PluginUpdateFlow::onPluginVersionCheckError);
    connect(m_checker, &PluginVersionsChecker::updateHostConnectionError, this,
        &PluginUpdateFlow::onPluginVersionCheckConnectionError);
    m_checker->check();
    if (dialog)
        dialog->exec();
}

ServicePluginUpdateDialog* PluginUpdateFlow::createDialog(bool automatic)
{
    m_dialog = new ServicePluginUpdateDialog(
        automatic, new PluginInstaller(m_server, m_target), m_window);
    return m_dialog;
}

void PluginUpdateFlow::reportServicesReady()
{
    // "Try again" runs the check again, but the services are loaded once.
    if (m_servicesReady)
        return;
    m_servicesReady = true;
    emit servicesReady();
}

void PluginUpdateFlow::onPluginUpdatesAvailable(bool isFirstRun, int updatesCount)
{
    if (m_dialog) {
        m_dialog->setUpdateCount(updatesCount);
        return;
    }
    if (updatesCount <= 0)
        return;
    ServicePluginUpdateDialog* dialog = createDialog(isFirstRun);
    dialog->setUpdateCount(updatesCount);
    dialog->exec();
}

void PluginUpdateFlow::onPluginVersionCheckError(const QString& err)
{
    // Only an unreachable server is worth interrupting the user for.
    qWarning().noquote() << err;
}

void PluginUpdateFlow::onPluginVersionCheckConnectionError()
{
    const PluginVersionsChecker::ConnectionErrorMessage message
        = m_checker->connectionErrorMessage();
    QMessageBox box(QMessageBox::Warning, QString(), message.text, QMessageBox::NoButton, m_window);
    box.setInformativeText(message.informativeText);
    box.addButton(tr("Skip"), QMessageBox::RejectRole);
    QPushButton* retry = box.addButton(tr("Try again"), QMessageBox::AcceptRole);
    box.exec();
    if (box.clickedButton() == retry)
        start(m_needsInitialisation);
}
