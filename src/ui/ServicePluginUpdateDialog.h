#pragma once

#include <QDialog>

#include <memory>

class PluginInstaller;

namespace Ui {
class ServicePluginUpdateDialog;
}

// Shows the pending plugin and helper updates, lets the user install them (or installs them at
// once when automatic) through the installer, and shows its log.
class ServicePluginUpdateDialog : public QDialog
{
    Q_OBJECT
public:
    // Takes the installer as a child.
    ServicePluginUpdateDialog(
        bool automatic, PluginInstaller* installer, QWidget* parent = nullptr);
    ~ServicePluginUpdateDialog() override;

    // The count of updates the check found.
    void setUpdateCount(int count);

signals:
    void fileHandled();
    void pluginsUpdated();
    void abort();
    // The user closed the dialog (not by cancelling a running update).
    void finished();

public slots:
    void onFileHandled();
    void onError(const QString& errString);
    void onCancelUpdateButtonClicked();
    void on_updateLaterButton_clicked();
    void on_updateNowButton_clicked();
    void onReadyToClose();
    void on_updatingButton_clicked();

private:
    void showList();
    void startUpdate();
    void offerClosing();
    void appendLog(const QString& line);

    std::unique_ptr<Ui::ServicePluginUpdateDialog> ui;
    PluginInstaller* m_installer;
    QString m_errorText;
    bool m_automatic;
};
