#include "WebAuthDialog.h"

#include "core/AppContext.h"
#include "services/MediaServices.h"
#include "services/PasswordStore.h"
#include "ui_WebAuthDialog.h"

WebAuthDialog::WebAuthDialog(const QString& serviceName, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::WebAuthDialog>())
    , m_serviceName(serviceName)
{
    ui->setupUi(this);
    ui->headerText->setText(ui->headerText->text().arg(serviceName));
    ui->stackedWidget->setCurrentWidget(ui->credentialsPage);
    ui->credentialsOkButton->setEnabled(false);
    connect(&m_loginCheck, &QFutureWatcherBase::finished, this, &WebAuthDialog::onLoginChecked);
    // The weak-encryption warning stands unless a keyring answers, where passwords then go.
    auto* store = new PasswordStore(nullptr, this);
    connect(store, &PasswordStore::keyringChecked, this, [this](bool available) {
        if (available)
            ui->warningLabel->setText(tr("Saved passwords are kept in your desktop keyring."));
    });
    store->checkKeyring();
}

WebAuthDialog::~WebAuthDialog() = default;

QString WebAuthDialog::userName() const
{
    return ui->usernameText->text();
}

QString WebAuthDialog::password() const
{
    return ui->passwordText->text();
}

bool WebAuthDialog::saveForLater() const
{
    return ui->saveCheckbox->isChecked();
}

void WebAuthDialog::updateCredentialsOkButton()
{
    const bool complete
        = !ui->usernameText->text().isEmpty() && !ui->passwordText->text().isEmpty();
    ui->credentialsOkButton->setEnabled(complete);
    ui->credentialsOkButton->setDefault(complete);
}

void WebAuthDialog::on_usernameText_textChanged(const QString&)
{
    updateCredentialsOkButton();
}

void WebAuthDialog::on_passwordText_textChanged(const QString&)
{
    updateCredentialsOkButton();
}

void WebAuthDialog::on_credentialsOkButton_clicked()
{
    ui->stackedWidget->setCurrentWidget(ui->checkCredsPage);
    ui->checkOkButton->setEnabled(false);
    ui->checkBackButton->hide();
    ui->checkCancelButton->show();
    ui->checkCancelButton->setEnabled(true);
    //: Variable is service account name, for example youtube
    ui->checkStatusLabel->setText(
        tr("Attempting to log into %1 account, please wait...").arg(m_serviceName));

    MediaServices* services = AppContext::serviceRegistry();
    if (!services) {
        m_loginCheck.setFuture(QtFuture::makeReadyFuture(LoginResult()));
        return;
    }
    m_loginCheck.setFuture(
        services->loginAsync(m_serviceName, ui->usernameText->text(), ui->passwordText->text()));
}

void WebAuthDialog::onLoginChecked()
{
    const bool success = m_loginCheck.result().loggedIn;
    ui->checkOkButton->setEnabled(true);
    if (success) {
        ui->checkStatusLabel->setText(tr("Successfully logged into %1").arg(m_serviceName));
        m_loggedIn = true;
        ui->checkCancelButton->setEnabled(false);
    } else {
        ui->checkStatusLabel->setText(tr("Could not log in to %1").arg(m_serviceName));
        ui->checkBackButton->show();
        ui->checkCancelButton->hide();
    }
}

void WebAuthDialog::on_checkBackButton_clicked()
{
    ui->stackedWidget->setCurrentWidget(ui->credentialsPage);
}

void WebAuthDialog::on_checkOkButton_clicked()
{
    accept();
}

void WebAuthDialog::on_checkCancelButton_clicked()
{
    reject();
}

void WebAuthDialog::on_credentialsCancelButton_clicked()
{
    reject();
}
