#include "NewAppVersionAvailableDialog.h"

#include "ui_NewAppVersionAvailableDialog.h"

#include "app/WebAddress.h"

#include <QDesktopServices>
#include <QUrl>

NewAppVersionAvailableDialog::NewAppVersionAvailableDialog(
    const QString& version, const QString& versionText, const QString& location, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::NewAppVersionAvailableDialog>())
    , m_location(location)
{
    ui->setupUi(this);
    ui->textField->setAccessibleName(tr("New version %1").arg(version));
    ui->textField->setHtml(QStringLiteral("<html>") + versionText + QStringLiteral("</html>"));
}

NewAppVersionAvailableDialog::~NewAppVersionAvailableDialog() = default;

void NewAppVersionAvailableDialog::on_cancelButton_clicked()
{
    close();
}

void NewAppVersionAvailableDialog::on_downloadButton_clicked()
{
    // The location comes from a server: only a web page may be opened, never a local file.
    const QUrl location(m_location);
    if (WebAddress::isValid(location))
        QDesktopServices::openUrl(location);
    close();
}
