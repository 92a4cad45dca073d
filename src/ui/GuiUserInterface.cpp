#include "GuiUserInterface.h"

#include "WebAuthDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

void GuiUserInterface::showFatalError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QString(),
        text + QStringLiteral("\n\n")
            + QApplication::translate("Application", "%1 will now quit.")
                  .arg(QApplication::applicationName()),
        QMessageBox::Ok);
    box.exec();
}

void GuiUserInterface::showError(const QString& text)
{
    QMessageBox box;
    box.setWindowModality(Qt::WindowModal);
    box.setIconPixmap(QPixmap(QStringLiteral(":/images/resources/images/KestrofanIcon64.png")));
    box.setText(QApplication::translate("KObject", "Oops..."));
    box.setInformativeText(text);
    // Keep the box wide enough for long messages.
    if (auto* layout = qobject_cast<QGridLayout*>(box.layout())) {
        layout->addItem(new QSpacerItem(400, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
            layout->rowCount(), 0, 1, layout->columnCount());
    }
    box.exec();
}

bool GuiUserInterface::askForServiceLogin(
    const QString& serviceName, QString* userName, QString* password, bool* saveForLater)
{
    WebAuthDialog dialog(serviceName, QApplication::activeWindow());
    dialog.setWindowModality(Qt::WindowModal);
    // Only an accepted dialog counts: Escape after a successful check still cancels.
    if (dialog.exec() != QDialog::Accepted || !dialog.isLoggedIn())
        return false;
    *userName = dialog.userName();
    *password = dialog.password();
    *saveForLater = dialog.saveForLater();
    return true;
}
