#pragma once

#include "update/PluginInstaller.h"
#include "update/PluginVersionsChecker.h"
#include "update/UpdateServer.h"

#include <QObject>
#include <QPointer>

class QWidget;
class ServicePluginUpdateDialog;

// The start-up half of updating as the main window runs it: the plugin check, the
// installation dialog when plugins are missing or the program changed, and the message with
// "Try again" when the server cannot be reached. Without a configured server nothing is
// asked or shown.
class PluginUpdateFlow : public QObject
{
    Q_OBJECT
public:
    PluginUpdateFlow(const UpdateServer& server,
        const PluginVersionsChecker::Installation& installation,
        const PluginInstaller::Target& target, QWidget* window);

    // Starts a check; with "needsInitialisation" the installation dialog runs modally at once.
    void start(bool needsInitialisation);
    PluginVersionsChecker* checker() const { return m_checker; }

signals:
    // The services may be loaded into the views now.
    void servicesReady();

private slots:
    void onPluginUpdatesAvailable(bool isFirstRun, int updatesCount);
    void onPluginVersionCheckError(const QString& err);
    void onPluginVersionCheckConnectionError();

private:
    ServicePluginUpdateDialog* createDialog(bool automatic);
    void reportServicesReady();

    UpdateServer m_server;
    PluginVersionsChecker::Installation m_installation;
    PluginInstaller::Target m_target;
    QWidget* m_window;
    PluginVersionsChecker* m_checker = nullptr;
    QPointer<ServicePluginUpdateDialog> m_dialog;
    bool m_needsInitialisation = false;
    bool m_servicesReady = false;
};
