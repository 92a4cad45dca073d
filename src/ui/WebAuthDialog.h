#pragma once

#include "services/MediaServices.h"

#include <QDialog>
#include <QFutureWatcher>

#include <memory>

namespace Ui {
class WebAuthDialog;
}

// Asks for a service account and checks it through the service plugin's login before the
// dialog can be accepted. The check runs off the user interface thread (the plugin may fetch);
// the dialog stays responsive and can be cancelled meanwhile.
class WebAuthDialog : public QDialog
{
    Q_OBJECT
public:
    explicit WebAuthDialog(const QString& serviceName, QWidget* parent = nullptr);
    ~WebAuthDialog() override;

    bool isLoggedIn() const { return m_loggedIn; }
    QString userName() const;
    QString password() const;
    bool saveForLater() const;

private slots:
    void on_credentialsOkButton_clicked();
    void on_usernameText_textChanged(const QString& text);
    void on_passwordText_textChanged(const QString& text);
    void on_checkCancelButton_clicked();
    void on_checkOkButton_clicked();
    void on_checkBackButton_clicked();
    void on_credentialsCancelButton_clicked();
    void onLoginChecked();

private:
    void updateCredentialsOkButton();

    std::unique_ptr<Ui::WebAuthDialog> ui;
    bool m_loggedIn = false;
    QString m_serviceName;
    QFutureWatcher<LoginResult> m_loginCheck;
};
