#include "ServicePluginUpdateDialog.h"

#include "ui_ServicePluginUpdateDialog.h"

#include "update/PluginInstaller.h"
#include "update/PluginVersionsChecker.h"

#include <QTreeWidgetItem>

namespace {

QTreeWidgetItem* boldItem(QTreeWidget* tree, const QString& text)
{
    auto* item = new QTreeWidgetItem(tree, QStringList(text));
    item->setFlags(Qt::NoItemFlags);
    QFont font = item->font(0);
    font.setWeight(QFont::Bold);
    item->setFont(0, font);
    return item;
}

} // namespace

ServicePluginUpdateDialog::ServicePluginUpdateDialog(
    bool automatic, PluginInstaller* installer, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ServicePluginUpdateDialog>())
    , m_installer(installer)
    , m_automatic(automatic)
{
    ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Kestrofan Plugin Update"));
    setStyleSheet(QStringLiteral("color: #333333"));
    ui->stackedWidget->setCurrentWidget(ui->infoWaitPage);
    ui->updateLaterButton->hide();
    ui->updateNowButton->hide();
    ui->updatingButton->show();
    ui->infoLabel->setText(automatic ? tr("Checking for necessary service plugins and helpers")
                                     : tr("Please wait while checking for new or updated plugins"));
    ui->itemTree->setAccessibleName(tr("Pending updates"));
    ui->updateEdit->setAccessibleName(tr("Installation log"));

    m_installer->setParent(this);
    connect(this, &ServicePluginUpdateDialog::fileHandled, this,
        &ServicePluginUpdateDialog::onFileHandled);
    connect(
        m_installer, &PluginInstaller::fileHandled, this, &ServicePluginUpdateDialog::fileHandled);
    connect(
        m_installer, &PluginInstaller::finished, this, &ServicePluginUpdateDialog::onFileHandled);
    connect(m_installer, &PluginInstaller::pluginsUpdated, this,
        &ServicePluginUpdateDialog::pluginsUpdated);
    connect(m_installer, &PluginInstaller::logLine, this, &ServicePluginUpdateDialog::appendLog);
    connect(m_installer, &PluginInstaller::error, this, &ServicePluginUpdateDialog::onError);
    connect(this, &ServicePluginUpdateDialog::abort, m_installer, &PluginInstaller::cancel);
}

ServicePluginUpdateDialog::~ServicePluginUpdateDialog() = default;

void ServicePluginUpdateDialog::setUpdateCount(int count)
{
    if (count == 0) {
        ui->infoLabel->setText(tr("No service updates available"));
        ui->updateLaterButton->hide();
        ui->updateNowButton->hide();
        ui->updatingButton->show();
        ui->updatingButton->setEnabled(true);
        ui->updatingButton->setText(tr("OK"));
        ui->updatingButton->setFocus();
    } else if (m_automatic) {
        startUpdate();
    } else {
        showList();
    }
}

void ServicePluginUpdateDialog::showList()
{
    ui->stackedWidget->setCurrentWidget(ui->updateListPage);
    ui->updateLaterButton->setVisible(!m_automatic);
    ui->updateNowButton->show();
    ui->updatingButton->hide();
    ui->itemTree->clear();
    const auto helpers = PluginVersionsChecker::pendingHelperUpdates();
    for (const HelperUpdateInfo& helper : helpers) {
        boldItem(ui->itemTree,
            helper.isNew ? helper.name + QStringLiteral(" - ") + tr("New") : helper.name);
        if (helper.isRequired)
            ui->infoLabel->setText(tr("Checking for necessary service plugins and helpers"));
    }
    const auto services = PluginVersionsChecker::pendingServiceUpdates();
    for (const ServicePluginInfo& service : services) {
        const QString title = tr("%1 service").arg(service.name);
        QTreeWidgetItem* item = boldItem(
            ui->itemTree, service.isNewPlugin ? title + QStringLiteral(" - ") + tr("New") : title);
        if (service.isNewPlugin)
            continue;
        const QStringList lines = service.description.split(QLatin1Char('\n'));
        for (QString line : lines) {
            auto* child = new QTreeWidgetItem(
                item, QStringList(QStringLiteral("    ") + line.remove(QStringLiteral("- "))));
            child->setFlags(Qt::NoItemFlags);
        }
    }
    ui->itemTree->expandAll();
}

void ServicePluginUpdateDialog::startUpdate()
{
    ui->updateLaterButton->hide();
    ui->updateNowButton->hide();
    ui->updatingButton->setVisible(!m_automatic);
    ui->updatingButton->setText(tr("Cancel"));
    ui->stackedWidget->setCurrentWidget(ui->updatePage);
    // While downloading, the button cancels and nothing else.
    disconnect(ui->updatingButton, &QPushButton::clicked, nullptr, nullptr);
    connect(ui->updatingButton, &QPushButton::clicked, this,
        &ServicePluginUpdateDialog::onCancelUpdateButtonClicked);
    m_installer->start(PluginVersionsChecker::pendingServiceUpdates(),
        PluginVersionsChecker::pendingHelperUpdates());
}

void ServicePluginUpdateDialog::onFileHandled()
{
    if (m_installer->isFinished())
        offerClosing();
}

void ServicePluginUpdateDialog::onError(const QString& errString)
{
    m_errorText = errString;
    offerClosing();
}

void ServicePluginUpdateDialog::offerClosing()
{
    ui->updatingButton->show();
    ui->updatingButton->setEnabled(true);
    ui->updatingButton->setDefault(true);
    ui->updatingButton->setText(QStringLiteral("  ") + tr("OK") + QStringLiteral("  "));
    disconnect(ui->updatingButton, &QPushButton::clicked, nullptr, nullptr);
    connect(ui->updatingButton, &QPushButton::clicked, this,
        &ServicePluginUpdateDialog::onReadyToClose);
}

void ServicePluginUpdateDialog::appendLog(const QString& line)
{
    ui->updateEdit->appendPlainText(line);
}

void ServicePluginUpdateDialog::onCancelUpdateButtonClicked()
{
    emit abort();
    close();
}

void ServicePluginUpdateDialog::on_updateLaterButton_clicked()
{
    emit finished();
    close();
}

void ServicePluginUpdateDialog::on_updateNowButton_clicked()
{
    startUpdate();
}

void ServicePluginUpdateDialog::onReadyToClose()
{
    emit finished();
    close();
}

void ServicePluginUpdateDialog::on_updatingButton_clicked()
{
    emit finished();
    close();
}
